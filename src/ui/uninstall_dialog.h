// The wizard: the one window of the program. It shows the banner, the status line, the progress
// bar and the maker's web link, and half a second after it is set up runs the removal, which
// ends it. It offers the user nothing to decide: Enter, Escape and the close box do nothing.
#pragma once
#include "engine/uninstaller.h"
#include "platform/dialog.h"
#include "ui/banner_static.h"
#include "ui/color_edit.h"
#include "ui/flat_button.h"
#include "ui/link_label.h"

namespace ui {

// Dialog template and control ids of the resources.
enum : win::UINT {
    kWizardTemplate = 102,
    kAppIcon = 128,
    kBannerBitmap = 129,
    kBannerControl = 1900,
    kStatusControl = 1901,
    kProgressControl = 1902,
    kLogControl = 1903,
    kSeparatorControl = 1904,
    kLinkControl = 1905,
    kFinishButton = 1906,
};
constexpr win::UINT_PTR kStartTimer = 135;
constexpr win::UINT kStartDelayMs = 500;

class UninstallDialog : public engine::Uninstaller, public framework::Dialog {
public:
    explicit UninstallDialog(engine::UninstallHost& host) : Uninstaller(host), Dialog(kWizardTemplate) {}

    // Runs the wizard modally; IDOK once the removal has run to its end.
    int DoModal();

    const LinkLabel& Link() const { return m_link; }

protected:
    win::HWND WizardWindow() const override { return m_hWnd; }
    void EndWizard(int result) override { EndDialog(result); }

    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(win::UINT id, win::UINT code) override;
    void OnTimer(win::UINT_PTR id) override;
    bool OnPaint() override;
    win::HICON OnQueryDragIcon() override { return m_hIcon; }

private:
    FlatButton m_btnFinish;
    win::HICON m_hIcon = nullptr;
    BannerStatic m_banner;
    LinkLabel m_link;
    win::HWND m_status = nullptr;
    ColorEdit m_log;
    bool m_bRemovalRun = false;
};

}  // namespace ui
