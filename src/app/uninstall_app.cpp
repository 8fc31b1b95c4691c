#include "app/uninstall_app.h"

#include "core/number_text.h"
#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/install_record.h"
#include "engine/product.h"
#include "engine/removal_report.h"
#include "engine/registry/read_registry_string.h"
#include "engine/system_checks.h"
#include "engine/uninstaller.h"
#include "i18n/string_catalog.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/window.h"
#include "ui/message_box.h"
#include "ui/uninstall_dialog.h"

namespace app {

namespace product = engine::product;
using core::NumberText;

bool UninstallApp::InitInstance() {
    RestrictDllSearchToSystemDirectory();
    const Switches switches = ParseSwitches(m_lpCmdLine);
    m_bSilent = switches.silent;
    m_bDeletingNow = switches.deletingNow;
    m_bQuiet = switches.quiet && !m_bSilent;
    // The installed copy was started by the installer; the temporary copy is told who that was.
    if (m_bSilent) m_installerProcessId = m_bDeletingNow ? switches.installerProcessId : ParentProcessId();
    // A log named relative to the caller's current directory is placed there, before this
    // process leaves it.
    m_log.SetPath(!switches.logPath.empty() ? switches.logPath : m_bQuiet ? DefaultLogPath() : u"");
    // Started from a window of the install directory, this process would hold it as its current
    // directory while the removal takes it away: it works from the system directory instead.
    char16_t system[win::MAX_PATH] = {};
    if (win::GetSystemDirectoryW(system, win::MAX_PATH)) win::SetCurrentDirectoryW(system);
    // Every removal of this run is told to the log from here on; the log keeps it until it
    // begins, which the installed copy that hands the run over never lets it do.
    m_context = engine::RemovalContext(*this);

    // The copy runs while its installed copy holds the mutex for it, and goes on.
    if (IsSecondInstance() && !m_bDeletingNow) return EndWith(kExitTryLater);

    RemoveVirtualStoreCopy();
    // Where the product lives is read once, here: the texts, the relaunch, the removal and the
    // installed copy's end all work with this one judgement.
    m_location = engine::ReadInstallLocation();
    ReadLanguageAndLoadCatalog();

    if (!CheckEnvironment()) return EndWith(kExitFailed);
    // For the installer, this file has made way by now, whoever runs the removal.
    if (RelaunchFromTempCopy()) return EndWith(m_copyExitCode);
    LogStart();

    if (m_bQuiet) {
        if (!engine::Uninstaller::IsAnythingInstalled(m_location)) return EndWith(kExitNotInstalled);
    } else if (m_bSilent) {
        if (!ConnectToInstaller()) return EndWith(kExitFailed);
    } else {
        const std::u16string text = GetMessageText(product::kMsgConfirmUninstall);
        const std::u16string caption = GetMessageText(product::kMsgCaption);
        // Declined: the installed copy deletes this temporary copy once it has ended, and a run
        // in place keeps the product's uninstaller with the product.
        if (!ui::AskToUninstall(text, caption)) return EndWith(kExitDeclined);
    }

    ui::UninstallDialog dialog(*this);
    if (!dialog.PrepareUninstall()) {
        ReportToInstaller(-1);
        // The record names no directory of the product's, or the product is running.
        const bool unusable = m_location.state == engine::InstallRecordState::Unusable;
        return EndWith(unusable ? kExitFailed : kExitTryLater);
    }
    if (IsSilent()) {
        dialog.RunUninstall();
    } else {
        // The wizard's progress bar and the link's tooltip are common controls; a silent run
        // shows no window and never loads them.
        constexpr win::DWORD kClasses = win::ICC_STANDARD_CLASSES | win::ICC_PROGRESS_CLASS | win::ICC_BAR_CLASSES;
        const win::INITCOMMONCONTROLSEX controls{sizeof(win::INITCOMMONCONTROLSEX), kClasses};
        win::InitCommonControlsEx(&controls);
        // Closed before the removal began: declined. A wizard that could not be made declined
        // nothing: the run failed.
        const win::INT_PTR result = dialog.DoModal();
        if (result != win::IDOK) return EndWith(result == win::IDCANCEL ? kExitDeclined : kExitFailed);
    }
    m_removalRan = true;
    const engine::Uninstaller& removal = dialog.Removal();
    RemoveInstallDirectories();
    // Looked at while the installer still waits: once its pipe has closed, a directory there may
    // be the one it has just made for the new version.
    const bool directoriesLeft = NoteDirectoriesLeft();
    // The installer waits for its pipe to close; from then on every name in the install
    // directory is its own. The installed uninstaller made way before the removal began.
    DropInstallerLink();
    // The shell's rereading of every file type (a process of its own under Wine) is nothing the
    // installer waits for.
    removal.TellShellOfChangedFileTypes();
    const engine::RemovalOutcome outcome = removal.Outcome();
    return EndWith(!outcome.left.empty() || directoriesLeft ? kExitFailed
                   : outcome.restartNeeded                  ? kExitRestartNeeded
                                                            : kExitRemoved);
}

// The install directory and those created for it go last, after the sequence has looked at what
// it left: one still there and empty is a directory the removal could not remove. One that holds
// the installed uninstaller goes with it, after this process.
bool UninstallApp::NoteDirectoriesLeft() {
    bool left = false;
    std::vector<engine::files::ListedEntry> entries;
    for (const std::u16string& directory : InstallDirectories()) {
        if (!engine::files::ListDirectory(directory, entries) || !entries.empty()) continue;
        Note(u"left: directory " + directory);
        left = true;
    }
    return left;
}

std::u16string UninstallApp::DetailsPlace() {
    if (!m_log.IsWanted()) m_log.SetPath(DefaultLogPath());
    LogStart();
    return m_log.WrittenPath();
}

bool UninstallApp::EndWith(win::DWORD code) {
    m_exitCode = code;
    // The installed copy's own file follows the outcome (it may change it: a file held for the
    // next restart).
    FinishInstalledCopy();
    // Once a temporary copy has run, the log is the copy's: the installed copy adds to it only
    // what its own end changed (its file left for the restart), with the outcome that follows.
    if (!m_copyStarted) {
        Note(u"outcome: " + NumberText(m_exitCode) + u" (" + OutcomeText(m_exitCode) + u")");
        LogStart();
    } else if (m_exitCode != m_copyExitCode || m_log.LinesAfterHandOver() > 0) {
        Note(u"outcome: " + NumberText(m_exitCode) + u" (" + OutcomeText(m_exitCode) + u")");
    }
    m_log.Close();
    return false;
}

void UninstallApp::LogStart() {
    if (!m_log.IsWanted() || m_log.HasBegun()) return;
    win::OSVERSIONINFOEXW version{};
    const bool known = engine::QueryWindowsVersion(version);
    m_log.Begin(u"start: Orvik Pendrel Uninstall 1.0.0.0, " +
         std::u16string(m_bQuiet ? u"quiet" : m_bSilent ? u"silent, for the installer" : u"interactive") +
         u", Windows " +
         (known ? NumberText(version.dwMajorVersion) + u"." + NumberText(version.dwMinorVersion) + u"." +
                      NumberText(version.dwBuildNumber)
                : std::u16string(u"unknown")) +
         (m_rights == Rights::Administrator      ? u", administrator"
          : m_rights == Rights::NotAdministrator ? u", not an administrator"
                                                 : u", rights not checked") +
         u", command line: " + m_lpCmdLine);
}

bool UninstallApp::IsSecondInstance() {
    win::HANDLE mutex = win::CreateMutexW(nullptr, win::TRUE, product::kMutexName);
    if (!mutex || win::GetLastError() != win::ERROR_ALREADY_EXISTS) return false;
    // The copy's own installed copy holds it: no window to bring forward, and none looked for
    // (that would load the window libraries for nothing).
    if (m_bDeletingNow) return true;
    // The catalogue is not loaded yet: the wizard is found by its built-in English caption.
    const std::u16string caption = i18n::BuiltInText(product::kMsgCaption);
    if (win::HWND wizard = win::FindWindowW(nullptr, caption.c_str())) win::BringWindowToTop(wizard);
    win::ReleaseMutex(mutex);
    return true;
}

void UninstallApp::RemoveVirtualStoreCopy() {
    char16_t temp[win::MAX_PATH] = {};
    win::DWORD length = win::GetTempPathW(win::MAX_PATH, temp);
    // "...\AppData\Local\Temp\" less "Temp\" is the per-user local application-data directory.
    if (length == 0 || length >= win::MAX_PATH || length <= 5) return;
    std::u16string localAppData(temp, length - 5);
    if (!engine::files::EndsWithBackslash(localAppData) || engine::files::IsDriveRootOrEmpty(localAppData)) return;
    const char16_t* programFiles = engine::IsRunningUnderWow64() ? u"VirtualStore\\Program Files (x86)\\Orvik Software\\Orvik Pendrel"
                                                          : u"VirtualStore\\Program Files\\Orvik Software\\Orvik Pendrel";
    engine::files::RemoveProductDirectory(m_context, localAppData + programFiles);
}

void UninstallApp::ReadLanguageAndLoadCatalog() {
    m_wLangId = ParseLanguageId(
        engine::registry::ReadRegistryString(win::HKEY_CURRENT_USER, product::kLanguageKey, product::kLanguageValue));
    // The texts of an elevated program come only from the product's own directory, judged as the
    // removal judges it: without one, a relative path would be read from the current directory
    // (for the temporary copy the user's temporary directory, which any process can write).
    m_catalog.LoadCatalog(m_wLangId, m_strInstallDir);
}

std::u16string UninstallApp::GetMessageText(unsigned id) { return m_catalog.GetString(id); }

void UninstallApp::Note(const std::u16string& line) {
    // The installed uninstaller runs while the steps try it: it goes after the removal, as the
    // run's end decides, and its line says so rather than that it failed.
    const std::u16string held = u"not removed: file " + m_strInstallDir + product::kUninstallerName + u" (";
    if (!m_strInstallDir.empty() && line.size() > held.size() &&
        engine::files::EqualNoCaseAscii(line.substr(0, held.size()), held)) {
        m_log.Line(u"deferred: file " + line.substr(18, held.size() - 20) +
                    u" (the running uninstaller: it goes once the run has ended and nothing of the product is left)");
        return;
    }
    m_log.Line(line);
}

std::u16string UninstallApp::DefaultLogPath() {
    char16_t buffer[win::MAX_PATH] = {};
    std::u16string directory = engine::files::FittedPath(buffer, win::GetTempPathW(win::MAX_PATH, buffer));
    // A temporary directory the user has made a link, or named after a folder of the system's
    // or of a program's, gets no file of ours: the log goes to the machine's temporary directory.
    if (directory.empty() || !IsUsableTemporaryDirectory(directory)) directory = MachineTemporaryDirectory();
    return directory.empty() ? directory : engine::files::WithTrailingBackslash(directory) + u"Orvik Pendrel Uninstall.log";
}

bool UninstallApp::ShowMessage(engine::BoxOwner, engine::BoxKind kind, const std::u16string& text,
                               const std::u16string& caption) {
    // Quiet: no window ever; a question counts as answered Cancel.
    Note(std::u16string(m_bQuiet ? u"message (not shown): " : u"message: ") + text);
    if (m_bQuiet) return false;
    return ui::ShowBox(nullptr, kind, text, caption);
}

void UninstallApp::ShowWarning(unsigned messageId) {
    const std::u16string text = GetMessageText(messageId);
    const std::u16string caption = GetMessageText(product::kMsgCaption);
    ShowMessage(engine::BoxOwner::None, engine::BoxKind::Warning, text, caption);
}

bool UninstallApp::CheckEnvironment() {
    win::OSVERSIONINFOEXW version;
    if (!engine::QueryWindowsVersion(version)) {
        ShowWarning(product::kMsgNoVersionInfo);
        return false;
    }
    if (version.dwMajorVersion < 5) {
        ShowWarning(product::kMsgWindowsTooOld);
        return false;
    }
    const bool administrator = engine::CanWriteMachineSoftwareKey();
    m_rights = administrator ? Rights::Administrator : Rights::NotAdministrator;
    if (!administrator) {
        ShowWarning(product::kMsgNeedAdministrator);
        return false;
    }
    return true;
}

void UninstallApp::RemoveInstallDirectories() {
    // For the installer the directories created for it go too (the install directory first),
    // while it still waits: the installed uninstaller made way for it before the removal began.
    // Elsewhere the installed copy takes them once it has made way itself.
    if (m_bSilent) RemoveEmptyInstallDirectories();
    else if (!m_strInstallDir.empty())
        engine::files::RemoveProductDirectory(m_context, engine::files::WithoutTrailingBackslash(m_strInstallDir));
}

win::WORD ParseLanguageId(const std::u16string& text) {
    // The value is read as at most 19 characters, as the product's 20-byte buffer held.
    std::size_t i = 0;
    const std::size_t end = text.size() < 19 ? text.size() : 19;
    while (i < end && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r' ||
                       text[i] == u'\v' || text[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    std::uint64_t value = 0;
    for (; i < end && text[i] >= u'0' && text[i] <= u'9'; ++i) value = value * 10 + (text[i] - u'0');
    if (negative) value = 0 - value;
    return static_cast<win::WORD>(value & 0xFFFF);
}

}  // namespace app
