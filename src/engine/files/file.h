// Single files: the checked deletions every removal step uses, and the search probe. A checked
// operation refuses by itself a path too long for MAX_PATH and a drive root, so that no step
// can delete a shortened name or anything at the root of a drive.
#pragma once
#include <string>

#include "platform/files.h"

namespace engine::files {

// Deletes the file at `path`; false when refused or when DeleteFileW fails (its last error
// stays for the caller).
bool DeleteProductFile(const std::u16string& path);

// Deletes a file, or when it is held open (by the spooler or a running program) schedules it
// for deletion at the next restart. True when it is gone now.
bool DeleteNowOrAtRestart(const std::u16string& path);

// Whether a file search for `pattern` (a path, or a directory and a wildcard pattern) finds
// anything; the first entry found is written to `found` when one is given.
bool FindFirstEntry(const std::u16string& pattern, win::WIN32_FIND_DATAW* found = nullptr);

}  // namespace engine::files
