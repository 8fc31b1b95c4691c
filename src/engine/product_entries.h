// What of the install directory is the product's: the entries the removal's steps delete there
// (the program files, the executable, the Word add-in, the add-ons and their data), by name or by
// the pattern a step deletes by. Whatever else is found there after the run (a PDF the user saved,
// a folder of the user's) is not the product's: it is kept, and so is the directory that holds
// it; only the product's entries that stay count as left.
#pragma once
#include <string>
#include <vector>

namespace engine {

struct InstallDirectoryLook {
    std::vector<std::u16string> left;  // "file PATH", "directory PATH": the product's, still there
    std::vector<std::u16string> kept;  // the same, of what is not the product's
};

// Looks at the install directory `directory` (ending in a backslash) as it is now, by names
// only: nothing is removed or opened for removal. The installed uninstaller at its top is
// neither (it goes after this process).
InstallDirectoryLook LookAtInstallDirectory(const std::u16string& directory);

}  // namespace engine
