#include "ui/uninstall_dialog.h"

#include "engine/product.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "ui/message_box.h"

namespace ui {

namespace {

// The client area the run-time layout fills: the banner's width, and the link with a margin.
constexpr int kClientWidth = 525;
constexpr int kClientHeight = 180;

void Place(win::HWND control, int x, int y, int width, int height) {
    win::SetWindowPos(control, nullptr, x, y, width, height, 0);
}

// The template's size in dialog units follows the font's measure, the layout is in pixels: the
// window is fitted to the layout, so the banner spans it whatever the font.
void FitClientArea(win::HWND window) {
    win::RECT outer{}, client{};
    if (!win::GetWindowRect(window, &outer) || !win::GetClientRect(window, &client)) return;
    const int frameWidth = (outer.right - outer.left) - (client.right - client.left);
    const int frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
    win::SetWindowPos(window, nullptr, 0, 0, kClientWidth + frameWidth, kClientHeight + frameHeight,
                      win::SWP_NOMOVE | win::SWP_NOZORDER);
}

}  // namespace

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
    win::SetWindowTextW(m_hWnd, m_application.GetMessageText(engine::product::kMsgCaption).c_str());

    m_banner.SubclassDlgItem(kBannerControl, *this);
    m_banner.SetBitmapId(kBannerBitmap);
    Place(m_banner.GetSafeHwnd(), 0, 0, 525, 66);

    m_status = GetDlgItem(kStatusControl);
    win::SetWindowTextW(m_status, m_application.GetMessageText(engine::product::kMsgPleaseWait).c_str());
    Place(m_status, 16, 79, 491, 22);

    m_hProgress = GetDlgItem(kProgressControl);
    Place(m_hProgress, 16, 103, 491, 16);
    win::SendMessageW(m_hProgress, win::PBM_SETRANGE, 0, win::MAKELONG(0, 100));

    m_log.SubclassDlgItem(kLogControl, *this);
    win::SetWindowTextW(m_log.GetSafeHwnd(), u"");
    Place(m_log.GetSafeHwnd(), 16, 170, 498, 144);

    Place(GetDlgItem(kSeparatorControl), -1, 135, 531, 1);

    m_link.SubclassDlgItem(kLinkControl, *this);
    m_link.m_strLink = m_application.GetMessageText(engine::product::kMsgWebAddress);
    win::SetWindowTextW(m_link.GetSafeHwnd(), m_link.m_strLink.c_str());
    m_link.SetTooltipText(m_application.GetMessageText(engine::product::kMsgWebUrl));
    Place(m_link.GetSafeHwnd(), 16, 145, 160, 24);
    FitClientArea(m_hWnd);

    // The hidden finish button is the template's default button, so Enter would click it and
    // end the wizard as finished before anything was removed; it stays disabled until then.
    win::EnableWindow(m_btnFinish.GetSafeHwnd(), win::FALSE);

    // Without its timer the removal would never start, and the wizard, which offers nothing to
    // close it with, would wait for ever: the removal then runs at once.
    if (!win::SetTimer(m_hWnd, kStartTimer, kStartDelayMs, nullptr)) OnTimer(kStartTimer);
    return true;
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
