// File system and named-pipe operations (KERNEL32).
#pragma once
#include "platform/types.h"

namespace win {

struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x01;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x02;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x04;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 1;
constexpr DWORD FILE_SHARE_WRITE = 2;
constexpr DWORD FILE_SHARE_DELETE = 4;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 1;
constexpr DWORD MOVEFILE_DELAY_UNTIL_REBOOT = 4;

constexpr DWORD NMPWAIT_WAIT_FOREVER = 0xFFFFFFFF;
// Opening a pipe: the quality of service the server may use. Identification lets it learn who
// the client is but never act as the client.
constexpr DWORD SECURITY_SQOS_PRESENT = 0x00100000;
constexpr DWORD SECURITY_IDENTIFICATION = 0x00010000;
constexpr DWORD SECURITY_IMPERSONATION_LEVEL_MASK = 0x00030000;

BOOL DeleteFileW(LPCWSTR path);
BOOL RemoveDirectoryW(LPCWSTR path);
BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes);
DWORD GetFileAttributesW(LPCWSTR path);
BOOL MoveFileW(LPCWSTR from, LPCWSTR to);
BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags);
BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists);

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void* security, DWORD disposition, DWORD flags,
                   HANDLE templateFile);
BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, void* overlapped);
BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, void* overlapped);
DWORD GetFileSize(HANDLE file, DWORD* high);

DWORD GetTempPathW(DWORD size, LPWSTR buffer);
UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR result);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size);

BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeout);

// Overlapped input and output: a write that does not complete at once is left pending, to be
// waited for with a time-out and cancelled.
constexpr DWORD FILE_FLAG_OVERLAPPED = 0x40000000;
struct OVERLAPPED {
    ULONG_PTR Internal;
    ULONG_PTR InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};
BOOL GetOverlappedResult(HANDLE file, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait);
// Cancels the input and output this thread started on `file`.
BOOL CancelIo(HANDLE file);
// The process that serves the client end `pipe`. Looked up at run time: before Vista it fails
// with ERROR_CALL_NOT_IMPLEMENTED.
BOOL GetNamedPipeServerProcessId(HANDLE pipe, ULONG* serverProcessId);

}  // namespace win
