#include "engine/files/known_folders.h"

#include <vector>

#include "engine/files/path.h"
#include "engine/registry/read_registry_string.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/scoped.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace engine::files {
namespace {

// Where the system and the shell keep their folders, read without the shell itself: the
// installed copy judges the record for its language file before it relaunches, and must not
// load the shell's libraries for that. Windows and Wine keep every shell folder's resolved path
// in "Shell Folders" for programs that predate the shell's folder functions.
constexpr char16_t kShellFolders[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kCurrentVersion[] = u"Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char16_t* kProgramFilesValues[] = {u"ProgramFilesDir", u"ProgramFilesDir (x86)", u"ProgramW6432Dir",
                                                  u"CommonFilesDir", u"CommonFilesDir (x86)"};
constexpr const char16_t* kFolderVariables[] = {u"USERPROFILE", u"PUBLIC", u"ALLUSERSPROFILE", u"ProgramData",
                                               u"ProgramFiles", u"ProgramFiles(x86)", u"ProgramW6432", u"APPDATA",
                                               u"LOCALAPPDATA"};

// The room a folder's value is read into, here and in "Shell Folders": a path buffer, less its
// terminator.
constexpr win::DWORD kFolderValueBytes = (win::MAX_PATH - 1) * sizeof(char16_t);

// The text of a string value of an open key, or empty.
std::u16string StringValue(win::HKEY key, const char16_t* name) {
    std::u16string text;
    registry::QueryRegistryString(key, name, kFolderValueBytes, text);
    return text;
}

// Every string value of a "Shell Folders" key, each read with its name in one call. A value whose
// name or text is too long for a path is no folder; the values after it still count.
void AddShellFolders(win::HKEY root, std::vector<std::u16string>& folders) {
    win::ScopedKey key;
    if (win::RegOpenKeyExW(root, kShellFolders, 0, win::KEY_QUERY_VALUE, key.put()) !=
        static_cast<win::LONG>(win::ERROR_SUCCESS))
        return;
    for (win::DWORD index = 0;; ++index) {
        char16_t name[256];
        win::DWORD nameLength = 256;
        char16_t text[win::MAX_PATH] = {};
        win::DWORD type = 0;
        win::DWORD size = kFolderValueBytes;
        const win::LONG status = win::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, &type,
                                                    reinterpret_cast<win::BYTE*>(text), &size);
        if (status == static_cast<win::LONG>(win::ERROR_MORE_DATA)) continue;
        if (status != static_cast<win::LONG>(win::ERROR_SUCCESS)) break;
        if (type == win::REG_SZ || type == win::REG_EXPAND_SZ) folders.push_back(text);
    }
}

// The system's own folders: the Windows directory, the system directory, and the program-files
// directories the machine records (every program has its folder below one). Read from the system
// and the machine's records only, which no user can change.
std::vector<std::u16string> SystemFolders() {
    std::vector<std::u16string> folders;
    char16_t buffer[win::MAX_PATH] = {};
    folders.push_back(FittedPath(buffer, win::GetWindowsDirectoryW(buffer, win::MAX_PATH)));
    folders.push_back(FittedPath(buffer, win::GetSystemDirectoryW(buffer, win::MAX_PATH)));
    win::ScopedKey currentVersion;
    if (win::RegOpenKeyExW(win::HKEY_LOCAL_MACHINE, kCurrentVersion, 0, win::KEY_QUERY_VALUE, currentVersion.put()) ==
        static_cast<win::LONG>(win::ERROR_SUCCESS))
        for (const char16_t* value : kProgramFilesValues) folders.push_back(StringValue(currentVersion.get(), value));
    return folders;
}

std::vector<std::u16string> ReadSystemAndShellFolders() {
    std::vector<std::u16string> folders = SystemFolders();
    char16_t buffer[win::MAX_PATH] = {};
    folders.push_back(FittedPath(buffer, win::GetTempPathW(win::MAX_PATH, buffer)));
    for (const char16_t* variable : kFolderVariables)
        folders.push_back(FittedPath(buffer, win::GetEnvironmentVariableW(variable, buffer, win::MAX_PATH)));
    AddShellFolders(win::HKEY_CURRENT_USER, folders);
    AddShellFolders(win::HKEY_LOCAL_MACHINE, folders);
    return folders;
}

// `path` is `ancestor` or lies below it (both normalised, compared without regard to case).
bool IsSameOrBelow(const std::u16string& path, const std::u16string& ancestor) {
    const std::u16string prefix = WithTrailingBackslash(ancestor);
    return EqualNoCaseAscii(WithTrailingBackslash(path), prefix) ||
           (path.size() > prefix.size() && EqualNoCaseAscii(path.substr(0, prefix.size()), prefix));
}

// A normalised directory as it is given and in its long form, where it has one: a folder named by
// its 8.3 alias is the same folder.
std::vector<std::u16string> Forms(const std::u16string& directory) {
    std::vector<std::u16string> forms{directory};
    char16_t buffer[win::MAX_PATH] = {};
    const win::DWORD length = win::GetLongPathNameW(directory.c_str(), buffer, win::MAX_PATH);
    std::u16string longForm;
    if (length > 0 && length < win::MAX_PATH && NormaliseFullPath(std::u16string(buffer, length), longForm) &&
        longForm != directory)
        forms.push_back(longForm);
    return forms;
}

// The forms of `folders` to compare with: each normalised, and where it has a short component
// also in its long form.
std::vector<std::u16string> KnownForms(const std::vector<std::u16string>& folders) {
    std::vector<std::u16string> known;
    for (const std::u16string& folder : folders) {
        std::u16string normalised;
        if (folder.empty() || !NormaliseFullPath(folder, normalised)) continue;
        // A folder's 8.3 alias has a tilde in some component: the long form is asked for only
        // then, as the system answers it through a directory lookup per component.
        if (normalised.find(u'~') == std::u16string::npos) {
            known.push_back(normalised);
            continue;
        }
        for (const std::u16string& form : Forms(normalised)) known.push_back(form);
    }
    return known;
}

// Whether a form of `directory` is one of the `known` forms or a parent of one; with `below`, also
// whether it lies below one.
bool IsAmong(const std::u16string& directory, const std::vector<std::u16string>& known, bool below) {
    const std::vector<std::u16string> forms = Forms(directory);
    for (const std::u16string& folder : known)
        for (const std::u16string& form : forms)
            if (IsSameOrBelow(folder, form) || (below && IsSameOrBelow(form, folder))) return true;
    return false;
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

SystemAndShellFolders::SystemAndShellFolders() : m_known(KnownForms(ReadSystemAndShellFolders())) {}

bool SystemAndShellFolders::Holds(const std::u16string& directory) const { return IsAmong(directory, m_known, false); }

bool IsSystemOrShellFolder(const std::u16string& directory) { return SystemAndShellFolders().Holds(directory); }

const char16_t* RefusalOfUserFolder(const std::u16string& directory, std::u16string& normalised) {
    if (!NormaliseFullPath(directory, normalised) || !IsSafeInstallDirectory(normalised))
        return u"a drive root or no full path";
    if (IsAmong(normalised, KnownForms(SystemFolders()), true)) return u"a system folder or a program's";
    return nullptr;
}

}  // namespace engine::files
