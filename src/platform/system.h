// Process, version, environment, synchronisation and module operations (KERNEL32).
#pragma once
#include "platform/types.h"

namespace win {

struct OSVERSIONINFOEXW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};
constexpr DWORD OSVERSIONINFOW_SIZE = 276;  // the plain record, without the service-pack tail
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;  // the 95 family: 95, 98 and Me

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "extended version record is 284 bytes");

struct STARTUPINFOW {
    DWORD cb;
    LPWSTR lpReserved;
    LPWSTR lpDesktop;
    LPWSTR lpTitle;
    DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    BYTE* lpReserved2;
    HANDLE hStdInput, hStdOutput, hStdError;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD DETACHED_PROCESS = 0x00000008;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;
constexpr DWORD STARTF_USESTDHANDLES = 0x00000100;
constexpr DWORD HANDLE_FLAG_INHERIT = 0x00000001;

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    void* lpSecurityDescriptor;
    BOOL bInheritHandle;
};

BOOL GetVersionExW(OSVERSIONINFOEXW* info);  // reads dwOSVersionInfoSize to pick the record
DWORD GetLastError();
void SetLastError(DWORD error);

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
BOOL SetCurrentDirectoryW(LPCWSTR path);

HANDLE CreateMutexW(void* security, BOOL initialOwner, LPCWSTR name);
BOOL ReleaseMutex(HANDLE mutex);
BOOL CloseHandle(HANDLE handle);
HANDLE CreateEventW(void* security, BOOL manualReset, BOOL initialState, LPCWSTR name);
// An anonymous pipe; `security` may make both ends inheritable.
BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, SECURITY_ATTRIBUTES* security, DWORD size);
BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags);
DWORD GetCurrentProcessId();

// What NtQueryInformationProcess tells of a process (information class 0): its id and the id of
// the process that started it.
struct PROCESS_BASIC_INFORMATION {
    LONG ExitStatus;
    void* PebBaseAddress;
    ULONG_PTR AffinityMask;
    LONG BasePriority;
    ULONG_PTR UniqueProcessId;
    ULONG_PTR InheritedFromUniqueProcessId;
};
constexpr int ProcessBasicInformation = 0;
// Looked up in ntdll at run time. An NTSTATUS: 0 on success.
LONG NtQueryInformationProcess(HANDLE process, int informationClass, void* information, ULONG length, ULONG* returned);
void Sleep(DWORD milliseconds);
// Milliseconds since the system started, wrapping after 49.7 days.
DWORD GetTickCount();

constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x00000008;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;
constexpr DWORD LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x00000800;

HMODULE GetModuleHandleW(LPCWSTR name);
HMODULE LoadLibraryExW(LPCWSTR name, HANDLE file, DWORD flags);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);
HANDLE GetCurrentProcess();
// Whether this program is itself a 64-bit process (and so never runs under WOW64).
bool IsProcess64Bit();

BOOL CreateProcessW(LPCWSTR application, LPWSTR commandLine, void* processSecurity, void* threadSecurity,
                    BOOL inheritHandles, DWORD creationFlags, void* environment, LPCWSTR currentDirectory,
                    STARTUPINFOW* startupInfo, PROCESS_INFORMATION* processInfo);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// The handles a process was given as its standard input and output (STARTF_USESTDHANDLES), and
// what each is open on.
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD FILE_TYPE_DISK = 1;
HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE file);
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);
BOOL TerminateProcess(HANDLE process, UINT exitCode);

void OutputDebugStringW(LPCWSTR text);
// The system's text for the Windows error `error` (from the system's own table, no inserts),
// in the user's language; its length, or 0 when the system has none.
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     void* arguments);
// Shows the message and ends the process at once; never returns.
[[noreturn]] void FatalAppExitW(UINT action, LPCWSTR message);

// Compares as the file system compares names: ordinal, optionally without regard to case.
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;
int CompareStringOrdinal(LPCWSTR a, int lengthA, LPCWSTR b, int lengthB, BOOL ignoreCase);

int MultiByteToWideChar(UINT codePage, DWORD flags, const char* source, int sourceLength, LPWSTR dest, int destLength);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength, char* dest, int destLength,
                        const char* defaultChar, BOOL* usedDefault);

HRESULT OleInitialize(void* reserved);
void OleUninitialize();

// Signatures of the functions the program looks up at run time.
using IsWow64ProcessFn = BOOL(WIN_STDCALL*)(HANDLE process, BOOL* wow64);
using DllUnregisterServerFn = HRESULT(WIN_STDCALL*)();
using SetDefaultDllDirectoriesFn = BOOL(WIN_STDCALL*)(DWORD directoryFlags);
using SetDllDirectoryWFn = BOOL(WIN_STDCALL*)(LPCWSTR directory);

}  // namespace win
