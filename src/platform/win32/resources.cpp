#include "platform/resources.h"

#include <windows.h>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

namespace win {

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int size) {
    return ::LoadStringW(H<::HINSTANCE>(instance), id, W(buffer), size);
}
HICON LoadIconW(HINSTANCE instance, LPCWSTR name) { return H<HICON>(::LoadIconW(H<::HINSTANCE>(instance), W(name))); }
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
    return H<HCURSOR>(::LoadCursorW(H<::HINSTANCE>(instance), W(name)));
}
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name) {
    return H<HBITMAP>(::LoadBitmapW(H<::HINSTANCE>(instance), W(name)));
}

}  // namespace win
