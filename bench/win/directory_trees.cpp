// Directory trees in the temporary directory: the program's RemoveDirectoryTree, the same walk
// written out bare, and SHFileOperationW.
#include "engine/files/directory_tree.h"

#include "tree_bench.h"

#include "stopwatch.h"

#include <shellapi.h>

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
    engine::files::RemoveDirectoryTree(std::u16string(reinterpret_cast<const char16_t*>(tree.c_str())));
}

// ---- the same walk, as bare Win32 calls in fixed buffers ----

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
             {L"bare call sequence", RemoveBare},
             {L"SHFileOperationW", RemoveWithShellOperation}}};
}

}  // namespace bench
