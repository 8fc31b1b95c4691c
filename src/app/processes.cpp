#include "app/processes.h"

#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/system.h"

namespace app {

using engine::files::FittedPath;
using engine::files::WithTrailingBackslash;

namespace {

// One spelling per place: long component names and a trailing backslash. The temporary
// directory may be set with short names (TMP=C:\DOCUME~1\...) while the executable's path has
// long ones, or the other way round; letter case is left to the comparison.
std::u16string NormalisedDirectory(const std::u16string& directory) {
    char16_t buffer[win::MAX_PATH] = {};
    std::u16string longForm = FittedPath(buffer, win::GetLongPathNameW(directory.c_str(), buffer, win::MAX_PATH));
    if (longForm.empty()) longForm = directory;
    return WithTrailingBackslash(longForm);
}

}  // namespace

std::u16string ModulePath() {
    char16_t buffer[win::MAX_PATH] = {};
    return FittedPath(buffer, win::GetModuleFileNameW(nullptr, buffer, win::MAX_PATH));
}

bool IsSameDirectory(const std::u16string& a, const std::u16string& b) {
    const std::u16string left = NormalisedDirectory(a);
    const std::u16string right = NormalisedDirectory(b);
    return win::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                     static_cast<int>(right.size()), win::TRUE) == win::CSTR_EQUAL;
}

bool StartProcess(const char16_t* program, std::u16string commandLine, const char16_t* currentDirectory,
                  win::DWORD flags, win::HANDLE standardInput, win::ScopedHandle* started, win::HANDLE standardOutput) {
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


std::u16string SystemDirectory() {
    char16_t buffer[win::MAX_PATH] = {};
    const std::u16string directory = FittedPath(buffer, win::GetSystemDirectoryW(buffer, win::MAX_PATH));
    return directory.empty() ? directory : WithTrailingBackslash(directory);
}

}  // namespace app
