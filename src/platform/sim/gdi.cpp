// Simulated GDI: records what is drawn with which pen, brush and colour.
#include "platform/gdi.h"

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace sim {

win::HGDIOBJ GdiState::Add(GdiObject object) {
    auto handle = reinterpret_cast<win::HGDIOBJ>(nextHandle++);
    objects[handle] = object;
    return handle;
}

win::HDC GdiState::NewDc() {
    auto dc = reinterpret_cast<win::HDC>(nextHandle++);
    dcs[dc].push_back({});
    return dc;
}

DcSelection& GdiState::Dc(win::HDC dc) {
    auto& stack = dcs[dc];
    if (stack.empty()) stack.push_back({});
    return stack.back();
}

const GdiObject* GdiState::Find(win::HGDIOBJ object) const {
    auto it = objects.find(object);
    return it == objects.end() ? nullptr : &it->second;
}

int GdiState::Live(GdiKind kind) const {
    int n = 0;
    for (auto& [handle, object] : objects)
        if (object.kind == kind) ++n;
    return n;
}

}  // namespace sim

namespace win {

namespace {
sim::GdiState& gdi() { return sim::machine().gdi; }

COLORREF ColourOf(HGDIOBJ object) {
    const sim::GdiObject* found = gdi().Find(object);
    return found ? found->colour : 0;
}
}  // namespace

HPEN CreatePen(int style, int width, COLORREF colour) {
    if (sim::FaultPoint("CreatePen")) return nullptr;
    sim::GdiObject pen{sim::GdiKind::Pen};
    pen.style = style;
    pen.width = width;
    pen.colour = colour;
    return static_cast<HPEN>(gdi().Add(pen));
}

HBRUSH CreateSolidBrush(COLORREF colour) {
    if (sim::FaultPoint("CreateSolidBrush")) return nullptr;
    sim::GdiObject brush{sim::GdiKind::Brush};
    brush.colour = colour;
    return static_cast<HBRUSH>(gdi().Add(brush));
}

HFONT CreateFontIndirectW(const LOGFONTW* font) {
    if (sim::FaultPoint("CreateFontIndirectW")) return nullptr;
    sim::GdiObject object{sim::GdiKind::Font};
    object.font = *font;
    return static_cast<HFONT>(gdi().Add(object));
}

BOOL DeleteObject(HGDIOBJ object) {
    if (sim::FaultPoint("DeleteObject")) return FALSE;
    auto& objects = gdi().objects;
    auto it = objects.find(object);
    if (it == objects.end() || it->second.kind == sim::GdiKind::Stock) return FALSE;
    objects.erase(it);
    gdi().deletedObjects++;
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (sim::FaultPoint("SelectObject")) return nullptr;
    const sim::GdiObject* found = gdi().Find(object);
    if (!found) return nullptr;
    sim::DcSelection& s = gdi().Dc(dc);
    HGDIOBJ* slot = found->kind == sim::GdiKind::Pen      ? &s.pen
                    : found->kind == sim::GdiKind::Font   ? &s.font
                    : found->kind == sim::GdiKind::Bitmap ? &s.bitmap
                                                          : &s.brush;
    HGDIOBJ previous = *slot;
    *slot = object;
    return previous ? previous : object;  // a fresh context answers with its own default
}

HGDIOBJ GetStockObject(int index) {
    if (sim::FaultPoint("GetStockObject")) return nullptr;
    auto handle = reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x100 + index));
    if (!gdi().Find(handle)) gdi().objects[handle] = sim::GdiObject{sim::GdiKind::Stock};
    return handle;
}

COLORREF GetSysColor(int index) {
    sim::CountPoint("GetSysColor");
    auto it = gdi().systemColours.find(index);
    return it == gdi().systemColours.end() ? 0 : it->second;
}

HBRUSH GetSysColorBrush(int index) {
    if (sim::FaultPoint("GetSysColorBrush")) return nullptr;
    // One brush of the system's per colour, as Windows keeps: deleting it does nothing.
    auto handle = reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x200 + index));
    sim::SystemCallsNext();
    const COLORREF colour = GetSysColor(index);
    sim::GdiObject brush{sim::GdiKind::Stock};
    brush.colour = colour;
    gdi().objects[handle] = brush;
    return static_cast<HBRUSH>(handle);
}

int GetObjectW(HGDIOBJ object, int size, void* buffer) {
    if (sim::FaultPoint("GetObjectW")) return 0;
    const sim::GdiObject* found = gdi().Find(object);
    if (!found) return 0;
    if (found->kind == sim::GdiKind::Font && size >= static_cast<int>(sizeof(LOGFONTW))) {
        *static_cast<LOGFONTW*>(buffer) = found->font;
        return sizeof(LOGFONTW);
    }
    if (found->kind == sim::GdiKind::Bitmap && size >= static_cast<int>(sizeof(BITMAP))) {
        BITMAP bitmap{};
        bitmap.bmWidth = found->width;
        bitmap.bmHeight = found->height;
        bitmap.bmPlanes = 1;
        bitmap.bmBitsPixel = 24;
        *static_cast<BITMAP*>(buffer) = bitmap;
        return sizeof(BITMAP);
    }
    return 0;
}

int SaveDC(HDC dc) {
    if (sim::FaultPoint("SaveDC")) return 0;
    auto& stack = gdi().dcs[dc];
    if (stack.empty()) stack.push_back({});
    stack.push_back(stack.back());
    return static_cast<int>(stack.size() - 1);
}

BOOL RestoreDC(HDC dc, int saved) {
    if (sim::FaultPoint("RestoreDC")) return FALSE;
    auto& stack = gdi().dcs[dc];
    if (saved <= 0 || saved >= static_cast<int>(stack.size())) return FALSE;
    stack.resize(static_cast<std::size_t>(saved));
    return TRUE;
}

HDC CreateCompatibleDC(HDC) {
    if (sim::FaultPoint("CreateCompatibleDC")) return nullptr;
    return gdi().NewDc();
}
BOOL DeleteDC(HDC dc) {
    if (sim::FaultPoint("DeleteDC")) return FALSE;
    return gdi().dcs.erase(dc) ? TRUE : FALSE;
}

int SetBkMode(HDC dc, int mode) {
    if (sim::FaultPoint("SetBkMode")) return 0;
    int previous = gdi().Dc(dc).bkMode;
    gdi().Dc(dc).bkMode = mode;
    return previous;
}
COLORREF SetTextColor(HDC dc, COLORREF colour) {
    if (sim::FaultPoint("SetTextColor")) return COLORREF{0xFFFFFFFF};
    COLORREF previous = gdi().Dc(dc).textColour;
    gdi().Dc(dc).textColour = colour;
    return previous;
}
COLORREF SetBkColor(HDC dc, COLORREF colour) {
    if (sim::FaultPoint("SetBkColor")) return COLORREF{0xFFFFFFFF};
    COLORREF previous = gdi().Dc(dc).bkColour;
    gdi().Dc(dc).bkColour = colour;
    return previous;
}
int SetStretchBltMode(HDC dc, int mode) {
    if (sim::FaultPoint("SetStretchBltMode")) return 0;
    int previous = gdi().Dc(dc).stretchMode;
    gdi().Dc(dc).stretchMode = mode;
    return previous;
}
BOOL SetBrushOrgEx(HDC, int, int, POINT* previous) {
    if (sim::FaultPoint("SetBrushOrgEx")) return FALSE;
    if (previous) *previous = {0, 0};
    return TRUE;
}
int GetDeviceCaps(HDC, int index) {
    sim::CountPoint("GetDeviceCaps");
    return index == LOGPIXELSX ? sim::machine().windows.systemDpi : 0;
}

BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height) {
    if (sim::FaultPoint("RoundRect")) return FALSE;
    const sim::DcSelection& s = gdi().Dc(dc);
    gdi().roundRects.push_back({{left, top, right, bottom}, width, height, ColourOf(s.pen), s.brush});
    return TRUE;
}

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (sim::FaultPoint("SetRect")) return FALSE;
    *rect = {left, top, right, bottom};
    return TRUE;
}

int FillRect(HDC, const RECT* rect, HBRUSH brush) {
    if (sim::FaultPoint("FillRect")) return 0;
    gdi().fills.push_back({*rect, ColourOf(brush)});
    return 1;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    if (sim::FaultPoint("MoveToEx")) return FALSE;
    sim::DcSelection& s = gdi().Dc(dc);
    if (previous) *previous = s.position;
    s.position = {x, y};
    return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
    if (sim::FaultPoint("LineTo")) return FALSE;
    sim::DcSelection& s = gdi().Dc(dc);
    const sim::GdiObject* pen = gdi().Find(s.pen);
    gdi().lines.push_back({s.position, {x, y}, pen ? pen->colour : 0, pen ? pen->width : 1});
    s.position = {x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC dc, POINT* position) {
    if (sim::FaultPoint("GetCurrentPositionEx")) return FALSE;
    *position = gdi().Dc(dc).position;
    return TRUE;
}

BOOL DrawFocusRect(HDC, const RECT* rect) {
    if (sim::FaultPoint("DrawFocusRect")) return FALSE;
    gdi().focusRects.push_back(*rect);
    return TRUE;
}

BOOL GetTextExtentPoint32W(HDC, LPCWSTR text, int length, SIZE* size) {
    if (sim::FaultPoint("GetTextExtentPoint32W")) return FALSE;
    (void)text;
    size->cx = length * gdi().charWidth;
    size->cy = gdi().charHeight;
    return TRUE;
}

BOOL DrawStateW(HDC dc, HBRUSH, void*, LPARAM data, WPARAM dataLength, int x, int y, int width, int height,
                UINT flags) {
    if (sim::FaultPoint("DrawStateW")) return FALSE;
    auto text = reinterpret_cast<LPCWSTR>(data);
    std::u16string drawn = dataLength ? std::u16string(text, dataLength) : sim::FromPtr(text);
    gdi().texts.push_back({drawn, x, y, width, height, flags, gdi().Dc(dc).bkMode, gdi().Dc(dc).font,
                           gdi().Dc(dc).textColour});
    return TRUE;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, RECT* rect, UINT format) {
    if (sim::FaultPoint("DrawTextW")) return 0;
    const sim::DcSelection& s = gdi().Dc(dc);
    std::u16string drawn = length >= 0 ? std::u16string(text, static_cast<std::size_t>(length)) : sim::FromPtr(text);
    gdi().texts.push_back({drawn, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, format,
                           s.bkMode, s.font, s.textColour});
    return gdi().charHeight;
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, int sourceWidth,
                int sourceHeight, DWORD rop) {
    if (sim::FaultPoint("StretchBlt")) return FALSE;
    gdi().blits.push_back({{x, y, x + width, y + height},
                           {sourceX, sourceY, sourceX + sourceWidth, sourceY + sourceHeight},
                           gdi().Dc(source).bitmap,
                           rop,
                           gdi().Dc(dest).stretchMode});
    return TRUE;
}

}  // namespace win
