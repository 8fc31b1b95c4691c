// Single files: the checked deletions every removal step uses, and the search probe. A checked
// operation refuses by itself a path too long for MAX_PATH and a drive root, so that no step
// can delete a shortened name or anything at the root of a drive.
#pragma once
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "engine/removal_report.h"
#include "platform/files.h"

namespace engine::files {

// Deletes the file at `path` through a handle opened relative to its directory's (see
// directory_handle.h): a link there is deleted as itself or, where the system would follow it,
// left. Fails when refused (ERROR_INVALID_NAME for a path no checked operation takes) or when
// the deletion fails; told to `context` either way.
Outcome DeleteProductFile(RemovalContext& context, const std::u16string& path);

// Deletes a file the installer put in the install directory as DeleteProductFile does, whatever
// its attributes: read-only, hidden and system are taken from it through the handle judged (a
// read-only file would otherwise refuse its deletion), and given back when it stays all the same.
Outcome DeleteProgramFile(RemovalContext& context, const std::u16string& path);

// Deletes a file, or when it is held open (by the spooler or a running program) schedules it
// for deletion at the next restart, and adds it to the run's `context.scheduledAtRestart`. True
// when it is gone now. The restart's deletion goes by name: it is used only in the system's own
// directories, which no user process can change.
bool DeleteNowOrAtRestart(RemovalContext& context, const std::u16string& path);

// Whether something may be at `path`: it is there, or the system cannot say that it is not.
bool MayExist(const std::u16string& path);

// `path` with its 8.3 aliases replaced by the long names, as the handles' final paths spell
// them; as given when it has no alias or cannot be resolved.
std::u16string LongForm(const std::u16string& path);

// Splits a full path into its directory ("C:\dir", or "C:" for the root) and last name; false
// when it has no such parts.
bool SplitEntryPath(const std::u16string& path, std::u16string& directory, std::u16string& name);

// Whether a file search for `pattern` (a path, or a directory and a wildcard pattern) finds
// anything; the first entry found is written to `found` when one is given.
bool FindFirstEntry(const std::u16string& pattern, win::WIN32_FIND_DATAW* found = nullptr);

// The entries of the directory `directory` (with or without its trailing backslash) but "." and
// "..", by name, in `entries`; false when it cannot be listed (it is not there). For looking at
// what is there after the removal: nothing is ever removed by these names.
struct ListedEntry {
    std::u16string name;
    bool directory = false;
};
bool ListDirectory(const std::u16string& directory, std::vector<ListedEntry>& entries);

}  // namespace engine::files
