// The product's "InstallPath" record as the removal may use it. Windows opens a path written in
// many spellings (doubled or forward separators, "." and "..", trailing dots and blanks, the
// "\\?\" prefix), and installers have stored all of them. The record is brought into the one form
// Windows itself would open before the safety rule judges it: a record the product really lives
// under is never mistaken for a missing one, and a record that only looks like a directory of the
// product is never trusted.
#pragma once
#include <string>

namespace engine {

enum class InstallRecordState {
    Missing,   // no record, or an empty one: the install directory is unknown
    Usable,    // the directory the removal works in
    Unusable,  // a record that names no directory of the product's: nothing may be removed
};

struct InstallRecord {
    InstallRecordState state = InstallRecordState::Missing;
    std::u16string directory;  // normalised, ending in one backslash; empty unless usable
    std::u16string recorded;   // the text as stored; empty unless usable
};

// Judges a recorded install path. Unusable: longer than a path buffer, not a full path once
// normalised, a drive or share root, a folder of the system or of the user (or a parent of one:
// "C:\Windows", "C:\Program Files", "C:\Users", the desktop, ...), or so long that the product's
// executable cannot be named inside it (its in-use check could not be made).
InstallRecord JudgeInstallRecord(const std::u16string& recorded);

// Reads the product's "InstallPath" (machine-wide record) and judges it. A value that is not text
// counts as missing; text too long for a path buffer is unusable, never shortened.
InstallRecord ReadInstallRecord();

// The product's "ExistPath" record, the directory that existed before the installation, in the
// form Windows opens it, with a trailing backslash; as stored when it is no full path.
std::u16string ReadExistPath();

// Where the product lives, as the whole run sees it: read and judged once, at start-up, and
// handed by reference to the removal and its workers. Nothing reads the records again: a run
// whose records change under it keeps working in the place it judged, and what it finds left
// is looked for there.
struct InstallLocation {
    InstallRecordState state = InstallRecordState::Missing;
    std::u16string directory;  // normalised, ending in one backslash; empty unless usable
    std::u16string recorded;   // the record as stored; empty unless usable
    std::u16string existPath;  // see ReadExistPath
    bool IsUsable() const { return state == InstallRecordState::Usable; }
};

InstallLocation ReadInstallLocation();

}  // namespace engine
