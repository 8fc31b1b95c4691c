// The wizard's layout in pixels: the figures a 96-DPI display shows, and the same layout at any
// other DPI. Every figure is scaled on its own (position, size, font height), so that a control's
// rectangle at a DPI is the 96-DPI one scaled, rounded to the nearest pixel with halves away from
// zero (as MulDiv rounds).
#pragma once
#include "platform/window.h"

namespace ui {

constexpr int kDefaultDpi = 96;

// `length` of the 96-DPI layout at `dpi`.
int ScaleForDpi(int length, int dpi);

struct Placement {
    int x, y, width, height;
    bool operator==(const Placement& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

struct WizardLayout {
    int clientWidth, clientHeight;
    Placement banner, status, progress, log, separator, link;
    int fontHeight;         // the dialog font's character height, as a negative LOGFONT height
    int bannerTitleHeight;  // the banner text's, likewise
    int bannerTitleLeft;    // where the banner text starts, beside the picture's emblem
    int tipWidth;           // the link tooltip's widest line
};

WizardLayout WizardLayoutAt(int dpi);

// The window's DPI: its own where the system knows one per window, else the display's, else 96.
int WindowDpi(win::HWND window);

}  // namespace ui
