#include "engine/files/directory_tree.h"

#include "core/ascii.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/scoped.h"

namespace engine::files {
namespace {

bool HasWildcard(const std::u16string& text) { return text.find_first_of(u"*?") != std::u16string::npos; }

bool IsLink(win::DWORD attributes) {
    return attributes != win::INVALID_FILE_ATTRIBUTES && (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT);
}

// Whether the long name itself fits the pattern. The file system also matches patterns against
// 8.3 aliases, so "*.pdf" finds "Notes.pdfx" through "NOTES~1.PDF"; only what the caller's
// pattern really names may go.
bool NameFitsPattern(const std::u16string& name, const std::u16string& pattern) {
    if (pattern == u"*" || pattern == u"*.*") return true;
    std::size_t n = 0, p = 0, starP = std::u16string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || core::FoldAscii(pattern[p]) == core::FoldAscii(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

void RemoveMatches(const std::u16string& pattern);

void RemoveEntry(const std::u16string& directory, const std::u16string& leaf, const win::WIN32_FIND_DATAW& entry) {
    std::size_t length = 0;
    while (length < win::MAX_PATH && entry.cFileName[length]) ++length;
    const std::u16string name(entry.cFileName, length);
    if (name == u"." || name == u".." || !NameFitsPattern(name, leaf)) return;
    const std::u16string path = directory + u'\\' + name;
    if (!(entry.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY)) {
        // A symbolic link to a file is deleted as a link, like any file.
        DeleteProductFile(path);
        return;
    }
    // A pattern that names files ("*.lnk") says nothing of a directory that happens to fit it:
    // a folder called "setup.lnk" is no shortcut, and its tree is not the caller's to remove.
    if (leaf != u"*" && leaf != u"*.*") return;
    // A junction planted in the tree would otherwise lead the walk anywhere on the machine:
    // only the link goes, its target stays untouched.
    if (!(entry.dwFileAttributes & win::FILE_ATTRIBUTE_REPARSE_POINT)) {
        const std::u16string below = path + u"\\*.*";
        if (FitsMaxPath(below)) RemoveMatches(below);
    }
    RemoveProductDirectory(path);
}

// `pattern` is a full path whose directory part has been checked by the caller.
void RemoveMatches(const std::u16string& pattern) {
    const std::size_t cut = pattern.find_last_of(u'\\');
    const std::u16string directory = pattern.substr(0, cut);
    // A name without wildcards is looked up as given, 8.3 alias included.
    const std::u16string leaf = HasWildcard(pattern.substr(cut + 1)) ? pattern.substr(cut + 1) : u"*";
    win::WIN32_FIND_DATAW entry;
    const win::ScopedSearch search(win::FindFirstFileW(pattern.c_str(), &entry));
    if (!search) return;
    do {
        RemoveEntry(directory, leaf, entry);
    } while (win::FindNextFileW(search.get(), &entry));
}

}  // namespace

void RemoveDirectoryTree(const std::u16string& pattern) {
    const std::u16string searched = WithoutTrailingBackslash(pattern);
    const std::size_t cut = searched.find_last_of(u'\\');
    if (cut == std::u16string::npos || !FitsMaxPath(searched)) return;
    const std::u16string directory = searched.substr(0, cut);
    const std::u16string leaf = searched.substr(cut + 1);
    // The searched directory must be a real directory at least one level below a root: a walk
    // over "C:\*.*" or through a link out of the product's folders is never wanted.
    if (leaf.empty() || !IsSafeInstallDirectory(directory)) return;
    if (IsLink(win::GetFileAttributesW(directory.c_str()))) return;
    // A directory path finds the directory itself, which goes with its tree; a pattern leaves
    // its directory for the caller.
    RemoveMatches(searched);
}

bool IsReachedWithoutLinks(const std::u16string& base, const std::u16string& relative) {
    for (std::size_t at = relative.find(u'\\', 1); at != std::u16string::npos; at = relative.find(u'\\', at + 1)) {
        const std::u16string step = base + relative.substr(0, at);
        if (IsLink(win::GetFileAttributesW(step.c_str()))) return false;
    }
    return true;
}

bool RemoveProductDirectory(const std::u16string& path) {
    if (!IsRemovablePath(path)) return false;
    return win::RemoveDirectoryW(path.c_str()) != 0;
}

bool DeleteFileBelow(const std::u16string& base, const std::u16string& relative) {
    const std::u16string path = base + relative;
    return IsRemovablePath(path) && IsReachedWithoutLinks(base, relative) && DeleteProductFile(path);
}

bool RemoveDirectoryBelow(const std::u16string& base, const std::u16string& relative) {
    const std::u16string path = base + relative;
    return IsRemovablePath(path) && IsReachedWithoutLinks(base, relative) && RemoveProductDirectory(path);
}

bool RemoveTreeBelow(const std::u16string& base, const std::u16string& relative) {
    const std::u16string path = base + relative;
    if (!IsRemovablePath(path) || !IsReachedWithoutLinks(base, relative)) return false;
    RemoveDirectoryTree(path);
    return true;
}

}  // namespace engine::files
