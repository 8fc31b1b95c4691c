// Simulated KERNEL32 calls that name a file by its path: deletion, attributes, moves and copies,
// searches, opening (the installer's pipe included), reading, and the temporary and path-form calls.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/files.h"
#include "platform/sim/faults.h"
#include "platform/sim/files_internal.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace win {

using sim::FileNode;
using sim::machine;

BOOL DeleteFileW(LPCWSTR path) {
    if (sim::FaultPoint("DeleteFileW")) return sim::Failure(BOOL{FALSE}, ERROR_SHARING_VIOLATION);
    machine().Log("DeleteFileW", sim::Narrow(sim::FromPtr(path)));
    FileNode* n = sim::Opened(sim::Lookup(sim::FromPtr(path)));
    if (!n) return sim::Fail(ERROR_FILE_NOT_FOUND);
    if (n->directory || n->deletePending) return sim::Fail(ERROR_ACCESS_DENIED);
    if (n->attributes & FILE_ATTRIBUTE_READONLY) return sim::Fail(ERROR_ACCESS_DENIED);
    if (sim::IsRunningImage(n)) return sim::Fail(ERROR_ACCESS_DENIED);
    if (n->inUse || sim::RemovalBlocked(n)) return sim::Fail(ERROR_SHARING_VIOLATION);
    sim::Detach(n);
    sim::Unlink(n);
    return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR path) {
    if (sim::FaultPoint("RemoveDirectoryW")) return sim::Failure(BOOL{FALSE}, ERROR_SHARING_VIOLATION);
    machine().Log("RemoveDirectoryW", sim::Narrow(sim::FromPtr(path)));
    FileNode* n = sim::Opened(sim::Lookup(sim::FromPtr(path)));
    if (!n) return sim::Fail(ERROR_FILE_NOT_FOUND);
    if (n->deletePending) return sim::Fail(ERROR_ACCESS_DENIED);
    // A handle open on the directory that does not share deletion holds it.
    if (sim::RemovalBlocked(n)) return sim::Fail(ERROR_SHARING_VIOLATION);
    if (!n->parent) return sim::Fail(ERROR_ACCESS_DENIED);  // a drive root
    if (!n->directory) return sim::Fail(ERROR_DIRECTORY);
    if (!n->reparse && !n->children.empty()) return sim::Fail(ERROR_DIR_NOT_EMPTY);
    if (n->attributes & FILE_ATTRIBUTE_READONLY) return sim::Fail(ERROR_ACCESS_DENIED);
    if (n->inUse) return sim::Fail(ERROR_SHARING_VIOLATION);
    sim::Unlink(n);
    return TRUE;
}

BOOL SetFileAttributesW(LPCWSTR path, DWORD attributes) {
    if (sim::FaultPoint("SetFileAttributesW")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    machine().Log("SetFileAttributesW", sim::Narrow(sim::FromPtr(path)));
    FileNode* n = sim::ThroughLink(sim::Lookup(sim::FromPtr(path)));
    if (!n) return sim::Fail(ERROR_FILE_NOT_FOUND);
    n->attributes = (attributes == FILE_ATTRIBUTE_NORMAL ? 0 : attributes) |
                    (n->directory ? FILE_ATTRIBUTE_DIRECTORY : 0);
    if (attributes == FILE_ATTRIBUTE_NORMAL && !n->directory) n->attributes = FILE_ATTRIBUTE_NORMAL;
    return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR path) {
    if (sim::FaultPoint("GetFileAttributesW")) return sim::Failure(INVALID_FILE_ATTRIBUTES, ERROR_ACCESS_DENIED);
    FileNode* n = sim::Lookup(sim::FromPtr(path));
    if (!n) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    WIN32_FIND_DATAW data;
    sim::FillFindData(*n, data);
    return data.dwFileAttributes;
}

static BOOL Move(LPCWSTR from, LPCWSTR to, bool replace) {
    FileNode* n = sim::Lookup(sim::FromPtr(from));
    if (!n) return sim::Fail(ERROR_FILE_NOT_FOUND);
    if (sim::RemovalBlocked(n)) return sim::Fail(ERROR_SHARING_VIOLATION);
    FileNode* parent = nullptr;
    std::u16string leaf;
    FileNode* existing = sim::Lookup(sim::FromPtr(to), &parent, &leaf);
    if (existing) {
        if (!replace || existing->directory) return sim::Fail(ERROR_ALREADY_EXISTS);
        if (existing->inUse || sim::RemovalBlocked(existing)) return sim::Fail(ERROR_ACCESS_DENIED);
        sim::Detach(existing);
        sim::Unlink(existing);
    }
    if (!parent || !parent->directory) return sim::Fail(ERROR_PATH_NOT_FOUND);
    sim::MoveNode(n, parent, leaf);
    return TRUE;
}

BOOL MoveFileW(LPCWSTR from, LPCWSTR to) {
    if (sim::FaultPoint("MoveFileW")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    machine().Log("MoveFileW", sim::Narrow(sim::FromPtr(from)) + " -> " + sim::Narrow(sim::FromPtr(to)));
    return Move(from, to, false);
}

BOOL MoveFileExW(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (sim::FaultPoint("MoveFileExW")) return sim::Failure(BOOL{FALSE}, ERROR_ACCESS_DENIED);
    machine().Log("MoveFileExW", sim::Narrow(sim::FromPtr(from)) + " -> " + sim::Narrow(sim::FromPtr(to)));
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        // The list of deletions at restart is the machine's: only an administrator writes it.
        if (!machine().system.elevated) return sim::Fail(ERROR_ACCESS_DENIED);
        if (!sim::Lookup(sim::FromPtr(from))) return sim::Fail(ERROR_FILE_NOT_FOUND);
        machine().files.pendingDeletes.push_back(sim::FromPtr(from));
        return TRUE;
    }
    return Move(from, to, flags & MOVEFILE_REPLACE_EXISTING);
}

BOOL CopyFileW(LPCWSTR from, LPCWSTR to, BOOL failIfExists) {
    if (sim::FaultPoint("CopyFileW")) return sim::Failure(BOOL{FALSE}, sim::kErrorDiskFull);
    machine().Log("CopyFileW", sim::Narrow(sim::FromPtr(from)) + " -> " + sim::Narrow(sim::FromPtr(to)));
    FileNode* n = sim::Lookup(sim::FromPtr(from));
    if (!n || n->directory) return sim::Fail(ERROR_FILE_NOT_FOUND);
    FileNode* parent = nullptr;
    std::u16string leaf;
    FileNode* existing = sim::Lookup(sim::FromPtr(to), &parent, &leaf);
    if (existing && failIfExists) return sim::Fail(ERROR_FILE_EXISTS);
    if (existing && (existing->directory || (existing->attributes & FILE_ATTRIBUTE_READONLY)))
        return sim::Fail(ERROR_ACCESS_DENIED);
    if (existing && (existing->inUse || sim::SharingViolation(existing, GENERIC_WRITE, 0)))
        return sim::Fail(ERROR_SHARING_VIOLATION);
    if (!parent) return sim::Fail(ERROR_PATH_NOT_FOUND);
    std::string content = n->content;
    if (!existing) existing = sim::Insert(parent, leaf, false);
    existing->content = content;
    return TRUE;
}

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* data) {
    if (sim::FaultPoint("FindFirstFileW")) return sim::Failure(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
    machine().Log("FindFirstFileW", sim::Narrow(sim::FromPtr(pattern)));
    std::u16string path = sim::FromPtr(pattern);
    if (path.empty() || path.back() == u'\\') {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto cut = path.find_last_of(u"\\/");
    std::u16string dir = cut == std::u16string::npos ? std::u16string() : path.substr(0, cut);
    std::u16string leaf = cut == std::u16string::npos ? path : path.substr(cut + 1);
    FileNode* parent = dir.empty() ? nullptr : sim::ThroughLink(sim::Lookup(dir.size() == 2 && dir[1] == u':' ? dir + u"\\" : dir));
    sim::FindState state;
    if (parent && parent->directory) {
        bool wild = leaf.find_first_of(u"*?") != std::u16string::npos;
        if (wild && parent->parent) {
            // Windows lists "." and ".." first in every directory but a drive root.
            WIN32_FIND_DATAW dot{};
            dot.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
            dot.cFileName[0] = u'.';
            if (sim::WildcardMatch(leaf, u".")) state.entries.push_back(dot);
            dot.cFileName[1] = u'.';
            if (sim::WildcardMatch(leaf, u"..")) state.entries.push_back(dot);
        }
        for (auto& c : parent->children) {
            if (wild ? (sim::WildcardMatch(leaf, c->name) ||
                        (!c->shortName.empty() && sim::WildcardMatch(leaf, c->shortName)))
                     : (sim::EqualNoCase(leaf, c->name) || sim::EqualNoCase(leaf, c->shortName))) {
                WIN32_FIND_DATAW d;
                sim::FillFindData(*c, d);
                state.entries.push_back(d);
            }
        }
    }
    if (state.entries.empty()) {
        SetLastError(parent ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = state.entries[0];
    state.next = 1;
    static std::uintptr_t next = 0x5000;
    auto handle = reinterpret_cast<HANDLE>(next++);
    sim::FindHandles()[handle] = std::move(state);
    return handle;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data) {
    if (sim::FaultPoint("FindNextFileW")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    auto it = sim::FindHandles().find(find);
    if (it == sim::FindHandles().end()) return sim::Fail(ERROR_INVALID_HANDLE);
    if (it->second.next >= it->second.entries.size()) return sim::Fail(ERROR_NO_MORE_FILES);
    *data = it->second.entries[it->second.next++];
    return TRUE;
}

BOOL FindClose(HANDLE find) {
    if (sim::FaultPoint("FindClose")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    return sim::FindHandles().erase(find) ? TRUE : sim::Fail(ERROR_INVALID_HANDLE);
}

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, void*, DWORD disposition, DWORD flags, HANDLE) {
    // A directory opened for removal is told apart from the files and pipes opened.
    machine().Log("CreateFileW", sim::Narrow(sim::FromPtr(path)) + ((flags & FILE_FLAG_BACKUP_SEMANTICS) ? " [directory]" : ""));
    std::u16string name = sim::FromPtr(path);
    sim::PipeState& pipe = machine().files.pipe;
    if (sim::FaultPoint("CreateFileW"))
        return sim::Failure(INVALID_HANDLE_VALUE,
                            sim::EqualNoCase(name, pipe.name) ? ERROR_PIPE_BUSY : ERROR_SHARING_VIOLATION);
    if (sim::EqualNoCase(name, pipe.name)) {
        pipe.openFlags = flags;
        if (!pipe.exists || pipe.refuseConnect) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        const HANDLE handle = sim::NextHandle();
        sim::OpenFile& open = sim::OpenFiles()[handle] = sim::OnNode(nullptr, true, access, share);
        if (pipe.squatterInstances > 0) {
            --pipe.squatterInstances;
            open.squatter = true;
        }
        return handle;
    }
    auto fail = [](DWORD error) {
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };
    FileNode* parent = nullptr;
    std::u16string leaf;
    FileNode* n = sim::Lookup(name, &parent, &leaf);
    // The last component is followed too, unless the open asks for the link itself.
    n = (flags & FILE_FLAG_OPEN_REPARSE_POINT) ? sim::Opened(n) : sim::ThroughLink(n);
    if (n && n->deletePending) return fail(ERROR_ACCESS_DENIED);
    if (n && n->directory && !(flags & FILE_FLAG_BACKUP_SEMANTICS)) return fail(ERROR_ACCESS_DENIED);
    if (n && disposition == CREATE_NEW) return fail(ERROR_FILE_EXISTS);
    if (n && sim::SharingViolation(n, access, share)) return fail(ERROR_SHARING_VIOLATION);
    if ((disposition == CREATE_ALWAYS || disposition == CREATE_NEW) && (access & GENERIC_WRITE)) {
        // A new file needs its directory: nothing above it is created.
        if (!n && (!parent || !parent->directory || parent->deletePending)) return fail(ERROR_PATH_NOT_FOUND);
        if (!n) n = sim::Insert(parent, leaf, false);
        n->content.clear();
    }
    if (!n) return fail(parent ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    const HANDLE handle = sim::NextHandle();
    sim::OpenFiles()[handle] = sim::OnNode(n, false, access, share);
    return handle;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD size, DWORD* read, void*) {
    if (sim::FaultPoint("ReadFile")) return sim::Failure(BOOL{FALSE}, sim::kErrorLockViolation);
    auto it = sim::OpenFiles().find(file);
    if (it == sim::OpenFiles().end() || it->second.pipe) return sim::Fail(ERROR_INVALID_HANDLE);
    if (!it->second.node || !sim::Reads(it->second.access)) return sim::Fail(ERROR_ACCESS_DENIED);
    const std::string& content = it->second.node->content;
    std::size_t available = content.size() - std::min(content.size(), it->second.position);
    std::size_t count = std::min<std::size_t>(size, available);
    std::memcpy(buffer, content.data() + it->second.position, count);
    it->second.position += count;
    if (read) *read = static_cast<DWORD>(count);
    return TRUE;
}

DWORD GetFileSize(HANDLE file, DWORD* high) {
    if (sim::FaultPoint("GetFileSize")) return sim::Failure(INVALID_FILE_SIZE, ERROR_ACCESS_DENIED);
    auto it = sim::OpenFiles().find(file);
    if (high) *high = 0;
    if (it == sim::OpenFiles().end() || it->second.pipe || !it->second.node) return INVALID_FILE_SIZE;
    return static_cast<DWORD>(it->second.node->content.size());
}

DWORD GetTempPathW(DWORD size, LPWSTR buffer) {
    if (sim::FaultPoint("GetTempPathW")) return sim::Failure(DWORD{0}, ERROR_NOT_ENOUGH_MEMORY);
    const std::u16string& temp = machine().system.tempPath;
    if (!sim::CopyOut(temp, buffer, size)) return static_cast<DWORD>(temp.size() + 1);
    return static_cast<DWORD>(temp.size());
}

UINT GetTempFileNameW(LPCWSTR directory, LPCWSTR prefix, UINT unique, LPWSTR result) {
    if (sim::FaultPoint("GetTempFileNameW")) return sim::Failure(UINT{0}, ERROR_ACCESS_DENIED);
    machine().Log("GetTempFileNameW", sim::Narrow(sim::FromPtr(directory)));
    auto& sys = machine().system;
    if (sys.failTempFileName) return sim::Fail(ERROR_ACCESS_DENIED);
    std::u16string dir = sim::FromPtr(directory);
    if (!dir.empty() && dir.back() != u'\\') dir += u'\\';
    FileNode* parent = sim::Lookup(dir);
    if (!parent || !parent->directory) return sim::Fail(ERROR_PATH_NOT_FOUND);
    std::u16string pre = sim::FromPtr(prefix).substr(0, 3);
    // As Windows does within one tick of its clock: the search starts at the same number each
    // time and takes the first that is free, so a name given back is handed out again.
    UINT next = sys.nextTempNumber;
    for (UINT n = unique ? unique : next++;; n = next++) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%X", n & 0xFFFF);
        std::u16string path = dir + pre + sim::Widen(hex) + u".tmp";
        if (!sim::Lookup(path)) {
            if (path.size() + 1 > MAX_PATH) return sim::Fail(ERROR_FILENAME_EXCED_RANGE);
            if (!unique) machine().files.AddFile(path);
            sim::CopyOut(path, result, MAX_PATH);
            return n & 0xFFFF;
        }
        if (unique) return sim::Fail(ERROR_FILE_EXISTS);
    }
}

// As Windows does, only the form of a component changes: one that has the other form is
// replaced by it, every other keeps the caller's spelling, letter case included.
static DWORD ConvertPath(LPCWSTR in, LPWSTR out, DWORD size, bool toShort) {
    std::u16string path = sim::FromPtr(in);
    FileNode* n = sim::Lookup(path);
    char16_t drive;
    std::vector<std::u16string> given;
    if (!n || !sim::ParsePath(path, drive, given)) return sim::Fail(ERROR_FILE_NOT_FOUND);
    std::vector<const FileNode*> chain;
    for (const FileNode* p = n; p; p = p->parent) chain.push_back(p);
    if (chain.size() != given.size() + 1) return sim::Fail(ERROR_FILE_NOT_FOUND);
    std::u16string result = chain.back()->name;
    std::size_t i = 0;
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it, ++i) {
        const FileNode& node = **it;
        const bool isAlias = !node.shortName.empty() && sim::EqualNoCase(given[i], node.shortName) &&
                             !sim::EqualNoCase(given[i], node.name);
        if (toShort) result += u"\\" + (node.shortName.empty() ? given[i] : isAlias ? given[i] : node.shortName);
        else result += u"\\" + (isAlias ? node.name : given[i]);
    }
    if (chain.size() == 1 || (!path.empty() && path.back() == u'\\')) result += u"\\";
    if (!sim::CopyOut(result, out, size)) return static_cast<DWORD>(result.size() + 1);
    return static_cast<DWORD>(result.size());
}

DWORD GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size) {
    if (sim::FaultPoint("GetShortPathNameW")) return sim::Failure(DWORD{0}, ERROR_ACCESS_DENIED);
    if (machine().system.failShortPath) return sim::Fail(ERROR_ACCESS_DENIED);
    return ConvertPath(longPath, shortPath, size, true);
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD size) {
    if (sim::FaultPoint("GetLongPathNameW")) return sim::Failure(DWORD{0}, ERROR_ACCESS_DENIED);
    if (shortPath) machine().Log("GetLongPathNameW", sim::Narrow(shortPath));
    return ConvertPath(shortPath, longPath, size, false);
}

DWORD GetFullPathNameW(LPCWSTR path, DWORD size, LPWSTR buffer, LPWSTR* filePart) {
    if (sim::FaultPoint("GetFullPathNameW")) return sim::Failure(DWORD{0}, ERROR_NOT_ENOUGH_MEMORY);
    if (filePart) *filePart = nullptr;
    // A path that names its drive's root or a share stands as it is; any other is taken from the
    // current directory.
    const std::u16string given = sim::FromPtr(path);
    if (given.empty()) return sim::Failure(DWORD{0}, ERROR_INVALID_NAME);
    const bool full = (given.size() >= 3 && given[1] == u':' && given[2] == u'\\') || given.compare(0, 2, u"\\\\") == 0;
    std::u16string result = full ? given : machine().files.currentDirectory + u"\\" + given;
    if (!sim::CopyOut(result, buffer, size)) return static_cast<DWORD>(result.size() + 1);
    return static_cast<DWORD>(result.size());
}

}  // namespace win
