#include "platform/window.h"

#include <windows.h>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

namespace win {

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    return ::MessageBoxW(H<::HWND>(owner), W(text), W(caption), type);
}
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName) {
    return H<HWND>(::FindWindowW(W(className), W(windowName)));
}
BOOL BringWindowToTop(HWND window) { return ::BringWindowToTop(H<::HWND>(window)); }
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(H<::HWND>(window), message, wParam, lParam);
}

}  // namespace win
