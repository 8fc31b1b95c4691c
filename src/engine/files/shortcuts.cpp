#include "engine/files/shortcuts.h"

#include <iterator>

#include "engine/files/directory_tree.h"
#include "engine/files/file.h"
#include "engine/files/known_folders.h"
#include "engine/files/path.h"
#include "engine/removal_report.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace engine::files {
namespace {

constexpr char16_t kShortcutName[] = u"\\Orvik Pendrel.lnk";
constexpr char16_t kStartMenuFolder[] = u"\\Orvik Pendrel";
constexpr char16_t kQuickLaunch[] = u"\\Microsoft\\Internet Explorer\\Quick Launch";

constexpr const char16_t* kProgramFiles[] = {u"Readme.txt",           u"Uninstall.exe", u"config.xml",
                                             u"UnPDFReaderPlugin.exe", u"InOther.exe",  u"InComplete.exe"};
constexpr const char16_t* kProgramDirectories[] = {u"\\Plugins\\OnDemandCM", u"\\Plugins"};

// A shell folder, by its number for the shell and the name of the user's value that holds it.
struct ShellFolder {
    int csidl;
    const char16_t* value;
};
constexpr ShellFolder kCommonDesktop{win::CSIDL_COMMON_DESKTOPDIRECTORY, u"Common Desktop"};
constexpr ShellFolder kDesktop{win::CSIDL_DESKTOPDIRECTORY, u"Desktop"};
constexpr ShellFolder kAppData{win::CSIDL_APPDATA, u"AppData"};
constexpr ShellFolder kPrograms{win::CSIDL_PROGRAMS, u"Programs"};
constexpr ShellFolder kCommonPrograms{win::CSIDL_COMMON_PROGRAMS, u"Common Programs"};

// The file-system path of a shell folder, normalised, without trailing backslash; empty when the
// folder cannot be resolved or may not be the place of a deletion. The shell resolves the folders
// from the user's own values, which any process of the user can point anywhere: at the Windows
// directory, at another program's folder, at a drive root. A refused folder is told to `context`.
std::u16string ShellFolderPath(RemovalContext& context, const ShellFolder& folder) {
    const std::u16string path = WithoutTrailingBackslash(SpecialFolderPath(folder.csidl));
    if (path.empty()) return path;
    std::u16string normalised;
    const char16_t* reason = RefusalOfUserFolder(path, normalised);
    if (!reason) return normalised;
    context.ReportRefused(u"shell folder " + std::u16string(folder.value) + u" " + path, reason);
    return {};
}

void DeleteFileIn(RemovalContext& context, const std::u16string& directory, const char16_t* name) {
    if (!directory.empty()) DeleteProductFile(context, directory + name);
}

void RemoveStartMenuFolderIn(RemovalContext& context, const ShellFolder& programsFolder) {
    const std::u16string programs = ShellFolderPath(context, programsFolder);
    if (programs.empty()) return;
    const std::u16string folder = programs + kStartMenuFolder;
    RemoveDirectoryTree(context, folder + u"\\*.lnk");
    RemoveProductDirectory(context, folder);
}

}  // namespace

void RemoveDesktopShortcuts(RemovalContext& context) {
    DeleteFileIn(context, ShellFolderPath(context, kCommonDesktop), kShortcutName);
    DeleteFileIn(context, ShellFolderPath(context, kDesktop), kShortcutName);
}

void RemoveQuickLaunchShortcut(RemovalContext& context) {
    const std::u16string appData = ShellFolderPath(context, kAppData);
    if (appData.empty()) return;
    DeleteFileIn(context, appData + kQuickLaunch, kShortcutName);
}

void RemoveStartMenuFolders(RemovalContext& context) {
    RemoveStartMenuFolderIn(context, kPrograms);
    RemoveStartMenuFolderIn(context, kCommonPrograms);
}

void RemoveProgramFiles(RemovalContext& context, const std::u16string& installPath) {
    for (const char16_t* name : kProgramFiles) DeleteProgramFile(context, installPath + name);
    const std::u16string base = WithoutTrailingBackslash(installPath);
    for (const char16_t* directory : kProgramDirectories) RemoveDirectoryBelow(context, base, directory);
}

std::vector<std::u16string> ProgramFileNames() { return {std::begin(kProgramFiles), std::end(kProgramFiles)}; }

std::vector<std::u16string> ProgramDirectories() { return {std::begin(kProgramDirectories), std::end(kProgramDirectories)}; }

std::vector<std::u16string> CreatedDirectories(const std::u16string& installPath, const std::u16string& existPath) {
    std::vector<std::u16string> directories;
    const std::u16string install = ToLowerAscii(installPath);
    const std::u16string exist = ToLowerAscii(existPath);
    if (exist == install) return directories;
    const SystemAndShellFolders folders;
    for (std::size_t i = install.size() - 1; i >= 1; --i) {
        if (install[i] != u'\\') continue;
        // Compared in lower case, named as recorded.
        if (install.substr(0, i + 1) == exist) break;
        const std::u16string directory = installPath.substr(0, i);
        // A drive or share root ends the walk. "C:" alone would even name the current
        // directory of drive C, which may be any directory at all. So does a folder of the
        // system's or the user's: an empty "Program Files" or desktop is not the product's.
        if (!IsSafeInstallDirectory(directory) || folders.Holds(directory)) break;
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
    // A folder refused for the removal holds nothing of the product's to count; the steps that
    // would have deleted in it told the refusal already, so nobody hears it again here.
    RemovalContext unheard;
    note(ShellFolderPath(unheard, kCommonDesktop), kShortcutName);
    note(ShellFolderPath(unheard, kDesktop), kShortcutName);
    const std::u16string appData = ShellFolderPath(unheard, kAppData);
    if (!appData.empty()) note(appData + kQuickLaunch, kShortcutName);
    note(ShellFolderPath(unheard, kPrograms), kStartMenuFolder);
    note(ShellFolderPath(unheard, kCommonPrograms), kStartMenuFolder);
    return left;
}

void RemoveCreatedParents(RemovalContext& context, const std::u16string& installPath, const std::u16string& existPath) {
    for (const std::u16string& directory : CreatedDirectories(installPath, existPath))
        RemoveProductDirectory(context, directory);
}

}  // namespace engine::files
