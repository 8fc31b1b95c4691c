// The removal never runs from the install directory. In the wizard and in quiet mode the
// installed copy copies itself into the user's temporary directory, starts that copy, which does
// the work, waits for it to end and deletes it through the handle it has held on it since it was
// checked. For the installer the installed executable first moves out of the install directory;
// moved into the machine's temporary directory, it runs the removal itself, and only where it
// could not move there does a copy run it.
#include <cstdio>
#include <string>
#include <vector>

#include "app/brief_retry.h"
#include "app/processes.h"
#include "core/number_text.h"
#include "app/uninstall_app.h"
#include "engine/files/directory_handle.h"
#include "engine/files/file.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/scoped.h"
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

// Names "orvXXXX.exe" tried for the copy before the relaunch gives up: every run stopped before
// its end leaves one behind.
constexpr int kCopyNameAttempts = 16;

// The ended copy's image is unmapped a moment after its process has ended: its deletion is
// tried this often, this far apart.
constexpr RetryBound kImageUnmapping{200, 10};

// Deletes the file `name` this process made in the temporary directory `directory`, through
// judged handles: a name that another process has turned into a link meanwhile is left to it,
// and so is one it holds for longer than a scanner would. Each try is told to `context`.
void DeleteOwnTemporaryFile(engine::RemovalContext& context, const engine::files::OpenEntry& directory,
                            const std::u16string& name) {
    RetryBriefly(
        kScannersMoment,
        [&] { return engine::files::DeleteChild(context, directory, name, engine::files::EntryKind::File); },
        [](win::DWORD error) { return error != engine::files::kErrorNotTheEntryNamed && !engine::IsAbsence(error); });
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

bool ReadWholeFile(const std::u16string& path, Bytes& bytes, win::DWORD share) {
    const win::ScopedFile file(win::CreateFileW(path.c_str(), win::GENERIC_READ, share, nullptr,
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
    if (const engine::Outcome created = file.CreateChild(directory, name, win::GENERIC_WRITE, win::FILE_SHARE_READ);
        !created) {
        const win::DWORD error = created.error();
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
    const engine::Outcome opened = RetryBriefly(
        kScannersMoment,
        [&] {
            return held.OpenChild(directory, name, engine::files::EntryKind::File,
                                  win::GENERIC_READ | win::DELETE | win::SYNCHRONIZE, win::FILE_SHARE_READ);
        },
        [](win::DWORD error) { return error == win::ERROR_SHARING_VIOLATION; });
    if (!opened || !held.get()) return false;
    Bytes content;
    if (!held.IsLink() && ReadAll(held.get(), content) && content == expected) return true;
    held.Close();
    return false;
}

// Deletes the ended copy through the handle held on it.
void DeleteHeldCopy(engine::files::OpenEntry& held) {
    RetryBriefly(kImageUnmapping, [&] { return held.MarkForDeletion(); }, [](win::DWORD) { return true; });
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
        commandLine += core::NumberText(installerProcessId);
    }
    return commandLine;
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

    // For the installer this file makes way before anything else: once the installer has its last
    // code it may write the new version at once. Moved into the machine's temporary directory,
    // an administrator's, it no longer lies in the install directory nor in any place the user
    // can change: the removal runs in this process, and no copy needs to be made, started and
    // waited for in the user's temporary directory. Where it could only be renamed within its
    // own directory, or not moved at all, the copy runs the removal as in the other modes.
    if (m_bSilent) {
        StepAsideForInstaller();
        if (m_image.IsAside() && !m_image.InOwnDirectory()) {
            // Its deletion is handed on at once: the interpreter starts while the removal runs,
            // and waits for this process's end; it is ended unrun if the file has to come back.
            m_interpreterWaits = DeleteAfterEnd(m_image.Path(), {}, false, &m_interpreter);
            Note(u"note: the removal runs in this process: the uninstaller has made way for the installer into " +
                 m_image.Path());
            return false;
        }
    }
    const std::u16string temp = TempDirectory();
    // Read where it lies now: renamed within its own directory, it no longer bears its name.
    const std::u16string module = m_image.IsAside() ? m_image.Path() : ModulePath();
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
    // Moved aside, the file is held for its deletion by this process alone: that hold is shared.
    const win::DWORD share = m_image.IsAside() ? win::FILE_SHARE_READ | win::FILE_SHARE_DELETE : win::FILE_SHARE_READ;
    if (!ReadWholeFile(module, image, share)) return RunInPlace(u"this executable could not be read");
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
        else DeleteOwnTemporaryFile(m_context, tempDirectory, name);
    }
    if (copyName.empty()) return RunInPlace(u"no copy could be written and held in " + temp);
    // The log the caller asked for is made here and handed to the copy open.
    const win::HANDLE log = m_log.IsWanted() && m_log.CreateNow() ? m_log.HandOut() : nullptr;
    // It is started by the path where the file held lies at this moment, not by the name its
    // directory had when it was judged: a directory above may have been renamed and that name
    // given to a link since. The path may also be longer than the one the environment gave.
    std::u16string copy;
    if (!engine::files::FinalPathOf(held.get(), copy)) copy = held.path();
    const std::u16string copyDirectory = engine::files::WithoutTrailingBackslash(DirectoryOf(copy));
    if (!engine::files::FitsMaxPath(copy)) {
        DeleteHeldCopy(held);
        return RunInPlace(u"the copy's path " + copy + u" is too long");
    }
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

}  // namespace app
