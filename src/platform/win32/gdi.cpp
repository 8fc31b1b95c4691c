#include "platform/gdi.h"

#include <windows.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::LOGFONTW) == sizeof(::LOGFONTW), "LOGFONTW layout");
static_assert(sizeof(win::BITMAP) == sizeof(::BITMAP), "BITMAP layout");
static_assert(sizeof(win::PAINTSTRUCT) == sizeof(::PAINTSTRUCT), "PAINTSTRUCT layout");
static_assert(sizeof(win::RECT) == sizeof(::RECT) && sizeof(win::POINT) == sizeof(::POINT), "RECT and POINT layout");
static_assert(sizeof(win::SIZE) == sizeof(::SIZE), "SIZE layout");

namespace win {

namespace {
::HDC D(HDC dc) { return H<::HDC>(dc); }
}  // namespace

HPEN CreatePen(int style, int width, COLORREF colour) {
    return H<HPEN>(CALL_SYSTEM_FUNCTION(Gdi32, CreatePen, nullptr, style, width, colour));
}
HBRUSH CreateSolidBrush(COLORREF colour) {
    return H<HBRUSH>(CALL_SYSTEM_FUNCTION(Gdi32, CreateSolidBrush, nullptr, colour));
}
HFONT CreateFontIndirectW(const LOGFONTW* font) {
    return H<HFONT>(
        CALL_SYSTEM_FUNCTION(Gdi32, CreateFontIndirectW, nullptr, reinterpret_cast<const ::LOGFONTW*>(font)));
}
BOOL DeleteObject(HGDIOBJ object) { return CALL_SYSTEM_FUNCTION(Gdi32, DeleteObject, FALSE, object); }
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    return CALL_SYSTEM_FUNCTION(Gdi32, SelectObject, nullptr, D(dc), object);
}
HGDIOBJ GetStockObject(int index) { return CALL_SYSTEM_FUNCTION(Gdi32, GetStockObject, nullptr, index); }
COLORREF GetSysColor(int index) { return CALL_SYSTEM_FUNCTION(User32, GetSysColor, 0, index); }
HBRUSH GetSysColorBrush(int index) { return H<HBRUSH>(CALL_SYSTEM_FUNCTION(User32, GetSysColorBrush, nullptr, index)); }
int GetObjectW(HGDIOBJ object, int size, void* buffer) {
    return CALL_SYSTEM_FUNCTION(Gdi32, GetObjectW, 0, object, size, buffer);
}

int SaveDC(HDC dc) { return CALL_SYSTEM_FUNCTION(Gdi32, SaveDC, 0, D(dc)); }
BOOL RestoreDC(HDC dc, int saved) { return CALL_SYSTEM_FUNCTION(Gdi32, RestoreDC, FALSE, D(dc), saved); }
HDC CreateCompatibleDC(HDC dc) { return H<HDC>(CALL_SYSTEM_FUNCTION(Gdi32, CreateCompatibleDC, nullptr, D(dc))); }
BOOL DeleteDC(HDC dc) { return CALL_SYSTEM_FUNCTION(Gdi32, DeleteDC, FALSE, D(dc)); }
int SetBkMode(HDC dc, int mode) { return CALL_SYSTEM_FUNCTION(Gdi32, SetBkMode, 0, D(dc), mode); }
COLORREF SetTextColor(HDC dc, COLORREF colour) {
    return CALL_SYSTEM_FUNCTION(Gdi32, SetTextColor, CLR_INVALID, D(dc), colour);
}
COLORREF SetBkColor(HDC dc, COLORREF colour) {
    return CALL_SYSTEM_FUNCTION(Gdi32, SetBkColor, CLR_INVALID, D(dc), colour);
}
int SetStretchBltMode(HDC dc, int mode) { return CALL_SYSTEM_FUNCTION(Gdi32, SetStretchBltMode, 0, D(dc), mode); }
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous) {
    return CALL_SYSTEM_FUNCTION(Gdi32, SetBrushOrgEx, FALSE, D(dc), x, y, reinterpret_cast<::POINT*>(previous));
}
int GetDeviceCaps(HDC dc, int index) { return CALL_SYSTEM_FUNCTION(Gdi32, GetDeviceCaps, 0, D(dc), index); }

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    return CALL_SYSTEM_FUNCTION(Gdi32, RoundRect, FALSE, D(dc), left, top, right, bottom, width, height);
}
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    return CALL_SYSTEM_FUNCTION(User32, SetRect, FALSE, reinterpret_cast<::RECT*>(rect), left, top, right, bottom);
}
int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    return CALL_SYSTEM_FUNCTION(User32, FillRect, 0, D(dc), reinterpret_cast<const ::RECT*>(rect), H<::HBRUSH>(brush));
}
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    return CALL_SYSTEM_FUNCTION(Gdi32, MoveToEx, FALSE, D(dc), x, y, reinterpret_cast<::POINT*>(previous));
}
BOOL LineTo(HDC dc, int x, int y) { return CALL_SYSTEM_FUNCTION(Gdi32, LineTo, FALSE, D(dc), x, y); }
BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
    return CALL_SYSTEM_FUNCTION(Gdi32, GetCurrentPositionEx, FALSE, D(dc), reinterpret_cast<::POINT*>(position));
}
BOOL DrawFocusRect(HDC dc, const RECT* rect) {
    return CALL_SYSTEM_FUNCTION(User32, DrawFocusRect, FALSE, D(dc), reinterpret_cast<const ::RECT*>(rect));
}
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) {
    return CALL_SYSTEM_FUNCTION(Gdi32, GetTextExtentPoint32W, FALSE, D(dc), W(text), length,
                                reinterpret_cast<::SIZE*>(size));
}
BOOL DrawStateW(HDC dc, HBRUSH brush, void* callback, LPARAM data, WPARAM dataLength, int x, int y, int width,
                int height, UINT flags) {
    return CALL_SYSTEM_FUNCTION(User32, DrawStateW, FALSE, D(dc), H<::HBRUSH>(brush),
                                reinterpret_cast<::DRAWSTATEPROC>(callback), data, dataLength, x, y, width, height,
                                flags);
}
int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) {
    return CALL_SYSTEM_FUNCTION(User32, DrawTextW, 0, D(dc), W(text), length, reinterpret_cast<::RECT*>(rect), format);
}
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
    return CALL_SYSTEM_FUNCTION(Gdi32, StretchBlt, FALSE, D(dest), x, y, width, height, D(source), sourceX, sourceY,
                                sourceWidth, sourceHeight, rop);
}

HDC GetDC(HWND window) { return H<HDC>(CALL_SYSTEM_FUNCTION(User32, GetDC, nullptr, H<::HWND>(window))); }
int ReleaseDC(HWND window, HDC dc) { return CALL_SYSTEM_FUNCTION(User32, ReleaseDC, 0, H<::HWND>(window), D(dc)); }
HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    return H<HDC>(
        CALL_SYSTEM_FUNCTION(User32, BeginPaint, nullptr, H<::HWND>(window), reinterpret_cast<::PAINTSTRUCT*>(paint)));
}
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    return CALL_SYSTEM_FUNCTION(User32, EndPaint, FALSE, H<::HWND>(window),
                                reinterpret_cast<const ::PAINTSTRUCT*>(paint));
}

}  // namespace win
