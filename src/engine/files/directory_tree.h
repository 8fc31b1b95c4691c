// Directories: the checked removal of one directory, the removals below a base directory that
// refuse to pass through a link, and the recursive removal of what a search pattern matches. All
// of them work through handles (directory_handle.h) and tell each deletion to the run's context.
#pragma once
#include <string>

#include "engine/outcome.h"
#include "engine/removal_report.h"

namespace engine::files {

// Removes the empty directory at `path` (a link there as itself); false when refused (too long
// for MAX_PATH, a drive root, nothing: ERROR_INVALID_NAME; not where the path names it) or when
// the deletion fails.
Outcome RemoveProductDirectory(RemovalContext& context, const std::u16string& path);

// The checked operations on `base` + `relative`: refused for a path too long or at a root, and
// for one whose directory is not where the path names it, as when a link on the way below `base`
// leads elsewhere. A planted link would otherwise make the path name something outside the
// product.
Outcome DeleteFileBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative);
Outcome RemoveDirectoryBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative);
bool RemoveTreeBelow(RemovalContext& context, const std::u16string& base, const std::u16string& relative);

// Deletes every file that `pattern` matches ("dir\*.pdf", "dir\*.*"); "dir\*.*" and "dir\*" also
// remove every subdirectory with its whole tree, while a pattern that names files leaves the
// directories it happens to fit alone; given a directory path instead of a pattern, removes that
// directory's tree and the directory. One trailing backslash is ignored. Files that are
// read-only or in use stay, and so do the directories above them. Junctions and symbolic links
// are removed as links and never followed; a link the system follows whatever the open asks (a
// Unix link under Wine) is left. Nothing is done for a path that is empty, relative, at a drive
// or share root, or whose directory is itself a link or not where the path names it.
void RemoveDirectoryTree(RemovalContext& context, const std::u16string& pattern);

}  // namespace engine::files
