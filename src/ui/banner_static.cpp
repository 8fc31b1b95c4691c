#include "ui/banner_static.h"

#include "platform/resources.h"
#include "platform/scoped.h"
#include "platform/system.h"
#include "ui/high_contrast.h"
#include "ui/wizard_layout.h"

namespace ui {

BannerStatic::~BannerStatic() {
    if (m_bitmap) win::DeleteObject(m_bitmap);
    if (m_titleFont) win::DeleteObject(m_titleFont);
}

bool BannerStatic::SetBitmapId(win::UINT id) {
    m_nBitmapId = id;
    if (m_bitmap) win::DeleteObject(m_bitmap);
    m_bitmap = win::LoadBitmapW(win::GetModuleHandleW(nullptr), win::MAKEINTRESOURCEW(id & 0xFFFF));
    return m_bitmap != nullptr;
}

void BannerStatic::SetTitle(const std::u16string& title) {
    m_title = title;
    if (m_hWnd) win::InvalidateRect(m_hWnd, nullptr, win::FALSE);
}

void BannerStatic::SetDpi(int dpi) {
    m_dpi = dpi;
    win::LOGFONTW description{};
    auto font = reinterpret_cast<win::HGDIOBJ>(m_hWnd ? win::SendMessageW(m_hWnd, win::WM_GETFONT, 0, 0) : 0);
    if (!font || win::GetObjectW(font, sizeof description, &description) != static_cast<int>(sizeof description)) {
        description = win::LOGFONTW{};
        const std::u16string face = u"Tahoma";
        face.copy(description.lfFaceName, face.size());
    }
    description.lfHeight = WizardLayoutAt(dpi).bannerTitleHeight;
    description.lfWidth = 0;
    description.lfWeight = win::FW_BOLD;
    description.lfUnderline = 0;
    if (m_titleFont) win::DeleteObject(m_titleFont);
    m_titleFont = win::CreateFontIndirectW(&description);
    if (m_hWnd) win::InvalidateRect(m_hWnd, nullptr, win::FALSE);
}

bool BannerStatic::OnMessage(win::UINT message, win::WPARAM, win::LPARAM, win::LRESULT& result) {
    if (message != win::WM_PAINT) return false;
    Paint();
    result = 0;
    return true;
}

void BannerStatic::Paint() {
    win::PAINTSTRUCT paint{};
    win::HDC dc = win::BeginPaint(m_hWnd, &paint);
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    if (dc) {
        if (IsHighContrastOn()) {
            win::FillRect(dc, &client, win::GetSysColorBrush(win::COLOR_WINDOW));
            DrawTitle(dc, client, win::GetSysColor(win::COLOR_WINDOWTEXT));
        } else {
            DrawPicture(dc, client);
            DrawTitle(dc, client, win::RGB(255, 255, 255));
        }
    }
    win::EndPaint(m_hWnd, &paint);
}

void BannerStatic::DrawPicture(win::HDC dc, const win::RECT& client) {
    win::BITMAP size{};
    if (!m_bitmap || !win::GetObjectW(m_bitmap, sizeof size, &size)) return;
    const win::ScopedMemoryDc memory(win::CreateCompatibleDC(dc));
    if (!memory) return;
    const win::ScopedSelection picture(memory.get(), m_bitmap);
    const int width = client.right - client.left, height = client.bottom - client.top;
    // Enlarged, the system's plain stretch repeats pixels in blocks; halftone averages them. At
    // 96 DPI the picture loses four columns, which the plain stretch drops unseen.
    if (width > size.bmWidth || height > size.bmHeight) {
        win::SetStretchBltMode(dc, win::HALFTONE);
        win::SetBrushOrgEx(dc, 0, 0, nullptr);
    }
    win::StretchBlt(dc, 0, 0, width, height, memory.get(), 0, 0, size.bmWidth, size.bmHeight, win::SRCCOPY);
}

void BannerStatic::DrawTitle(win::HDC dc, const win::RECT& client, win::COLORREF colour) {
    if (m_title.empty()) return;
    // A mirrored banner draws from the right; its text reads from the right too.
    const bool rightToLeft = (win::GetWindowLongPtrW(m_hWnd, win::GWL_EXSTYLE) & win::WS_EX_RTLREADING) != 0;
    const WizardLayout layout = WizardLayoutAt(m_dpi);
    win::RECT text{layout.bannerTitleLeft, client.top, client.right - layout.status.x, client.bottom};
    const win::ScopedSelection font(dc, m_titleFont);
    const int previousMode = win::SetBkMode(dc, win::TRANSPARENT);
    const win::COLORREF previousColour = win::SetTextColor(dc, colour);
    win::DrawTextW(dc, m_title.c_str(), static_cast<int>(m_title.size()), &text,
                   win::DT_LEFT | win::DT_VCENTER | win::DT_SINGLELINE | win::DT_NOPREFIX | win::DT_END_ELLIPSIS |
                       (rightToLeft ? win::DT_RTLREADING : 0));
    win::SetTextColor(dc, previousColour);
    win::SetBkMode(dc, previousMode);
}

}  // namespace ui
