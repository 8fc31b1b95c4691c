// The window-system calls of the wizard's dialog and controls.
#include "platform/window.h"

#include <windows.h>
#include <commctrl.h>
#include <cstddef>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::DRAWITEMSTRUCT) == sizeof(::DRAWITEMSTRUCT) &&
                  offsetof(win::DRAWITEMSTRUCT, rcItem) == offsetof(::DRAWITEMSTRUCT, rcItem),
              "DRAWITEMSTRUCT layout");
static_assert(sizeof(win::TRACKMOUSEEVENT) == sizeof(::TRACKMOUSEEVENT), "TRACKMOUSEEVENT layout");
// The SDK spells these as macros, which would rewrite our own names below them.
#undef TOOLINFOW
static_assert(sizeof(win::TOOLINFOW) == sizeof(::TTTOOLINFOW), "TOOLINFOW layout");
constexpr int kSdkDwlpUser = DWLP_USER;
#undef DWLP_USER
static_assert(win::DWLP_USER == kSdkDwlpUser, "DWLP_USER");

// 32-bit SDK headers spell the pointer-sized window data calls as macros for the 32-bit ones.
#ifdef GetWindowLongPtrW
#undef GetWindowLongPtrW
#undef SetWindowLongPtrW
static LONG_PTR SdkGetWindowLongPtr(::HWND window, int index) { return ::GetWindowLongW(window, index); }
static LONG_PTR SdkSetWindowLongPtr(::HWND window, int index, LONG_PTR value) {
    return ::SetWindowLongW(window, index, static_cast<LONG>(value));
}
#else
static LONG_PTR SdkGetWindowLongPtr(::HWND window, int index) { return ::GetWindowLongPtrW(window, index); }
static LONG_PTR SdkSetWindowLongPtr(::HWND window, int index, LONG_PTR value) {
    return ::SetWindowLongPtrW(window, index, value);
}
#endif

namespace win {

namespace {
::HWND X(HWND window) { return H<::HWND>(window); }
}  // namespace

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    return ::DialogBoxParamW(H<::HINSTANCE>(instance), W(templateName), X(parent), reinterpret_cast<::DLGPROC>(proc),
                             param);
}
BOOL EndDialog(HWND dialog, INT_PTR result) { return ::EndDialog(X(dialog), result); }
HWND GetDlgItem(HWND dialog, int id) { return H<HWND>(::GetDlgItem(X(dialog), id)); }
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, void* menu, HINSTANCE instance, void* param) {
    return H<HWND>(::CreateWindowExW(exStyle, W(className), W(windowName), style, x, y, width, height, X(parent),
                                     H<::HMENU>(menu), H<::HINSTANCE>(instance), param));
}
BOOL DestroyWindow(HWND window) { return ::DestroyWindow(X(window)); }
HWND GetParent(HWND window) { return H<HWND>(::GetParent(X(window))); }
BOOL IsWindow(HWND window) { return ::IsWindow(X(window)); }
BOOL IsIconic(HWND window) { return ::IsIconic(X(window)); }
BOOL EnableWindow(HWND window, BOOL enable) { return ::EnableWindow(X(window), enable); }
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    return ::SetWindowPos(X(window), X(insertAfter), x, y, width, height, flags);
}
BOOL SetWindowTextW(HWND window, LPCWSTR text) { return ::SetWindowTextW(X(window), W(text)); }
int GetWindowTextW(HWND window, LPWSTR buffer, int size) { return ::GetWindowTextW(X(window), W(buffer), size); }
LONG_PTR GetWindowLongPtrW(HWND window, int index) { return SdkGetWindowLongPtr(X(window), index); }
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    return SdkSetWindowLongPtr(X(window), index, value);
}
LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcW(reinterpret_cast<::WNDPROC>(proc), X(window), message, wParam, lParam);
}
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void*) {
    return ::SetTimer(X(window), id, milliseconds, nullptr);
}
BOOL KillTimer(HWND window, UINT_PTR id) { return ::KillTimer(X(window), id); }
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    return ::InvalidateRect(X(window), reinterpret_cast<const ::RECT*>(rect), erase);
}
BOOL GetClientRect(HWND window, RECT* rect) { return ::GetClientRect(X(window), reinterpret_cast<::RECT*>(rect)); }
BOOL GetWindowRect(HWND window, RECT* rect) { return ::GetWindowRect(X(window), reinterpret_cast<::RECT*>(rect)); }
BOOL ScreenToClient(HWND window, POINT* point) { return ::ScreenToClient(X(window), reinterpret_cast<::POINT*>(point)); }
BOOL PtInRect(const RECT* rect, POINT point) {
    return ::PtInRect(reinterpret_cast<const ::RECT*>(rect), ::POINT{point.x, point.y});
}
DWORD GetMessagePos() { return ::GetMessagePos(); }
HCURSOR SetCursor(HCURSOR cursor) { return H<HCURSOR>(::SetCursor(H<::HCURSOR>(cursor))); }
HICON CopyIcon(HICON icon) { return H<HICON>(::CopyIcon(H<::HICON>(icon))); }
BOOL DestroyCursor(HCURSOR cursor) { return ::DestroyCursor(H<::HCURSOR>(cursor)); }
int GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }
BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return ::DrawIcon(H<::HDC>(dc), x, y, H<::HICON>(icon)); }
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    return ::TrackMouseEvent(reinterpret_cast<::TRACKMOUSEEVENT*>(track));
}
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return ::InitCommonControlsEx(reinterpret_cast<const ::INITCOMMONCONTROLSEX*>(init));
}
HMODULE GetModuleHandleW(LPCWSTR name) { return H<HMODULE>(::GetModuleHandleW(W(name))); }

}  // namespace win
