// The removal itself: the install records, the preparation step, the ordered sequence of removal
// steps with their progress points and report codes. The wizard dialog derives from it and lends
// it a window; in silent mode it runs without one.
#pragma once
#include <string>

#include "engine/install_record.h"
#include "engine/uninstall_host.h"
#include "platform/types.h"

namespace engine {

class Uninstaller {
public:
    explicit Uninstaller(UninstallHost& host) : m_host(host) {}
    virtual ~Uninstaller() = default;
    Uninstaller(const Uninstaller&) = delete;
    Uninstaller& operator=(const Uninstaller&) = delete;

    bool PrepareUninstall();
    void LoadProductRecords();
    bool CheckProductNotInUse();
    void RunUninstall();

    // The removal steps, in the order RunUninstall calls them.
    void RemoveQuickLaunchShortcut();
    void RemoveStartMenuFolder();
    void RemoveAddOns();
    void RemovePrinter();
    void RemoveProgramFiles();
    bool IsProductPdfHandler();
    void RemoveFileAssociations();
    void RemoveProductRegistry();

    // Install records, each ending in one backslash, in the form Windows opens them; the install
    // path is empty when the registry names no directory that may safely be removed from.
    std::u16string m_strInstallPath;
    std::u16string m_strExistPath;
    InstallRecordState m_installRecord = InstallRecordState::Missing;
    // The progress bar; null while the dialog has no window.
    win::HWND m_hProgress = nullptr;

protected:
    // The window that owns the completion box; null without a window.
    virtual win::HWND WizardWindow() const { return nullptr; }
    // Ends the wizard's modal run; nothing to end without a window.
    virtual void EndWizard(int /*result*/) {}

    bool HasInstallPath() const { return !m_strInstallPath.empty(); }
    void ReportUnusableInstallRecord();
    void RemoveCreatedParents();
    void SetProgress(int position);
    UninstallHost& m_host;
};

// The first step needs no object.
void RemoveDesktopShortcuts();

}  // namespace engine
