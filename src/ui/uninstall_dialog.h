// The wizard: the one window of the program. It shows the banner, the status line, the progress
// bar and the maker's web link, and half a second after it is set up runs the removal and ends.
// It offers the user nothing to decide: Enter, Escape and the close box do nothing; Tab reaches
// the link, which Enter then opens. It is the frame of the removal: the removal's positions go to
// its bar and its boxes belong to it, while the mode, the texts and the installer link are the
// application's, which it passes on.
//
// Its layout is given in pixels at 96 DPI and scaled to the window's DPI, again when the window
// moves to a display of another DPI. In a language that reads from right to left the wizard is
// mirrored, and its texts read from the right.
#pragma once
#include "engine/uninstall_host.h"
#include "engine/uninstaller.h"
#include "platform/dialog.h"
#include "resources/resource_ids.h"
#include "ui/banner_static.h"
#include "ui/color_edit.h"
#include "ui/flat_button.h"
#include "ui/link_label.h"

namespace ui {

// Dialog template and control ids of the resources.
enum : win::UINT {
    kWizardTemplate = IDD_WIZARD,
    kAppIcon = IDI_APP,
    kBannerBitmap = IDB_BANNER,
    kBannerControl = IDC_BANNER,
    kStatusControl = IDC_STATUS,
    kProgressControl = IDC_PROGRESS,
    kLogControl = IDC_LOG,
    kSeparatorControl = IDC_SEPARATOR,
    kLinkControl = IDC_LINK,
    kFinishButton = IDC_FINISH,
};
constexpr win::UINT_PTR kStartTimer = 135;
constexpr win::UINT kStartDelayMs = 500;

class UninstallDialog final : public framework::Dialog, public engine::UninstallHost {
public:
    explicit UninstallDialog(engine::UninstallHost& application)
        : Dialog(kWizardTemplate), m_application(application), m_uninstaller(*this, application.Location()) {}
    ~UninstallDialog() override;

    bool PrepareUninstall() { return m_uninstaller.PrepareUninstall(); }
    // The removal without the wizard: the silent run.
    void RunUninstall() { m_uninstaller.RunUninstall(); }
    // Runs the wizard modally; IDOK once the removal has run to its end.
    int DoModal();

    const LinkLabel& Link() const { return m_link; }
    bool IsMirrored() const { return m_bRightToLeft; }

    // engine::UninstallHost
    bool IsSilent() const override { return m_application.IsSilent(); }
    bool IsUnattended() const override { return m_application.IsUnattended(); }
    void ReportToInstaller(int code) override { m_application.ReportToInstaller(code); }
    std::u16string GetMessageText(unsigned id) override { return m_application.GetMessageText(id); }
    const engine::InstallLocation& Location() const override { return m_application.Location(); }
    void SetProgress(int position) override;
    bool ShowMessage(engine::BoxOwner owner, engine::BoxKind kind, const std::u16string& text,
                     const std::u16string& caption) override;
    void Note(const std::u16string& line) override { m_application.Note(line); }
    engine::RemovalContext& Context() override { return m_application.Context(); }

    std::u16string DetailsPlace() override { return m_application.DetailsPlace(); }

    // After the removal: what it found still there, and whether a restart is needed.
    const engine::Uninstaller& Removal() const { return m_uninstaller; }

protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    bool OnCommand(win::UINT id, win::UINT code) override;
    void OnTimer(win::UINT_PTR id) override;
    bool OnPaint() override;
    win::HICON OnQueryDragIcon() override { return m_hIcon; }
    bool OnDpiChanged(win::UINT dpi, const win::RECT* suggested) override;

private:
    void Mirror();
    // Places every control and fits the window for `dpi`.
    void Layout(int dpi);
    // Gives the controls the template's font made anew for `dpi`.
    void SetFonts(int dpi);

    engine::UninstallHost& m_application;
    engine::Uninstaller m_uninstaller;
    win::HWND m_hProgress = nullptr;  // null while the dialog has no window
    FlatButton m_btnFinish;
    win::HICON m_hIcon = nullptr;
    BannerStatic m_banner;
    LinkLabel m_link;
    win::HWND m_status = nullptr;
    ColorEdit m_log;
    bool m_bRemovalRun = false;
    bool m_bRightToLeft = false;
    win::HFONT m_font = nullptr;  // the controls' font after a change of DPI; the template's before

};

}  // namespace ui
