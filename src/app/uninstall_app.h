// The application object: start-up, environment checks, relaunch and self-deletion, and the
// link to the product's installer. The whole program runs inside InitInstance.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "app/exit_codes.h"
#include "app/installed_image.h"
#include "app/run_log.h"
#include "engine/uninstall_host.h"
#include "i18n/string_catalog.h"
#include "platform/scoped.h"
#include "platform/types.h"

namespace app {

class UninstallApp final : public engine::UninstallHost {
public:
    UninstallApp() = default;
    UninstallApp(const UninstallApp&) = delete;
    UninstallApp& operator=(const UninstallApp&) = delete;

    // Everything after the program name on the command line, given before InitInstance, which
    // reads its switches.
    void SetCommandLine(std::u16string arguments) { m_lpCmdLine = std::move(arguments); }
    bool InitInstance();  // always false: the process ends when it returns
    // The outcome (exit_codes.h), in every mode, the installer's included; a temporary copy
    // marks a run whose removal ran (kCopyRanRemoval), which its installed copy reads and takes off.
    win::DWORD ExitCode() const { return m_exitCode | (m_bDeletingNow && m_removalRan ? kCopyRanRemoval : 0); }

    // True when this process has handed the work to a copy in the temporary directory (or
    // tried to) and must end; false when it is that copy, or no copy can exist, or, for the
    // installer, when this file has made way into the machine's temporary directory, and goes on.
    bool RelaunchFromTempCopy();
    // Hands the deletion of this executable to the command interpreter, and then of each of
    // `directories` (removed only when empty); true when it started. The shell is told of the
    // deletion unless `tellShell` is false.
    bool DeleteSelf(const std::vector<std::u16string>& directories = {}, bool tellShell = true);

    // engine::UninstallHost. The application has no window: its boxes belong to nobody, and
    // without the wizard there is no progress bar to move.
    bool IsSilent() const override { return m_bSilent || m_bQuiet; }
    bool IsUnattended() const override { return m_bQuiet; }
    void ReportToInstaller(int code) override;
    std::u16string GetMessageText(unsigned id) override;
    const engine::InstallLocation& Location() const override { return m_location; }
    void SetProgress(int) override {}
    engine::RemovalContext& Context() override { return m_context; }
    bool ShowMessage(engine::BoxOwner owner, engine::BoxKind kind, const std::u16string& text,
                     const std::u16string& caption) override;
    void Note(const std::u16string& line) override;
    std::u16string DetailsPlace() override;

private:
    bool CheckEnvironment();
    // The same as DeleteSelf for the file at `path` (this executable moved aside), once this
    // process has ended. The interpreter's process goes to `keep` when one is given.
    bool DeleteAfterEnd(const std::u16string& path, const std::vector<std::u16string>& directories, bool tellShell,
                        win::ScopedHandle* keep = nullptr);
    bool ConnectToInstaller();
    // Ends the run with `code`, saying so in the log.
    bool EndWith(win::DWORD code);
    void LogStart();
    static std::u16string DefaultLogPath();
    bool IsSecondInstance();
    void RemoveVirtualStoreCopy();
    void ReadLanguageAndLoadCatalog();
    void ShowWarning(unsigned messageId);
    void RemoveInstallDirectories();
    // After the run: says in the log which of the install directory and those created for it
    // are still there and empty; true when one is.
    bool NoteDirectoriesLeft();
    // Notes why the removal runs from the install directory; false, so that it does.
    bool RunInPlace(const std::u16string& reason);
    // Whether `module` is the product's own uninstaller, in the recorded install directory.
    bool IsInstalledCopy(const std::u16string& module) const;
    // For the installer: the installed executable makes way before the removal (see
    // installed_image.h).
    void StepAsideForInstaller();
    // The installed copy's end, from the outcome: put back under its name when the removal did not
    // run; moved aside and deleted after this process when the product has gone (with the
    // install directory and those created for it); kept while the product stays.
    void FinishInstalledCopy();
    // The install directory and those created for it, innermost first.
    std::vector<std::u16string> InstallDirectories() const;
    // Removes each of them that is empty, through judged handles.
    void RemoveEmptyInstallDirectories();
    void ScheduleInstalledCopyAtRestart(const std::u16string& module);
    void DropInstallerLink();

    // Everything after the program name on the command line.
    std::u16string m_lpCmdLine;
    // The command line's switches, read by InitInstance.
    bool m_bSilent = false;      // "UninstForInst": run for the installer, report through its pipe
    bool m_bDeletingNow = false; // "DeletingNow": this is the temporary copy
    bool m_bQuiet = false;       // "/quiet" or "/S": no window ever, the outcome as exit code
    win::DWORD m_exitCode = kExitFailed;
    // The removal sequence ran (in this process, or in the temporary copy it waited for).
    bool m_removalRan = false;
    RunLog m_log;
    // The installer's process: the one that started the installed copy. Only its own instance
    // of the pipe hears the codes. 0 when it is not known.
    win::DWORD m_installerProcessId = 0;
    win::HANDLE m_hPipe = nullptr;
    win::HANDLE m_hPipeEvent = nullptr;  // signals the end of each write to the pipe
    // The write end of the pipe the self-deletion waits on; closed by the system as this
    // process ends, never before.
    win::HANDLE m_hEndedSignal = nullptr;
    // Where the product lives, read and judged once at start-up; m_strInstallDir is its usable
    // install directory (with its backslash, or empty).
    engine::InstallLocation m_location;
    const std::u16string& m_strInstallDir = m_location.directory;
    // The installed copy: whether its temporary copy ran, and what it ended with.
    bool m_copyStarted = false;
    // What the environment check found of this process's rights, for the log's start line.
    enum class Rights { NotChecked, Administrator, NotAdministrator } m_rights = Rights::NotChecked;
    win::DWORD m_copyExitCode = kExitFailed;
    win::WORD m_wLangId = 0;
    i18n::StringCatalog m_catalog;
    InstalledImage m_image;
    // The interpreter that deletes the moved file after this process, started early for the
    // installer (m_interpreterWaits); ended unrun when the file comes back.
    win::ScopedHandle m_interpreter;
    bool m_interpreterWaits = false;
    bool m_stepAsideFailed = false;
    bool m_finished = false;
    engine::RemovalContext m_context;
};

struct Switches {
    bool silent = false;
    bool deletingNow = false;
    win::DWORD installerProcessId = 0;  // "-InstallerPid=N", which the installed copy hands on
    bool quiet = false;                 // "/quiet" or "/S": no window ever, the outcome as exit code
    std::u16string logPath;             // "/log FILE"
};
// The switch through which the installed copy tells its temporary copy who the installer is.
inline constexpr char16_t kInstallerSwitch[] = u"-InstallerPid=";
// The switches are looked for anywhere in the command line, letter case counting: the temporary
// copy gets them right after its quoted path, with nothing between them.
Switches ParseSwitches(const std::u16string& arguments);

// The user's temporary directory (`temp`, a full path) as an elevated run may write in it:
// opened as itself, it lies where its path says (no junction or link at it or above it), and is
// neither a drive root nor the Windows directory, a program's folder or anything inside them.
bool IsUsableTemporaryDirectory(const std::u16string& temp);

// The process that started this one, or 0 when it cannot be told.
win::DWORD ParentProcessId();

// Narrows the library search of this process to the system directory. The first thing the
// program does, before any library can be loaded by name.
void RestrictDllSearchToSystemDirectory();

// Everything after the program name of a process command line, without the blanks between.
// Newer C run-times take "path"-DeletingNow for one long program name; this takes the quoted
// part alone, as the switches of the temporary copy need.
std::u16string ArgumentsAfterProgramName(const char16_t* commandLine);

// The language number written as decimal text: leading blanks, an optional sign, digits up to
// the first other character (none gives 0); the low 16 bits.
win::WORD ParseLanguageId(const std::u16string& text);

}  // namespace app
