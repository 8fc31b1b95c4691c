// Directories: the checked removal of one directory, the removals below a base directory that
// refuse to pass through a link, and the recursive removal of what a search pattern matches.
#pragma once
#include <string>

namespace engine::files {

// Removes the empty directory at `path`; false when refused (too long for MAX_PATH, a drive
// root, nothing) or when RemoveDirectoryW fails.
bool RemoveProductDirectory(const std::u16string& path);

// True when none of the directories on the way from `base` to the last component of `relative`
// (a path beginning with a backslash) is a junction or symbolic link, so that what the path
// names really lies below `base`. Neither `base` nor the last component is examined: removing
// a link at the end of a path removes only the link.
bool IsReachedWithoutLinks(const std::u16string& base, const std::u16string& relative);

// The checked operations on `base` + `relative`: refused for a path too long or at a root, and
// for one that passes through a link on its way below `base`. A planted link would otherwise
// make the path name something outside the product.
bool DeleteFileBelow(const std::u16string& base, const std::u16string& relative);
bool RemoveDirectoryBelow(const std::u16string& base, const std::u16string& relative);
bool RemoveTreeBelow(const std::u16string& base, const std::u16string& relative);

// Deletes every file that `pattern` matches ("dir\*.pdf", "dir\*.*"); "dir\*.*" and "dir\*" also
// remove every subdirectory with its whole tree, while a pattern that names files leaves the
// directories it happens to fit alone; given a directory path instead of a pattern, removes that
// directory's tree and the directory. One trailing backslash is ignored. Files that are
// read-only or in use stay, and so do the directories above them. Junctions and symbolic links
// are removed as links and never followed. Nothing is done for a path that is empty, relative,
// at a drive or share root, or whose directory is itself a link.
void RemoveDirectoryTree(const std::u16string& pattern);

}  // namespace engine::files
