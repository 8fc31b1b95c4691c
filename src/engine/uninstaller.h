// The removal itself: the install records, the preparation step, and the ordered sequence of
// removal steps with their progress points and report codes. Each step's work is done by the
// workers of its subject (files, add-ons, printer, registry); what the sequence shows goes
// through the host, so that the same sequence runs in the wizard and silently.
#pragma once
#include <string>
#include <vector>

#include "engine/install_record.h"
#include "engine/uninstall_host.h"
#include "platform/types.h"

namespace engine {

// What a run of the removal did and found, for whoever runs it: the application's exit code and
// the shell's news come from it, and tests read it instead of the removal's inner state.
struct RemovalOutcome {
    // After RunUninstall: what of the product is still there, one line each (see ItemsLeft), and
    // whether a file goes at the next restart.
    std::vector<std::u16string> left;
    bool restartNeeded = false;
    bool printerIncomplete = false;  // the printer step could not finish (or could not look)
    bool portLeft = false;
    // The browser plug-in's uninstaller that a quiet run stopped waiting for; empty when none.
    std::u16string pluginLeftRunning;
    std::vector<std::u16string> printerFilesLeft;
    bool associationsChanged = false;  // the association step removed at least one value or key
    bool fileTypesChanged = false;     // the records step found the shell is to be told
    // No record names the install directory while the product's records are there.
    bool programFilesUnknown = false;
};

class Uninstaller {
public:
    // The removal of the product at `location`, which start-up read and judged; it outlives
    // the removal.
    Uninstaller(UninstallHost& host, const InstallLocation& location)
        : m_strInstallPath(location.directory), m_strExistPath(location.existPath), m_location(location), m_host(host) {}
    explicit Uninstaller(UninstallHost& host) : Uninstaller(host, host.Location()) {}
    Uninstaller(const Uninstaller&) = delete;
    Uninstaller& operator=(const Uninstaller&) = delete;

    bool PrepareUninstall();
    void LoadProductRecords();
    bool CheckProductNotInUse();
    void RunUninstall();

    // The removal steps, in the order RunUninstall calls them.
    void RemoveDesktopShortcuts();
    void RemoveQuickLaunchShortcut();
    void RemoveStartMenuFolder();
    void RemoveAddOns();
    void RemovePrinter();
    void RemoveProgramFiles();
    void RemoveFileAssociations();
    void RemoveProductRegistry();
    // After the run: tells the shell that file types changed, when the last two steps changed one.
    // Nothing the installer does once it has its last code needs it, so the run's end calls it
    // after the installer's pipe has closed.
    void TellShellOfChangedFileTypes() const;

    // After RunUninstall: what of the product is still there, one line each ("file PATH",
    // "key HKLM\PATH", "printer driver"), looked at anew rather than taken from the steps'
    // hopes. The executable this process runs from, or the installed copy waiting for it, is
    // no leftover: it goes once the processes have ended.
    std::vector<std::u16string> ItemsLeft() const;
    // What the steps run so far did and found; the items left and the restart once RunUninstall
    // has ended.
    RemovalOutcome Outcome() const;
    // Whether the product has left anything to remove at all: its records, its executable.
    static bool IsAnythingInstalled(const InstallLocation& location);

private:
    bool HasInstallPath() const { return !m_strInstallPath.empty(); }
    void ReportUnusableInstallRecord();

    // Views of the install location: the install and existing paths, each ending in one
    // backslash, in the form Windows opens them; the install path is empty when the registry
    // names no directory that may safely be removed from.
    const std::u16string& m_strInstallPath;
    const std::u16string& m_strExistPath;
    const InstallLocation& m_location;
    UninstallHost& m_host;
    bool m_bPrinterIncomplete = false;
    bool m_bPortLeft = false;
    std::u16string m_strPluginLeftRunning;
    std::vector<std::u16string> m_printerFilesLeft;
    std::vector<std::u16string> m_left;
    bool m_bAssociationsChanged = false;
    bool m_bFileTypesChanged = false;
    bool m_bRestartNeeded = false;
    bool m_bProgramFilesUnknown = false;
};

}  // namespace engine
