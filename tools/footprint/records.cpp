// The product's records and its install directory with the two executables.
#include "footprint.h"

namespace footprint {
namespace {

const wchar_t kProductKey[] = L"Software\\Orvik Software\\Orvik Pendrel";
const wchar_t kLanguageKey[] = L"Software\\Orvik Software\\Orvik Pendrel\\LANGUAGE";

void Install(const Options& o) {
    if (o.records) {
        SetRegString(HKEY_LOCAL_MACHINE, kProductKey, L"InstallPath",
                     o.hasInstallRecord ? o.installRecord : o.installDir + L"\\");
        SetRegString(HKEY_LOCAL_MACHINE, kProductKey, L"ExistPath", o.existPath);
    }
    if (o.langId >= 0) SetRegString(HKEY_CURRENT_USER, kLanguageKey, L"langid", std::to_wstring(o.langId));
    MakeDirectories(o.installDir);
    WriteTextFile(o.InstallFile(L"Orvik Pendrel.exe"), "MZ Orvik Pendrel");
    if (!o.uninstaller.empty()) CopyFileW(o.uninstaller.c_str(), o.InstallFile(L"Uninstall.exe").c_str(), FALSE);
}

void Describe(const Options& o, std::vector<Item>& items) {
    items.push_back(FileItem(Owner::Product, o.InstallFile(L"Orvik Pendrel.exe")));
    items.push_back(FileItem(Owner::Product, o.InstallFile(L"Uninstall.exe")));
    items.push_back(DirectoryItem(Owner::Product, o.installDir));
    items.push_back(KeyItem(Owner::Product, HKEY_LOCAL_MACHINE, kProductKey));
    items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kProductKey));
    items.push_back(DirectoryItem(Owner::Foreign, o.existPath));
}

RegisterSubject subject({L"records", 0, Install, Describe});

}  // namespace
}  // namespace footprint
