// The file side of the product: shortcuts in the shell's folders, the program files, every
// add-on's files and directories, stamps, language files, the OCR plug-in, the updater's file and
// the browser plug-in's uninstaller (our stub, which records how it was run).
//
// Variants (--with NAME):
//   foreign-stamp        a stamp of the user's own that is not a PDF file
//   foreign-start-menu   a web link that is not a ".lnk" file in the user's Start-menu folder
//   foreign-lex          a dictionary of the user's own among the spell-check files
//   foreign-lang         a text file in the language directory
//   second-plugin-name   the plug-in uninstaller under its other name
#include "footprint.h"

#include <shlobj.h>

#include <cstdio>
#include <cwchar>

namespace footprint {
namespace {

const wchar_t kShortcut[] = L"Orvik Pendrel.lnk";
const wchar_t kStartMenuFolder[] = L"Orvik Pendrel";
const wchar_t kQuickLaunch[] = L"\\Microsoft\\Internet Explorer\\Quick Launch";

const wchar_t* const kProgramFiles[] = {L"Readme.txt", L"config.xml", L"InOther.exe", L"InComplete.exe"};
const wchar_t* const kLexFiles[] = {L"accent.tlx",  L"correct.tlx", L"ssceam.tlx", L"ssceam2.clx", L"sscebr.tlx",
                                    L"sscebr2.clx", L"ssceca.tlx",  L"ssceca2.clx", L"tech.tlx",  L"userdic.tlx"};
const wchar_t* const kAddOnFiles[] = {
    L"kpdfcjk.bin",
    L"kvdecod1.dll",
    L"Plugins\\npOrvikReaderPlugin.dll",
    L"Plugins\\OnDemandCM\\OnDemandPlugin.dll",
    L"Plugins\\OnDemandCM\\curl\\curl.exe",
    L"Plugins\\OnDemandCM\\curl\\libcurl.dll",
    L"Plugins\\OnDemandCM\\curl\\libeay32.dll",
    L"Plugins\\OnDemandCM\\curl\\libssl32.dll",
    L"Plugins\\OnDemandCM\\OnDemandCM_en.xml",
    L"Plugins\\OnDemandCM\\OnDemandCM_de.xml",
    L"Stamps\\Standard Stamps\\Approved.pdf",
    L"Stamps\\Standard Stamps\\Confidential.pdf",
    L"Stamps\\Sign Here\\Sign Here.pdf",
    L"Stamps\\Sign Here\\Initial Here.pdf",
    L"plugins\\OCR\\KV_Abbyy_OCR\\engine.dat",
    L"plugins\\OCR\\KV_Abbyy_OCR\\Languages\\English.dat",
    L"plugins\\OCR\\KV_Abbyy_OCR.Dll",
    L"UpdaterInfo.xml",
};
// Deepest first, so that describing them reads like the removal.
const wchar_t* const kAddOnDirectories[] = {
    L"lex",
    L"Plugins\\OnDemandCM\\curl",
    L"Plugins\\OnDemandCM",
    L"Stamps\\Standard Stamps",
    L"Stamps\\Sign Here",
    L"Stamps",
    L"lang",
    L"plugins\\OCR\\KV_Abbyy_OCR\\Languages",
    L"plugins\\OCR\\KV_Abbyy_OCR",
    L"plugins\\OCR",
    L"Plugins",
};
const wchar_t* const kLanguageFiles[] = {L"uninst_lang_en_us.xml", L"uninst_lang_de_de.xml"};

std::wstring ShellFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

struct Places {
    std::wstring commonDesktop = ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    std::wstring desktop = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    std::wstring quickLaunch = ShellFolder(CSIDL_APPDATA) + kQuickLaunch;
    std::wstring programs = ShellFolder(CSIDL_PROGRAMS) + L"\\" + kStartMenuFolder;
    std::wstring commonPrograms = ShellFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + kStartMenuFolder;
};

std::wstring PluginUninstallerName(const Options& o) {
    return o.Has(L"second-plugin-name") ? L"UninstallPDFReaderPlugin.exe" : L"UnPDFReaderPlugin.exe";
}

// Our stub is placed next to footprint.exe by the harness.
std::wstring StubPath() {
    wchar_t self[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length < MAX_PATH ? length : 0);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"plugin_uninstaller.exe";
}

// Language files of the uninstaller hold the built-in texts, so that whichever is chosen the
// run shows the same words. Files already placed by another subject are kept.
void WriteLanguageFile(const std::wstring& path) {
    if (PathExists(path)) return;
    WriteTextFile(path,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Language>\r\n <Strings>\r\n"
                  "  <String id=\"4\" text=\"Please wait while deleting files...\"/>\r\n"
                  "  <String id=\"8\" text=\"You have successfully removed Orvik Pendrel.\"/>\r\n"
                  "  <String id=\"12\" text=\"Orvik Pendrel Uninstall Wizard\"/>\r\n"
                  " </Strings>\r\n</Language>\r\n");
}

void Install(const Options& o) {
    const Places places;
    for (const std::wstring& folder : {places.commonDesktop, places.desktop, places.quickLaunch})
        WriteTextFile(folder + L"\\" + kShortcut, "shortcut");
    WriteTextFile(places.desktop + L"\\Other Program.lnk", "shortcut");
    WriteTextFile(places.quickLaunch + L"\\Browser.lnk", "shortcut");
    for (const std::wstring& folder : {places.programs, places.commonPrograms}) {
        WriteTextFile(folder + L"\\" + kShortcut, "shortcut");
        WriteTextFile(folder + L"\\Uninstall Orvik Pendrel.lnk", "shortcut");
    }
    if (o.Has(L"foreign-start-menu")) WriteTextFile(places.programs + L"\\Orvik Software on the Web.url", "[InternetShortcut]");

    for (const wchar_t* name : kProgramFiles) WriteTextFile(o.InstallFile(name), "program file");
    for (const wchar_t* name : kAddOnFiles) WriteTextFile(o.InstallFile(name), "add-on file");
    for (const wchar_t* name : kLexFiles) WriteTextFile(o.InstallFile(std::wstring(L"lex\\") + name), "dictionary");
    for (const wchar_t* name : kLanguageFiles) WriteLanguageFile(o.InstallFile(std::wstring(L"lang\\") + name));
    if (!CopyFileW(StubPath().c_str(), o.InstallFile(PluginUninstallerName(o)).c_str(), FALSE))
        std::fwprintf(stderr, L"footprint: no plug-in uninstaller stub at %ls\n", StubPath().c_str());

    if (o.Has(L"foreign-stamp")) WriteTextFile(o.InstallFile(L"Stamps\\Standard Stamps\\My Stamp.png"), "user stamp");
    if (o.Has(L"foreign-lex")) WriteTextFile(o.InstallFile(L"lex\\custom.tlx"), "user dictionary");
    if (o.Has(L"foreign-lang")) WriteTextFile(o.InstallFile(L"lang\\notes.txt"), "user notes");
}

// The directories the installer created above the install directory, below the one that
// existed before.
std::vector<std::wstring> CreatedParents(const Options& o) {
    std::vector<std::wstring> parents;
    std::wstring exist = o.existPath;
    while (!exist.empty() && exist.back() == L'\\') exist.pop_back();
    if (exist.size() < 3 || _wcsnicmp(o.installDir.c_str(), (exist + L"\\").c_str(), exist.size() + 1) != 0)
        return parents;
    for (std::size_t at = o.installDir.find_last_of(L'\\'); at != std::wstring::npos && at > exist.size();
         at = o.installDir.find_last_of(L'\\', at - 1))
        parents.push_back(o.installDir.substr(0, at));
    return parents;
}

void Describe(const Options& o, std::vector<Item>& items) {
    const Places places;
    for (const std::wstring& folder : {places.commonDesktop, places.desktop, places.quickLaunch})
        items.push_back(FileItem(Owner::Product, folder + L"\\" + kShortcut));
    items.push_back(FileItem(Owner::Foreign, places.desktop + L"\\Other Program.lnk"));
    items.push_back(FileItem(Owner::Foreign, places.quickLaunch + L"\\Browser.lnk"));
    items.push_back(DirectoryItem(Owner::Foreign, places.quickLaunch));
    for (const std::wstring& folder : {places.programs, places.commonPrograms}) {
        items.push_back(FileItem(Owner::Product, folder + L"\\" + kShortcut));
        items.push_back(FileItem(Owner::Product, folder + L"\\Uninstall Orvik Pendrel.lnk"));
        items.push_back(DirectoryItem(Owner::Product, folder));
    }
    if (o.Has(L"foreign-start-menu"))
        items.push_back(FileItem(Owner::Foreign, places.programs + L"\\Orvik Software on the Web.url"));

    for (const wchar_t* name : kProgramFiles) items.push_back(FileItem(Owner::Product, o.InstallFile(name)));
    for (const wchar_t* name : kAddOnFiles) items.push_back(FileItem(Owner::Product, o.InstallFile(name)));
    for (const wchar_t* name : kLexFiles)
        items.push_back(FileItem(Owner::Product, o.InstallFile(std::wstring(L"lex\\") + name)));
    for (const wchar_t* name : kLanguageFiles)
        items.push_back(FileItem(Owner::Product, o.InstallFile(std::wstring(L"lang\\") + name)));
    items.push_back(FileItem(Owner::Product, o.InstallFile(PluginUninstallerName(o))));
    for (const wchar_t* name : kAddOnDirectories) items.push_back(DirectoryItem(Owner::Product, o.InstallFile(name)));
    for (const std::wstring& parent : CreatedParents(o)) items.push_back(DirectoryItem(Owner::Product, parent));

    if (o.Has(L"foreign-stamp"))
        items.push_back(FileItem(Owner::Foreign, o.InstallFile(L"Stamps\\Standard Stamps\\My Stamp.png")));
    if (o.Has(L"foreign-lex")) items.push_back(FileItem(Owner::Foreign, o.InstallFile(L"lex\\custom.tlx")));
    if (o.Has(L"foreign-lang")) items.push_back(FileItem(Owner::Foreign, o.InstallFile(L"lang\\notes.txt")));
}

RegisterSubject subject({L"files", 20, Install, Describe});

}  // namespace
}  // namespace footprint
