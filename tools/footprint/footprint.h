// The footprint installer: lays down the product as its installer would, and tells afterwards
// what of it remains. Each subject of the product (records, files, registry, printer, ...)
// registers itself from its own source file.
#pragma once
#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace footprint {

struct Options {
    std::wstring installDir = L"C:\\Program Files\\Orvik Software\\Orvik Pendrel";  // no trailing backslash
    std::wstring existPath = L"C:\\Program Files\\";
    std::wstring uninstaller;  // the Uninstall.exe to place into the install directory
    bool hasInstallRecord = false;
    std::wstring installRecord;  // "InstallPath" as stored, when given (--install-record)
    int langId = -1;           // -1: no "langid" value
    bool records = true;       // write "InstallPath" and "ExistPath"
    std::set<std::wstring> with;  // optional parts and variants: --with NAME
    std::set<std::wstring> only;  // install, report and check these subjects alone: --only NAME

    bool Has(const wchar_t* name) const { return with.count(name) != 0; }
    std::wstring InstallFile(const std::wstring& name) const { return installDir + L"\\" + name; }
};

enum class Owner { Product, Foreign, Unwanted };

// One thing the footprint consists of. Product items must be gone after an uninstall; foreign
// items (the machine's own, or another program's) must still be there; unwanted items were never
// there and must not appear.
struct Item {
    Owner owner;
    std::wstring kind;
    std::wstring name;
    std::function<bool()> present;
    std::wstring subject = L"";  // filled in by the tool: the subject that described the item
};

struct Subject {
    const wchar_t* name;
    int order;  // installation order
    void (*install)(const Options&);
    void (*describe)(const Options&, std::vector<Item>&);
};

std::vector<Subject>& Subjects();
struct RegisterSubject {
    explicit RegisterSubject(const Subject& subject) { Subjects().push_back(subject); }
};

// Helpers for subjects.
void MakeDirectories(const std::wstring& directory);
void WriteTextFile(const std::wstring& path, const std::string& content);
bool PathExists(const std::wstring& path);
void SetRegString(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& value);
void SetRegDword(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
void CreateRegKey(HKEY root, const std::wstring& key);
bool RegKeyExists(HKEY root, const std::wstring& key);
bool RegValueExists(HKEY root, const std::wstring& key, const std::wstring& name);
std::wstring RootName(HKEY root);

Item FileItem(Owner owner, const std::wstring& path);
Item DirectoryItem(Owner owner, const std::wstring& path);
Item KeyItem(Owner owner, HKEY root, const std::wstring& key);
Item ValueItem(Owner owner, HKEY root, const std::wstring& key, const std::wstring& name);

}  // namespace footprint
