// The product's "InstallPath" record as the removal may use it. Windows opens a path written in
// many spellings (doubled or forward separators, "." and "..", trailing dots and blanks, the
// "\\?\" prefix), and installers have stored all of them. The record is brought into the one form
// Windows itself would open before the safety rule judges it: a record the product really lives
// under is never mistaken for a missing one, and a record that only looks like a directory of the
// product is never trusted.
#pragma once
#include <string>

namespace engine {

// The full path Windows makes of `path`: "/" read as "\", runs of separators collapsed, "."
// dropped, ".." taking away the component before it, trailing dots and blanks of every component
// dropped, and a "\\?\" prefix before a drive path or "UNC\" taken off. The result has no trailing
// backslash, except a drive root ("C:\"); a share root is "\\server\share".
// False (and `normalised` untouched) when `path` is not a full drive or UNC path ("C:dir",
// "\dir", "dir", device paths), when ".." would climb above its root, or when a component holds
// a wildcard, a stream colon or another character no file name may hold, or consists of dots and
// blanks alone.
bool NormaliseFullPath(const std::u16string& path, std::u16string& normalised);

enum class InstallRecordState {
    Missing,   // no record, or an empty one: the install directory is unknown
    Usable,    // the directory the removal works in
    Unusable,  // a record that names no directory of the product's: nothing may be removed
};

struct InstallRecord {
    InstallRecordState state = InstallRecordState::Missing;
    std::u16string directory;  // normalised, ending in one backslash; empty unless usable
};

// Judges a recorded install path. Unusable: longer than a path buffer, not a full path once
// normalised, a drive or share root, a folder of the system or of the user (or a parent of one:
// "C:\Windows", "C:\Program Files", "C:\Users", the desktop, ...), or so long that the product's
// executable cannot be named inside it (its in-use check could not be made).
InstallRecord JudgeInstallRecord(const std::u16string& recorded);

// Reads the product's "InstallPath" (machine-wide record) and judges it. A value that is not text
// counts as missing; text too long for a path buffer is unusable, never shortened.
InstallRecord ReadInstallRecord();

// True when `directory` (a normalised full path) is one of the system's or the user's well-known
// folders, or a parent of one, in its long or short form.
bool IsSystemOrShellFolder(const std::u16string& directory);

}  // namespace engine
