// The banner across the top of the wizard: a bitmap resource stretched over the control, with the
// wizard's title drawn over it in a bold copy of the dialog's font, sized for the display. The
// picture is drawn smoothed when it is enlarged; in high contrast it is left out and the title is
// drawn in the system's window colours.
#pragma once
#include <string>

#include "platform/dialog.h"

namespace ui {

class BannerStatic : public framework::Control {
public:
    BannerStatic() = default;
    ~BannerStatic() override;

    // Loads bitmap resource `id` (low 16 bits) in place of the one held; false when it is missing.
    bool SetBitmapId(win::UINT id);
    void SetTitle(const std::u16string& title);
    // Makes the title's font for the window's DPI from the control's own font.
    void SetDpi(int dpi);
    bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) override;

private:
    void Paint();
    void DrawPicture(win::HDC dc, const win::RECT& client);
    void DrawTitle(win::HDC dc, const win::RECT& client, win::COLORREF colour);

    win::HBITMAP m_bitmap = nullptr;
    win::UINT m_nBitmapId = 0;
    std::u16string m_title;
    win::HFONT m_titleFont = nullptr;
    int m_dpi = 96;
};

}  // namespace ui
