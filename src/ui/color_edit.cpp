#include "ui/color_edit.h"

namespace ui {

ColorEdit::ColorEdit() : m_brBack(win::CreateSolidBrush(win::RGB(255, 255, 255))) {}

ColorEdit::~ColorEdit() { win::DeleteObject(m_brBack); }

win::HBRUSH ColorEdit::OnReflectedCtlColor(win::HDC dc) {
    win::SetTextColor(dc, m_crText);
    win::SetBkColor(dc, m_crBack);
    return m_brBack;
}

}  // namespace ui
