#include "platform/files.h"

#include <windows.h>
#include <winternl.h>

#include <cstddef>

#include "platform/win32/interop.h"

using win32::H;
using win32::W;

static_assert(sizeof(win::WIN32_FIND_DATAW) == sizeof(::WIN32_FIND_DATAW), "find record layout");
static_assert(offsetof(win::WIN32_FIND_DATAW, cFileName) == offsetof(::WIN32_FIND_DATAW, cFileName), "find record");
static_assert(offsetof(win::FILE_DIRECTORY_INFORMATION, FileAttributes) == 56, "directory entry layout");
static_assert(offsetof(win::FILE_DIRECTORY_INFORMATION, FileName) == 64, "directory entry layout");
static_assert(offsetof(win::FILE_BASIC_INFORMATION, FileAttributes) == 32 && sizeof(win::FILE_BASIC_INFORMATION) == 40,
              "basic information layout");
static_assert(sizeof(win::OVERLAPPED) == sizeof(::OVERLAPPED), "overlapped record layout");
static_assert(offsetof(win::OVERLAPPED, hEvent) == offsetof(::OVERLAPPED, hEvent), "overlapped record");

namespace {

// NTDLL's function `name`, looked up once; null where it is missing.
template <typename Function>
Function NtFunction(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), name)));
}

// The status, with the matching Win32 error left as the last error.
LONG Reported(LONG status) {
    using Convert = ULONG(NTAPI*)(LONG);
    static const auto convert = NtFunction<Convert>("RtlNtStatusToDosError");
    ::SetLastError(status == 0 ? ERROR_SUCCESS : convert ? convert(status) : ERROR_GEN_FAILURE);
    return status;
}

constexpr LONG kStatusProcedureNotFound = static_cast<LONG>(0xC000007A);

}  // namespace

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

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags) {
    using Function = ::DWORD(WINAPI*)(::HANDLE, ::LPWSTR, ::DWORD, ::DWORD);
    static const auto function = reinterpret_cast<Function>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!function) {
        ::SetLastError(ERROR_PROC_NOT_FOUND);
        return 0;
    }
    return function(H<::HANDLE>(file), W(path), size, flags);
}

namespace {

// The object attributes that name `name` relative to the directory `root`.
struct RelativeName {
    ::UNICODE_STRING text;
    ::OBJECT_ATTRIBUTES attributes;
    // False when the name is too long for a counted string.
    bool Set(HANDLE root, LPCWSTR name) {
        const std::size_t length = ::lstrlenW(W(name));
        if (length * sizeof(wchar_t) > 0xFFFE) return false;
        text.Buffer = const_cast<::PWSTR>(W(name));
        text.Length = text.MaximumLength = static_cast<::USHORT>(length * sizeof(wchar_t));
        InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, H<::HANDLE>(root), nullptr);
        return true;
    }
};

constexpr LONG kStatusNameTooLong = static_cast<LONG>(0xC0000106);

}  // namespace

NTSTATUS NtOpenFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options) {
    using Function = LONG(NTAPI*)(::PHANDLE, ::ACCESS_MASK, ::POBJECT_ATTRIBUTES, ::PIO_STATUS_BLOCK, ::ULONG, ::ULONG);
    static const auto function = NtFunction<Function>("NtOpenFile");
    *file = nullptr;
    if (!function) return Reported(kStatusProcedureNotFound);
    RelativeName relative;
    if (!relative.Set(root, name)) return Reported(kStatusNameTooLong);
    ::IO_STATUS_BLOCK status;
    ::HANDLE opened = nullptr;
    const LONG result = function(&opened, access, &relative.attributes, &status, share, options);
    if (result == 0) *file = H<HANDLE>(opened);
    return Reported(result);
}

NTSTATUS NtCreateFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options) {
    using Function = LONG(NTAPI*)(::PHANDLE, ::ACCESS_MASK, ::POBJECT_ATTRIBUTES, ::PIO_STATUS_BLOCK, ::PLARGE_INTEGER,
                                  ::ULONG, ::ULONG, ::ULONG, ::ULONG, ::PVOID, ::ULONG);
    static const auto function = NtFunction<Function>("NtCreateFile");
    constexpr ::ULONG kCreateNew = 2;  // FILE_CREATE
    *file = nullptr;
    if (!function) return Reported(kStatusProcedureNotFound);
    RelativeName relative;
    if (!relative.Set(root, name)) return Reported(kStatusNameTooLong);
    ::IO_STATUS_BLOCK status;
    ::HANDLE created = nullptr;
    const LONG result = function(&created, access, &relative.attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share,
                                 kCreateNew, options, nullptr, 0);
    if (result == 0) *file = H<HANDLE>(created);
    return Reported(result);
}

NTSTATUS NtQueryDirectoryFile(HANDLE directory, void* buffer, ULONG length, bool restartScan) {
    using Function = LONG(NTAPI*)(::HANDLE, ::HANDLE, ::PVOID, ::PVOID, ::PIO_STATUS_BLOCK, ::PVOID, ::ULONG, ::ULONG,
                                  ::BOOLEAN, ::PUNICODE_STRING, ::BOOLEAN);
    static const auto function = NtFunction<Function>("NtQueryDirectoryFile");
    if (!function) return Reported(kStatusProcedureNotFound);
    ::IO_STATUS_BLOCK status;
    return Reported(function(H<::HANDLE>(directory), nullptr, nullptr, nullptr, &status, buffer, length,
                             1 /* FileDirectoryInformation */, FALSE, nullptr, restartScan));
}

NTSTATUS NtQueryInformationFile(HANDLE file, void* information, ULONG length, ULONG informationClass) {
    using Function = LONG(NTAPI*)(::HANDLE, ::PIO_STATUS_BLOCK, ::PVOID, ::ULONG, ::ULONG);
    static const auto function = NtFunction<Function>("NtQueryInformationFile");
    if (!function) return Reported(kStatusProcedureNotFound);
    ::IO_STATUS_BLOCK status;
    return Reported(function(H<::HANDLE>(file), &status, information, length, informationClass));
}

NTSTATUS NtSetInformationFile(HANDLE file, const void* information, ULONG length, ULONG informationClass) {
    using Function = LONG(NTAPI*)(::HANDLE, ::PIO_STATUS_BLOCK, ::PVOID, ::ULONG, ::ULONG);
    static const auto function = NtFunction<Function>("NtSetInformationFile");
    if (!function) return Reported(kStatusProcedureNotFound);
    ::IO_STATUS_BLOCK status;
    return Reported(function(H<::HANDLE>(file), &status, const_cast<void*>(information), length, informationClass));
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
DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
    return ::GetFullPathNameW(W(path), size, W(buffer), reinterpret_cast<::LPWSTR*>(filePart));
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
