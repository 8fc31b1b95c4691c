// A push button drawn by the program: a rounded black outline, a face shaded from white at the
// top, an orange frame while the mouse rests on it and a blue frame with the focus rectangle
// while it has the focus. In high contrast it is drawn in the system's button colours, in the
// highlight colours while the mouse rests on it or it is pressed, with the focus rectangle
// whenever it has the focus.
#pragma once
#include "platform/dialog.h"

namespace ui {

class FlatButton : public framework::Control {
public:
    FlatButton();
    ~FlatButton() override;

    void PreSubclassWindow() override;
    virtual void DrawItem(const win::DRAWITEMSTRUCT& item);
    // The shaded face, drawn row by row over the rectangle.
    virtual void DrawFace(win::HDC dc, const win::RECT& rect);
    // The hover or focus frame just inside the rectangle.
    virtual void DrawFrame(win::HDC dc, const win::RECT& rect);

    bool OnReflectedDrawItem(const win::DRAWITEMSTRUCT& item) override;
    bool OnMessage(win::UINT message, win::WPARAM wParam, win::LPARAM lParam, win::LRESULT& result) override;

    bool IsHovering() const { return m_bHover; }

private:
    void DrawInSystemColours(const win::DRAWITEMSTRUCT& item);
    void DrawLabel(const win::DRAWITEMSTRUCT& item, const win::RECT& inner, bool pressed);

    win::HPEN m_penOutline;
    win::HPEN m_penHover[4];
    win::HPEN m_penFocus[4];
    win::HBRUSH m_brHover;
    win::HBRUSH m_brNormal;
    bool m_bHover = false;
    bool m_bTracking = false;
    bool m_bFocused = false;
    bool m_bHighlighted = false;
};

// Colour of step 0 (top) to 63 (bottom) of the face gradient.
win::COLORREF FaceColour(int step, bool hover, bool highlighted);

}  // namespace ui
