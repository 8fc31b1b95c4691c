// Simulated KERNEL32 process, version, environment and module calls, and OLE32's two.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace sim {
namespace {

constexpr std::uintptr_t kProcessHandleBase = 0x30000;
constexpr std::uintptr_t kMutexHandleBase = 0x20000;
const win::HMODULE kKernel32 = reinterpret_cast<win::HMODULE>(0x7000000);

win::BOOL WIN_STDCALL SimIsWow64Process(win::HANDLE, win::BOOL* wow64) {
    if (FaultPoint("IsWow64Process")) return Failure(win::BOOL{win::FALSE}, win::ERROR_ACCESS_DENIED);
    if (machine().system.wow64 == Wow64::CallFails) return win::FALSE;
    *wow64 = machine().system.wow64 == Wow64::Yes;
    return win::TRUE;
}

win::BOOL WIN_STDCALL SimSetDefaultDllDirectories(win::DWORD flags) {
    if (FaultPoint("SetDefaultDllDirectories")) return Failure(win::BOOL{win::FALSE}, win::ERROR_INVALID_PARAMETER);
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", flags);
    machine().Log("SetDefaultDllDirectories", text);
    return win::TRUE;
}

win::BOOL WIN_STDCALL SimSetDllDirectoryW(win::LPCWSTR directory) {
    if (FaultPoint("SetDllDirectoryW")) return Failure(win::BOOL{win::FALSE}, win::ERROR_NOT_ENOUGH_MEMORY);
    machine().Log("SetDllDirectoryW", directory ? "\"" + Narrow(FromPtr(directory)) + "\"" : "null");
    return win::TRUE;
}

std::u16string Lower(std::u16string s) {
    for (auto& c : s)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return s;
}

std::map<win::HMODULE, std::u16string>& LoadedModules() { return machine().system.loadedModules; }

}  // namespace
}  // namespace sim

namespace win {

using sim::machine;

BOOL GetVersionExW(OSVERSIONINFOEXW* info) {
    if (sim::FaultPoint("GetVersionExW")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_PARAMETER);
    auto& sys = machine().system;
    bool extended = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXW);
    if (sys.versionQuery == sim::VersionQuery::BothFail ||
        (extended && sys.versionQuery == sim::VersionQuery::ExtendedFails)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->dwMajorVersion = sys.majorVersion;
    info->dwMinorVersion = sys.minorVersion;
    info->dwBuildNumber = sys.buildNumber;
    info->dwPlatformId = sys.family95 ? 1 : 2;
    return TRUE;
}

DWORD GetLastError() { return machine().system.lastError; }
void SetLastError(DWORD error) { machine().system.lastError = error; }

DWORD GetModuleFileNameW(HMODULE, LPWSTR buffer, DWORD size) {
    if (sim::FaultPoint("GetModuleFileNameW")) return sim::Failure(DWORD{0}, ERROR_NOT_ENOUGH_MEMORY);
    const std::u16string& path = machine().system.modulePath;
    if (size == 0) return 0;
    std::size_t n = std::min<std::size_t>(path.size(), size - 1);
    std::copy(path.begin(), path.begin() + n, buffer);
    buffer[n] = 0;
    if (n < path.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    return static_cast<DWORD>(n);
}

DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (sim::FaultPoint("GetEnvironmentVariableW")) return sim::Failure(DWORD{0}, sim::kErrorEnvvarNotFound);
    auto& env = machine().system.environment;
    for (auto& [key, value] : env) {
        if (sim::EqualNoCase(key, sim::FromPtr(name))) {
            if (!sim::CopyOut(value, buffer, size)) return static_cast<DWORD>(value.size() + 1);
            return static_cast<DWORD>(value.size());
        }
    }
    SetLastError(203);  // ERROR_ENVVAR_NOT_FOUND
    return 0;
}

static UINT CopyDirectory(const std::u16string& dir, LPWSTR buffer, UINT size) {
    if (!sim::CopyOut(dir, buffer, size)) return static_cast<UINT>(dir.size() + 1);
    return static_cast<UINT>(dir.size());
}
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) {
    if (sim::FaultPoint("GetWindowsDirectoryW")) return sim::Failure(UINT{0}, ERROR_NOT_ENOUGH_MEMORY);
    return CopyDirectory(machine().system.windowsDirectory, buffer, size);
}
BOOL SetCurrentDirectoryW(LPCWSTR path) {
    if (sim::FaultPoint("SetCurrentDirectoryW")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    machine().Log("SetCurrentDirectoryW", sim::Narrow(sim::FromPtr(path)));
    if (!machine().files.IsDirectory(sim::FromPtr(path))) return sim::Failure(BOOL{FALSE}, ERROR_PATH_NOT_FOUND);
    machine().files.currentDirectory = sim::FromPtr(path);
    return TRUE;
}

UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) {
    if (sim::FaultPoint("GetSystemDirectoryW")) return sim::Failure(UINT{0}, ERROR_NOT_ENOUGH_MEMORY);
    return CopyDirectory(machine().system.systemDirectory, buffer, size);
}

HANDLE CreateMutexW(void*, BOOL, LPCWSTR name) {
    if (sim::FaultPoint("CreateMutexW")) return sim::Failure(HANDLE{}, ERROR_ACCESS_DENIED);
    auto& sys = machine().system;
    machine().Log("CreateMutexW", sim::Narrow(sim::FromPtr(name)));
    if (sys.mutexCreateFails) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    std::u16string n = sim::FromPtr(name);
    bool existed = sys.existingMutexes.count(n) > 0;
    sys.mutexesCreated.push_back(n);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(sim::kMutexHandleBase + sys.mutexesCreated.size());
}

BOOL ReleaseMutex(HANDLE) {
    if (sim::FaultPoint("ReleaseMutex")) return sim::Failure(BOOL{FALSE}, sim::kErrorNotOwner);
    machine().system.mutexReleases++;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    // A close that reports a failure has still given the handle back, as Windows does with a
    // valid handle: what was pending on it (a deletion) happens all the same.
    if (sim::FaultPoint("CloseHandle")) {
        sim::CloseFileHandle(handle);
        return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    }
    if (sim::CloseFileHandle(handle)) return TRUE;
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value >= sim::kProcessHandleBase && value < sim::kProcessHandleBase + 0x10000) {
        machine().system.openProcessHandles--;
        return TRUE;
    }
    return value != 0 ? TRUE : FALSE;
}

DWORD GetTickCount() {
    sim::CountPoint("GetTickCount");
    return machine().system.tickCount;
}

void Sleep(DWORD milliseconds) {
    sim::CountPoint("Sleep");
    machine().system.sleeps.push_back(milliseconds);
    machine().system.tickCount += milliseconds;
}

HMODULE GetModuleHandleW(LPCWSTR name) {
    // The program itself and KERNEL32 are always loaded: asking for them cannot fail.
    sim::CountPoint("GetModuleHandleW");
    // Only the program itself (null) and KERNEL32 are asked for.
    if (name && sim::Lower(sim::FromPtr(name)) == u"kernel32.dll") return sim::kKernel32;
    return nullptr;
}

HMODULE LoadLibraryExW(LPCWSTR name, HANDLE, DWORD flags) {
    if (sim::FaultPoint("LoadLibraryExW")) return sim::Failure(HMODULE{}, ERROR_NOT_ENOUGH_MEMORY);
    char text[16];
    std::snprintf(text, sizeof text, " 0x%X", flags);
    machine().Log("LoadLibraryExW", sim::Narrow(sim::FromPtr(name)) + text);
    if ((flags & LOAD_LIBRARY_AS_IMAGE_RESOURCE) && machine().system.imageResourceFlagUnknown) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto& sys = machine().system;
    const std::u16string wanted = sim::Lower(sim::FromPtr(name));
    for (auto& [key, lib] : sys.libraries) {
        if (sim::Lower(key) != wanted) continue;
        sys.librariesLoaded++;
        auto handle = reinterpret_cast<HMODULE>(0x8000000 + sys.librariesLoaded);
        sim::LoadedModules()[handle] = key;
        return handle;
    }
    SetLastError(126);  // ERROR_MOD_NOT_FOUND
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (sim::FaultPoint("GetProcAddress")) return sim::Failure(FARPROC{}, sim::kErrorProcNotFound);
    auto& modules = sim::LoadedModules();
    if (module == sim::kKernel32) {
        auto& sys = machine().system;
        if (std::strcmp(name, "IsWow64Process") == 0 && sys.wow64 != sim::Wow64::FunctionMissing)
            return reinterpret_cast<FARPROC>(&sim::SimIsWow64Process);
        if (std::strcmp(name, "SetDefaultDllDirectories") == 0 &&
            sys.dllSearchControls == sim::DllSearchControls::DefaultDirectories)
            return reinterpret_cast<FARPROC>(&sim::SimSetDefaultDllDirectories);
        if (std::strcmp(name, "SetDllDirectoryW") == 0 && sys.dllSearchControls != sim::DllSearchControls::None)
            return reinterpret_cast<FARPROC>(&sim::SimSetDllDirectoryW);
        return nullptr;
    }
    auto it = modules.find(module);
    if (it == modules.end()) return nullptr;
    auto lib = machine().system.libraries.find(it->second);
    if (lib == machine().system.libraries.end()) return nullptr;
    auto fn = lib->second.exports.find(name);
    return fn == lib->second.exports.end() ? nullptr : fn->second;
}

BOOL FreeLibrary(HMODULE module) {
    if (sim::FaultPoint("FreeLibrary")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    if (!sim::LoadedModules().erase(module)) return FALSE;
    machine().system.librariesFreed++;
    return TRUE;
}

DWORD GetCurrentProcessId() {
    sim::CountPoint("GetCurrentProcessId");
    return machine().system.processId;
}

LONG NtQueryInformationProcess(HANDLE, int informationClass, void* information, ULONG length, ULONG* returned) {
    if (sim::FaultPoint("NtQueryInformationProcess")) return sim::kStatusAccessDenied;
    if (informationClass != ProcessBasicInformation || length < sizeof(PROCESS_BASIC_INFORMATION))
        return static_cast<LONG>(0xC0000004u);  // STATUS_INFO_LENGTH_MISMATCH
    PROCESS_BASIC_INFORMATION basic{};
    basic.UniqueProcessId = machine().system.processId;
    basic.InheritedFromUniqueProcessId = machine().system.parentProcessId;
    std::memcpy(information, &basic, sizeof basic);
    if (returned) *returned = sizeof basic;
    return 0;
}

HANDLE GetCurrentProcess() {
    sim::CountPoint("GetCurrentProcess");
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}
bool IsProcess64Bit() { return machine().system.process64Bit; }

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, void*, void*, BOOL inheritHandles, DWORD creationFlags,
                    void*, LPCWSTR currentDirectory, STARTUPINFOW* startupInfo, PROCESS_INFORMATION* processInfo) {
    if (sim::FaultPoint("CreateProcessW")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    auto& sys = machine().system;
    machine().Log("CreateProcessW", sim::Narrow(sim::FromPtr(commandLine)));
    if (sys.createProcessFails) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The program is the application named, or else the command line's first word.
    std::u16string program = sim::FromPtr(application);
    if (program.empty()) {
        const std::u16string line = sim::FromPtr(commandLine);
        program = line.size() > 1 && line[0] == u'"' ? line.substr(1, line.find(u'"', 1) - 1)
                                                     : line.substr(0, line.find(u' '));
    }
    const sim::FileNode* image = machine().files.Find(program);
    // A program that is not there cannot start.
    if (!image || image->directory) {
        SetLastError(image ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // A file open for writing cannot be mapped as an image.
    if (image && sim::IsOpenForWriting(image)) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    sys.processes.push_back({sim::FromPtr(application), sim::FromPtr(commandLine), sim::FromPtr(currentDirectory),
                             creationFlags, image != nullptr, image ? image->content : std::string(),
                             inheritHandles != FALSE,
                             startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES) ? startupInfo->hStdInput
                                                                                          : nullptr,
                             startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES) ? startupInfo->hStdOutput
                                                                                          : nullptr,
                             startupInfo && (startupInfo->dwFlags & STARTF_USESTDHANDLES) != 0,
                             startupInfo && (startupInfo->dwFlags & STARTF_USESHOWWINDOW) ? startupInfo->wShowWindow
                                                                                          : -1});
    sys.openProcessHandles += 2;
    processInfo->hProcess = reinterpret_cast<HANDLE>(sim::kProcessHandleBase + 2 * sys.processes.size());
    processInfo->hThread = reinterpret_cast<HANDLE>(sim::kProcessHandleBase + 2 * sys.processes.size() + 1);
    processInfo->dwProcessId = static_cast<DWORD>(100 + sys.processes.size());
    processInfo->dwThreadId = static_cast<DWORD>(200 + sys.processes.size());
    return TRUE;
}

HANDLE GetStdHandle(DWORD which) {
    sim::CountPoint("GetStdHandle");
    return which == STD_OUTPUT_HANDLE ? machine().system.standardOutput : nullptr;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    if (sim::FaultPoint("WaitForSingleObject")) return sim::Failure(DWORD{WAIT_FAILED}, ERROR_INVALID_HANDLE);
    machine().system.waitTimeouts.push_back(milliseconds);
    const int event = sim::EventState(handle);
    if (event >= 0) return event ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    machine().system.processWaits++;
    if (machine().system.processesNeverEnd && milliseconds != INFINITE) return WAIT_TIMEOUT;
    return WAIT_OBJECT_0;
}

BOOL TerminateProcess(HANDLE process, UINT) {
    if (sim::FaultPoint("TerminateProcess")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    const std::uintptr_t value = reinterpret_cast<std::uintptr_t>(process);
    auto& processes = machine().system.processes;
    const std::size_t index = (value - sim::kProcessHandleBase) / 2;
    if (value < sim::kProcessHandleBase || index == 0 || index > processes.size())
        return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    processes[index - 1].terminated = true;
    machine().Log("TerminateProcess", sim::Narrow(processes[index - 1].commandLine));
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE, DWORD* exitCode) {
    if (sim::FaultPoint("GetExitCodeProcess")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    auto& codes = machine().system.exitCodes;
    if (codes.empty()) {
        *exitCode = 0;
    } else {
        *exitCode = codes.front();
        codes.pop_front();
    }
    return TRUE;
}

void OutputDebugStringW(LPCWSTR text) {
    sim::CountPoint("OutputDebugStringW");
    machine().system.debugOutput.push_back(sim::FromPtr(text));
}

DWORD FormatMessageW(DWORD, const void*, DWORD messageId, DWORD, LPWSTR buffer, DWORD size, void*) {
    if (sim::FaultPoint("FormatMessageW")) return sim::Failure(DWORD{0}, ERROR_NOT_ENOUGH_MEMORY);
    // The texts of the errors the removal meets, as an English system gives them.
    static const struct {
        DWORD error;
        const char16_t* text;
    } kTexts[] = {
        {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified.\r\n"},
        {ERROR_ACCESS_DENIED, u"Access is denied.\r\n"},
        {ERROR_SHARING_VIOLATION, u"The process cannot access the file because it is being used by another process.\r\n"},
        {1920, u"The file cannot be accessed by the system.\r\n"},
    };
    for (const auto& entry : kTexts) {
        if (entry.error != messageId) continue;
        const std::u16string text = entry.text;
        if (text.size() >= size) return sim::Failure(DWORD{0}, ERROR_INSUFFICIENT_BUFFER);
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = u'\0';
        return static_cast<DWORD>(text.size());
    }
    return sim::Failure(DWORD{0}, 317);  // ERROR_MR_MID_NOT_FOUND
}

int CompareStringOrdinal(LPCWSTR a, int lengthA, LPCWSTR b, int lengthB, BOOL ignoreCase) {
    if (sim::FaultPoint("CompareStringOrdinal")) return sim::Failure(0, ERROR_INVALID_PARAMETER);
    std::u16string left = lengthA < 0 ? sim::FromPtr(a) : std::u16string(a, static_cast<std::size_t>(lengthA));
    std::u16string right = lengthB < 0 ? sim::FromPtr(b) : std::u16string(b, static_cast<std::size_t>(lengthB));
    if (ignoreCase) {
        for (auto& c : left) c = sim::FoldCase(c);
        for (auto& c : right) c = sim::FoldCase(c);
    }
    return left < right ? CSTR_LESS_THAN : left == right ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

void FatalAppExitW(UINT, LPCWSTR message) {
    std::fprintf(stderr, "FatalAppExit: %s\n", sim::Narrow(sim::FromPtr(message)).c_str());
    std::fflush(stderr);
    std::_Exit(3);
}

}  // namespace win

// The native build has no ANSI code page; it uses Windows-1252, the code page of the
// product's Western installations.
namespace sim {
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace sim

namespace win {

int MultiByteToWideChar(UINT, DWORD, const char* source, int sourceLength, LPWSTR dest, int destLength) {
    if (sim::FaultPoint("MultiByteToWideChar")) return sim::Failure(0, sim::kErrorNoUnicodeTranslation);
    if (!source) return 0;
    if (sourceLength < 0) sourceLength = static_cast<int>(std::strlen(source)) + 1;
    if (sourceLength == 0) return 0;
    if (!dest || destLength == 0) return sourceLength;
    if (destLength < sourceLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < sourceLength; ++i) {
        auto b = static_cast<unsigned char>(source[i]);
        dest[i] = (b >= 0x80 && b < 0xA0) ? sim::kCp1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return sourceLength;
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR source, int sourceLength, char* dest, int destLength, const char*,
                        BOOL* usedDefault) {
    if (sim::FaultPoint("WideCharToMultiByte")) return sim::Failure(0, sim::kErrorNoUnicodeTranslation);
    if (!source) return 0;
    if (sourceLength < 0) sourceLength = static_cast<int>(sim::FromPtr(source).size()) + 1;
    if (sourceLength == 0) return 0;
    if (codePage == CP_UTF8) {
        const std::string bytes = sim::Narrow(std::u16string(source, static_cast<std::size_t>(sourceLength)));
        if (!dest || destLength == 0) return static_cast<int>(bytes.size());
        if (destLength < static_cast<int>(bytes.size())) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return 0;
        }
        std::copy(bytes.begin(), bytes.end(), dest);
        return static_cast<int>(bytes.size());
    }
    if (!dest || destLength == 0) return sourceLength;
    if (destLength < sourceLength) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    bool defaulted = false;
    for (int i = 0; i < sourceLength; ++i) {
        char16_t c = source[i];
        char out = '?';
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out = static_cast<char>(c);
        } else {
            auto* hit = std::find(std::begin(sim::kCp1252High), std::end(sim::kCp1252High), c);
            if (hit != std::end(sim::kCp1252High)) out = static_cast<char>(0x80 + (hit - sim::kCp1252High));
            else defaulted = true;
        }
        dest[i] = out;
    }
    if (usedDefault) *usedDefault = defaulted;
    return sourceLength;
}

HRESULT OleInitialize(void*) {
    if (sim::FaultPoint("OleInitialize")) return sim::kOutOfMemory;
    machine().system.oleInitializeCalls++;
    return machine().system.oleInitializeResult;
}

void OleUninitialize() {
    sim::CountPoint("OleUninitialize");
    machine().system.oleUninitializeCalls++;
}

}  // namespace win
