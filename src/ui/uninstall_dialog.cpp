#include "ui/uninstall_dialog.h"

#include "engine/product.h"
#include "platform/resources.h"
#include "platform/scoped.h"
#include "platform/system.h"
#include "ui/message_box.h"
#include "ui/reading_direction.h"
#include "ui/wizard_layout.h"

namespace ui {

namespace {

void Place(win::HWND control, const Placement& place) {
    win::SetWindowPos(control, nullptr, place.x, place.y, place.width, place.height, 0);
}

// The template's size in dialog units follows the font's measure, the layout is in pixels: the
// window is fitted to the layout, so the banner spans it whatever the font.
void FitClientArea(win::HWND window, int width, int height) {
    win::RECT outer{}, client{};
    if (!win::GetWindowRect(window, &outer) || !win::GetClientRect(window, &client)) return;
    const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
    const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    win::SetWindowPos(window, nullptr, 0, 0, width + frameWidth, height + frameHeight,
                      win::SWP_NOMOVE | win::SWP_NOZORDER);
}

// Mirrored, a window lays out its children and draws from the right; `reading` also makes its
// text read from the right.
void MirrorWindow(win::HWND window, bool reading) {
    if (!window) return;
    const win::LONG_PTR style = win::GetWindowLongPtrW(window, win::GWL_EXSTYLE);
    win::SetWindowLongPtrW(window, win::GWL_EXSTYLE,
                           style | win::WS_EX_LAYOUTRTL | (reading ? win::WS_EX_RTLREADING : 0));
}

// The width of the link's text in its own font; 0 when it cannot be measured.
int LinkTextWidth(win::HWND link, const std::u16string& text) {
    win::HDC dc = win::GetDC(link);
    if (!dc) return 0;
    win::SIZE size{};
    {
        const win::ScopedSelection font(dc, reinterpret_cast<win::HGDIOBJ>(win::SendMessageW(link, win::WM_GETFONT, 0, 0)));
        win::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    win::ReleaseDC(link, dc);
    return size.cx;
}

}  // namespace

UninstallDialog::~UninstallDialog() {
    if (m_font) win::DeleteObject(m_font);
}

int UninstallDialog::DoModal() {
    const win::INT_PTR result = Dialog::DoModal();
    m_hProgress = nullptr;  // the bar went with the window
    return static_cast<int>(result);
}

void UninstallDialog::SetProgress(int position) {
    if (m_hProgress) win::SendMessageW(m_hProgress, win::PBM_SETPOS, static_cast<win::WPARAM>(position), 0);
}

bool UninstallDialog::ShowMessage(engine::BoxOwner owner, engine::BoxKind kind, const std::u16string& text,
                                  const std::u16string& caption) {
    // Without the wizard's window the box is the application's, which knows whether it may
    // show one at all.
    if (owner != engine::BoxOwner::Wizard || !m_hWnd) return m_application.ShowMessage(owner, kind, text, caption);
    m_application.Note(u"message: " + text);
    return ShowBox(m_hWnd, kind, text, caption);
}

void UninstallDialog::DoDataExchange() { DDX_Control(kFinishButton, m_btnFinish); }

bool UninstallDialog::OnInitDialog() {
    Dialog::OnInitDialog();

    m_hIcon = win::LoadIconW(win::GetModuleHandleW(nullptr), win::MAKEINTRESOURCEW(kAppIcon));
    win::SendMessageW(m_hWnd, win::WM_SETICON, win::ICON_BIG, reinterpret_cast<win::LPARAM>(m_hIcon));
    win::SendMessageW(m_hWnd, win::WM_SETICON, win::ICON_SMALL, reinterpret_cast<win::LPARAM>(m_hIcon));
    const std::u16string caption = m_application.GetMessageText(engine::product::kMsgCaption);
    win::SetWindowTextW(m_hWnd, caption.c_str());

    m_banner.SubclassDlgItem(kBannerControl, *this);
    m_banner.SetBitmapId(kBannerBitmap);
    m_banner.SetTitle(caption);

    m_status = GetDlgItem(kStatusControl);
    win::SetWindowTextW(m_status, m_application.GetMessageText(engine::product::kMsgPleaseWait).c_str());

    m_hProgress = GetDlgItem(kProgressControl);
    win::SendMessageW(m_hProgress, win::PBM_SETRANGE, 0, win::MAKELONG(0, 100));

    m_log.SubclassDlgItem(kLogControl, *this);
    win::SetWindowTextW(m_log.GetSafeHwnd(), u"");

    m_link.SubclassDlgItem(kLinkControl, *this);
    m_link.m_strLink = m_application.GetMessageText(engine::product::kMsgWebAddress);
    win::SetWindowTextW(m_link.GetSafeHwnd(), m_link.m_strLink.c_str());
    m_link.SetTooltipText(m_application.GetMessageText(engine::product::kMsgWebUrl));

    // The caption is the first text a person reads, and decides the direction of them all.
    m_bRightToLeft = IsRightToLeftText(caption);
    if (m_bRightToLeft) Mirror();
    // The template's font was made for the window's DPI already.
    const int dpi = WindowDpi(m_hWnd);
    m_banner.SetDpi(dpi);
    Layout(dpi);

    // The hidden finish button is the template's default button, so Enter would click it and
    // end the wizard as finished before anything was removed; it stays disabled until then.
    win::EnableWindow(m_btnFinish.GetSafeHwnd(), win::FALSE);

    // Without its timer the removal would never start, and the wizard, which offers nothing to
    // close it with, would wait for ever: the removal then runs at once.
    if (!win::SetTimer(m_hWnd, kStartTimer, kStartDelayMs, nullptr)) OnTimer(kStartTimer);
    // The focus starts on the progress bar, which a screen reader announces with the status line
    // and its position; the link is a Tab away. Were it first, an Enter given out of habit would
    // open the web address.
    win::SetFocus(m_hProgress);
    return false;
}

void UninstallDialog::Mirror() {
    MirrorWindow(m_hWnd, true);
    MirrorWindow(m_banner.GetSafeHwnd(), true);
    MirrorWindow(m_status, true);
    MirrorWindow(m_hProgress, false);
    MirrorWindow(m_log.GetSafeHwnd(), true);
    MirrorWindow(m_link.GetSafeHwnd(), true);
    MirrorWindow(m_btnFinish.GetSafeHwnd(), true);
}

void UninstallDialog::Layout(int dpi) {
    WizardLayout layout = WizardLayoutAt(dpi);
    // A font does not grow exactly with the display's scale; a link text that outgrew its place
    // would be cut at both ends, so the place grows with it, with a little room on each side, as
    // far as the window allows.
    if (const int textWidth = LinkTextWidth(m_link.GetSafeHwnd(), m_link.m_strLink); textWidth > layout.link.width) {
        const int wanted = textWidth + 2 * ScaleForDpi(2, dpi), widest = layout.clientWidth - 2 * layout.link.x;
        layout.link.width = wanted < widest ? wanted : widest;
    }
    Place(m_banner.GetSafeHwnd(), layout.banner);
    Place(m_status, layout.status);
    Place(m_hProgress, layout.progress);
    Place(m_log.GetSafeHwnd(), layout.log);
    Place(GetDlgItem(kSeparatorControl), layout.separator);
    Place(m_link.GetSafeHwnd(), layout.link);
    m_link.FitTooltip(dpi);
    FitClientArea(m_hWnd, layout.clientWidth, layout.clientHeight);
}

bool UninstallDialog::OnDpiChanged(win::UINT dpi, const win::RECT* suggested) {
    if (suggested)
        win::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                          suggested->bottom - suggested->top, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    const int newDpi = dpi ? static_cast<int>(dpi) : WindowDpi(m_hWnd);
    SetFonts(newDpi);
    m_banner.SetDpi(newDpi);
    Layout(newDpi);
    win::InvalidateRect(m_hWnd, nullptr, win::TRUE);
    return true;
}

void UninstallDialog::SetFonts(int dpi) {
    auto current = reinterpret_cast<win::HGDIOBJ>(win::SendMessageW(m_status, win::WM_GETFONT, 0, 0));
    win::LOGFONTW description{};
    if (!current || win::GetObjectW(current, sizeof description, &description) != static_cast<int>(sizeof description))
        return;
    description.lfHeight = WizardLayoutAt(dpi).fontHeight;
    description.lfWidth = 0;
    description.lfUnderline = 0;
    win::HFONT font = win::CreateFontIndirectW(&description);
    if (!font) return;
    const auto wParam = reinterpret_cast<win::WPARAM>(font);
    for (win::HWND control : {m_banner.GetSafeHwnd(), m_status, m_log.GetSafeHwnd(), m_link.GetSafeHwnd(),
                              m_btnFinish.GetSafeHwnd()})
        if (control) win::SendMessageW(control, win::WM_SETFONT, wParam, win::TRUE);
    m_link.UnderlineFont();
    // The controls hold the new font now; the one made at the last change can go.
    if (m_font) win::DeleteObject(m_font);
    m_font = font;
}

void UninstallDialog::OnTimer(win::UINT_PTR id) {
    if (id != kStartTimer) return;
    // Killed first: message boxes shown during the removal keep the window serviced, and a
    // second tick must not start the removal again.
    win::KillTimer(m_hWnd, kStartTimer);
    if (m_bRemovalRun) return;
    m_bRemovalRun = true;
    RunUninstall();
    EndDialog(win::IDOK);
    win::EnableWindow(m_btnFinish.GetSafeHwnd(), win::TRUE);
}

bool UninstallDialog::OnCommand(win::UINT id, win::UINT code) {
    if (id != kFinishButton || code != win::BN_CLICKED) return false;
    if (m_bRemovalRun) EndDialog(win::IDOK);
    return true;
}

bool UninstallDialog::OnPaint() {
    if (!win::IsIconic(m_hWnd)) return false;
    win::PAINTSTRUCT paint{};
    win::HDC dc = win::BeginPaint(m_hWnd, &paint);
    win::SendMessageW(m_hWnd, win::WM_ICONERASEBKGND, reinterpret_cast<win::WPARAM>(dc), 0);
    const int iconWidth = win::GetSystemMetrics(win::SM_CXICON);
    const int iconHeight = win::GetSystemMetrics(win::SM_CYICON);
    win::RECT client{};
    win::GetClientRect(m_hWnd, &client);
    const int x = (client.right - client.left - iconWidth + 1) / 2;
    const int y = (client.bottom - client.top - iconHeight + 1) / 2;
    win::DrawIcon(dc, x, y, m_hIcon);
    win::EndPaint(m_hWnd, &paint);
    return true;
}

}  // namespace ui
