// An edit box drawn in fixed colours, black text on white; in high contrast, the system's window
// colours.
#pragma once
#include "platform/dialog.h"

namespace ui {

class ColorEdit : public framework::Control {
public:
    ColorEdit();
    ~ColorEdit() override;

    win::HBRUSH OnReflectedCtlColor(win::HDC dc) override;

private:
    win::COLORREF m_crText = win::RGB(0, 0, 0);
    win::COLORREF m_crBack = win::RGB(255, 255, 255);
    win::HBRUSH m_brBack;
};

}  // namespace ui
