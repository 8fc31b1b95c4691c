#include "engine/files/directory_tree.h"

#include "engine/paths.h"
#include "platform/files.h"

namespace engine {
namespace {

bool HasWildcard(const std::u16string& text) { return text.find_first_of(u"*?") != std::u16string::npos; }

bool IsLink(win::DWORD attributes) {
    return attributes != win::INVALID_FILE_ATTRIBUTES && (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT);
}

class SearchHandle {
public:
    explicit SearchHandle(win::HANDLE handle) : m_handle(handle) {}
    ~SearchHandle() {
        if (Found()) win::FindClose(m_handle);
    }
    SearchHandle(const SearchHandle&) = delete;
    SearchHandle& operator=(const SearchHandle&) = delete;
    bool Found() const { return m_handle != win::INVALID_HANDLE_VALUE; }
    win::HANDLE Get() const { return m_handle; }

private:
    win::HANDLE m_handle;
};

void RemoveMatches(const std::u16string& pattern);

void RemoveEntry(const std::u16string& directory, const win::WIN32_FIND_DATAW& entry) {
    const std::u16string name(entry.cFileName);
    if (name == u"." || name == u"..") return;
    const std::u16string path = directory + u'\\' + name;
    if (!FitsMaxPath(path)) return;
    if (!(entry.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY)) {
        // A symbolic link to a file is deleted as a link, like any file.
        win::DeleteFileW(path.c_str());
        return;
    }
    // A junction planted in the tree would otherwise lead the walk anywhere on the machine:
    // only the link goes, its target stays untouched.
    if (!(entry.dwFileAttributes & win::FILE_ATTRIBUTE_REPARSE_POINT)) {
        const std::u16string below = path + u"\\*.*";
        if (FitsMaxPath(below)) RemoveMatches(below);
    }
    win::RemoveDirectoryW(path.c_str());
}

// `pattern` is a full path whose directory part has been checked by the caller.
void RemoveMatches(const std::u16string& pattern) {
    const std::u16string directory = pattern.substr(0, pattern.find_last_of(u'\\'));
    win::WIN32_FIND_DATAW entry;
    SearchHandle search(win::FindFirstFileW(pattern.c_str(), &entry));
    if (!search.Found()) return;
    do {
        RemoveEntry(directory, entry);
    } while (win::FindNextFileW(search.Get(), &entry));
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
    RemoveMatches(searched);
    // A pattern names no directory that could be removed; a directory path was removed above
    // when its tree could be emptied.
    if (!HasWildcard(leaf)) win::RemoveDirectoryW(searched.c_str());
}

bool IsReachedWithoutLinks(const std::u16string& base, const std::u16string& relative) {
    for (std::size_t at = relative.find(u'\\', 1); at != std::u16string::npos; at = relative.find(u'\\', at + 1)) {
        const std::u16string step = base + relative.substr(0, at);
        if (IsLink(win::GetFileAttributesW(step.c_str()))) return false;
    }
    return true;
}

}  // namespace engine
