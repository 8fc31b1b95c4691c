#include "platform/system.h"

#include <windows.h>
#include <ole2.h>

#include "platform/win32/interop.h"
#include "platform/win32/system_library.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::STARTUPINFOW) == sizeof(::STARTUPINFOW), "start-up record layout");
static_assert(sizeof(win::PROCESS_INFORMATION) == sizeof(::PROCESS_INFORMATION), "process record layout");
static_assert(sizeof(win::SECURITY_ATTRIBUTES) == sizeof(::SECURITY_ATTRIBUTES), "security record layout");

namespace win {

BOOL GetVersionExW(OSVERSIONINFOEXW* info) {
    return ::GetVersionExW(reinterpret_cast<::OSVERSIONINFOW*>(info));
}
DWORD GetLastError() { return ::GetLastError(); }
void SetLastError(DWORD error) { ::SetLastError(error); }

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    return ::GetModuleFileNameW(H<::HMODULE>(module), W(buffer), size);
}
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    return ::GetEnvironmentVariableW(W(name), W(buffer), size);
}
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size) { return ::GetWindowsDirectoryW(W(buffer), size); }
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size) { return ::GetSystemDirectoryW(W(buffer), size); }
BOOL SetCurrentDirectoryW(LPCWSTR path) { return ::SetCurrentDirectoryW(W(path)); }

int CompareStringOrdinal(LPCWSTR a, int lengthA, LPCWSTR b, int lengthB, BOOL ignoreCase) {
    // Vista and later: looked up, so that the program starts on Windows 2000 and XP and its
    // environment check can tell the user why it goes no further there.
    using Function = int(WINAPI*)(LPCWCH, int, LPCWCH, int, ::BOOL);
    static const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "CompareStringOrdinal")));
    if (function) return function(W(a), lengthA, W(b), lengthB, ignoreCase);
    // Before Vista: code units compared in order, letter case of ASCII ignored when asked.
    auto length = [](LPCWSTR text, int given) {
        int n = 0;
        if (given >= 0) return given;
        while (text[n]) ++n;
        return n;
    };
    const int na = length(a, lengthA), nb = length(b, lengthB);
    for (int i = 0; i < na && i < nb; ++i) {
        char16_t x = a[i], y = b[i];
        if (ignoreCase) {
            if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
            if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        }
        if (x != y) return x < y ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
    return na == nb ? CSTR_EQUAL : na < nb ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
}

HANDLE CreateMutexW(void* security, BOOL initialOwner, LPCWSTR name) {
    return H<HANDLE>(::CreateMutexW(static_cast<LPSECURITY_ATTRIBUTES>(security), initialOwner, W(name)));
}
BOOL ReleaseMutex(HANDLE mutex) { return ::ReleaseMutex(H<::HANDLE>(mutex)); }
BOOL CloseHandle(HANDLE handle) { return ::CloseHandle(H<::HANDLE>(handle)); }
HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, LPCWSTR name) {
    return H<HANDLE>(::CreateEventW(static_cast<LPSECURITY_ATTRIBUTES>(security), manualReset, initialState, W(name)));
}
DWORD GetCurrentProcessId() { return ::GetCurrentProcessId(); }
BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, SECURITY_ATTRIBUTES* security, DWORD size) {
    return ::CreatePipe(reinterpret_cast<::HANDLE*>(readEnd), reinterpret_cast<::HANDLE*>(writeEnd),
                        reinterpret_cast<::SECURITY_ATTRIBUTES*>(security), size);
}
BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags) {
    return ::SetHandleInformation(H<::HANDLE>(handle), mask, flags);
}

LONG NtQueryInformationProcess(HANDLE process, int informationClass, void* information, ULONG length,
                               ULONG* returned) {
    using Function = LONG(WINAPI*)(::HANDLE, int, void*, ::ULONG, ::ULONG*);
    static const auto function = reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    if (!function) return static_cast<LONG>(0xC0000002u);  // STATUS_NOT_IMPLEMENTED
    return function(H<::HANDLE>(process), informationClass, information, length, reinterpret_cast<::ULONG*>(returned));
}
void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }
DWORD GetTickCount() { return ::GetTickCount(); }

HMODULE GetModuleHandleW(LPCWSTR name) { return H<HMODULE>(::GetModuleHandleW(W(name))); }
HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags) {
    return H<HMODULE>(::LoadLibraryExW(W(name), H<::HANDLE>(file), flags));
}
FARPROC GetProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<FARPROC>(::GetProcAddress(H<::HMODULE>(module), name));
}
BOOL FreeLibrary(HMODULE module) { return ::FreeLibrary(H<::HMODULE>(module)); }
HANDLE GetCurrentProcess() { return H<HANDLE>(::GetCurrentProcess()); }
bool IsProcess64Bit() { return sizeof(void*) == 8; }

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, void* processSecurity, void* threadSecurity,
                    BOOL inheritHandles, DWORD creationFlags, void* environment, LPCWSTR currentDirectory,
                    STARTUPINFOW* startupInfo, PROCESS_INFORMATION* processInfo) {
    return ::CreateProcessW(W(application), W(commandLine), static_cast<LPSECURITY_ATTRIBUTES>(processSecurity),
                            static_cast<LPSECURITY_ATTRIBUTES>(threadSecurity), inheritHandles, creationFlags,
                            environment, W(currentDirectory), reinterpret_cast<::STARTUPINFOW*>(startupInfo),
                            reinterpret_cast<::PROCESS_INFORMATION*>(processInfo));
}
HANDLE GetStdHandle(DWORD which) { return H<HANDLE>(::GetStdHandle(which)); }
DWORD GetFileType(HANDLE file) { return ::GetFileType(H<::HANDLE>(file)); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return ::WaitForSingleObject(H<::HANDLE>(handle), milliseconds);
}
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
    return ::GetExitCodeProcess(H<::HANDLE>(process), reinterpret_cast<::DWORD*>(exitCode));
}

BOOL TerminateProcess(HANDLE process, UINT exitCode) { return ::TerminateProcess(H<::HANDLE>(process), exitCode); }

void OutputDebugStringW(LPCWSTR text) { ::OutputDebugStringW(W(text)); }
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     void* arguments) {
    return ::FormatMessageW(flags, source, messageId, languageId, W(buffer), size, static_cast<va_list*>(arguments));
}

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength, LPWSTR dest, int destLength) {
    return ::MultiByteToWideChar(codePage, flags, source, sourceLength, W(dest), destLength);
}
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, char* dest, int destLength,
                        const char* defaultChar, BOOL* usedDefault) {
    return ::WideCharToMultiByte(codePage, flags, W(source), sourceLength, dest, destLength, defaultChar,
                                 reinterpret_cast<::BOOL*>(usedDefault));
}

void FatalAppExitW(UINT action, LPCWSTR message) {
    ::FatalAppExitW(action, W(message));
    ::ExitProcess(3);  // not reached; the system header does not mark FatalAppExitW as ending the process
}

HRESULT OleInitialize(void* reserved) { return CALL_SYSTEM_FUNCTION(Ole32, OleInitialize, E_NOTIMPL, reserved); }
void OleUninitialize() { CALL_SYSTEM_FUNCTION(Ole32, OleUninitialize, void(), ); }

}  // namespace win
