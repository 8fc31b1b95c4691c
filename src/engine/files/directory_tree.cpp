#include "engine/files/directory_tree.h"

#include "engine/files/directory_handle.h"
#include "engine/files/file.h"
#include "engine/files/path.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/scoped.h"

namespace engine::files {
namespace {

bool HasWildcard(const std::u16string& text) { return text.find_first_of(u"*?") != std::u16string::npos; }

}  // namespace

void RemoveDirectoryTree(RemovalContext& context, const std::u16string& pattern) {
    const std::u16string searched = WithoutTrailingBackslash(pattern);
    const std::size_t cut = searched.find_last_of(u'\\');
    if (cut == std::u16string::npos || !FitsMaxPath(searched)) return;
    std::u16string directory = searched.substr(0, cut);
    std::u16string leaf = searched.substr(cut + 1);
    // The searched directory must be a real directory at least one level below a root: a walk
    // over "C:\*.*" or through a link out of the product's folders is never wanted.
    if (leaf.empty() || !IsSafeInstallDirectory(directory)) return;
    const bool wildcard = HasWildcard(leaf);
    if (wildcard) directory = LongForm(directory);
    else if (!SplitEntryPath(LongForm(searched), directory, leaf)) return;
    OpenEntry parent;
    if (!parent.OpenDirectory(directory, kListAccess)) return;
    if (!wildcard) {
        // A name names one entry: a directory goes with its tree, a file or link as itself.
        OpenEntry entry;
        if (!entry.OpenChild(parent, leaf, EntryKind::Either, win::DELETE | win::FILE_READ_ATTRIBUTES | win::SYNCHRONIZE))
            return;
        if (entry.IsDirectory() && !entry.IsLink()) {
            if (entry.OpenChild(parent, leaf, EntryKind::Directory, kTreeAccess)) DeleteTreeOpen(context, entry);
        } else {
            entry.MarkForDeletion();
        }
        return;
    }
    // A pattern that names files ("*.lnk") says nothing of a directory that happens to fit it:
    // a folder called "setup.lnk" is no shortcut, and its tree is not the caller's to remove.
    const bool wholeTrees = leaf == u"*" || leaf == u"*.*";
    ForEachEntry(parent, [&](const std::u16string& name, win::DWORD attributes) {
        if (!NameFitsPattern(name, leaf)) return;
        if (!(attributes & win::FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteChild(context, parent, name, EntryKind::File);
            return;
        }
        if (!wholeTrees) return;
        OpenEntry child;
        if (child.OpenChild(parent, name, EntryKind::Directory, kTreeAccess)) DeleteTreeOpen(context, child);
    });
}

Outcome RemoveProductDirectory(RemovalContext& context, const std::u16string& path) {
    std::u16string directory, name;
    if (!IsRemovablePath(path) || !SplitEntryPath(LongForm(WithoutTrailingBackslash(path)), directory, name))
        return Outcome::Failure(win::ERROR_INVALID_NAME);
    OpenEntry parent;
    const Outcome opened = parent.OpenDirectory(directory, kListAccess);
    if (opened) return DeleteChild(context, parent, name, EntryKind::Directory);
    context.ReportRemoval(u"directory " + WithoutTrailingBackslash(path), opened);
    return opened;
}

// The directory that holds `base` + `relative` is judged through its handle to lie where the
// path names it, so no link on the way below `base` (or above it) can lead elsewhere.
Outcome DeleteFileBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative) {
    return DeleteProductFile(context, base + relative);
}

Outcome RemoveDirectoryBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative) {
    return RemoveProductDirectory(context, base + relative);
}

bool RemoveTreeBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative) {
    const std::u16string path = base + relative;
    if (!IsRemovablePath(path)) return false;
    RemoveDirectoryTree(context, path);
    return true;
}

}  // namespace engine::files
