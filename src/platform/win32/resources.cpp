#include "platform/resources.h"

#include <windows.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

namespace win {

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    return CALL_SYSTEM_FUNCTION(User32, LoadStringW, 0, H<::HINSTANCE>(instance), id, W(buffer), size);
}
HICON LoadIconW(HINSTANCE instance, LPCWSTR name) {
    return H<HICON>(CALL_SYSTEM_FUNCTION(User32, LoadIconW, nullptr, H<::HINSTANCE>(instance), W(name)));
}
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    return H<HCURSOR>(CALL_SYSTEM_FUNCTION(User32, LoadCursorW, nullptr, H<::HINSTANCE>(instance), W(name)));
}
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    return H<HBITMAP>(CALL_SYSTEM_FUNCTION(User32, LoadBitmapW, nullptr, H<::HINSTANCE>(instance), W(name)));
}

}  // namespace win
