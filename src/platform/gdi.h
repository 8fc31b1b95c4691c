// Drawing operations (GDI32 and the painting calls of USER32) the wizard's controls use.
#pragma once
#include "platform/window.h"

namespace win {

using COLORREF = DWORD;
using HGDIOBJ = void*;
struct HbrushTag;
struct HpenTag;
struct HfontTag;
struct HbitmapTag;
using HBRUSH = HbrushTag*;
using HPEN = HpenTag*;
using HFONT = HfontTag*;
using HBITMAP = HbitmapTag*;

constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) {
    return static_cast<COLORREF>(r) | (static_cast<COLORREF>(g) << 8) | (static_cast<COLORREF>(b) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

constexpr int PS_INSIDEFRAME = 6;
constexpr int TRANSPARENT = 1;
constexpr int NULL_BRUSH = 5;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr UINT DST_TEXT = 0x0001;
constexpr UINT DSS_DISABLED = 0x0020;
constexpr int HALFTONE = 4;
constexpr int LOGPIXELSX = 88;
constexpr LONG FW_BOLD = 700;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_RTLREADING = 0x00020000;

struct LOGFONTW {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    WCHAR lfFaceName[32];
};
static_assert(sizeof(LOGFONTW) == 92, "logical-font record is 92 bytes");

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

HPEN CreatePen(int style, int width, COLORREF colour);
HBRUSH CreateSolidBrush(COLORREF colour);
HFONT CreateFontIndirectW(const LOGFONTW* font);
BOOL DeleteObject(HGDIOBJ object);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetStockObject(int index);
COLORREF GetSysColor(int index);
HBRUSH GetSysColorBrush(int index);  // the system's own brush: never deleted
int GetObjectW(HGDIOBJ object, int size, void* buffer);

int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
int SetStretchBltMode(HDC dc, int mode);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* previous);
int GetDeviceCaps(HDC dc, int index);

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
BOOL LineTo(HDC dc, int x, int y);
BOOL GetCurrentPositionEx(HDC dc, POINT* position);
BOOL DrawFocusRect(HDC dc, const RECT* rect);
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, SIZE* size);
BOOL DrawStateW(HDC dc, HBRUSH brush, void* callback, LPARAM data, WPARAM dataLength, int x, int y, int width,
                int height, UINT flags);
int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format);
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop);

HDC GetDC(HWND window);
int ReleaseDC(HWND window, HDC dc);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

}  // namespace win
