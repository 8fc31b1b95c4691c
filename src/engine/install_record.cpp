#include "engine/install_record.h"

#include <vector>

#include "engine/paths.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace engine {
namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix) {
    return text.size() >= prefix.size() && EqualNoCaseAscii(text.substr(0, prefix.size()), prefix);
}

// Characters no file or directory name may hold; ':' also names an alternate data stream.
bool IsNameCharacter(char16_t c) {
    if (c < 32) return false;
    for (char16_t bad : u"<>:\"|?*")
        if (bad && c == bad) return false;
    return true;
}

std::vector<std::u16string> SplitAtBackslashes(const std::u16string& text) {
    std::vector<std::u16string> parts;
    std::size_t start = 0;
    for (std::size_t at = text.find(u'\\'); at != std::u16string::npos; at = text.find(u'\\', start)) {
        parts.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Windows drops a component's trailing dots and blanks, so "Orvik Pendrel. " names "Orvik Pendrel".
std::u16string WithoutTrailingDotsAndBlanks(const std::u16string& name) {
    std::size_t length = name.size();
    while (length > 0 && (name[length - 1] == u'.' || name[length - 1] == u' ')) --length;
    return name.substr(0, length);
}

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
           (path.size() > prefix.size() && StartsWithNoCase(path, prefix));
}

// The record as text, however long (up to what a sane registry value holds); a value that is
// not text counts as missing.
constexpr win::DWORD kLongestRecordBytes = 32768 * sizeof(char16_t);

struct RecordedText {
    bool tooLong = false;
    std::u16string text;
};

RecordedText ReadRecordedText(const char16_t* valueName) {
    RecordedText recorded;
    RegistryKey key;
    if (!key.Open(win::HKEY_LOCAL_MACHINE, product::kProductKey, win::KEY_QUERY_VALUE)) return recorded;
    win::DWORD type = 0;
    win::DWORD size = 0;
    if (win::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) !=
            static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        (type != win::REG_SZ && type != win::REG_EXPAND_SZ))
        return recorded;
    recorded.tooLong = size > kLongestRecordBytes;
    if (!recorded.tooLong) QueryRegistryString(key.get(), valueName, kLongestRecordBytes, recorded.text);
    return recorded;
}

}  // namespace

bool NormaliseFullPath(const std::u16string& input, std::u16string& result) {
    std::u16string path = input;
    for (char16_t& c : path)
        if (c == u'/') c = u'\\';

    // "\\?\C:\dir" and "\\?\UNC\server\share\dir" name what the path without the prefix names.
    if (StartsWithNoCase(path, u"\\\\?\\UNC\\")) path = u"\\\\" + path.substr(8);
    else if (StartsWithNoCase(path, u"\\\\?\\")) path = path.substr(4);

    std::u16string root;
    std::u16string rest;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == u':' && path[2] == u'\\') {
        root = path.substr(0, 2);
        rest = path.substr(3);
    } else if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\') {
        // Server and share form the root; "\\.\" and "\\?\" are device paths, not shares.
        std::vector<std::u16string> parts;
        std::size_t at = 2;
        while (parts.size() < 2 && at <= path.size()) {
            std::size_t end = path.find(u'\\', at);
            if (end == std::u16string::npos) end = path.size();
            if (end > at) parts.push_back(path.substr(at, end - at));
            at = end + 1;
        }
        if (parts.size() < 2) return false;
        for (const std::u16string& part : parts) {
            if (part == u"." || part == u"?" || part == u"..") return false;
            for (char16_t c : part)
                if (!IsNameCharacter(c)) return false;
        }
        root = u"\\\\" + parts[0] + u"\\" + parts[1];
        rest = at < path.size() ? path.substr(at) : std::u16string();
    } else {
        return false;
    }

    std::vector<std::u16string> components;
    for (const std::u16string& part : SplitAtBackslashes(rest)) {
        if (part.empty() || part == u".") continue;
        if (part == u"..") {
            // Windows would stop at the root and name a directory the record never meant.
            if (components.empty()) return false;
            components.pop_back();
            continue;
        }
        const std::u16string name = WithoutTrailingDotsAndBlanks(part);
        if (name.empty()) return false;
        for (char16_t c : name)
            if (!IsNameCharacter(c)) return false;
        components.push_back(name);
    }

    std::u16string normalised = root;
    for (const std::u16string& component : components) normalised += u'\\' + component;
    if (components.empty() && root.size() == 2) normalised += u'\\';  // "C:\", never "C:"
    result = normalised;
    return true;
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

InstallRecord JudgeInstallRecord(const std::u16string& recorded) {
    InstallRecord record;
    if (recorded.empty()) return record;
    record.state = InstallRecordState::Unusable;
    if (!FitsMaxPath(recorded)) return record;
    std::u16string normalised;
    if (!NormaliseFullPath(recorded, normalised) || !IsSafeInstallDirectory(normalised)) return record;
    const std::u16string directory = WithTrailingBackslash(normalised);
    if (!FitsMaxPath(directory + product::kExecutableName)) return record;
    if (IsSystemOrShellFolder(normalised)) return record;
    record.state = InstallRecordState::Usable;
    record.directory = directory;
    return record;
}

InstallRecord ReadInstallRecord() {
    const RecordedText recorded = ReadRecordedText(product::kInstallPathValue);
    if (recorded.tooLong) return {InstallRecordState::Unusable, {}};
    return JudgeInstallRecord(recorded.text);
}

}  // namespace engine
