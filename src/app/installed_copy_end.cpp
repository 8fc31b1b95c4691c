// The installed uninstaller's own end: it makes way for the product's installer, goes with the
// product and only with it, and hands its own deletion, and its directories', to the command
// interpreter, which waits for this process to end.
#include <string>
#include <vector>

#include "app/processes.h"
#include "app/uninstall_app.h"
#include "engine/files/directory_handle.h"
#include "engine/files/directory_tree.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace app {

namespace {

using engine::files::DirectoryOf;
using engine::files::FittedPath;

// How long an interpreter ended unrun is waited for before its wake-up is given.
constexpr win::DWORD kInterpreterEnding = 5000;

std::u16string ShortPath(const std::u16string& path) {
    char16_t buffer[win::MAX_PATH] = {};
    return FittedPath(buffer, win::GetShortPathNameW(path.c_str(), buffer, win::MAX_PATH));
}

// The command line that deletes `path` once this process has ended, and then each of
// `directories` that is empty. The interpreter may start before this process has gone, and a
// running image cannot be deleted, so it first reads a line from its input: the read end of a
// pipe whose other end only this process holds, which the system closes when this process
// ends. The image is unmapped a moment after the handles are closed: a deletion that still
// finds the file is tried twice more.
std::u16string SelfDeletionCommand(const std::u16string& interpreter, const std::u16string& path,
                                   const std::vector<std::u16string>& directories) {
    const std::u16string quoted = u"\"" + path + u"\"";
    const std::u16string remove = u"del " + quoted + u" > nul 2>&1";
    // An "if" takes the rest of the line as its command: each retry is closed in parentheses,
    // so that what follows runs whatever the retry found.
    const std::u16string retry = u" & (if exist " + quoted + u" " + remove + u")";
    std::u16string command = u"\"" + interpreter + u"\" /d /v:off /c set /p ended= & " + remove + retry + retry;
    for (const std::u16string& directory : directories) command += u" & rd \"" + directory + u"\" > nul 2>&1";
    return command;
}

// The interpreter expands %NAME% even inside quotes, so such a path could come out naming
// another file; a copy left in the temporary directory is the lesser harm.
bool IsSafeToHandToInterpreter(const std::u16string& path) {
    return !path.empty() && path.find_first_of(u"%\"") == std::u16string::npos;
}

}  // namespace

bool UninstallApp::IsInstalledCopy(const std::u16string& module) const {
    // An uninstaller started from anywhere but the install directory is somebody's copy of it:
    // it and its directory are not the product's.
    // Both where they really lie: a drive letter standing for another path names one place twice.
    using engine::files::ResolvedDirectory;
    using engine::files::WithoutTrailingBackslash;
    return !m_strInstallDir.empty() && !module.empty() &&
           IsSameDirectory(ResolvedDirectory(WithoutTrailingBackslash(DirectoryOf(module))),
                           ResolvedDirectory(WithoutTrailingBackslash(m_strInstallDir)));
}

void UninstallApp::StepAsideForInstaller() {
    const std::u16string module = ModulePath();
    if (!IsInstalledCopy(module) || m_image.StepAside(module)) return;
    // Told at the end, when the removal ran: a line now would not reach a log the copy takes.
    m_stepAsideFailed = true;
}

void UninstallApp::FinishInstalledCopy() {
    if (m_bDeletingNow || m_finished) return;
    m_finished = true;
    const std::u16string module = ModulePath();
    if (m_image.IsAside()) {
        // Nothing was removed: the uninstaller stays with the product, under its own name.
        if (!m_removalRan) {
            if (m_interpreterWaits) {
                // Ended, and only then told to go on: an interpreter that woke first would try
                // its deletion again once the name is back.
                win::TerminateProcess(m_interpreter.get(), 1);
                win::WaitForSingleObject(m_interpreter.get(), kInterpreterEnding);
                win::CloseHandle(m_hEndedSignal);
                m_hEndedSignal = nullptr;
            }
            m_interpreter.reset();
            if (!m_image.StepBack()) Note(u"left: file " + module + u" is at " + m_image.Path());
            return;
        }
    } else if (m_bSilent) {
        // Held by another process: the installer finds it in its way, and the run says so.
        if (m_removalRan && m_stepAsideFailed) {
            m_exitCode = kExitFailed;
            Note(u"left: file " + module + u" (it could not make way for the installer: " +
                 engine::WindowsErrorText(m_image.Error()) + u")");
        }
        return;
    } else {
        // The uninstaller goes only with the product, and only the product's own one.
        const bool gone = m_exitCode == kExitRemoved || m_exitCode == kExitRestartNeeded;
        if (!m_removalRan || !gone || !IsInstalledCopy(module)) return;
        if (!m_image.StepAside(module)) {
            ScheduleInstalledCopyAtRestart(module);
            return;
        }
    }
    // The install directory and those created for it, empty now but for what the user keeps
    // there; for the installer the removal took them before its last code. A directory goes
    // only when its last handle closes: the image's are given back first.
    m_image.Release();
    // For the installer nothing here names the install directory any more: its pipe has closed,
    // and every name there is its own.
    if (!m_bSilent) RemoveEmptyInstallDirectories();
    // The interpreter deletes the moved file once this process has ended; by name only in the
    // machine's temporary directory, or in the install directory where that lies on another
    // volume (the directories then follow it, except where the installer owns them).
    const std::vector<std::u16string> directories =
        m_image.InOwnDirectory() && !m_bSilent ? InstallDirectories() : std::vector<std::u16string>{};
    if (!m_interpreterWaits) DeleteAfterEnd(m_image.Path(), directories, !m_copyStarted);
    m_interpreter.reset();
}

void UninstallApp::RemoveEmptyInstallDirectories() {
    for (const std::u16string& directory : InstallDirectories())
        engine::files::RemoveProductDirectory(m_context, directory);
}

std::vector<std::u16string> UninstallApp::InstallDirectories() const {
    if (m_strInstallDir.empty()) return {};
    const std::u16string installDir = engine::files::WithoutTrailingBackslash(m_strInstallDir);
    std::vector<std::u16string> directories = engine::files::CreatedDirectories(m_strInstallDir, m_location.existPath);
    if (directories.empty() || !engine::files::EqualNoCaseAscii(directories.front(), installDir))
        directories.insert(directories.begin(), installDir);
    return directories;
}

void UninstallApp::ScheduleInstalledCopyAtRestart(const std::u16string& module) {
    // Another process holds it (a reader that does not share its deletion): it goes at the next
    // restart, by name, as the install directory is the machine's; then its directories.
    bool scheduled = win::MoveFileExW(module.c_str(), nullptr, win::MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
    Note(scheduled ? u"scheduled at restart: file " + module
                   : u"not removed: file " + module + u" (" + engine::WindowsErrorText(win::GetLastError()) + u")");
    if (scheduled)
        for (const std::u16string& directory : InstallDirectories())
            win::MoveFileExW(directory.c_str(), nullptr, win::MOVEFILE_DELAY_UNTIL_REBOOT);
    if (m_exitCode == kExitRemoved) m_exitCode = scheduled ? kExitRestartNeeded : kExitFailed;
    else if (!scheduled) m_exitCode = kExitFailed;
}

bool UninstallApp::DeleteSelf(const std::vector<std::u16string>& directories, bool tellShell) {
    return DeleteAfterEnd(ModulePath(), directories, tellShell);
}

bool UninstallApp::DeleteAfterEnd(const std::u16string& path, const std::vector<std::u16string>& directories,
                                  bool tellShell, win::ScopedHandle* keep) {
    if (path.empty()) return false;
    const std::u16string shortPath = ShortPath(path);
    if (!IsSafeToHandToInterpreter(shortPath)) return false;
    std::vector<std::u16string> emptied;
    for (const std::u16string& directory : directories)
        if (IsSafeToHandToInterpreter(directory)) emptied.push_back(directory);

    // The system's own command interpreter, never the one COMSPEC names: this process runs
    // elevated, and the variable comes from the user's environment, which any process of the
    // user can set. It works in the system directory, not in the user's temporary directory.
    const std::u16string systemDirectory = SystemDirectory();
    if (systemDirectory.empty()) return false;
    const std::u16string interpreter = systemDirectory + u"cmd.exe";

    // The pipe that tells the interpreter this process has ended: it inherits the read end as
    // its input; the write end stays here, not inheritable, till the system closes it.
    win::SECURITY_ATTRIBUTES inheritable{sizeof(win::SECURITY_ATTRIBUTES), nullptr, win::TRUE};
    win::ScopedHandle readEnd;
    win::ScopedHandle writeEnd;
    if (!win::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0) ||
        !win::SetHandleInformation(writeEnd.get(), win::HANDLE_FLAG_INHERIT, 0))
        return false;

    // Quoted: on a volume without short names the path keeps its blanks. /d: no AutoRun command
    // from the registry runs first; /v:off: a '!' in the path stays a '!'. The interpreter is
    // started without a console: it shows nothing, as a hidden window would not, and needs no
    // console host, which costs a process of its own and half the run's tail under Wine.
    const std::u16string commandLine = SelfDeletionCommand(interpreter, shortPath, emptied);
    win::ScopedHandle started;
    if (!StartProcess(interpreter.c_str(), commandLine, systemDirectory.c_str(), win::DETACHED_PROCESS, readEnd.get(),
                      &started))
        return false;
    if (keep) *keep = std::move(started);
    m_hEndedSignal = writeEnd.release();

    if (tellShell) win::SHChangeNotify(win::SHCNE_DELETE, win::SHCNF_PATHW, shortPath.c_str(), nullptr);
    return true;
}

}  // namespace app
