// The file side of the removal: shortcuts in the shell's folders, the program files, and the
// directories the installer created above the install directory. Each removal tells what it
// tried, and each shell folder it refused, to the run's `context`.
#pragma once
#include <string>
#include <vector>

#include "engine/removal_report.h"

namespace engine::files {

void RemoveDesktopShortcuts(RemovalContext& context);
void RemoveQuickLaunchShortcut(RemovalContext& context);
// The product's folder in the user's and the common start menu.
void RemoveStartMenuFolders(RemovalContext& context);

// `installPath` ends in a backslash and is not empty.
void RemoveProgramFiles(RemovalContext& context, const std::u16string& installPath);
// The top-level files it deletes, by name, and the directories it removes ("\Plugins", below
// the install directory).
std::vector<std::u16string> ProgramFileNames();
std::vector<std::u16string> ProgramDirectories();

// Removes the install directory and the parents the installer created for it, nearest first,
// up to the directory that existed before the installation (`existPath`, the other record).
// Each goes only when empty. Both paths are compared in lower case.
void RemoveCreatedParents(RemovalContext& context, const std::u16string& installPath, const std::u16string& existPath);
// The product's shortcuts and Start-menu folders that are still there, as full paths.
std::vector<std::u16string> ShortcutsLeft();
// The directories that walk tries, nearest first, in lower case.
std::vector<std::u16string> CreatedDirectories(const std::u16string& installPath, const std::u16string& existPath);

}  // namespace engine::files
