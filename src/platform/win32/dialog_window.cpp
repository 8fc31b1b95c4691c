// The window-system calls of the wizard's dialog and controls.
#include "platform/window.h"

#include <windows.h>
#include <commctrl.h>
#include <cstddef>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::DRAWITEMSTRUCT) == sizeof(::DRAWITEMSTRUCT) &&
                  offsetof(win::DRAWITEMSTRUCT, rcItem) == offsetof(::DRAWITEMSTRUCT, rcItem),
              "DRAWITEMSTRUCT layout");
static_assert(sizeof(win::TRACKMOUSEEVENT) == sizeof(::TRACKMOUSEEVENT), "TRACKMOUSEEVENT layout");
static_assert(sizeof(win::MSG) == sizeof(::MSG), "MSG layout");
static_assert(sizeof(win::HIGHCONTRASTW) == sizeof(::HIGHCONTRASTW), "HIGHCONTRASTW layout");
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
static LONG_PTR SdkGetWindowLongPtr(::HWND window, int index) {
    return CALL_SYSTEM_FUNCTION(User32, GetWindowLongW, 0, window, index);
}
static LONG_PTR SdkSetWindowLongPtr(::HWND window, int index, LONG_PTR value) {
    return CALL_SYSTEM_FUNCTION(User32, SetWindowLongW, 0, window, index, static_cast<LONG>(value));
}
#else
static LONG_PTR SdkGetWindowLongPtr(::HWND window, int index) {
    return CALL_SYSTEM_FUNCTION(User32, GetWindowLongPtrW, 0, window, index);
}
static LONG_PTR SdkSetWindowLongPtr(::HWND window, int index, LONG_PTR value) {
    return CALL_SYSTEM_FUNCTION(User32, SetWindowLongPtrW, 0, window, index, value);
}
#endif

namespace win {

namespace {
::HWND X(HWND window) { return H<::HWND>(window); }
}  // namespace

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC proc, LPARAM param) {
    return CALL_SYSTEM_FUNCTION(User32, DialogBoxParamW, -1, H<::HINSTANCE>(instance), W(templateName), X(parent),
                                reinterpret_cast<::DLGPROC>(proc), param);
}
BOOL EndDialog(HWND dialog, INT_PTR result) {
    return CALL_SYSTEM_FUNCTION(User32, EndDialog, FALSE, X(dialog), result);
}
HWND GetDlgItem(HWND dialog, int id) {
    return H<HWND>(CALL_SYSTEM_FUNCTION(User32, GetDlgItem, nullptr, X(dialog), id));
}
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, void* menu, HINSTANCE instance, void* param) {
    return H<HWND>(CALL_SYSTEM_FUNCTION(User32, CreateWindowExW, nullptr, exStyle, W(className), W(windowName), style,
                                        x, y, width, height, X(parent), H<::HMENU>(menu), H<::HINSTANCE>(instance),
                                        param));
}
BOOL DestroyWindow(HWND window) { return CALL_SYSTEM_FUNCTION(User32, DestroyWindow, FALSE, X(window)); }
HWND GetParent(HWND window) { return H<HWND>(CALL_SYSTEM_FUNCTION(User32, GetParent, nullptr, X(window))); }
BOOL IsWindow(HWND window) { return CALL_SYSTEM_FUNCTION(User32, IsWindow, FALSE, X(window)); }
BOOL IsIconic(HWND window) { return CALL_SYSTEM_FUNCTION(User32, IsIconic, FALSE, X(window)); }
BOOL EnableWindow(HWND window, BOOL enable) {
    return CALL_SYSTEM_FUNCTION(User32, EnableWindow, FALSE, X(window), enable);
}
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
    return CALL_SYSTEM_FUNCTION(User32, SetWindowPos, FALSE, X(window), X(insertAfter), x, y, width, height, flags);
}
BOOL SetWindowTextW(HWND window, LPCWSTR text) {
    return CALL_SYSTEM_FUNCTION(User32, SetWindowTextW, FALSE, X(window), W(text));
}
int GetWindowTextW(HWND window, LPWSTR buffer, int size) {
    return CALL_SYSTEM_FUNCTION(User32, GetWindowTextW, 0, X(window), W(buffer), size);
}
LONG_PTR GetWindowLongPtrW(HWND window, int index) { return SdkGetWindowLongPtr(X(window), index); }
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    return SdkSetWindowLongPtr(X(window), index, value);
}
LRESULT CallWindowProcW(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CALL_SYSTEM_FUNCTION(User32, CallWindowProcW, 0, reinterpret_cast<::WNDPROC>(proc), X(window), message,
                                wParam, lParam);
}
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT milliseconds, void*) {
    return CALL_SYSTEM_FUNCTION(User32, SetTimer, 0, X(window), id, milliseconds, nullptr);
}
BOOL KillTimer(HWND window, UINT_PTR id) { return CALL_SYSTEM_FUNCTION(User32, KillTimer, FALSE, X(window), id); }
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
    return CALL_SYSTEM_FUNCTION(User32, InvalidateRect, FALSE, X(window), reinterpret_cast<const ::RECT*>(rect), erase);
}
BOOL GetClientRect(HWND window, RECT* rect) {
    return CALL_SYSTEM_FUNCTION(User32, GetClientRect, FALSE, X(window), reinterpret_cast<::RECT*>(rect));
}
BOOL GetWindowRect(HWND window, RECT* rect) {
    return CALL_SYSTEM_FUNCTION(User32, GetWindowRect, FALSE, X(window), reinterpret_cast<::RECT*>(rect));
}
BOOL ScreenToClient(HWND window, POINT* point) {
    return CALL_SYSTEM_FUNCTION(User32, ScreenToClient, FALSE, X(window), reinterpret_cast<::POINT*>(point));
}
BOOL PtInRect(const RECT* rect, POINT point) {
    return CALL_SYSTEM_FUNCTION(User32, PtInRect, FALSE, reinterpret_cast<const ::RECT*>(rect),
                                ::POINT{point.x, point.y});
}
DWORD GetMessagePos() { return CALL_SYSTEM_FUNCTION(User32, GetMessagePos, 0, ); }
HCURSOR SetCursor(HCURSOR cursor) {
    return H<HCURSOR>(CALL_SYSTEM_FUNCTION(User32, SetCursor, nullptr, H<::HCURSOR>(cursor)));
}
HICON CopyIcon(HICON icon) { return H<HICON>(CALL_SYSTEM_FUNCTION(User32, CopyIcon, nullptr, H<::HICON>(icon))); }
BOOL DestroyCursor(HCURSOR cursor) { return CALL_SYSTEM_FUNCTION(User32, DestroyCursor, FALSE, H<::HCURSOR>(cursor)); }
int GetSystemMetrics(int index) { return CALL_SYSTEM_FUNCTION(User32, GetSystemMetrics, 0, index); }
BOOL DrawIcon(HDC dc, int x, int y, HICON icon) {
    return CALL_SYSTEM_FUNCTION(User32, DrawIcon, FALSE, H<::HDC>(dc), x, y, H<::HICON>(icon));
}
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
    return CALL_SYSTEM_FUNCTION(User32, TrackMouseEvent, FALSE, reinterpret_cast<::TRACKMOUSEEVENT*>(track));
}
HWND GetFocus() { return H<HWND>(CALL_SYSTEM_FUNCTION(User32, GetFocus, nullptr, )); }
HWND SetFocus(HWND window) { return H<HWND>(CALL_SYSTEM_FUNCTION(User32, SetFocus, nullptr, X(window))); }
UINT GetDpiForWindow(HWND window) {
    // Windows 10 1607 and later; the SDK headers of older targets do not declare it.
    using Function = ::UINT(WINAPI*)(::HWND);
    const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(win32::SystemFunction(win32::SystemLibrary::User32, "GetDpiForWindow")));
    if (!function) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return 0;
    }
    return function(X(window));
}
BOOL SystemParametersInfoW(UINT action, UINT param, void* data, UINT winIni) {
    return CALL_SYSTEM_FUNCTION(User32, SystemParametersInfoW, FALSE, action, param, data, winIni);
}
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
    return CALL_SYSTEM_FUNCTION(Comctl32, InitCommonControlsEx, FALSE,
                                reinterpret_cast<const ::INITCOMMONCONTROLSEX*>(init));
}

}  // namespace win
