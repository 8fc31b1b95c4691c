#include "platform/gdi.h"

#include <windows.h>

#include "platform/win32/interop.h"

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

HPEN CreatePen(int style, int width, COLORREF colour) { return H<HPEN>(::CreatePen(style, width, colour)); }
HBRUSH CreateSolidBrush(COLORREF colour) { return H<HBRUSH>(::CreateSolidBrush(colour)); }
HFONT CreateFontIndirectW(const LOGFONTW* font) {
    return H<HFONT>(::CreateFontIndirectW(reinterpret_cast<const ::LOGFONTW*>(font)));
}
BOOL DeleteObject(HGDIOBJ object) { return ::DeleteObject(object); }
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) { return ::SelectObject(D(dc), object); }
HGDIOBJ GetStockObject(int index) { return ::GetStockObject(index); }
int GetObjectW(HGDIOBJ object, int size, void* buffer) { return ::GetObjectW(object, size, buffer); }

int SaveDC(HDC dc) { return ::SaveDC(D(dc)); }
BOOL RestoreDC(HDC dc, int saved) { return ::RestoreDC(D(dc), saved); }
HDC CreateCompatibleDC(HDC dc) { return H<HDC>(::CreateCompatibleDC(D(dc))); }
BOOL DeleteDC(HDC dc) { return ::DeleteDC(D(dc)); }
int SetBkMode(HDC dc, int mode) { return ::SetBkMode(D(dc), mode); }
COLORREF SetTextColor(HDC dc, COLORREF colour) { return ::SetTextColor(D(dc), colour); }
COLORREF SetBkColor(HDC dc, COLORREF colour) { return ::SetBkColor(D(dc), colour); }

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    return ::RoundRect(D(dc), left, top, right, bottom, width, height);
}
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    return ::SetRect(reinterpret_cast<::RECT*>(rect), left, top, right, bottom);
}
int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    return ::FillRect(D(dc), reinterpret_cast<const ::RECT*>(rect), H<::HBRUSH>(brush));
}
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    return ::MoveToEx(D(dc), x, y, reinterpret_cast<::POINT*>(previous));
}
BOOL LineTo(HDC dc, int x, int y) { return ::LineTo(D(dc), x, y); }
BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
    return ::GetCurrentPositionEx(D(dc), reinterpret_cast<::POINT*>(position));
}
BOOL DrawFocusRect(HDC dc, const RECT* rect) { return ::DrawFocusRect(D(dc), reinterpret_cast<const ::RECT*>(rect)); }
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size) {
    return ::GetTextExtentPoint32W(D(dc), W(text), length, reinterpret_cast<::SIZE*>(size));
}
BOOL DrawStateW(HDC dc, HBRUSH brush, void* callback, LPARAM data, WPARAM dataLength, int x, int y, int width,
                int height, UINT flags) {
    return ::DrawStateW(D(dc), H<::HBRUSH>(brush), reinterpret_cast<::DRAWSTATEPROC>(callback), data, dataLength, x,
                        y, width, height, flags);
}
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
    return ::StretchBlt(D(dest), x, y, width, height, D(source), sourceX, sourceY, sourceWidth, sourceHeight, rop);
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint) {
    return H<HDC>(::BeginPaint(H<::HWND>(window), reinterpret_cast<::PAINTSTRUCT*>(paint)));
}
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint) {
    return ::EndPaint(H<::HWND>(window), reinterpret_cast<const ::PAINTSTRUCT*>(paint));
}

}  // namespace win
