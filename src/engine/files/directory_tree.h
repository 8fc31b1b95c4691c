// Recursive removal of the files a search pattern matches, and of directory trees.
#pragma once
#include <string>

#include "platform/files.h"

namespace engine {

// Deletes every file that `pattern` matches ("dir\*.pdf", "dir\*.*") and removes every matching
// subdirectory with its whole tree; given a directory path instead of a pattern, removes that
// directory's tree and the directory. One trailing backslash is ignored. Files that are
// read-only or in use stay, and so do the directories above them. Junctions and symbolic links
// are removed as links and never followed. Nothing is done for a path that is empty, relative,
// at a drive or share root, or whose directory is itself a link.
void RemoveDirectoryTree(const std::u16string& pattern);

// True when none of the directories on the way from `base` to the last component of `relative`
// (a path beginning with a backslash) is a junction or symbolic link, so that what the path
// names really lies below `base`. Neither `base` nor the last component is examined: removing
// a link at the end of a path removes only the link.
// Whether a file search for `pattern` (a path, or a directory and a wildcard pattern) finds
// anything; the first entry found is written to `found` when one is given.
bool FindFirstEntry(const std::u16string& pattern, win::WIN32_FIND_DATAW* found = nullptr);

bool IsReachedWithoutLinks(const std::u16string& base, const std::u16string& relative);

}  // namespace engine
