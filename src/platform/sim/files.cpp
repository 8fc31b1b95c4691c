// Simulated KERNEL32 file-system and pipe calls.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cstdio>
#include <functional>

#include "platform/files.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/system.h"

namespace sim {

FileNode* FileNode::Child(const std::u16string& childName) const {
    for (const auto& c : children)
        if (EqualNoCase(c->name, childName) || (!c->shortName.empty() && EqualNoCase(c->shortName, childName)))
            return c.get();
    return nullptr;
}

namespace {

// The share a path "\\server\share\..." begins with: its volume's key, and the length of its name.
bool FindShare(const std::u16string& path, char16_t& key, std::size_t& length) {
    for (const auto& [volume, root] : machine().files.drives) {
        const std::u16string& share = root->name;
        if (share.compare(0, 2, u"\\\\") != 0 || path.size() < share.size()) continue;
        if (!EqualNoCase(path.substr(0, share.size()), share)) continue;
        if (path.size() > share.size() && path[share.size()] != u'\\' && path[share.size()] != u'/') continue;
        key = volume;
        length = share.size();
        return true;
    }
    return false;
}

// The path as named: on the drive its letter says, an alias not yet followed.
bool ParseNamedPath(const std::u16string& path, char16_t& drive, std::vector<std::u16string>& parts) {
    parts.clear();
    std::u16string rest;
    const auto separator = [](char16_t c) { return c == u'\\' || c == u'/'; };
    // "\\?\X:\..." is taken as it stands: no "." or ".." resolved, "/" no separator, no doubled
    // separator or trailing dot dropped. A name Windows would have normalised cannot be found.
    if (path.compare(0, 4, u"\\\\?\\") == 0) {
        if (path.size() < 7 || path[5] != u':' || path[6] != u'\\') return false;
        drive = FoldCase(path[4]);
        std::u16string part;
        for (std::size_t i = 7; i <= path.size(); ++i) {
            if (i < path.size() && path[i] != u'\\') {
                part += path[i];
                continue;
            }
            if (part.empty() && i == path.size()) break;
            if (part.empty() || part == u"." || part == u".." || part.find(u'/') != std::u16string::npos) return false;
            parts.push_back(part);
            part.clear();
        }
        return true;
    }
    // Devices ("\\.\device") and shares the machine does not know are no drive of it.
    std::size_t shareLength = 0;
    if (path.size() >= 2 && separator(path[0]) && separator(path[1])) {
        if (!FindShare(path, drive, shareLength)) return false;
        rest = path.substr(shareLength);
    } else if (path.size() >= 2 && path[1] == u':') {
        drive = FoldCase(path[0]);
        rest = path.substr(2);
        // "C:" and "C:name" are relative to the current directory of drive C, not its root.
        const std::u16string& cwd = machine().files.currentDirectory;
        if ((rest.empty() || (rest[0] != u'\\' && rest[0] != u'/')) && cwd.size() >= 2 && FoldCase(cwd[0]) == drive)
            rest = cwd.substr(2) + u"\\" + rest;
    } else if (!path.empty() && (path[0] == u'\\' || path[0] == u'/')) {
        drive = u'C';
        rest = path;
    } else {
        std::u16string cwd = machine().files.currentDirectory;
        if (path.empty()) return false;
        return ParseNamedPath(cwd + u"\\" + path, drive, parts);
    }
    std::u16string part;
    auto flush = [&] {
        // Windows drops the dots and blanks that end a name.
        if (part != u"." && part != u"..")
            while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.pop_back();
        if (part.empty() || part == u".") {
        } else if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else {
            parts.push_back(part);
        }
        part.clear();
    };
    for (char16_t c : rest) {
        if (c == u'\\' || c == u'/') flush();
        else part += c;
    }
    flush();
    return true;
}

}  // namespace

bool ParsePath(const std::u16string& path, char16_t& drive, std::vector<std::u16string>& parts) {
    if (!ParseNamedPath(path, drive, parts)) return false;
    // A letter that stands for another path (subst, a mapped share) leads into that path: ".."
    // never climbs above the letter's root, which is the target.
    const auto& aliases = machine().files.driveAliases;
    const auto alias = aliases.find(drive);
    if (alias == aliases.end()) return true;
    std::vector<std::u16string> target;
    if (!ParseNamedPath(alias->second, drive, target)) return false;
    target.insert(target.end(), parts.begin(), parts.end());
    parts = std::move(target);
    return true;
}

std::u16string FullPath(const FileNode* node) {
    std::vector<const FileNode*> chain;
    for (const FileNode* n = node; n; n = n->parent) chain.push_back(n);
    std::u16string path = chain.back()->name;  // "C:"
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) path += u"\\" + (*it)->name;
    if (chain.size() == 1) path += u"\\";
    return path;
}

bool WildcardMatch(const std::u16string& pattern, const std::u16string& name) {
    // "*.*" matches every name, as on Windows; otherwise '*' and '?' as usual.
    if (pattern == u"*.*" || pattern == u"*") return true;
    std::function<bool(std::size_t, std::size_t)> match = [&](std::size_t p, std::size_t n) -> bool {
        if (p == pattern.size()) return n == name.size();
        if (pattern[p] == u'*') {
            for (std::size_t k = n; k <= name.size(); ++k)
                if (match(p + 1, k)) return true;
            return false;
        }
        if (n == name.size()) return false;
        if (pattern[p] == u'?' || FoldCase(pattern[p]) == FoldCase(name[n])) return match(p + 1, n + 1);
        return false;
    };
    return match(0, 0);
}

namespace {

FileNode* DriveRoot(char16_t drive, bool create) {
    auto& drives = machine().files.drives;
    auto it = drives.find(drive);
    if (it != drives.end()) return it->second.get();
    if (!create) return nullptr;
    auto node = std::make_unique<FileNode>();
    node->name = std::u16string(1, drive) + u":";
    node->directory = true;
    node->attributes = win::FILE_ATTRIBUTE_DIRECTORY;
    FileNode* raw = node.get();
    drives[drive] = std::move(node);
    return raw;
}

FileNode* Insert(FileNode* parent, const std::u16string& name, bool directory) {
    auto node = std::make_unique<FileNode>();
    node->name = name;
    node->parent = parent;
    node->directory = directory;
    node->attributes = directory ? win::FILE_ATTRIBUTE_DIRECTORY : win::FILE_ATTRIBUTE_ARCHIVE;
    FileNode* raw = node.get();
    auto at = std::lower_bound(parent->children.begin(), parent->children.end(), node,
                               [](const auto& a, const auto& b) { return LessNoCase(a->name, b->name); });
    parent->children.insert(at, std::move(node));
    return raw;
}

std::unique_ptr<FileNode> Unlink(FileNode* node) {
    auto& list = node->parent->children;
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == node; });
    std::unique_ptr<FileNode> owned = std::move(*it);
    list.erase(it);
    owned->parent = nullptr;
    return owned;
}

FileNode* ThroughLink(FileNode* node);

// What an open of the path ending at `node` reaches: the node itself, but the target of a Unix
// link, which Wine follows whatever the open asks.
FileNode* Opened(FileNode* node) { return node && node->unixLink ? ThroughLink(node) : node; }

FileNode* Lookup(const std::u16string& path, FileNode** parentOut = nullptr, std::u16string* leafOut = nullptr) {
    char16_t drive;
    std::vector<std::u16string> parts;
    if (parentOut) *parentOut = nullptr;
    if (!ParsePath(path, drive, parts)) return nullptr;
    FileNode* node = DriveRoot(drive, false);
    if (!node) return nullptr;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        node = ThroughLink(node);
        if (!node || !node->directory) return nullptr;
        if (i + 1 == parts.size()) {
            if (parentOut) *parentOut = node;
            if (leafOut) *leafOut = parts[i];
        }
        node = node->Child(parts[i]);
        if (!node) return nullptr;
    }
    return node;
}

// A path that goes on through a junction or symbolic link continues in its target, as on
// Windows; the link itself is what a path ending at it names.
FileNode* ThroughLink(FileNode* node) {
    for (int hops = 0; node && (node->reparse || node->unixLink); ++hops) {
        if (hops == 8) return nullptr;  // a loop of links
        node = Lookup(node->linkTarget);
    }
    return node;
}

FileNode& Make(const std::u16string& path, bool directory) {
    char16_t drive;
    std::vector<std::u16string> parts;
    ParsePath(path, drive, parts);
    FileNode* node = DriveRoot(drive, true);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        FileNode* child = node->Child(parts[i]);
        if (!child) child = Insert(node, parts[i], directory || i + 1 < parts.size());
        node = child;
    }
    return *node;
}

bool Fail(win::DWORD error) {
    win::SetLastError(error);
    return false;
}

struct FindState {
    std::vector<win::WIN32_FIND_DATAW> entries;
    std::size_t next = 0;
};
std::map<win::HANDLE, FindState>& FindHandles() {
    static std::map<win::HANDLE, FindState> handles;
    return handles;
}

void FillFindData(const FileNode& node, win::WIN32_FIND_DATAW& data) {
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = node.attributes | (node.directory ? win::FILE_ATTRIBUTE_DIRECTORY : 0) |
                            (node.reparse || (node.unixLink && node.directory) ? win::FILE_ATTRIBUTE_REPARSE_POINT : 0);
    data.nFileSizeLow = static_cast<win::DWORD>(node.content.size());
    CopyOut(node.name.substr(0, win::MAX_PATH - 1), data.cFileName, win::MAX_PATH);
    CopyOut(node.shortName.substr(0, 13), data.cAlternateFileName, 14);
}

struct OpenFile {
    FileNode* node = nullptr;  // null for the pipe, and once the file is deleted
    std::size_t position = 0;
    bool pipe = false;
    win::DWORD access = 0;
    win::DWORD share = 0;
    bool squatter = false;  // an instance of the pipe that another process serves
    bool event = false;     // an event object, not a file
    bool signalled = false;
    bool anonymousPipe = false;  // one end of an anonymous pipe
    bool inheritable = false;
    bool listed = false;          // NtQueryDirectoryFile has begun: `listedUpTo` is the last name given
    std::u16string listedUpTo;
};
OpenFile OnNode(FileNode* node, bool pipe, win::DWORD access, win::DWORD share) {
    OpenFile open;
    open.node = node;
    open.pipe = pipe;
    open.access = access;
    open.share = share;
    return open;
}

std::map<win::HANDLE, OpenFile>& OpenFiles() {
    static std::map<win::HANDLE, OpenFile> files;
    return files;
}

// Writes left pending by a server that never reads, by their overlapped record.
struct PendingWrite {
    win::HANDLE file = nullptr;
    bool cancelled = false;
};
std::map<win::OVERLAPPED*, PendingWrite>& PendingWrites() {
    static std::map<win::OVERLAPPED*, PendingWrite> writes;
    return writes;
}

void SetEvent(win::HANDLE event, bool signalled) {
    auto it = OpenFiles().find(event);
    if (it != OpenFiles().end() && it->second.event) it->second.signalled = signalled;
}

win::HANDLE NextHandle() {
    static std::uintptr_t next = 0x7000;
    return reinterpret_cast<win::HANDLE>(next++);
}

// Access as the sharing rules count it: reading (data or execution), writing, deleting.
constexpr win::DWORD kDeleteAccess = 0x00010000;
bool Reads(win::DWORD access) { return access & (win::GENERIC_READ | 0x1 | 0x20); }
bool Writes(win::DWORD access) { return access & (win::GENERIC_WRITE | 0x2 | 0x4); }
bool Deletes(win::DWORD access) { return access & kDeleteAccess; }

// Whether an open with `access` and `share` clashes with a handle already open on `node`.
bool SharingViolation(const FileNode* node, win::DWORD access, win::DWORD share) {
    for (const auto& [handle, open] : OpenFiles()) {
        if (open.node != node) continue;
        if ((Reads(access) && !(open.share & win::FILE_SHARE_READ)) ||
            (Writes(access) && !(open.share & win::FILE_SHARE_WRITE)) ||
            (Deletes(access) && !(open.share & win::FILE_SHARE_DELETE)) ||
            (Reads(open.access) && !(share & win::FILE_SHARE_READ)) ||
            (Writes(open.access) && !(share & win::FILE_SHARE_WRITE)) ||
            (Deletes(open.access) && !(share & win::FILE_SHARE_DELETE)))
            return true;
    }
    return false;
}

// Deleting or renaming needs delete access, which every open handle must share.
bool RemovalBlocked(const FileNode* node) { return SharingViolation(node, kDeleteAccess, ~0u); }

// Handles left open on a deleted file read and write nothing more.
void Detach(const FileNode* node) {
    for (auto& [handle, open] : OpenFiles())
        if (open.node == node) open.node = nullptr;
}

// An executable is mapped as an image while it runs: it cannot be deleted.
bool IsRunningImage(const FileNode* node) {
    if (!node || node->directory) return false;
    for (const std::u16string& image : machine().system.runningImages)
        if (Lookup(image) == node) return true;
    return false;
}

}  // namespace

FileNode& FileSystem::AddFile(const std::u16string& path, const std::string& content) {
    FileNode& node = Make(path, false);
    node.content = content;
    return node;
}

FileNode& FileSystem::AddDirectory(const std::u16string& path) { return Make(path, true); }

FileNode& FileSystem::AddJunction(const std::u16string& path, const std::u16string& target) {
    FileNode& node = Make(path, true);
    node.reparse = true;
    node.linkTarget = target;
    node.attributes |= win::FILE_ATTRIBUTE_REPARSE_POINT;
    return node;
}

FileNode& FileSystem::AddFileLink(const std::u16string& path, const std::u16string& target) {
    FileNode& node = Make(path, false);
    node.reparse = true;
    node.linkTarget = target;
    node.attributes |= win::FILE_ATTRIBUTE_REPARSE_POINT;
    return node;
}

FileNode& FileSystem::AddUnixLink(const std::u16string& path, const std::u16string& target) {
    FileNode* reached = Lookup(target);
    FileNode& node = Make(path, reached && reached->directory);
    node.unixLink = true;
    node.linkTarget = target;
    return node;
}

void FileSystem::AddDriveAlias(char16_t letter, const std::u16string& target) {
    driveAliases[FoldCase(letter)] = target;
}

void FileSystem::AddShare(const std::u16string& share) {
    auto root = std::make_unique<FileNode>();
    root->name = share;
    root->directory = true;
    root->attributes = win::FILE_ATTRIBUTE_DIRECTORY;
    char16_t key = u'Z' + 1;
    while (drives.count(key)) ++key;
    drives[key] = std::move(root);
}

FileNode& FileSystem::AddMountedVolume(const std::u16string& path, char16_t letter) {
    DriveRoot(FoldCase(letter), true);
    return AddJunction(path, std::u16string(1, FoldCase(letter)) + u":\\");
}

FileNode* FileSystem::Find(const std::u16string& path) { return Lookup(path); }

bool FileSystem::IsDirectory(const std::u16string& path) {
    FileNode* n = Find(path);
    return n && n->directory;
}

std::vector<std::u16string> FileSystem::List(const std::u16string& directory) {
    std::vector<std::u16string> names;
    if (FileNode* n = Find(directory))
        for (auto& c : n->children) names.push_back(c->name);
    return names;
}

std::vector<std::u16string> FileSystem::AllPaths() {
    std::vector<std::u16string> out;
    std::function<void(const FileNode&)> walk = [&](const FileNode& n) {
        for (auto& c : n.children) {
            out.push_back(FullPath(c.get()));
            walk(*c);
        }
    };
    for (auto& [letter, root] : drives) walk(*root);
    return out;
}

bool CloseFileHandle(win::HANDLE handle) {
    auto it = OpenFiles().find(handle);
    if (it == OpenFiles().end()) return false;
    if (it->second.pipe) machine().Log("CloseHandle", "pipe");
    FileNode* node = it->second.node;
    OpenFiles().erase(it);
    // A file marked for deletion goes with its last handle.
    if (node && node->deletePending && node->parent &&
        std::none_of(OpenFiles().begin(), OpenFiles().end(), [&](const auto& open) { return open.second.node == node; }))
        Unlink(node);
    // Closing a file ends what was pending on it.
    for (auto pending = PendingWrites().begin(); pending != PendingWrites().end();)
        pending = pending->second.file == handle ? PendingWrites().erase(pending) : std::next(pending);
    return true;
}

bool IsInheritable(win::HANDLE handle) {
    auto it = OpenFiles().find(handle);
    return it != OpenFiles().end() && it->second.inheritable;
}

int EventState(win::HANDLE handle) {
    auto it = OpenFiles().find(handle);
    if (it == OpenFiles().end() || !it->second.event) return -1;
    return it->second.signalled ? 1 : 0;
}

bool IsOpenForWriting(const FileNode* node) {
    for (const auto& [handle, open] : OpenFiles())
        if (open.node == node && Writes(open.access)) return true;
    return false;
}
std::size_t OpenFileCount() { return OpenFiles().size(); }
std::size_t OpenSearchCount() { return FindHandles().size(); }

void ResetFileHandles() {
    FindHandles().clear();
    OpenFiles().clear();
    PendingWrites().clear();
}

}  // namespace sim

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

// Takes `node` out of its directory and puts it into `parent` as `leaf`, in name order.
static void MoveNode(FileNode* node, FileNode* parent, const std::u16string& leaf) {
    auto owned = sim::Unlink(node);
    owned->name = leaf;
    owned->shortName.clear();
    owned->parent = parent;
    auto at = std::lower_bound(parent->children.begin(), parent->children.end(), owned,
                               [](const auto& a, const auto& b) { return sim::LessNoCase(a->name, b->name); });
    parent->children.insert(at, std::move(owned));
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
    MoveNode(n, parent, leaf);
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

BOOL WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD* written, void* overlappedRecord) {
    auto it = sim::OpenFiles().find(file);
    std::string bytes(static_cast<const char*>(buffer), size);
    // The log keeps every report the program tried to make, also one that fails.
    const bool pipe = it != sim::OpenFiles().end() && it->second.pipe;
    if (pipe) machine().Log("WriteFile", "pipe " + bytes);
    if (sim::FaultPoint("WriteFile")) {
        if (written) *written = 0;
        return sim::Failure(BOOL{FALSE}, pipe ? sim::kErrorNoData : sim::kErrorDiskFull);
    }
    if (it == sim::OpenFiles().end()) return sim::Fail(ERROR_INVALID_HANDLE);
    auto* overlapped = static_cast<OVERLAPPED*>(overlappedRecord);
    sim::PipeState& state = machine().files.pipe;
    if (it->second.pipe && it->second.squatter) {
        state.squatterWrites.push_back(bytes);
    } else if (it->second.pipe && state.neverReads) {
        if (written) *written = 0;
        // Without an overlapped record the writer would wait for ever.
        if (!overlapped) {
            ++state.writesBlockedForever;
            return sim::Fail(ERROR_IO_PENDING);
        }
        sim::SetEvent(overlapped->hEvent, false);
        sim::PendingWrites()[overlapped] = sim::PendingWrite{file, false};
        return sim::Fail(ERROR_IO_PENDING);
    } else if (it->second.pipe) {
        state.writes.push_back(bytes);
    } else if (it->second.node && sim::Writes(it->second.access)) {
        it->second.node->content += bytes;
    } else {
        return sim::Fail(ERROR_ACCESS_DENIED);
    }
    if (written) *written = size;
    if (overlapped) {
        overlapped->Internal = 0;
        overlapped->InternalHigh = size;
        sim::SetEvent(overlapped->hEvent, true);
    }
    return TRUE;
}

BOOL GetOverlappedResult(HANDLE, OVERLAPPED* overlapped, DWORD* transferred, BOOL wait) {
    if (sim::FaultPoint("GetOverlappedResult")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    auto pending = sim::PendingWrites().find(overlapped);
    if (pending == sim::PendingWrites().end()) {
        if (transferred) *transferred = static_cast<DWORD>(overlapped->InternalHigh);
        return TRUE;
    }
    if (transferred) *transferred = 0;
    if (pending->second.cancelled) {
        sim::PendingWrites().erase(pending);
        return sim::Fail(ERROR_OPERATION_ABORTED);
    }
    // Waiting for a write nobody will ever read never ends.
    if (wait) ++machine().files.pipe.writesBlockedForever;
    return sim::Fail(996);  // ERROR_IO_INCOMPLETE
}

BOOL CancelIo(HANDLE file) {
    if (sim::FaultPoint("CancelIo")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    machine().Log("CancelIo", "");
    for (auto& [overlapped, pending] : sim::PendingWrites())
        if (pending.file == file) {
            pending.cancelled = true;
            sim::SetEvent(overlapped->hEvent, true);
        }
    return TRUE;
}

BOOL GetNamedPipeServerProcessId(HANDLE pipe, ULONG* serverProcessId) {
    if (sim::FaultPoint("GetNamedPipeServerProcessId")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    const sim::PipeState& state = machine().files.pipe;
    if (state.serverIdUnknown) return sim::Fail(ERROR_CALL_NOT_IMPLEMENTED);
    auto it = sim::OpenFiles().find(pipe);
    if (it == sim::OpenFiles().end() || !it->second.pipe) return sim::Fail(ERROR_INVALID_HANDLE);
    *serverProcessId = it->second.squatter ? sim::kSquatterProcessId : state.serverProcessId;
    return TRUE;
}

BOOL CreatePipe(HANDLE* readEnd, HANDLE* writeEnd, SECURITY_ATTRIBUTES* security, DWORD) {
    if (sim::FaultPoint("CreatePipe")) return sim::Failure(BOOL{FALSE}, ERROR_NOT_ENOUGH_MEMORY);
    for (HANDLE* end : {readEnd, writeEnd}) {
        *end = sim::NextHandle();
        sim::OpenFile open;
        open.anonymousPipe = true;
        open.inheritable = security && security->bInheritHandle;
        sim::OpenFiles()[*end] = open;
    }
    return TRUE;
}

DWORD GetFileType(HANDLE file) {
    sim::CountPoint("GetFileType");
    auto it = sim::OpenFiles().find(file);
    if (it == sim::OpenFiles().end() || it->second.event) return 0;  // FILE_TYPE_UNKNOWN
    return it->second.pipe || it->second.anonymousPipe ? 3 : FILE_TYPE_DISK;  // FILE_TYPE_PIPE
}

BOOL SetHandleInformation(HANDLE handle, DWORD mask, DWORD flags) {
    if (sim::FaultPoint("SetHandleInformation")) return sim::Failure(BOOL{FALSE}, ERROR_INVALID_HANDLE);
    auto it = sim::OpenFiles().find(handle);
    if (it == sim::OpenFiles().end()) return sim::Fail(ERROR_INVALID_HANDLE);
    if (mask & HANDLE_FLAG_INHERIT) it->second.inheritable = (flags & HANDLE_FLAG_INHERIT) != 0;
    return TRUE;
}

HANDLE CreateEventW(void*, BOOL, BOOL initialState, LPCWSTR) {
    if (sim::FaultPoint("CreateEventW")) return sim::Failure(HANDLE{}, ERROR_NOT_ENOUGH_MEMORY);
    const HANDLE handle = sim::NextHandle();
    sim::OpenFile event;
    event.event = true;
    event.signalled = initialState != FALSE;
    sim::OpenFiles()[handle] = event;
    return handle;
}

namespace {

// The status, with the Win32 error that RtlNtStatusToDosError gives for it as the last error.
constexpr NTSTATUS kStatusObjectNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusObjectPathNotFound = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusDeletePending = static_cast<NTSTATUS>(0xC0000056);
constexpr NTSTATUS kStatusCannotDelete = static_cast<NTSTATUS>(0xC0000121);
constexpr NTSTATUS kStatusDirectoryNotEmpty = static_cast<NTSTATUS>(0xC0000101);
constexpr NTSTATUS kStatusNotADirectory = static_cast<NTSTATUS>(0xC0000103);
constexpr NTSTATUS kStatusFileIsADirectory = static_cast<NTSTATUS>(0xC00000BA);
constexpr NTSTATUS kStatusInvalidHandle = static_cast<NTSTATUS>(0xC0000008);
constexpr NTSTATUS kStatusBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
constexpr NTSTATUS kStatusInvalidParameter = static_cast<NTSTATUS>(0xC000000D);
constexpr NTSTATUS kStatusObjectNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS kStatusNotSameDevice = static_cast<NTSTATUS>(0xC00000D4);

NTSTATUS Status(NTSTATUS status) {
    DWORD error = ERROR_SUCCESS;
    switch (status) {
    case STATUS_SUCCESS: break;
    case STATUS_NO_MORE_FILES: error = ERROR_NO_MORE_FILES; break;
    case kStatusObjectNameNotFound: error = ERROR_FILE_NOT_FOUND; break;
    case kStatusObjectPathNotFound: error = ERROR_PATH_NOT_FOUND; break;
    case kStatusSharingViolation: error = ERROR_SHARING_VIOLATION; break;
    case kStatusDirectoryNotEmpty: error = ERROR_DIR_NOT_EMPTY; break;
    case kStatusNotADirectory: error = ERROR_DIRECTORY; break;
    case kStatusInvalidHandle: error = ERROR_INVALID_HANDLE; break;
    case kStatusBufferTooSmall: error = ERROR_INSUFFICIENT_BUFFER; break;
    case kStatusInvalidParameter: error = ERROR_INVALID_PARAMETER; break;
    case kStatusObjectNameCollision: error = ERROR_ALREADY_EXISTS; break;
    case kStatusNotSameDevice: error = 17; break;  // ERROR_NOT_SAME_DEVICE
    default: error = ERROR_ACCESS_DENIED; break;  // denied, delete pending, cannot delete, is a directory
    }
    SetLastError(error);
    return status;
}

sim::OpenFile* OpenNode(HANDLE handle) {
    auto it = sim::OpenFiles().find(handle);
    return it == sim::OpenFiles().end() || it->second.pipe || it->second.event || it->second.anonymousPipe ? nullptr
                                                                                                          : &it->second;
}

// The file open at `open` takes a name of one component in the directory the information's
// root handle is open on. As the system does: every handle must share deletion, a running image
// may be renamed, a name taken is replaced only when asked (the link there itself, never what it
// leads to), and a rename across drives is refused.
NTSTATUS Rename(sim::OpenFile& open, const void* information, ULONG length) {
    const auto* rename = static_cast<const FILE_RENAME_INFORMATION*>(information);
    constexpr ULONG kHeader = offsetof(FILE_RENAME_INFORMATION, FileName);
    if (length < kHeader || rename->FileNameLength % 2 || rename->FileNameLength > sizeof rename->FileName ||
        length < kHeader + rename->FileNameLength)
        return Status(kStatusInvalidParameter);
    FileNode* node = open.node;
    if (!node) return Status(kStatusDeletePending);
    if (!(open.access & DELETE)) return Status(kStatusAccessDenied);
    const std::u16string leaf(rename->FileName, rename->FileNameLength / 2);
    machine().Log("NtSetInformationFile", "rename " + sim::Narrow(sim::FullPath(node)) + " -> " + sim::Narrow(leaf));
    sim::OpenFile* directory = OpenNode(rename->RootDirectory);
    if (!directory || !directory->node || !directory->node->directory) return Status(kStatusInvalidHandle);
    if (leaf.empty() || leaf.find(u'\\') != std::u16string::npos) return Status(kStatusInvalidParameter);
    FileNode* target = directory->node;
    auto driveOf = [](const FileNode* n) { while (n->parent) n = n->parent; return n; };
    if (driveOf(target) != driveOf(node)) return Status(kStatusNotSameDevice);
    for (const auto& [handle, other] : sim::OpenFiles())
        if (&other != &open && other.node == node && !(other.share & FILE_SHARE_DELETE)) return Status(kStatusSharingViolation);
    const std::u16string before = sim::FullPath(node);
    if (FileNode* existing = target->Child(leaf)) {
        if (existing == node) return Status(STATUS_SUCCESS);
        if (!rename->ReplaceIfExists) return Status(kStatusObjectNameCollision);
        if (existing->directory || existing->inUse || sim::RemovalBlocked(existing)) return Status(kStatusAccessDenied);
        sim::Detach(existing);
        sim::Unlink(existing);
    }
    MoveNode(node, target, leaf);
    // A running image keeps running wherever its file has gone.
    for (std::u16string& image : machine().system.runningImages)
        if (sim::EqualNoCase(image, before)) image = sim::FullPath(node);
    return Status(STATUS_SUCCESS);
}

}  // namespace

NTSTATUS NtQueryInformationFile(HANDLE file, void* information, ULONG length, ULONG informationClass) {
    if (sim::FaultPoint("NtQueryInformationFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return Status(kStatusInvalidHandle);
    if (informationClass != FileAttributeTagInformation || length < sizeof(FILE_ATTRIBUTE_TAG_INFORMATION))
        return Status(kStatusInvalidParameter);
    if (!open->node) return Status(kStatusDeletePending);
    const FileNode& node = *open->node;
    // Through a handle, a Unix link is its target: nothing marks it.
    auto* tag = static_cast<FILE_ATTRIBUTE_TAG_INFORMATION*>(information);
    tag->FileAttributes = node.attributes | (node.directory ? FILE_ATTRIBUTE_DIRECTORY : 0) |
                          (node.reparse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
    tag->ReparseTag = node.reparse ? 0xA0000003u : 0;  // IO_REPARSE_TAG_MOUNT_POINT
    return Status(STATUS_SUCCESS);
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD size, DWORD) {
    if (sim::FaultPoint("GetFinalPathNameByHandleW")) return sim::Failure(DWORD{0}, ERROR_ACCESS_DENIED);
    if (machine().system.finalPathMissing) return sim::Failure(DWORD{0}, ERROR_PROC_NOT_FOUND);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return sim::Failure(DWORD{0}, ERROR_INVALID_HANDLE);
    if (!open->node) return sim::Failure(DWORD{0}, ERROR_FILE_NOT_FOUND);
    // A share's paths are "\\?\UNC\server\share\...", a drive's "\\?\C:\...".
    const std::u16string full = sim::FullPath(open->node);
    const std::u16string final = full.compare(0, 2, u"\\\\") == 0 ? u"\\\\?\\UNC" + full.substr(1) : u"\\\\?\\" + full;
    if (!sim::CopyOut(final, path, size)) return static_cast<DWORD>(final.size() + 1);
    return static_cast<DWORD>(final.size());
}

NTSTATUS NtOpenFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG options) {
    *file = nullptr;
    if (sim::FaultPoint("NtOpenFile")) return sim::Failure(kStatusSharingViolation, ERROR_SHARING_VIOLATION);
    sim::OpenFile* directory = OpenNode(root);
    // Logged with the full path it names, and as a deletion's first step when it asks for the
    // right to delete: "delete file C:\dir\name", "delete directory ...", "delete either ...".
    const std::u16string named =
        (directory && directory->node ? sim::FullPath(directory->node) : std::u16string(u"?")) + u"\\" + sim::FromPtr(name);
    const char* kind = (options & FILE_DIRECTORY_FILE) ? "directory " : (options & FILE_NON_DIRECTORY_FILE) ? "file " : "either ";
    machine().Log("NtOpenFile", std::string((access & DELETE) ? "delete " : "open ") + kind +
                                    sim::Narrow(named.size() > 3 && named[2] == u'\\' && named[3] == u'\\' ? named.substr(0, 3) + named.substr(4) : named));
    if (!directory) return Status(kStatusInvalidHandle);
    FileNode* node = directory->node;
    const std::u16string relative = sim::FromPtr(name);
    if (!node || relative.empty()) return Status(kStatusObjectNameNotFound);
    std::size_t start = 0;
    while (true) {
        // Every component but the last is passed through; the last is the link itself only when
        // the open asks for it, and never for a Unix link.
        node = sim::ThroughLink(node);
        if (!node || !node->directory) return Status(kStatusObjectPathNotFound);
        const std::size_t cut = relative.find(u'\\', start);
        const std::u16string part = relative.substr(start, cut == std::u16string::npos ? cut : cut - start);
        if (part.empty() || part == u"." || part == u"..") return Status(kStatusInvalidParameter);
        node = node->Child(part);
        if (!node) return Status(cut == std::u16string::npos ? kStatusObjectNameNotFound : kStatusObjectPathNotFound);
        if (cut == std::u16string::npos) break;
        start = cut + 1;
    }
    node = (options & FILE_OPEN_REPARSE_POINT) ? sim::Opened(node) : sim::ThroughLink(node);
    if (!node) return Status(kStatusObjectNameNotFound);
    if (node->deletePending) return Status(kStatusDeletePending);
    if ((options & FILE_DIRECTORY_FILE) && !node->directory) return Status(kStatusNotADirectory);
    if ((options & FILE_NON_DIRECTORY_FILE) && node->directory) return Status(kStatusFileIsADirectory);
    if ((access & DELETE) && node->inUse) return Status(kStatusSharingViolation);
    if (sim::SharingViolation(node, access, share)) return Status(kStatusSharingViolation);
    *file = sim::NextHandle();
    sim::OpenFiles()[*file] = sim::OnNode(node, false, access, share);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtCreateFile(HANDLE* file, DWORD access, HANDLE root, LPCWSTR name, DWORD share, ULONG) {
    *file = nullptr;
    if (sim::FaultPoint("NtCreateFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* directory = OpenNode(root);
    const std::u16string leaf = sim::FromPtr(name);
    machine().Log("NtCreateFile", sim::Narrow((directory && directory->node ? sim::FullPath(directory->node) : u"?") +
                                              u"\\" + leaf));
    if (!directory) return Status(kStatusInvalidHandle);
    FileNode* parent = sim::ThroughLink(directory->node);
    if (!parent || !parent->directory || parent->deletePending) return Status(kStatusObjectPathNotFound);
    if (leaf.empty() || leaf == u"." || leaf == u".." || leaf.find_first_of(u"\\/") != std::u16string::npos)
        return Status(kStatusInvalidParameter);
    // Whatever bears the name, a link or a link leading nowhere included, is left as it is.
    if (parent->Child(leaf)) return Status(kStatusObjectNameCollision);
    *file = sim::NextHandle();
    sim::OpenFiles()[*file] = sim::OnNode(sim::Insert(parent, leaf, false), false, access, share);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtQueryDirectoryFile(HANDLE directory, void* buffer, ULONG length, bool restartScan) {
    if (sim::FaultPoint("NtQueryDirectoryFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    machine().Log("NtQueryDirectoryFile", "");
    sim::OpenFile* open = OpenNode(directory);
    if (!open) return Status(kStatusInvalidHandle);
    if (!open->node || !open->node->directory || !(open->access & FILE_LIST_DIRECTORY)) return Status(kStatusAccessDenied);
    if (restartScan) open->listed = false;
    // "." and ".." first in every directory but a drive root, then the entries in name order;
    // the listing goes on after the last name given, so that entries deleted meanwhile are not
    // missed and none is given twice.
    std::vector<std::pair<std::u16string, DWORD>> entries;
    if (open->node->parent) {
        entries.emplace_back(u".", FILE_ATTRIBUTE_DIRECTORY);
        entries.emplace_back(u"..", FILE_ATTRIBUTE_DIRECTORY);
    }
    for (const auto& child : open->node->children) {
        WIN32_FIND_DATAW data;
        sim::FillFindData(*child, data);
        entries.emplace_back(child->name, data.dwFileAttributes);
    }
    std::size_t next = 0;
    if (open->listed) {
        const std::u16string& last = open->listedUpTo;
        if (last == u"." || last == u"..") {
            next = last == u"." ? 1 : 2;
        } else {
            while (next < entries.size() && (entries[next].first == u"." || entries[next].first == u".." ||
                                             !sim::LessNoCase(last, entries[next].first)))
                ++next;
        }
    }
    if (next >= entries.size()) {
        open->listed = true;
        return Status(STATUS_NO_MORE_FILES);
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::size_t used = 0;
    FILE_DIRECTORY_INFORMATION* previous = nullptr;
    for (; next < entries.size(); ++next) {
        const std::u16string& entryName = entries[next].first;
        const std::size_t size = (offsetof(FILE_DIRECTORY_INFORMATION, FileName) + entryName.size() * 2 + 7) & ~std::size_t{7};
        if (used + size > length) break;
        auto* entry = reinterpret_cast<FILE_DIRECTORY_INFORMATION*>(bytes + used);
        std::memset(entry, 0, size);
        entry->FileAttributes = entries[next].second;
        entry->FileNameLength = static_cast<ULONG>(entryName.size() * 2);
        std::memcpy(entry->FileName, entryName.data(), entryName.size() * 2);
        if (previous) previous->NextEntryOffset = static_cast<ULONG>(reinterpret_cast<unsigned char*>(entry) - reinterpret_cast<unsigned char*>(previous));
        previous = entry;
        used += size;
        open->listed = true;
        open->listedUpTo = entryName;
    }
    if (!previous) return Status(kStatusBufferTooSmall);
    return Status(STATUS_SUCCESS);
}

NTSTATUS NtSetInformationFile(HANDLE file, const void* information, ULONG length, ULONG informationClass) {
    if (sim::FaultPoint("NtSetInformationFile")) return sim::Failure(kStatusAccessDenied, ERROR_ACCESS_DENIED);
    sim::OpenFile* open = OpenNode(file);
    if (!open) return Status(kStatusInvalidHandle);
    FileNode* node = open->node;
    if (informationClass == FileBasicInformation && length >= sizeof(FILE_BASIC_INFORMATION)) {
        if (!node) return Status(kStatusDeletePending);
        machine().Log("NtSetInformationFile", "attributes " + sim::Narrow(sim::FullPath(node)));
        if (!(open->access & FILE_WRITE_ATTRIBUTES)) return Status(kStatusAccessDenied);
        const ULONG attributes = static_cast<const FILE_BASIC_INFORMATION*>(information)->FileAttributes;
        if (attributes != 0)
            node->attributes = (attributes == FILE_ATTRIBUTE_NORMAL && !node->directory ? FILE_ATTRIBUTE_NORMAL : attributes & ~FILE_ATTRIBUTE_NORMAL) |
                               (node->directory ? FILE_ATTRIBUTE_DIRECTORY : 0) | (node->reparse ? FILE_ATTRIBUTE_REPARSE_POINT : 0);
        return Status(STATUS_SUCCESS);
    }
    if (informationClass == FileRenameInformation) return Rename(*open, information, length);
    if (informationClass != FileDispositionInformation || length < sizeof(FILE_DISPOSITION_INFORMATION))
        return Status(kStatusInvalidParameter);
    if (!node) return Status(kStatusDeletePending);
    machine().Log("NtSetInformationFile", sim::Narrow(sim::FullPath(node)));
    if (!(open->access & DELETE)) return Status(kStatusAccessDenied);
    const bool deleteFile = static_cast<const FILE_DISPOSITION_INFORMATION*>(information)->DeleteFile != 0;
    if (deleteFile) {
        if (!node->parent || (node->attributes & FILE_ATTRIBUTE_READONLY) || sim::IsRunningImage(node))
            return Status(kStatusCannotDelete);
        if (node->directory && !node->reparse && !node->children.empty()) return Status(kStatusDirectoryNotEmpty);
    }
    node->deletePending = deleteFile;
    return Status(STATUS_SUCCESS);
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

BOOL WaitNamedPipeW(LPCWSTR name, DWORD timeout) {
    if (sim::FaultPoint("WaitNamedPipeW")) return sim::Failure(BOOL{FALSE}, ERROR_SEM_TIMEOUT);
    machine().Log("WaitNamedPipeW", sim::Narrow(sim::FromPtr(name)));
    sim::PipeState& pipe = machine().files.pipe;
    pipe.waitTimeouts.push_back(timeout);
    if (!pipe.exists || !sim::EqualNoCase(sim::FromPtr(name), pipe.name)) return sim::Fail(ERROR_FILE_NOT_FOUND);
    if (pipe.busyWaits > 0) {
        --pipe.busyWaits;
        return sim::Fail(ERROR_SEM_TIMEOUT);
    }
    return TRUE;
}

}  // namespace win
