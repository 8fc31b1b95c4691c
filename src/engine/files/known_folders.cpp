#include "engine/files/known_folders.h"

#include <vector>

#include "engine/files/path.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace engine::files {
namespace {

// Folders that belong to the system or to the user, never to one product. Their parents
// ("C:\Users", "C:\ProgramData") are caught by the comparison below.
constexpr int kSystemAndShellFolders[] = {
    win::CSIDL_WINDOWS,           win::CSIDL_SYSTEM,          win::CSIDL_SYSTEMX86,
    win::CSIDL_FONTS,             win::CSIDL_PROGRAM_FILES,   win::CSIDL_PROGRAM_FILESX86,
    win::CSIDL_PROGRAM_FILES_COMMON, win::CSIDL_PROFILE,      win::CSIDL_PERSONAL,
    win::CSIDL_DESKTOPDIRECTORY,  win::CSIDL_COMMON_DESKTOPDIRECTORY, win::CSIDL_APPDATA,
    win::CSIDL_LOCAL_APPDATA,     win::CSIDL_COMMON_APPDATA,  win::CSIDL_STARTMENU,
    win::CSIDL_COMMON_STARTMENU,  win::CSIDL_PROGRAMS,        win::CSIDL_COMMON_PROGRAMS,
    win::CSIDL_STARTUP,           win::CSIDL_COMMON_STARTUP,  win::CSIDL_TEMPLATES,
    win::CSIDL_COMMON_DOCUMENTS,
};

std::vector<std::u16string> SystemAndShellFolders() {
    std::vector<std::u16string> folders;
    for (int csidl : kSystemAndShellFolders) folders.push_back(SpecialFolderPath(csidl));
    char16_t buffer[win::MAX_PATH] = {};
    const win::UINT windows = win::GetWindowsDirectoryW(buffer, win::MAX_PATH);
    if (windows > 0 && windows < win::MAX_PATH) folders.emplace_back(buffer, windows);
    const win::DWORD temp = win::GetTempPathW(win::MAX_PATH, buffer);
    if (temp > 0 && temp < win::MAX_PATH) folders.emplace_back(buffer, temp);
    return folders;
}

// `path` is `ancestor` or lies below it (both normalised, compared without regard to case).
bool IsSameOrBelow(const std::u16string& path, const std::u16string& ancestor) {
    const std::u16string prefix = WithTrailingBackslash(ancestor);
    return EqualNoCaseAscii(WithTrailingBackslash(path), prefix) ||
           (path.size() > prefix.size() && EqualNoCaseAscii(path.substr(0, prefix.size()), prefix));
}

}  // namespace

std::u16string SpecialFolderPath(int csidl) {
    win::ITEMIDLIST* idList = nullptr;
    if (win::FAILED(win::SHGetSpecialFolderLocation(nullptr, csidl, &idList)) || !idList) return {};
    char16_t buffer[win::MAX_PATH] = {};
    const bool resolved = win::SHGetPathFromIDListW(idList, buffer) != 0;
    win::ILFree(idList);
    buffer[win::MAX_PATH - 1] = 0;
    return resolved ? std::u16string(buffer) : std::u16string();
}

bool IsSystemOrShellFolder(const std::u16string& directory) {
    std::vector<std::u16string> forms{directory};
    char16_t buffer[win::MAX_PATH] = {};
    const win::DWORD length = win::GetLongPathNameW(directory.c_str(), buffer, win::MAX_PATH);
    std::u16string longForm;
    if (length > 0 && length < win::MAX_PATH && NormaliseFullPath(std::u16string(buffer, length), longForm))
        forms.push_back(longForm);
    for (const std::u16string& folder : SystemAndShellFolders()) {
        std::u16string normalised;
        if (folder.empty() || !NormaliseFullPath(folder, normalised)) continue;
        for (const std::u16string& form : forms)
            if (IsSameOrBelow(normalised, form)) return true;
    }
    return false;
}

}  // namespace engine::files
