// The product's language files in the install directory's "lang" subdirectory (all of them, as the
// product ships them; --with no-lang leaves them out).
// They are copied from the "lang" directory beside footprint.exe; "langid" is written by --lang.
#include "footprint.h"

#include <cwchar>

namespace footprint {
namespace {

std::wstring SourceDirectory() {
    wchar_t module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return L"";
    std::wstring path(module, length);
    return path.substr(0, path.find_last_of(L'\\')) + L"\\lang";
}

// The names of the language files beside footprint.exe.
std::vector<std::wstring> LanguageFiles() {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((SourceDirectory() + L"\\uninst_lang_*.xml").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void Install(const Options& o) {
    if (o.Has(L"no-lang")) return;
    const std::wstring target = o.InstallFile(L"lang");
    MakeDirectories(target);
    const std::vector<std::wstring> names = LanguageFiles();
    if (names.empty()) std::fwprintf(stderr, L"footprint: no language files in %ls\n", SourceDirectory().c_str());
    for (const std::wstring& name : names)
        CopyFileW((SourceDirectory() + L"\\" + name).c_str(), (target + L"\\" + name).c_str(), FALSE);
}

void Describe(const Options& o, std::vector<Item>& items) {
    if (o.Has(L"no-lang")) return;
    for (const std::wstring& name : LanguageFiles())
        items.push_back(FileItem(Owner::Product, o.InstallFile(L"lang\\" + name)));
    items.push_back(DirectoryItem(Owner::Product, o.InstallFile(L"lang")));
}

RegisterSubject subject({L"language", 1, Install, Describe});

}  // namespace
}  // namespace footprint
