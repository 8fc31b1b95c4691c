// A static text that works as a web link: underlined, drawn in the link colour and in red while
// the mouse rests on it, with a hand cursor and a tooltip; a click opens the address. It is a tab
// stop: Enter opens the address too, and the focus shows as the system's focus rectangle. In
// high contrast it takes the system's link and highlight colours.
#pragma once
#include <string>

#include "platform/dialog.h"

namespace ui {

class LinkLabel : public framework::Control {
public:
    LinkLabel() = default;
    ~LinkLabel() override;

    void PreSubclassWindow() override;
    win::BOOL DestroyWindow() override;
    void SetTooltipText(const std::u16string& text);
    // Makes the underlined copy of the control's font; again whenever that font has changed.
    void UnderlineFont();
    // The tooltip's tool follows the control's client area, its width the window's DPI.
    void FitTooltip(int dpi);

    bool OnReflectedCommand(win::UINT code) override;
    win::HBRUSH OnReflectedCtlColor(win::HDC dc) override;
    bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) override;

    bool IsHovering() const { return m_bHover; }
    win::HCURSOR HandCursor() const { return m_hHandCursor; }
    win::HWND Tooltip() const { return m_tooltip; }

    // What a click opens.
    std::u16string m_strLink;

private:
    void LoadHandCursor();
    void CreateTooltip();
    void Open();
    void Paint(win::WPARAM wParam, win::LPARAM lParam);
    void CheckMouseStillInside();
    bool EraseBackground(win::HDC dc);

    bool m_bHover = false;
    win::HCURSOR m_hHandCursor = nullptr;
    bool m_bHandCursorIsCopy = false;
    win::HWND m_tooltip = nullptr;
    win::HFONT m_fontUnderline = nullptr;
};

// Text colour of the link.
win::COLORREF LinkTextColour(bool hover, bool highContrast);

}  // namespace ui
