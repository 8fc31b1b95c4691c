// The simulated file system's tree: paths, nodes and links, the test-side helpers, and the table
// of open handles with the sharing rules that the calls by path, the NT calls and the pipes share.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>

#include "platform/files.h"
#include "platform/sim/files_internal.h"
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

}  // namespace

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

FileNode* Opened(FileNode* node) { return node && node->unixLink ? ThroughLink(node) : node; }

FileNode* Lookup(const std::u16string& path, FileNode** parentOut, std::u16string* leafOut) {
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

FileNode* ThroughLink(FileNode* node) {
    for (int hops = 0; node && (node->reparse || node->unixLink); ++hops) {
        if (hops == 8) return nullptr;  // a loop of links
        node = Lookup(node->linkTarget);
    }
    return node;
}

namespace {

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

}  // namespace

bool Fail(win::DWORD error) {
    win::SetLastError(error);
    return false;
}

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

std::map<win::OVERLAPPED*, PendingWrite>& PendingWrites() {
    static std::map<win::OVERLAPPED*, PendingWrite> writes;
    return writes;
}

win::HANDLE NextHandle() {
    static std::uintptr_t next = 0x7000;
    return reinterpret_cast<win::HANDLE>(next++);
}

// Access as the sharing rules count it: reading (data or execution), writing, deleting.
namespace {
constexpr win::DWORD kDeleteAccess = 0x00010000;
bool Deletes(win::DWORD access) { return access & kDeleteAccess; }
}  // namespace
bool Reads(win::DWORD access) { return access & (win::GENERIC_READ | 0x1 | 0x20); }
bool Writes(win::DWORD access) { return access & (win::GENERIC_WRITE | 0x2 | 0x4); }

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

bool RemovalBlocked(const FileNode* node) { return SharingViolation(node, kDeleteAccess, ~0u); }

void Detach(const FileNode* node) {
    for (auto& [handle, open] : OpenFiles())
        if (open.node == node) open.node = nullptr;
}

bool IsRunningImage(const FileNode* node) {
    if (!node || node->directory) return false;
    for (const std::u16string& image : machine().system.runningImages)
        if (Lookup(image) == node) return true;
    return false;
}

void MoveNode(FileNode* node, FileNode* parent, const std::u16string& leaf) {
    auto owned = Unlink(node);
    owned->name = leaf;
    owned->shortName.clear();
    owned->parent = parent;
    auto at = std::lower_bound(parent->children.begin(), parent->children.end(), owned,
                               [](const auto& a, const auto& b) { return LessNoCase(a->name, b->name); });
    parent->children.insert(at, std::move(owned));
}

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
