#include "platform/files.h"

#include <windows.h>

#include <cstddef>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::WIN32_FIND_DATAW) == sizeof(::WIN32_FIND_DATAW), "find record layout");
static_assert(offsetof(win::WIN32_FIND_DATAW, cFileName) == offsetof(::WIN32_FIND_DATAW, cFileName), "find record");
static_assert(sizeof(win::OVERLAPPED) == sizeof(::OVERLAPPED), "overlapped record layout");
static_assert(offsetof(win::OVERLAPPED, hEvent) == offsetof(::OVERLAPPED, hEvent), "overlapped record");

namespace win {

BOOL DeleteFileW(LPCWSTR path) { return ::DeleteFileW(W(path)); }
BOOL RemoveDirectoryW(LPCWSTR path) { return ::RemoveDirectoryW(W(path)); }
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) { return ::SetFileAttributesW(W(path), attributes); }
DWORD GetFileAttributesW(LPCWSTR path) { return ::GetFileAttributesW(W(path)); }
BOOL MoveFileW(LPCWSTR from, LPCWSTR to) { return ::MoveFileW(W(from), W(to)); }
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) { return ::MoveFileExW(W(from), W(to), flags); }
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) { return ::CopyFileW(W(from), W(to), failIfExists); }

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    return H<HANDLE>(::FindFirstFileW(W(pattern), reinterpret_cast<::WIN32_FIND_DATAW*>(data)));
}
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    return ::FindNextFileW(H<::HANDLE>(find), reinterpret_cast<::WIN32_FIND_DATAW*>(data));
}
BOOL FindClose(HANDLE find) { return ::FindClose(H<::HANDLE>(find)); }

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile) {
    return H<HANDLE>(::CreateFileW(W(path), access, share, static_cast<LPSECURITY_ATTRIBUTES>(security), disposition,
                                   flags, H<::HANDLE>(templateFile)));
}
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, void* overlapped) {
    return ::ReadFile(H<::HANDLE>(file), buffer, size, reinterpret_cast<::DWORD*>(read),
                      static_cast<LPOVERLAPPED>(overlapped));
}
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, void* overlapped) {
    return ::WriteFile(H<::HANDLE>(file), buffer, size, reinterpret_cast<::DWORD*>(written),
                       static_cast<LPOVERLAPPED>(overlapped));
}
DWORD GetFileSize(HANDLE file, DWORD* high) {
    return ::GetFileSize(H<::HANDLE>(file), reinterpret_cast<::DWORD*>(high));
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer) { return ::GetTempPathW(size, W(buffer)); }
UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR result) {
    return ::GetTempFileNameW(W(directory), W(prefix), unique, W(result));
}
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
    return ::GetShortPathNameW(W(longPath), W(shortPath), size);
}
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size) {
    return ::GetLongPathNameW(W(shortPath), W(longPath), size);
}

BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeout) { return ::WaitNamedPipeW(W(name), timeout); }

BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
    return ::GetOverlappedResult(H<::HANDLE>(file), reinterpret_cast<::OVERLAPPED*>(overlapped),
                                 reinterpret_cast<::DWORD*>(transferred), wait);
}
BOOL CancelIo(HANDLE file) { return ::CancelIo(H<::HANDLE>(file)); }

BOOL GetNamedPipeServerProcessId(HANDLE pipe, ULONG* serverProcessId) {
    // Vista and later: looked up, so that the program still starts where it is missing.
    using Function = ::BOOL(WINAPI*)(::HANDLE, ::PULONG);
    static const auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetNamedPipeServerProcessId")));
    if (!function) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    return function(H<::HANDLE>(pipe), reinterpret_cast<::PULONG>(serverProcessId));
}

}  // namespace win
