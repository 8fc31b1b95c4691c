// Shortcuts in the shell's folders, and the program files with the directories the installer
// created above the install directory.
#include "engine/files/directory_tree.h"
#include "engine/files/path.h"
#include "engine/uninstaller.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace engine {
namespace {

constexpr char16_t kShortcutName[] = u"\\Orvik Pendrel.lnk";
constexpr char16_t kStartMenuFolder[] = u"\\Orvik Pendrel";
constexpr char16_t kQuickLaunch[] = u"\\Microsoft\\Internet Explorer\\Quick Launch";

constexpr const char16_t* kProgramFiles[] = {u"Readme.txt",           u"Uninstall.exe", u"config.xml",
                                             u"UnPDFReaderPlugin.exe", u"InOther.exe",  u"InComplete.exe"};

// The file-system path of a shell folder, without trailing backslash; empty when the folder
// cannot be resolved or is a drive root, so that no path is ever formed from it.
std::u16string ShellFolderPath(int folder) {
    win::ITEMIDLIST* idList = nullptr;
    if (win::FAILED(win::SHGetSpecialFolderLocation(nullptr, folder, &idList)) || !idList) return {};
    char16_t buffer[win::MAX_PATH] = {};
    const bool resolved = win::SHGetPathFromIDListW(idList, buffer) != 0;
    win::ILFree(idList);
    buffer[win::MAX_PATH - 1] = 0;
    std::u16string path = resolved ? WithoutTrailingBackslash(buffer) : std::u16string();
    return IsSafeInstallDirectory(path) ? path : std::u16string();
}

void DeleteFileIn(const std::u16string& directory, const char16_t* name) {
    if (directory.empty()) return;
    const std::u16string path = directory + name;
    if (FitsMaxPath(path)) win::DeleteFileW(path.c_str());
}

void RemoveStartMenuFolderIn(int programsFolder) {
    const std::u16string programs = ShellFolderPath(programsFolder);
    if (programs.empty()) return;
    const std::u16string folder = programs + kStartMenuFolder;
    RemoveDirectoryTree(folder + u"\\*.lnk");
    if (FitsMaxPath(folder)) win::RemoveDirectoryW(folder.c_str());
}

}  // namespace

void RemoveDesktopShortcuts() {
    DeleteFileIn(ShellFolderPath(win::CSIDL_COMMON_DESKTOPDIRECTORY), kShortcutName);
    DeleteFileIn(ShellFolderPath(win::CSIDL_DESKTOPDIRECTORY), kShortcutName);
}

void Uninstaller::RemoveQuickLaunchShortcut() {
    const std::u16string appData = ShellFolderPath(win::CSIDL_APPDATA);
    if (appData.empty()) return;
    DeleteFileIn(appData + kQuickLaunch, kShortcutName);
}

void Uninstaller::RemoveStartMenuFolder() {
    RemoveStartMenuFolderIn(win::CSIDL_PROGRAMS);
    RemoveStartMenuFolderIn(win::CSIDL_COMMON_PROGRAMS);
}

void Uninstaller::RemoveProgramFiles() {
    if (!HasInstallPath()) return;
    for (const char16_t* name : kProgramFiles) {
        const std::u16string path = m_strInstallPath + name;
        if (FitsMaxPath(path)) win::DeleteFileW(path.c_str());
    }
    const std::u16string base = WithoutTrailingBackslash(m_strInstallPath);
    for (const char16_t* directory : {u"\\Plugins\\OnDemandCM", u"\\Plugins"}) {
        const std::u16string path = base + directory;
        if (FitsMaxPath(path) && IsReachedWithoutLinks(base, directory)) win::RemoveDirectoryW(path.c_str());
    }
    RemoveCreatedParents();
}

// Removes the install directory and the parents the installer created for it, nearest first,
// up to the directory that existed before the installation. Each goes only when empty.
void Uninstaller::RemoveCreatedParents() {
    m_strExistPath = ToLowerAscii(m_strExistPath);
    m_strInstallPath = ToLowerAscii(m_strInstallPath);
    if (m_strExistPath == m_strInstallPath) return;
    for (std::size_t i = m_strInstallPath.size() - 1; i >= 1; --i) {
        if (m_strInstallPath[i] != u'\\') continue;
        const std::u16string directory = m_strInstallPath.substr(0, i);
        if (directory + u'\\' == m_strExistPath) return;
        // A drive or share root ends the walk. "C:" alone would even name the current
        // directory of drive C, which may be any directory at all.
        if (!IsSafeInstallDirectory(directory)) return;
        if (FitsMaxPath(directory)) win::RemoveDirectoryW(directory.c_str());
    }
}

}  // namespace engine
