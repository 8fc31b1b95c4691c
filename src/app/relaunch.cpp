// The removal never runs from the installed executable: the installed copy copies itself into
// the user's temporary directory, starts that copy, which does the work, waits for it to end and
// deletes it through the handle it has held on it since it was checked. Once the removal has
// run, the installed copy hands its own deletion, and its directory's, to the command
// interpreter.
#include <cstdio>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "engine/files/directory_handle.h"
#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "engine/files/shortcuts.h"
#include "engine/product.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace app {

namespace {

using engine::files::DirectoryOf;
using engine::files::FittedPath;

// Room that the copy's name "\\orvXXXX.exe" needs after the directory, and its terminator.
constexpr win::DWORD kTempNameRoom = 13;

std::u16string TempDirectory() {
    char16_t buffer[win::MAX_PATH] = {};
    return FittedPath(buffer, win::GetTempPathW(win::MAX_PATH, buffer));
}

std::u16string ModulePath() {
    char16_t buffer[win::MAX_PATH] = {};
    return FittedPath(buffer, win::GetModuleFileNameW(nullptr, buffer, win::MAX_PATH));
}

std::u16string ShortPath(const std::u16string& path) {
    char16_t buffer[win::MAX_PATH] = {};
    return FittedPath(buffer, win::GetShortPathNameW(path.c_str(), buffer, win::MAX_PATH));
}

// One spelling per place: long component names and a trailing backslash. The temporary
// directory may be set with short names (TMP=C:\DOCUME~1\...) while the executable's path has
// long ones, or the other way round; letter case is left to the comparison.
std::u16string NormalisedDirectory(const std::u16string& directory) {
    char16_t buffer[win::MAX_PATH] = {};
    std::u16string longForm = FittedPath(buffer, win::GetLongPathNameW(directory.c_str(), buffer, win::MAX_PATH));
    if (longForm.empty()) longForm = directory;
    if (longForm.empty() || longForm.back() != u'\\') longForm += u'\\';
    return longForm;
}

bool IsSameDirectory(const std::u16string& a, const std::u16string& b) {
    const std::u16string left = NormalisedDirectory(a);
    const std::u16string right = NormalisedDirectory(b);
    return win::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                     static_cast<int>(right.size()), win::TRUE) == win::CSTR_EQUAL;
}

// Names "orvXXXX.exe" tried for the copy before the relaunch gives up: every run stopped before
// its end leaves one behind.
constexpr int kCopyNameAttempts = 16;

// A virus scanner may look at a new file for a moment: opens refused for sharing are tried
// again this often, this far apart. The ended copy's image is unmapped a moment after its
// process has ended: its deletion is tried as often.
constexpr int kSharingAttempts = 10;
constexpr int kUnmapAttempts = 200;
constexpr win::DWORD kSharingPauseMs = 50;
constexpr win::DWORD kUnmapPauseMs = 10;

// Deletes the file `name` this process made in the temporary directory `directory`, through
// judged handles: a name that another process has turned into a link meanwhile is left to it,
// and so is one it holds for longer than a scanner would.
void DeleteOwnTemporaryFile(const engine::files::OpenEntry& directory, const std::u16string& name) {
    for (int attempt = 1; !engine::files::DeleteChild(directory, name, engine::files::EntryKind::File); ++attempt) {
        const win::DWORD error = win::GetLastError();
        if (attempt == kSharingAttempts || error == engine::files::kErrorNotTheEntryNamed ||
            error == win::ERROR_FILE_NOT_FOUND)
            return;
        win::Sleep(kSharingPauseMs);
    }
}

// The copy's name for `number`: "orv" and four hexadecimal digits, as the system names its
// temporary files, with the extension a program needs. The first number comes from the clock,
// so that runs one after the other rarely try the same names.
std::u16string CopyName(unsigned number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%04X", number & 0xFFFFu);
    std::u16string name = u"orv";
    for (const char* digit = digits; *digit; ++digit) name += static_cast<char16_t>(*digit);
    return name + u".exe";
}

// A file's content. Not std::string: the run-time library's compiled part of it would add some
// thirty kilobytes to the executable.
using Bytes = std::vector<unsigned char>;

// The whole content of an open file, or false when it cannot be read whole.
bool ReadAll(win::HANDLE file, Bytes& bytes) {
    const win::DWORD size = win::GetFileSize(file, nullptr);
    if (size == win::INVALID_FILE_SIZE) return false;
    bytes.assign(size, 0);
    win::DWORD done = 0;
    while (done < size) {
        win::DWORD read = 0;
        if (!win::ReadFile(file, &bytes[done], size - done, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

bool ReadWholeFile(const std::u16string& path, Bytes& bytes) {
    const win::ScopedFile file(win::CreateFileW(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                                win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && ReadAll(file.get(), bytes);
}

// Writes the file `name`, which must not exist yet, in the directory open at `directory`: a
// name planted beforehand (a link, or a file of someone else's) is never written through, and
// `existed` says so. While it is written, others may only read it; a copy that cannot be written
// whole is deleted through the handle it was written with.
bool WriteNewFile(const engine::files::OpenEntry& directory, const std::u16string& name, const Bytes& bytes,
                  bool& existed) {
    engine::files::OpenEntry file;
    if (!file.CreateChild(directory, name, win::GENERIC_WRITE, win::FILE_SHARE_READ)) {
        const win::DWORD error = win::GetLastError();
        existed = error == win::ERROR_FILE_EXISTS || error == win::ERROR_ALREADY_EXISTS;
        return false;
    }
    existed = false;
    win::DWORD written = 0;
    const bool whole = win::WriteFile(file.get(), bytes.data(), static_cast<win::DWORD>(bytes.size()), &written, nullptr) &&
                       written == bytes.size();
    if (!whole) file.MarkForDeletion();
    return whole;
}

// Opens the copy `name` of the temporary directory open at `directory` into `held`, judged as
// the removal judges what it deletes, so that nobody can write, rename or delete it while the
// handle is held, and checks that it still holds what was written: between the writing and this
// open another process of the user could have swapped it. False, holding nothing, when it cannot
// be had in that state.
bool HoldUnchanged(const engine::files::OpenEntry& directory, const std::u16string& name, const Bytes& expected,
                   engine::files::OpenEntry& held) {
    for (int attempt = 1;; ++attempt) {
        if (held.OpenChild(directory, name, engine::files::EntryKind::File,
                           win::GENERIC_READ | win::DELETE | win::SYNCHRONIZE, win::FILE_SHARE_READ) ||
            attempt == kSharingAttempts || win::GetLastError() != win::ERROR_SHARING_VIOLATION)
            break;
        win::Sleep(kSharingPauseMs);
    }
    if (!held.get()) return false;
    Bytes content;
    if (!held.IsLink() && ReadAll(held.get(), content) && content == expected) return true;
    held.Close();
    return false;
}

// Deletes the ended copy through the handle held on it.
void DeleteHeldCopy(engine::files::OpenEntry& held) {
    for (int attempt = 1; !held.MarkForDeletion() && attempt < kUnmapAttempts; ++attempt) win::Sleep(kUnmapPauseMs);
    held.Close();
}

// The switches follow the closing quote directly: start-up looks for them as substrings. Nothing
// but this program's own words follows the copy's path: no path, no text of the environment's or
// the registry's, which could hold a switch's name (the log the caller asked for is handed over
// open, as the copy's standard output).
std::u16string CopyCommandLine(const std::u16string& copy, bool silent, win::DWORD installerProcessId, bool quiet) {
    std::u16string commandLine = u"\"" + copy + u"\"-DeletingNow";
    if (quiet) commandLine += u" /quiet";
    if (silent) {
        commandLine += u"-UninstForInst";
        commandLine += kInstallerSwitch;
        char digits[12];
        std::snprintf(digits, sizeof digits, "%lu", static_cast<unsigned long>(installerProcessId));
        for (const char* digit = digits; *digit; ++digit) commandLine += static_cast<char16_t>(*digit);
    }
    return commandLine;
}

// Starts a program without waiting for it. `program` may be null (then it is the command
// line's first word); a null `currentDirectory` keeps this process's. With a `standardInput`,
// that (inheritable) handle is the program's input, and the program inherits it. The process's
// handle goes to `started` when one is given.
bool StartProcess(const char16_t* program, std::u16string commandLine, const char16_t* currentDirectory,
                  win::DWORD flags = 0, win::HANDLE standardInput = nullptr, win::ScopedHandle* started = nullptr,
                  win::HANDLE standardOutput = nullptr) {
    // Its standard handles are the ones given, or none: never this process's own, which the
    // system would otherwise pass on (a console program's output file, which the copy would
    // take for its log).
    win::STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = win::STARTF_USESTDHANDLES;
    startup.hStdInput = standardInput;
    startup.hStdOutput = standardOutput;
    win::PROCESS_INFORMATION process{};
    const bool inherit = standardInput || standardOutput;
    if (!win::CreateProcessW(program, &commandLine[0], nullptr, nullptr, inherit ? win::TRUE : win::FALSE, flags,
                             nullptr, currentDirectory, &startup, &process))
        return false;
    win::ScopedHandle processHandle(process.hProcess);
    const win::ScopedHandle threadHandle(process.hThread);
    if (started) *started = std::move(processHandle);
    return true;
}

// The system directory with its trailing backslash, or empty.
std::u16string SystemDirectory() {
    char16_t buffer[win::MAX_PATH] = {};
    std::u16string directory = FittedPath(buffer, win::GetSystemDirectoryW(buffer, win::MAX_PATH));
    if (!directory.empty() && directory.back() != u'\\') directory += u'\\';
    return directory;
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

// The user's temporary directory is judged before anything is written in it: opened as itself,
// it must lie where its path says (no junction or link at it or above it), and be neither a
// drive root nor the Windows directory, a program's folder or anything inside them. What is
// made in it is made relative to the handle judged, and while that handle is held nobody may
// rename the directory or put a link at its name.
bool OpenUsableTemporaryDirectory(const std::u16string& temp, engine::files::OpenEntry& directory) {
    // The same rule as for the user's shell folders, on the place the handle is open on.
    std::u16string normalised;
    if (engine::files::RefusalOfUserFolder(temp, normalised) == nullptr &&
        directory.OpenDirectory(engine::files::WithoutTrailingBackslash(normalised), engine::files::kListAccess,
                                win::FILE_SHARE_READ | win::FILE_SHARE_WRITE) &&
        !directory.IsLink() && engine::files::RefusalOfUserFolder(directory.path(), normalised) == nullptr)
        return true;
    directory.Close();
    return false;
}

bool IsUsableTemporaryDirectory(const std::u16string& temp) {
    engine::files::OpenEntry directory;
    return OpenUsableTemporaryDirectory(temp, directory);
}

bool UninstallApp::RelaunchFromTempCopy() {
    // A copy is started with "DeletingNow"; whatever its directory looks like, it never starts
    // another one. It takes the log its installed copy made for it, if any.
    if (m_bDeletingNow) {
        const win::HANDLE given = win::GetStdHandle(win::STD_OUTPUT_HANDLE);
        if (given && given != win::INVALID_HANDLE_VALUE && win::GetFileType(given) == win::FILE_TYPE_DISK) m_log.Adopt(given);
        return false;
    }

    const std::u16string temp = TempDirectory();
    const std::u16string module = ModulePath();
    // Without a temporary directory that can hold "orvXXXX.exe", or with a path of our own too
    // long to copy, no copy can ever be made: the removal runs from here.
    if (temp.empty() || temp.size() > win::MAX_PATH - kTempNameRoom || module.empty()) return RunInPlace(u"no temporary directory");
    if (IsSameDirectory(temp, DirectoryOf(module))) return false;
    // The temporary directory is the user's to name and to make a link: it is judged before
    // anything is written in it.
    engine::files::OpenEntry tempDirectory;
    if (!OpenUsableTemporaryDirectory(temp, tempDirectory))
        return RunInPlace(u"the temporary directory " + temp + u" is a link, a system folder or a program's folder");

    // Every process of the user can write to the temporary directory, and the copy will run
    // elevated: it is written as a new file that others may only read, and started while a
    // handle that lets nobody write, rename or delete it is held.
    Bytes image;
    if (!ReadWholeFile(module, image)) return RunInPlace(u"this executable could not be read");
    // The copy is held from its check until its deletion: nobody can write, rename or replace it
    // meanwhile, so the program started by its name is the one checked, and what is deleted at
    // the end is that file wherever it is, never whatever bears its name by then. Between its
    // writing and its hold another process may take the name away: the copy is then made again
    // under a fresh name. The copy works from the temporary directory, so that no process of
    // ours holds the install directory as its current directory while it is being removed.
    const unsigned firstNumber = win::GetTickCount();
    std::u16string copyName;
    engine::files::OpenEntry held;
    for (int attempt = 0; attempt < kCopyNameAttempts && copyName.empty(); ++attempt) {
        const std::u16string name = CopyName(firstNumber + static_cast<unsigned>(attempt));
        bool existed = false;
        if (!WriteNewFile(tempDirectory, name, image, existed)) {
            if (!existed) break;
            continue;
        }
        if (HoldUnchanged(tempDirectory, name, image, held)) copyName = name;
        else DeleteOwnTemporaryFile(tempDirectory, name);
    }
    if (copyName.empty()) return RunInPlace(u"no copy could be written and held in " + temp);
    // It is started by the path where the file held lies now, not by the name the directory had
    // when it was judged: that name may lead elsewhere by now. The path may also be longer than
    // the one the environment gave (short names).
    std::u16string copy;
    if (!engine::files::FinalPathOf(held.get(), copy)) copy = held.path();
    const std::u16string copyDirectory = engine::files::WithoutTrailingBackslash(DirectoryOf(copy));
    if (!engine::files::FitsMaxPath(copy)) {
        DeleteHeldCopy(held);
        return RunInPlace(u"the copy's path " + copy + u" is too long");
    }
    // For the installer, this file makes way before anything is removed: the installer may write
    // the new version the moment it has its last code, which the copy sends.
    if (m_bSilent) StepAsideForInstaller();
    // Its deletion is handed on at once: the interpreter starts while the copy works, and waits
    // for this process's end; it is ended unrun if the file has to come back.
    if (m_image.IsAside() && !m_image.InOwnDirectory()) m_interpreterWaits = DeleteAfterEnd(m_image.Path(), {}, false, &m_interpreter);
    // The log the caller asked for is made here and handed to the copy open.
    const win::HANDLE log = m_log.IsWanted() && m_log.CreateNow() ? m_log.HandOut() : nullptr;
    win::ScopedHandle process;
    if (!StartProcess(nullptr, CopyCommandLine(copy, m_bSilent, m_installerProcessId, m_bQuiet), copyDirectory.c_str(), 0,
                      nullptr, &process, log)) {
        DeleteHeldCopy(held);
        return RunInPlace(u"the copy " + copy + u" could not be started");
    }
    m_copyStarted = true;
    if (log) m_log.HandedOver();
    win::WaitForSingleObject(process.get(), win::INFINITE);
    win::DWORD code = kExitFailed;
    win::GetExitCodeProcess(process.get(), &code);
    // The copy marks a run whose removal ran; what stays is the outcome.
    m_removalRan = (code & kCopyRanRemoval) != 0;
    m_copyExitCode = code & ~kCopyRanRemoval;
    DeleteHeldCopy(held);
    return true;
}

bool UninstallApp::RunInPlace(const std::u16string& reason) {
    Note(u"note: the removal runs from the install directory: " + reason);
    return false;
}

bool UninstallApp::IsInstalledCopy(const std::u16string& module) const {
    // An uninstaller started from anywhere but the install directory is somebody's copy of it:
    // it and its directory are not the product's.
    // Both where they really lie: a drive letter standing for another path names one place twice.
    using engine::files::ResolvedDirectory;
    using engine::files::WithoutTrailingBackslash;
    return !m_strRecordedDir.empty() && !module.empty() &&
           IsSameDirectory(ResolvedDirectory(WithoutTrailingBackslash(DirectoryOf(module))),
                           ResolvedDirectory(WithoutTrailingBackslash(m_strRecordedDir)));
}

void UninstallApp::StepAsideForInstaller() {
    const std::u16string module = ModulePath();
    if (!IsInstalledCopy(module) || m_image.StepAside(module)) return;
    m_stepAsideFailed = true;
    Note(u"not removed: file " + module + u" (moved aside for the installer: " + engine::WindowsErrorText(m_image.Error()) + u")");
}

void UninstallApp::FinishInstalledCopy() {
    if (m_bDeletingNow || m_finished) return;
    m_finished = true;
    const std::u16string module = ModulePath();
    if (m_image.IsAside()) {
        // Nothing was removed: the uninstaller stays with the product, under its own name.
        if (!m_removalRan) {
            if (m_interpreterWaits) {
                win::TerminateProcess(m_interpreter.get(), 1);
                win::CloseHandle(m_hEndedSignal);
                m_hEndedSignal = nullptr;
            }
            m_interpreter.reset();
            if (!m_image.StepBack()) Note(u"left: file " + module + u" is at " + m_image.Path());
            return;
        }
    } else if (m_bSilent) {
        // Held by another process: the installer finds it in its way, and the run says so.
        if (m_removalRan && m_stepAsideFailed) m_exitCode = kExitFailed;
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
    if (!m_bSilent) RemoveEmptyInstallDirectories();
    std::vector<std::u16string> directories = InstallDirectories();
    // The interpreter deletes the moved file once this process has ended; by name only in the
    // machine's temporary directory, or in the install directory where that lies on another
    // volume (the directories then follow it, except where the installer owns them).
    if (!m_image.InOwnDirectory() || m_bSilent) directories.clear();
    if (!m_interpreterWaits) DeleteAfterEnd(m_image.Path(), directories, !m_copyStarted);
    m_interpreter.reset();
}

void UninstallApp::RemoveEmptyInstallDirectories() {
    for (const std::u16string& directory : InstallDirectories()) engine::files::RemoveProductDirectory(directory);
}

std::vector<std::u16string> UninstallApp::InstallDirectories() const {
    if (m_strRecordedDir.empty()) return {};
    const std::u16string installDir = engine::files::WithoutTrailingBackslash(m_strRecordedDir);
    std::vector<std::u16string> directories = engine::files::CreatedDirectories(m_strRecordedDir, m_strExistDir);
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
