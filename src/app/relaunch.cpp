// The removal never runs from the installed executable: the installed copy copies itself into
// the user's temporary directory and starts that copy, which does the work and at the end hands
// its own deletion to the command interpreter.
#include <string>

#include "app/uninstall_app.h"
#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace app {

namespace {

using engine::files::DirectoryOf;
using engine::files::FittedPath;

// Room that GetTempFileNameW needs after the directory for "orvXXXX.TMP".
constexpr win::DWORD kTempNameRoom = 14;

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

// A fresh "orvXXXX.exe" in `directory`, or empty. GetTempFileNameW reserves the name by
// creating "orvXXXX.TMP"; that file goes at once, so a failed copy leaves nothing behind. A
// scanner may hold the new file for a moment: then it goes at the next restart.
std::u16string NewCopyName(const std::u16string& directory) {
    char16_t buffer[win::MAX_PATH] = {};
    if (win::GetTempFileNameW(directory.c_str(), u"orv", 0, buffer) == 0) return std::u16string();
    buffer[win::MAX_PATH - 1] = 0;
    std::u16string name(buffer);
    if (!win::DeleteFileW(name.c_str())) win::MoveFileExW(name.c_str(), nullptr, win::MOVEFILE_DELAY_UNTIL_REBOOT);
    if (name.size() < 4 || name[name.size() - 4] != u'.') return std::u16string();
    name.replace(name.size() - 3, 3, u"exe");
    return name;
}

// The switches follow the closing quote directly: start-up looks for them as substrings.
std::u16string CopyCommandLine(const std::u16string& copy, bool silent) {
    std::u16string commandLine = u"\"" + copy + u"\"-DeletingNow";
    if (silent) commandLine += u"-UninstForInst";
    return commandLine;
}

// Starts a program without waiting for it. `program` may be null (then it is the command
// line's first word); a null `currentDirectory` keeps this process's.
bool StartProcess(const char16_t* program, std::u16string commandLine, const char16_t* currentDirectory,
                  win::DWORD flags = 0) {
    win::STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    win::PROCESS_INFORMATION process{};
    if (!win::CreateProcessW(program, &commandLine[0], nullptr, nullptr, win::FALSE, flags, nullptr,
                             currentDirectory, &startup, &process))
        return false;
    const win::ScopedHandle processHandle(process.hProcess);
    const win::ScopedHandle threadHandle(process.hThread);
    return true;
}

// The interpreter expands %NAME% even inside quotes, so such a path could come out naming
// another file; a copy left in the temporary directory is the lesser harm.
bool IsSafeToHandToInterpreter(const std::u16string& path) {
    return !path.empty() && path.find_first_of(u"%\"") == std::u16string::npos;
}

}  // namespace

bool UninstallApp::RelaunchFromTempCopy() {
    // A copy is started with "DeletingNow"; whatever its directory looks like, it never starts
    // another one.
    if (m_bDeletingNow) return false;

    const std::u16string temp = TempDirectory();
    const std::u16string module = ModulePath();
    // Without a temporary directory that can hold "orvXXXX.exe", or with a path of our own too
    // long to copy, no copy can ever be made: the removal runs from here, and only this
    // executable and its directory stay behind.
    if (temp.empty() || temp.size() > win::MAX_PATH - kTempNameRoom || module.empty()) return false;
    if (IsSameDirectory(temp, DirectoryOf(module))) return false;

    const std::u16string copy = NewCopyName(temp);
    if (copy.empty()) return true;
    if (!win::CopyFileW(module.c_str(), copy.c_str(), win::FALSE)) return true;
    // The copy works from the temporary directory, so that no process of ours holds the install
    // directory as its current directory while it is being removed.
    if (!StartProcess(nullptr, CopyCommandLine(copy, m_bSilent), temp.c_str())) win::DeleteFileW(copy.c_str());
    return true;
}

bool UninstallApp::DeleteSelf() {
    const std::u16string module = ModulePath();
    if (module.empty()) return false;
    const std::u16string shortPath = ShortPath(module);
    if (!IsSafeToHandToInterpreter(shortPath)) return false;

    char16_t interpreter[win::MAX_PATH] = {};
    const std::u16string comspec =
        FittedPath(interpreter, win::GetEnvironmentVariableW(u"COMSPEC", interpreter, win::MAX_PATH));
    if (comspec.empty()) return false;

    // Quoted: on a volume without short names the path keeps its blanks. The interpreter is
    // started without a console: it shows nothing, as a hidden window would not, and needs no
    // console host, which costs a process of its own and half the run's tail under Wine.
    const std::u16string commandLine = u"\"" + comspec + u"\" /c del \"" + shortPath + u"\" > nul";
    if (!StartProcess(comspec.c_str(), commandLine, nullptr, win::DETACHED_PROCESS)) return false;

    win::SHChangeNotify(win::SHCNE_DELETE, win::SHCNF_PATHW, shortPath.c_str(), nullptr);
    return true;
}

}  // namespace app
