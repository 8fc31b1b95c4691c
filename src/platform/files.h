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

// Opening through handles. A directory opens only with backup semantics; a handle opened with
// FILE_FLAG_OPEN_REPARSE_POINT (FILE_OPEN_REPARSE_POINT below) is on a junction or symbolic link
// itself rather than on its target. Wine presents a Unix link as a plain file or directory that
// every open follows; only the handle's final path tells it apart.
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;
constexpr DWORD FILE_FLAG_OPEN_REPARSE_POINT = 0x00200000;
constexpr DWORD FILE_LIST_DIRECTORY = 0x0001;
constexpr DWORD FILE_READ_ATTRIBUTES = 0x0080;
constexpr DWORD DELETE = 0x00010000;
constexpr DWORD SYNCHRONIZE = 0x00100000;

// "\\?\C:\dir\name" for the object the handle is open on. Vista and later: looked up at run
// time, so that before Vista it fails with ERROR_PROC_NOT_FOUND.
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD flags);

// NTDLL's calls on files, looked up at run time (they exist since NT 4). Each returns its
// NTSTATUS and also leaves the matching Win32 error as the last error, so that callers read
// failures as they read KERNEL32's.
using NTSTATUS = LONG;
constexpr NTSTATUS STATUS_SUCCESS = 0;
constexpr NTSTATUS STATUS_NO_MORE_FILES = static_cast<NTSTATUS>(0x80000006);
constexpr ULONG FILE_DIRECTORY_FILE = 0x00000001;
constexpr ULONG FILE_SYNCHRONOUS_IO_NONALERT = 0x00000020;
constexpr ULONG FILE_NON_DIRECTORY_FILE = 0x00000040;
constexpr ULONG FILE_OPEN_FOR_BACKUP_INTENT = 0x00004000;
constexpr ULONG FILE_OPEN_REPARSE_POINT = 0x00200000;
// Opens `name` (one component, or several joined by backslashes) relative to the directory
// `root`; the handle is closed with CloseHandle.
NTSTATUS NtOpenFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options);
// Creates the file `name` (one component) new in the directory `root` and opens it. Whatever has
// that name already, a link included, is neither opened nor followed: the call then fails with
// ERROR_ALREADY_EXISTS as the last error.
NTSTATUS NtCreateFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options);

// One entry of a directory listing (FileDirectoryInformation); entries follow each other at
// NextEntryOffset, the last has 0. FileName is not terminated.
struct FILE_DIRECTORY_INFORMATION {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    std::int64_t CreationTime;
    std::int64_t LastAccessTime;
    std::int64_t LastWriteTime;
    std::int64_t ChangeTime;
    std::int64_t EndOfFile;
    std::int64_t AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;  // in bytes
    WCHAR FileName[1];
};
// Lists the entries of the directory open at `directory` (opened for FILE_LIST_DIRECTORY and
// synchronous input and output) into `buffer`, going on where the last call stopped or from
// the start; STATUS_NO_MORE_FILES once all have been listed.
NTSTATUS NtQueryDirectoryFile(HANDLE directory, void* buffer, ULONG length, bool restartScan);
// Of the information NtQueryInformationFile reads, only the attributes (with the reparse tag) are
// used: one of the cheapest questions a handle answers.
constexpr ULONG FileAttributeTagInformation = 35;
struct FILE_ATTRIBUTE_TAG_INFORMATION {
    ULONG FileAttributes;
    ULONG ReparseTag;
};
NTSTATUS NtQueryInformationFile(HANDLE file, void* information, ULONG length, ULONG informationClass);

// Of the information NtSetInformationFile sets, two kinds are used. The disposition: with
// DeleteFile true, the file or empty directory open at `file` (opened with DELETE access) goes
// when its last handle closes. The basic information: its attributes (opened with
// FILE_WRITE_ATTRIBUTES), times of 0 left as they are.
constexpr ULONG FileBasicInformation = 4;
constexpr ULONG FileDispositionInformation = 13;
constexpr DWORD FILE_WRITE_ATTRIBUTES = 0x0100;
struct FILE_BASIC_INFORMATION {
    std::int64_t CreationTime;
    std::int64_t LastAccessTime;
    std::int64_t LastWriteTime;
    std::int64_t ChangeTime;
    ULONG FileAttributes;
};
struct FILE_DISPOSITION_INFORMATION {
    BYTE DeleteFile;
};
// The rename: the file open at `file` (opened with DELETE access) takes the name `FileName`
// (FileNameLength bytes, one component) in the directory open at `RootDirectory`, replacing
// what has that name only with ReplaceIfExists (a link there is replaced, never followed). A
// running program's image can be renamed, never deleted.
constexpr ULONG FileRenameInformation = 10;
struct FILE_RENAME_INFORMATION {
    BYTE ReplaceIfExists;
    HANDLE RootDirectory;
    ULONG FileNameLength;
    char16_t FileName[MAX_PATH];
};
NTSTATUS NtSetInformationFile(HANDLE file, const void* information, ULONG length, ULONG informationClass);

DWORD GetTempPathW(DWORD size, LPWSTR buffer);
UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR result);
DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size);
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size);
DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart);

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
