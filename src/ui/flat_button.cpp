#include "ui/flat_button.h"

#include "platform/scoped.h"
#include "ui/high_contrast.h"

namespace ui {

namespace {

constexpr int kFaceSteps = 64;
constexpr int kTextCapacity = 260;

win::HPEN FramePen(int width, win::COLORREF colour) { return win::CreatePen(win::PS_INSIDEFRAME, width, colour); }

}  // namespace

win::COLORREF FaceColour(int step, bool hover, bool highlighted) {
    // Hovering keeps the face lighter; a highlighted face loses its blue tint towards the bottom.
    const int redGreen = hover ? step / 4 : step / 3;
    const int blue = highlighted ? (hover ? step / 3 : step / 4) : step / 5;
    const auto rg = static_cast<win::BYTE>(255 - redGreen);
    return win::RGB(rg, rg, static_cast<win::BYTE>(255 - blue));
}

FlatButton::FlatButton()
    : m_penOutline(win::CreatePen(win::PS_INSIDEFRAME, 1, win::RGB(0, 0, 0))),
      m_penHover{FramePen(3, win::RGB(250, 196, 88)), FramePen(3, win::RGB(251, 202, 106)),
                 FramePen(2, win::RGB(252, 210, 121)), FramePen(2, win::RGB(229, 151, 0))},
      m_penFocus{FramePen(3, win::RGB(153, 198, 252)), FramePen(3, win::RGB(162, 189, 252)),
                 FramePen(2, win::RGB(162, 201, 255)), FramePen(2, win::RGB(162, 201, 255))},
      m_brHover(win::CreateSolidBrush(win::RGB(223, 222, 236))),
      m_brNormal(win::CreateSolidBrush(win::RGB(222, 223, 236))) {}

FlatButton::~FlatButton() {
    win::DeleteObject(m_penOutline);
    for (win::HPEN pen : m_penHover) win::DeleteObject(pen);
    for (win::HPEN pen : m_penFocus) win::DeleteObject(pen);
    win::DeleteObject(m_brHover);
    win::DeleteObject(m_brNormal);
}

void FlatButton::PreSubclassWindow() {
    const win::LONG_PTR style = win::GetWindowLongPtrW(m_hWnd, win::GWL_STYLE);
    win::SetWindowLongPtrW(m_hWnd, win::GWL_STYLE, (style & ~static_cast<win::LONG_PTR>(win::BS_TYPEMASK)) | win::BS_OWNERDRAW);
}

bool FlatButton::OnReflectedDrawItem(const win::DRAWITEMSTRUCT& item) {
    DrawItem(item);
    return true;
}

void FlatButton::DrawItem(const win::DRAWITEMSTRUCT& item) {
    if (IsHighContrastOn()) {
        DrawInSystemColours(item);
        return;
    }
    win::RECT rect = item.rcItem;
    win::HDC dc = item.hDC;
    const int saved = win::SaveDC(dc);

    {
        const win::ScopedSelection outline(dc, m_penOutline);
        win::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 5, 5);
    }

    m_bFocused = m_bHighlighted = (item.itemState & win::ODS_FOCUS) != 0;
    if (item.itemState & (win::ODS_SELECTED | win::ODS_DEFAULT)) m_bHighlighted = true;
    const bool pressed = (item.itemState & win::ODS_SELECTED) != 0;

    const int edgeX = win::GetSystemMetrics(win::SM_CXEDGE), edgeY = win::GetSystemMetrics(win::SM_CYEDGE);
    win::RECT inner{rect.left + edgeX, rect.top + edgeY, rect.right - edgeX, rect.bottom - edgeY};

    {
        const win::ScopedSelection face(dc, m_bHover ? m_brHover : m_brNormal);
        DrawFace(dc, inner);
        if (m_bHover || m_bFocused) DrawFrame(dc, inner);
    }
    DrawLabel(item, inner, pressed);
    win::RestoreDC(dc, saved);
}

void FlatButton::DrawLabel(const win::DRAWITEMSTRUCT& item, const win::RECT& inner, bool pressed) {
    win::HDC dc = item.hDC;
    char16_t text[kTextCapacity] = {};
    const int length = m_hWnd ? win::GetWindowTextW(m_hWnd, text, kTextCapacity) : 0;
    int previousMode = 0;
    {
        auto font = reinterpret_cast<win::HGDIOBJ>(m_hWnd ? win::SendMessageW(m_hWnd, win::WM_GETFONT, 0, 0) : 0);
        const win::ScopedSelection textFont(dc, font);
        win::SIZE size{};
        win::GetTextExtentPoint32W(dc, text, length, &size);
        int x = (inner.left + inner.right) / 2 - size.cx / 2;
        int y = (inner.top + inner.bottom) / 2 - size.cy / 2;
        if (pressed) ++x, ++y;
        previousMode = win::SetBkMode(dc, win::TRANSPARENT);
        const win::UINT flags = win::DST_TEXT | ((item.itemState & win::ODS_DISABLED) ? win::DSS_DISABLED : 0);
        win::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<win::LPARAM>(text), 0, x, y, size.cx, size.cy, flags);
    }
    win::SetBkMode(dc, previousMode);
}

void FlatButton::DrawInSystemColours(const win::DRAWITEMSTRUCT& item) {
    win::HDC dc = item.hDC;
    const int saved = win::SaveDC(dc);
    const bool pressed = (item.itemState & win::ODS_SELECTED) != 0;
    const bool highlighted = m_bHover || pressed;
    const win::RECT& rect = item.rcItem;
    {
        const win::ScopedSelection face(dc, win::GetSysColorBrush(highlighted ? win::COLOR_HIGHLIGHT : win::COLOR_BTNFACE));
        const win::HPEN outline = win::CreatePen(win::PS_INSIDEFRAME, 1, win::GetSysColor(win::COLOR_BTNTEXT));
        {
            const win::ScopedSelection pen(dc, outline);
            win::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 5, 5);
        }
        if (outline) win::DeleteObject(outline);
    }
    const int edgeX = win::GetSystemMetrics(win::SM_CXEDGE), edgeY = win::GetSystemMetrics(win::SM_CYEDGE);
    const win::RECT inner{rect.left + edgeX, rect.top + edgeY, rect.right - edgeX, rect.bottom - edgeY};
    win::SetTextColor(dc, win::GetSysColor(highlighted ? win::COLOR_HIGHLIGHTTEXT : win::COLOR_BTNTEXT));
    DrawLabel(item, inner, pressed);
    if (item.itemState & win::ODS_FOCUS) win::DrawFocusRect(dc, &inner);
    win::RestoreDC(dc, saved);
}

void FlatButton::DrawFace(win::HDC dc, const win::RECT& rect) {
    const int height = rect.bottom - rect.top;
    // The step of a row is scaled by the height: a face without height has no rows to shade.
    if (height <= 0) return;
    win::HBRUSH brushes[kFaceSteps];
    for (int i = 0; i < kFaceSteps; ++i) brushes[i] = win::CreateSolidBrush(FaceColour(i, m_bHover, m_bHighlighted));
    for (int y = rect.top; y <= rect.bottom; ++y) {
        win::RECT row;
        win::SetRect(&row, rect.left, y, rect.right, y + 1);
        win::FillRect(dc, &row, brushes[(y - rect.top) * (kFaceSteps - 1) / height]);
    }
    for (win::HBRUSH brush : brushes) win::DeleteObject(brush);
}

void FlatButton::DrawFrame(win::HDC dc, const win::RECT& rect) {
    const bool focusOnly = m_bFocused && !m_bHover;
    const win::HPEN* pens = focusOnly ? m_penFocus : m_penHover;
    win::POINT previous{};
    win::GetCurrentPositionEx(dc, &previous);
    {
        win::ScopedSelection pen(dc, pens[0]);
        win::MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
        win::LineTo(dc, rect.left, rect.top + 1);
        pen.Select(pens[1]);
        win::MoveToEx(dc, rect.right - 1, rect.bottom - 1, nullptr);
        win::LineTo(dc, rect.right - 1, rect.top);
        pen.Select(pens[2]);
        win::MoveToEx(dc, rect.left - 1, rect.top, nullptr);
        win::LineTo(dc, rect.right - 1, rect.top);
        pen.Select(pens[3]);
        win::MoveToEx(dc, rect.left, rect.bottom, nullptr);
        win::LineTo(dc, rect.right - 1, rect.bottom);
    }
    win::MoveToEx(dc, previous.x, previous.y, nullptr);
    if (focusOnly) win::DrawFocusRect(dc, &rect);
}

bool FlatButton::OnMessage(win::UINT message, win::WPARAM, win::LPARAM, win::LRESULT& result) {
    switch (message) {
    case win::WM_MOUSEMOVE:
        if (!m_bTracking) {
            win::TRACKMOUSEEVENT track{sizeof(win::TRACKMOUSEEVENT), win::TME_HOVER | win::TME_LEAVE, m_hWnd, 1};
            m_bTracking = win::TrackMouseEvent(&track) != win::FALSE;
        }
        return false;
    case win::WM_MOUSEHOVER:
        m_bHover = true;
        win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
        result = 0;
        return true;
    case win::WM_MOUSELEAVE:
        m_bHover = false;
        m_bTracking = false;
        win::InvalidateRect(m_hWnd, nullptr, win::FALSE);
        result = 0;
        return true;
    default:
        return false;
    }
}

}  // namespace ui
