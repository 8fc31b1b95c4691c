#include "ui/color_edit.h"

#include "ui/high_contrast.h"

namespace ui {

ColorEdit::ColorEdit() : m_brBack(win::CreateSolidBrush(win::RGB(255, 255, 255))) {}

ColorEdit::~ColorEdit() { win::DeleteObject(m_brBack); }

win::HBRUSH ColorEdit::OnReflectedCtlColor(win::HDC dc) {
    if (IsHighContrastOn()) {
        win::SetTextColor(dc, win::GetSysColor(win::COLOR_WINDOWTEXT));
        win::SetBkColor(dc, win::GetSysColor(win::COLOR_WINDOW));
        return win::GetSysColorBrush(win::COLOR_WINDOW);
    }
    win::SetTextColor(dc, m_crText);
    win::SetBkColor(dc, m_crBack);
    return m_brBack;
}

}  // namespace ui
