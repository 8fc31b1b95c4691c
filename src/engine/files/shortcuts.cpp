#include "engine/files/shortcuts.h"

#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace engine::files {
namespace {

constexpr char16_t kShortcutName[] = u"\\Orvik Pendrel.lnk";
constexpr char16_t kStartMenuFolder[] = u"\\Orvik Pendrel";
constexpr char16_t kQuickLaunch[] = u"\\Microsoft\\Internet Explorer\\Quick Launch";

constexpr const char16_t* kProgramFiles[] = {u"Readme.txt",           u"Uninstall.exe", u"config.xml",
                                             u"UnPDFReaderPlugin.exe", u"InOther.exe",  u"InComplete.exe"};

// The file-system path of a shell folder, without trailing backslash; empty when the folder
// cannot be resolved or is a drive root, so that no path is ever formed from it.
std::u16string ShellFolderPath(int folder) {
    std::u16string path = WithoutTrailingBackslash(SpecialFolderPath(folder));
    return IsSafeInstallDirectory(path) ? path : std::u16string();
}

void DeleteFileIn(const std::u16string& directory, const char16_t* name) {
    if (!directory.empty()) DeleteProductFile(directory + name);
}

void RemoveStartMenuFolderIn(int programsFolder) {
    const std::u16string programs = ShellFolderPath(programsFolder);
    if (programs.empty()) return;
    const std::u16string folder = programs + kStartMenuFolder;
    RemoveDirectoryTree(folder + u"\\*.lnk");
    RemoveProductDirectory(folder);
}

}  // namespace

void RemoveDesktopShortcuts() {
    DeleteFileIn(ShellFolderPath(win::CSIDL_COMMON_DESKTOPDIRECTORY), kShortcutName);
    DeleteFileIn(ShellFolderPath(win::CSIDL_DESKTOPDIRECTORY), kShortcutName);
}

void RemoveQuickLaunchShortcut() {
    const std::u16string appData = ShellFolderPath(win::CSIDL_APPDATA);
    if (appData.empty()) return;
    DeleteFileIn(appData + kQuickLaunch, kShortcutName);
}

void RemoveStartMenuFolders() {
    RemoveStartMenuFolderIn(win::CSIDL_PROGRAMS);
    RemoveStartMenuFolderIn(win::CSIDL_COMMON_PROGRAMS);
}

void RemoveProgramFiles(const std::u16string& installPath) {
    for (const char16_t* name : kProgramFiles) DeleteProgramFile(installPath + name);
    const std::u16string base = WithoutTrailingBackslash(installPath);
    for (const char16_t* directory : {u"\\Plugins\\OnDemandCM", u"\\Plugins"}) RemoveDirectoryBelow(base, directory);
}

std::vector<std::u16string> CreatedDirectories(const std::u16string& installPath, const std::u16string& existPath) {
    std::vector<std::u16string> directories;
    const std::u16string install = ToLowerAscii(installPath);
    const std::u16string exist = ToLowerAscii(existPath);
    if (exist == install) return directories;
    for (std::size_t i = install.size() - 1; i >= 1; --i) {
        if (install[i] != u'\\') continue;
        const std::u16string directory = install.substr(0, i);
        if (directory + u'\\' == exist) break;
        // A drive or share root ends the walk. "C:" alone would even name the current
        // directory of drive C, which may be any directory at all. So does a folder of the
        // system's or the user's: an empty "Program Files" or desktop is not the product's.
        if (!IsSafeInstallDirectory(directory) || IsSystemOrShellFolder(directory)) break;
        directories.push_back(directory);
    }
    return directories;
}

std::vector<std::u16string> ShortcutsLeft() {
    std::vector<std::u16string> left;
    const auto note = [&left](const std::u16string& directory, const std::u16string& name) {
        if (directory.empty()) return;
        const std::u16string path = directory + name;
        if (win::GetFileAttributesW(path.c_str()) != win::INVALID_FILE_ATTRIBUTES) left.push_back(path);
    };
    note(ShellFolderPath(win::CSIDL_COMMON_DESKTOPDIRECTORY), kShortcutName);
    note(ShellFolderPath(win::CSIDL_DESKTOPDIRECTORY), kShortcutName);
    const std::u16string appData = ShellFolderPath(win::CSIDL_APPDATA);
    if (!appData.empty()) note(appData + kQuickLaunch, kShortcutName);
    note(ShellFolderPath(win::CSIDL_PROGRAMS), kStartMenuFolder);
    note(ShellFolderPath(win::CSIDL_COMMON_PROGRAMS), kStartMenuFolder);
    return left;
}

void RemoveCreatedParents(const std::u16string& installPath, const std::u16string& existPath) {
    for (const std::u16string& directory : CreatedDirectories(installPath, existPath)) RemoveProductDirectory(directory);
}

}  // namespace engine::files
