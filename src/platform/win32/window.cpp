#include "platform/window.h"

#include <windows.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

namespace win {

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return CALL_SYSTEM_FUNCTION(User32, MessageBoxW, 0, H<::HWND>(owner), W(text), W(caption), type);
}
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    return H<HWND>(CALL_SYSTEM_FUNCTION(User32, FindWindowW, nullptr, W(className), W(windowName)));
}
BOOL BringWindowToTop(HWND window) { return CALL_SYSTEM_FUNCTION(User32, BringWindowToTop, FALSE, H<::HWND>(window)); }
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CALL_SYSTEM_FUNCTION(User32, SendMessageW, 0, H<::HWND>(window), message, wParam, lParam);
}

}  // namespace win
