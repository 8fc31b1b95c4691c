// The simulated GDI: objects with their attributes, device contexts with their selections, and
// a record of everything drawn, so that tests can check colours, pens and positions.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "resources/resource_ids.h"

namespace sim {

enum class GdiKind { Pen, Brush, Font, Bitmap, Stock };

struct GdiObject {
    GdiKind kind;
    win::COLORREF colour = 0;
    int width = 0;  // pen width, or bitmap width
    int style = 0;
    int height = 0;  // bitmap height
    win::LOGFONTW font{};
};

struct DcSelection {
    win::HGDIOBJ pen = nullptr;
    win::HGDIOBJ brush = nullptr;
    win::HGDIOBJ font = nullptr;
    win::HGDIOBJ bitmap = nullptr;
    int bkMode = 2;
    win::COLORREF textColour = 0;
    win::COLORREF bkColour = win::RGB(255, 255, 255);
    win::POINT position{0, 0};
    int stretchMode = 1;  // BLACKONWHITE
};

struct DrawnFill {
    win::RECT rect;
    win::COLORREF colour;
};
struct DrawnLine {
    win::POINT from, to;
    win::COLORREF colour;
    int width;
};
struct DrawnRoundRect {
    win::RECT rect;
    int cornerWidth, cornerHeight;
    win::COLORREF penColour;
    win::HGDIOBJ brush;
};
struct DrawnText {
    std::u16string text;
    int x, y, width, height;
    win::UINT flags;  // DrawStateW's, or DrawTextW's format
    int bkMode;
    win::HGDIOBJ font = nullptr;
    win::COLORREF colour = 0;
};
struct DrawnBlit {
    win::RECT dest;
    win::RECT source;
    win::HGDIOBJ bitmap;
    win::DWORD rop;
    int stretchMode = 1;
};
struct DrawnIcon {
    int x, y;
    win::HICON icon;
};

struct GdiState {
    std::map<win::HGDIOBJ, GdiObject> objects;  // live objects; deleted ones are erased
    std::map<win::HDC, std::vector<DcSelection>> dcs;  // back() is current; earlier ones were saved
    std::uintptr_t nextHandle = 0x5000;
    int deletedObjects = 0;

    std::map<win::UINT, std::pair<int, int>> bitmapResources{{IDB_BANNER, {529, 66}}};  // id -> size
    std::vector<win::UINT> iconResources{IDI_APP};
    int charWidth = 7, charHeight = 13;  // text measure of every font
    int edge = 2;                        // SM_CXEDGE and SM_CYEDGE
    int iconSize = 32;
    win::HBRUSH dialogBackground = nullptr;  // what dialogs answer WM_CTLCOLORDLG with
    // GetSysColor; an index not listed answers black.
    std::map<int, win::COLORREF> systemColours{{win::COLOR_WINDOW, win::RGB(255, 255, 255)},
                                               {win::COLOR_WINDOWTEXT, win::RGB(0, 0, 0)},
                                               {win::COLOR_HIGHLIGHT, win::RGB(0, 120, 215)},
                                               {win::COLOR_HIGHLIGHTTEXT, win::RGB(255, 255, 255)},
                                               {win::COLOR_BTNFACE, win::RGB(240, 240, 240)},
                                               {win::COLOR_BTNTEXT, win::RGB(0, 0, 0)},
                                               {win::COLOR_HOTLIGHT, win::RGB(0, 102, 204)}};

    std::vector<DrawnFill> fills;
    std::vector<DrawnLine> lines;
    std::vector<DrawnRoundRect> roundRects;
    std::vector<DrawnText> texts;
    std::vector<win::RECT> focusRects;
    std::vector<DrawnBlit> blits;
    std::vector<DrawnIcon> icons;

    win::HGDIOBJ Add(GdiObject object);
    win::HDC NewDc();
    DcSelection& Dc(win::HDC dc);  // the current selection, created on first use
    const GdiObject* Find(win::HGDIOBJ object) const;
    int Live(GdiKind kind) const;  // objects of a kind not yet deleted
};

}  // namespace sim
