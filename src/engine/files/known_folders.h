// The folders Windows and the shell keep for the system and the user: never one product's
// directory, and never a directory a removal may take away.
#pragma once
#include <string>
#include <vector>

namespace engine::files {

// The directory of a shell folder (a CSIDL number) as the shell reports it; empty when it has
// none.
std::u16string SpecialFolderPath(int csidl);

// The system's and the user's well-known folders, read once for questions asked together (the walk
// up the directories created for the product asks one per directory).
class SystemAndShellFolders {
public:
    SystemAndShellFolders();
    // What IsSystemOrShellFolder answers, against the folders as they were read.
    bool Holds(const std::u16string& directory) const;

private:
    std::vector<std::u16string> m_known;  // normalised, with the long forms of short ones
};

// True when `directory` (a normalised full path) is one of the system's or the user's well-known
// folders (read from the system directories, the environment and the shell's "Shell Folders"
// records, never through the shell's libraries) ("C:\Windows", "C:\Program Files", the profile, the desktop, the temporary directory,
// ...), or a parent of one ("C:\Users"), in its long or short form.
bool IsSystemOrShellFolder(const std::u16string& directory);

// Why a folder the user names (their shell-folder values: desktop, application data, start menu)
// may not be the place of a deletion, or null when it may: it is no full path or a drive root, or
// it is a folder of the system's own or a program's (the Windows directory, the system directory,
// a program-files directory, one below them or a parent of one), as the machine records them. A
// user's own folder anywhere else ("D:\Desktop") may. `normalised` receives the folder in the
// form Windows opens it, the one to use.
const char16_t* RefusalOfUserFolder(const std::u16string& directory, std::u16string& normalised);

}  // namespace engine::files
