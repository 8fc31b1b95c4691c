#include "ui/wizard_layout.h"

#include "platform/gdi.h"

namespace ui {

namespace {

// The template's font: Tahoma, 10 points.
constexpr int kFontPoints = 10;
constexpr int kPointsPerInch = 72;

// Halves away from zero, as MulDiv.
int Rounded(long long numerator, long long denominator) {
    return static_cast<int>(numerator >= 0 ? (numerator + denominator / 2) / denominator
                                           : -((-numerator + denominator / 2) / denominator));
}

Placement Scaled(const Placement& at96, int dpi) {
    return {ScaleForDpi(at96.x, dpi), ScaleForDpi(at96.y, dpi), ScaleForDpi(at96.width, dpi),
            ScaleForDpi(at96.height, dpi)};
}

}  // namespace

int ScaleForDpi(int length, int dpi) { return Rounded(static_cast<long long>(length) * dpi, kDefaultDpi); }

WizardLayout WizardLayoutAt(int dpi) {
    // The client area is the banner's width; the separator reaches past both sides, so that its
    // sunken edge has no visible end.
    return {ScaleForDpi(525, dpi),
            ScaleForDpi(180, dpi),
            Scaled({0, 0, 525, 66}, dpi),
            Scaled({16, 79, 491, 22}, dpi),
            Scaled({16, 103, 491, 16}, dpi),
            Scaled({16, 170, 498, 144}, dpi),
            Scaled({-1, 135, 531, 1}, dpi),
            Scaled({16, 145, 160, 24}, dpi),
            -Rounded(static_cast<long long>(kFontPoints) * dpi, kPointsPerInch),
            -ScaleForDpi(20, dpi),
            ScaleForDpi(68, dpi),
            ScaleForDpi(200, dpi)};
}

int WindowDpi(win::HWND window) {
    if (const win::UINT dpi = win::GetDpiForWindow(window)) return static_cast<int>(dpi);
    // Before per-window DPI the process is aware of the system's DPI only, the display's.
    int dpi = 0;
    if (win::HDC screen = win::GetDC(nullptr)) {
        dpi = win::GetDeviceCaps(screen, win::LOGPIXELSX);
        win::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace ui
