// Directory trees in the temporary directory: the program's RemoveDirectoryTree, the calls its
// walk through handles makes written out bare, the walk by name it replaced written out bare,
// and SHFileOperationW.
#include "engine/files/directory_tree.h"

#include "tree_bench.h"

#include "stopwatch.h"

#include <shellapi.h>
#include <winternl.h>

namespace bench {
namespace {

constexpr int kFanOut = 6;
constexpr int kDepth = 3;
constexpr int kFilesPerDirectory = 8;

std::wstring BenchDirectory() {
    wchar_t temp[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) return L"C:\\windows\\temp\\Orvik Tree Bench";
    return std::wstring(temp) + L"Orvik Tree Bench";
}

void WriteFiles(const std::wstring& directory) {
    static const char content[] = "%PDF-1.4 stamp placeholder written by the tree benchmark\n";
    for (int i = 0; i < kFilesPerDirectory; ++i) {
        const std::wstring path = directory + L"\\File" + std::to_wstring(i) + L".pdf";
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD written;
        WriteFile(file, content, sizeof content - 1, &written, nullptr);
        CloseHandle(file);
    }
}

void BuildBelow(const std::wstring& directory, int depth) {
    WriteFiles(directory);
    if (depth == kDepth) return;
    for (int i = 0; i < kFanOut; ++i) {
        const std::wstring child = directory + L"\\Dir" + std::to_wstring(i);
        CreateDirectoryW(child.c_str(), nullptr);
        BuildBelow(child, depth + 1);
    }
}

std::wstring Place(int slot) { return BenchDirectory() + L"\\Tree" + std::to_wstring(slot); }

void Build(const std::wstring& tree) {
    CreateDirectoryW(BenchDirectory().c_str(), nullptr);
    CreateDirectoryW(tree.c_str(), nullptr);
    BuildBelow(tree, 0);
}

bool Gone(const std::wstring& tree) { return GetFileAttributesW(tree.c_str()) == INVALID_FILE_ATTRIBUTES; }

int DirectoryCount() {
    int count = 1, level = 1;
    for (int depth = 0; depth < kDepth; ++depth) count += (level *= kFanOut);
    return count;
}

// ---- the program's function, as shipped ----

void RemoveWithOurs(const std::wstring& tree) {
    engine::RemovalContext context;  // heard by nobody, as the benchmark writes no log
    engine::files::RemoveDirectoryTree(context, std::u16string(reinterpret_cast<const char16_t*>(tree.c_str())));
}

// ---- the walk by name the handles replaced, as bare Win32 calls in fixed buffers ----

void BareRemoveMatches(const wchar_t* pattern) {
    wchar_t directory[MAX_PATH];
    lstrcpynW(directory, pattern, MAX_PATH);
    wchar_t* cut = wcsrchr(directory, L'\\');
    if (!cut) return;
    *cut = 0;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const wchar_t* name = entry.cFileName;
        if (!wcscmp(name, L".") || !wcscmp(name, L"..")) continue;
        wchar_t path[MAX_PATH];
        if (!Fits(_snwprintf(path, MAX_PATH, L"%ls\\%ls", directory, name))) continue;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileW(path);
            continue;
        }
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            wchar_t below[MAX_PATH];
            if (Fits(_snwprintf(below, MAX_PATH, L"%ls\\*.*", path))) {
                BareRemoveMatches(below);
            }
        }
        RemoveDirectoryW(path);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void RemoveBare(const std::wstring& tree) {
    // The walk looks once at the searched directory's parent, to refuse a link there.
    const std::wstring parent = tree.substr(0, tree.find_last_of(L'\\'));
    const DWORD attributes = GetFileAttributesW(parent.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    BareRemoveMatches(tree.c_str());
    RemoveDirectoryW(tree.c_str());
}

// ---- the calls of the walk through handles, bare ----
//
// In the order RemoveDirectoryTree makes them for a tree named by its path: the parent opened by
// its path as itself and judged (attributes and final path), the tree opened relative to it
// (once to see what it is, once with the rights to list and delete), then for every directory
// its listing, for every file a relative open, its attributes, its final path, its disposition
// and its close, and for every directory below the same before its own disposition and close.

using NtOpenFileFn = LONG(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, ULONG, ULONG);
using NtQueryDirectoryFileFn = LONG(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG,
                                            BOOLEAN, PUNICODE_STRING, BOOLEAN);
using NtInformationFn = LONG(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG);

struct NtCalls {
    NtOpenFileFn open;
    NtQueryDirectoryFileFn list;
    NtInformationFn query;
    NtInformationFn set;
};

const NtCalls& Nt() {
    static const NtCalls calls = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return NtCalls{reinterpret_cast<NtOpenFileFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtOpenFile"))),
                       reinterpret_cast<NtQueryDirectoryFileFn>(
                           reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryDirectoryFile"))),
                       reinterpret_cast<NtInformationFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationFile"))),
                       reinterpret_cast<NtInformationFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")))};
    }();
    return calls;
}

constexpr ULONG kAttributeTagClass = 35;  // FileAttributeTagInformation
constexpr ULONG kDispositionClass = 13;   // FileDispositionInformation
constexpr ULONG kDirectoryClass = 1;      // FileDirectoryInformation
constexpr ULONG kOpenReparsePoint = 0x00200000, kBackupIntent = 0x00004000, kSynchronousIo = 0x00000020;
constexpr ULONG kDirectoryFile = 0x00000001, kNonDirectoryFile = 0x00000040;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kTreeAccess = FILE_LIST_DIRECTORY | DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

// The judging of an open handle: its attributes and its final path.
void BareJudge(HANDLE handle) {
    IO_STATUS_BLOCK status;
    DWORD tag[2];
    Nt().query(handle, &status, tag, sizeof tag, kAttributeTagClass);
    wchar_t final[2 * MAX_PATH];
    GetFinalPathNameByHandleW(handle, final, 2 * MAX_PATH, 0);
}

HANDLE BareOpenChild(HANDLE parent, const wchar_t* name, ULONG length, DWORD access, ULONG kind) {
    UNICODE_STRING text{static_cast<USHORT>(length), static_cast<USHORT>(length), const_cast<PWSTR>(name)};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE opened = nullptr;
    if (Nt().open(&opened, access, &attributes, &status, kShareAll, kOpenReparsePoint | kSynchronousIo | kBackupIntent | kind))
        return nullptr;
    BareJudge(opened);
    return opened;
}

void BareDispose(HANDLE handle) {
    IO_STATUS_BLOCK status;
    BOOLEAN deleteFile = TRUE;
    Nt().set(handle, &status, &deleteFile, sizeof deleteFile, kDispositionClass);
    CloseHandle(handle);
}

void BareDeleteTreeOpen(HANDLE directory) {
    alignas(8) unsigned char buffer[4096];
    for (BOOLEAN first = TRUE;; first = FALSE) {
        IO_STATUS_BLOCK status;
        if (Nt().list(directory, nullptr, nullptr, nullptr, &status, buffer, sizeof buffer, kDirectoryClass, FALSE,
                      nullptr, first))
            break;
        for (ULONG at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_DIRECTORY_INFORMATION*>(buffer + at);
            const ULONG length = entry->FileNameLength;
            const bool dots = (length == 2 && entry->FileName[0] == L'.') ||
                              (length == 4 && entry->FileName[0] == L'.' && entry->FileName[1] == L'.');
            if (!dots) {
                if (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    if (HANDLE child = BareOpenChild(directory, entry->FileName, length, kTreeAccess, kDirectoryFile))
                        BareDeleteTreeOpen(child);
                } else if (HANDLE file = BareOpenChild(directory, entry->FileName, length,
                                                       DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kNonDirectoryFile)) {
                    BareDispose(file);
                }
            }
            if (!entry->NextEntryOffset) break;
            at += entry->NextEntryOffset;
        }
    }
    BareDispose(directory);
}

void RemoveBareThroughHandles(const std::wstring& tree) {
    const std::size_t cut = tree.find_last_of(L'\\');
    const std::wstring parentPath = tree.substr(0, cut);
    const std::wstring leaf = tree.substr(cut + 1);
    HANDLE parent = CreateFileW(parentPath.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (parent == INVALID_HANDLE_VALUE) return;
    BareJudge(parent);
    const ULONG length = static_cast<ULONG>(leaf.size() * sizeof(wchar_t));
    if (HANDLE looked = BareOpenChild(parent, leaf.c_str(), length, DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE, 0))
        CloseHandle(looked);
    if (HANDLE directory = BareOpenChild(parent, leaf.c_str(), length, kTreeAccess, kDirectoryFile))
        BareDeleteTreeOpen(directory);
    CloseHandle(parent);
}

// ---- the system's own ----

void RemoveWithShellOperation(const std::wstring& tree) {
    std::wstring from = tree;
    from.push_back(L'\0');  // the list of sources ends in two terminators
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

void Clear() {
    const std::wstring directory = BenchDirectory();
    if (GetFileAttributesW(directory.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    RemoveWithShellOperation(directory);
}

}  // namespace

TreeKind DirectoryTrees() {
    const int directories = DirectoryCount();
    return {L"directory tree",
            std::to_wstring(directories) + L" directories, " + std::to_wstring(directories * kFilesPerDirectory) +
                L" files",
            Place,
            Build,
            Gone,
            Clear,
            {{L"RemoveDirectoryTree", RemoveWithOurs},
             {L"its calls, bare", RemoveBareThroughHandles},
             {L"walk by name, bare", RemoveBare},
             {L"SHFileOperationW", RemoveWithShellOperation}}};
}

}  // namespace bench
