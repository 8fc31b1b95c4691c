// The product's registry side as its installer leaves it: ProgIDs with their open commands and
// class identifiers, the ".pdf" and ".fdf" associations in the machine's classes, the user's
// choices and the user's classes (the merged view), the MIME types' class identifiers, the
// Uninstall, ARPCache and MenuOrder entries, the product keys under both of its names and both
// roots, and an add-on record. "--with foreign-pdf-handler" makes another program the ".pdf"
// handler instead: its associations must survive, while the product's ProgIDs still go.
// "--with registry-link" plants a symbolic link in the product's user key that leads to another
// program's key: the link must go, the key it leads to must stay. "--with addon-record-link"
// plants such a link as the "Firefox Plugin" add-on record. "--with verbless-pdf-handler" makes
// another program's ProgID without an open verb the ".pdf" handler, on a machine without any
// ".fdf" or MIME keys: none of the keys an uninstall reads may appear. "--with
// registry-links-above" then does what another process of the user can: it takes the user's
// vendor key away and makes it, and the user's "Uninstall" key, links to keys of the machine's
// that hold the product's names with subkeys below: those must all stay. "--with
// command-from-record" writes the open commands from the "InstallPath" record as stored, joined
// to the file name, as an installer that keeps the record's doubled backslash would.
#include "footprint.h"

#include <cstdio>

namespace footprint {
namespace {

const wchar_t kDocProgId[] = L"OrvikPendrel.Document";
const wchar_t kFdfProgId[] = L"OrvikPendrel.FDFDoc";
const wchar_t kDocClsid[] = L"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
const wchar_t kFdfClsid[] = L"{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}";
const wchar_t kChineseName[] = L"\u6C83\u5C9APendrel";

const wchar_t kForeignProgId[] = L"OtherReader.Document";
const wchar_t kForeignClsid[] = L"{0B1E6A52-3C94-4D17-8E0F-6A2B9C7D5E31}";
const wchar_t kForeignCommand[] = L"\"C:\\Program Files\\Other Reader\\OtherReader.exe\" \"%1\"";

const std::wstring kClasses = L"Software\\Classes\\";
const std::wstring kWindows = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
const std::wstring kFileExts = kWindows + L"Explorer\\FileExts\\";
const std::wstring kMime = L"Software\\Classes\\MIME\\Database\\Content Type\\";
const std::wstring kVendor = L"Software\\Orvik Software";
const std::wstring kProduct = kVendor + L"\\Orvik Pendrel";
const std::wstring kProductChinese = kVendor + L"\\" + kChineseName;
const std::wstring kSibling = kVendor + L"\\Orvik Scanner";
const std::wstring kUninstall = kWindows + L"Uninstall\\Orvik Pendrel";
const std::wstring kUninstallChinese = kWindows + L"Uninstall\\" + kChineseName;
const std::wstring kArpCache = kWindows + L"App Management\\ARPCache\\Orvik Pendrel";
const std::wstring kMenuOrder = kWindows + L"Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel";
const std::wstring kShortApplication = kClasses + L"Applications\\ORVIKP~1.EXE";
const std::wstring kUpdateRecord = kProduct + L"\\Updates List\\Orvik Spell Check Language";

const std::wstring kLinkedVictim = L"Software\\Orvik Footprint Victim";

const wchar_t kVerblessProgId[] = L"VerblessReader.Document";
const std::wstring kAddOnRecordLink = kProduct + L"\\Updates List\\Firefox Plugin";
// Without subkeys: a deletion that followed the link would not be refused.
const std::wstring kRecordVictim = L"Software\\Orvik Footprint Record Victim";

bool Foreign(const Options& o) { return o.Has(L"foreign-pdf-handler"); }
bool Verbless(const Options& o) { return o.Has(L"verbless-pdf-handler"); }
bool PlantedLink(const Options& o) { return o.Has(L"registry-link"); }
bool AddOnRecordLink(const Options& o) { return o.Has(L"addon-record-link"); }
bool LinksAbove(const Options& o) { return o.Has(L"registry-links-above"); }

// The machine's keys the links above the product's keys lead to.
const std::wstring kVendorVictim = L"Software\\Orvik Footprint Vendor Victim";
const std::wstring kUninstallVictim = L"Software\\Orvik Footprint Uninstall Victim";
const std::wstring kVictimSubkeys[] = {L"\\Orvik Pendrel", L"\\Orvik Pendrel\\Deep", L"\\Orvik Pendrel\\Deep\\Deeper"};


void CreateRegLink(HKEY root, const std::wstring& key, const std::wstring& target) {
    HKEY k;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr,
                        &k, nullptr) != ERROR_SUCCESS) {
        std::fwprintf(stderr, L"footprint: cannot create link %ls\n", key.c_str());
        return;
    }
    RegSetValueExW(k, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.data()),
                   static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(k);
}

void DeleteRegTree(HKEY root, const std::wstring& key) {
    HKEY k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    wchar_t name[256];
    DWORD length = 256;
    std::vector<std::wstring> names;
    for (DWORD i = 0; length = 256, RegEnumKeyExW(k, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    RegCloseKey(k);
    for (const std::wstring& n : names) DeleteRegTree(root, key + L"\\" + n);
    RegDeleteKeyW(root, key.c_str());
}

void PlantLinksAbove() {
    DeleteRegTree(HKEY_CURRENT_USER, kVendor);
    for (const std::wstring& victim : {kVendorVictim, kUninstallVictim})
        for (const std::wstring& below : kVictimSubkeys) SetRegString(HKEY_LOCAL_MACHINE, victim + below, L"Data", L"keep");
    CreateRegLink(HKEY_CURRENT_USER, kVendor, L"\\Registry\\Machine\\" + kVendorVictim);
    CreateRegLink(HKEY_CURRENT_USER, kWindows + L"Uninstall", L"\\Registry\\Machine\\" + kUninstallVictim);
}

// Windows shows the user's classes in HKEY_CLASSES_ROOT over the machine's; some systems (Wine
// among them) show the machine's alone. Associations in the user's classes can only be removed
// through a merged view, so they are laid down only where the system has one.
bool ClassesViewShowsUserClasses() {
    const std::wstring probe = L"OrvikFootprint.ClassesProbe";
    CreateRegKey(HKEY_CURRENT_USER, kClasses + probe);
    const bool shown = RegKeyExists(HKEY_CLASSES_ROOT, probe);
    RegDeleteKeyW(HKEY_CURRENT_USER, (kClasses + probe).c_str());
    return shown;
}

std::wstring OpenCommand(const Options& o) {
    if (o.Has(L"command-from-record") && o.hasInstallRecord)
        return L"\"" + o.installRecord + L"Orvik Pendrel.exe\" \"%1\"";
    return L"\"" + o.InstallFile(L"Orvik Pendrel.exe") + L"\" \"%1\"";
}

// "Open with" lists: the product's ProgIDs as value names, beside another program's.
const wchar_t* const kOpenWithKeys[][2] = {
    {L".pdf", kDocProgId},
    {L".fdf", kFdfProgId},
};

// Settings nested deeply enough that their paths run past 260 characters.
std::wstring DeepSettingsKey() {
    std::wstring key = kProduct + L"\\Settings";
    for (wchar_t c : {L'a', L'b', L'c'}) key += L"\\" + std::wstring(100, c);
    return key;
}

void InstallProgId(const Options& o, HKEY root, const std::wstring& progId, const std::wstring& clsid,
                   const std::wstring& description) {
    SetRegString(root, kClasses + progId, L"", description);
    SetRegString(root, kClasses + progId + L"\\DefaultIcon", L"", o.InstallFile(L"Orvik Pendrel.exe") + L",1");
    SetRegString(root, kClasses + progId + L"\\shell\\open\\command", L"", OpenCommand(o));
    SetRegString(root, kClasses + progId + L"\\CLSID", L"", clsid);
    SetRegString(root, kClasses + L"CLSID\\" + clsid, L"", description);
    SetRegString(root, kClasses + L"CLSID\\" + clsid + L"\\ProgID", L"", progId);
    SetRegString(root, kClasses + L"CLSID\\" + clsid + L"\\LocalServer32", L"", o.InstallFile(L"Orvik Pendrel.exe"));
}

std::vector<HKEY> ClassesRoots() {
    if (ClassesViewShowsUserClasses()) return {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    return {HKEY_LOCAL_MACHINE};
}

void InstallProductAssociations() {
    const std::vector<HKEY> roots = ClassesRoots();
    for (HKEY root : roots) {
        SetRegString(root, kClasses + L".pdf", L"", kDocProgId);
        SetRegString(root, kClasses + L".fdf", L"", kFdfProgId);
        SetRegString(root, kMime + L"application/pdf", L"CLSID", kDocClsid);
        SetRegString(root, kMime + L"application/vnd.fdf", L"CLSID", kFdfClsid);
    }
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid", kDocProgId);
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".fdf", L"Progid", kFdfProgId);
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".fdf\\UserChoice", L"Progid", kFdfProgId);
    for (const auto& [extension, progId] : kOpenWithKeys) {
        SetRegString(HKEY_LOCAL_MACHINE, kClasses + extension + L"\\OpenWithProgids", progId, L"");
        SetRegString(HKEY_CURRENT_USER, kFileExts + extension + L"\\OpenWithProgids", progId, L"");
    }
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + L".pdf\\OpenWithProgids", kForeignProgId, L"");
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".pdf\\OpenWithProgids", kForeignProgId, L"");
}

void InstallForeignHandler() {
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + kForeignProgId, L"", L"Other Reader Document");
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + kForeignProgId + L"\\shell\\open\\command", L"", kForeignCommand);
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + kForeignProgId + L"\\CLSID", L"", kForeignClsid);
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        SetRegString(root, kClasses + L".pdf", L"", kForeignProgId);
        SetRegString(root, kMime + L"application/pdf", L"CLSID", kForeignClsid);
    }
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid", kForeignProgId);
}

void InstallVerblessHandler() {
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + kVerblessProgId, L"", L"Verbless Reader Document");
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + L".pdf", L"", kVerblessProgId);
    SetRegString(HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid", kVerblessProgId);
}

// Keys an uninstall looks into on such a machine; reading them must not create them.
std::vector<std::pair<HKEY, std::wstring>> KeysReadButAbsent() {
    return {{HKEY_LOCAL_MACHINE, kClasses + kVerblessProgId + L"\\shell"},
            {HKEY_LOCAL_MACHINE, kClasses + L".fdf"},
            {HKEY_LOCAL_MACHINE, kMime + L"application/vnd.fdf"},
            {HKEY_CURRENT_USER, kFileExts + L".fdf"},
            {HKEY_CURRENT_USER, kClasses + L".pdf"},
            {HKEY_CURRENT_USER, kClasses + L".fdf"}};
}

void Install(const Options& o) {
    // What the machine has of its own before the product comes.
    SetRegString(HKEY_LOCAL_MACHINE, kClasses + L".pdf", L"Content Type", L"application/pdf");
    SetRegString(HKEY_LOCAL_MACHINE, kMime + L"application/pdf", L"Extension", L".pdf");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) SetRegString(root, kSibling, L"Version", L"2.0");

    InstallProgId(o, HKEY_LOCAL_MACHINE, kDocProgId, kDocClsid, L"Orvik Pendrel Document");
    InstallProgId(o, HKEY_LOCAL_MACHINE, kFdfProgId, kFdfClsid, L"Orvik Pendrel FDF Document");
    SetRegString(HKEY_CURRENT_USER, kClasses + kDocProgId + L"\\shell\\open\\command", L"", OpenCommand(o));
    SetRegString(HKEY_LOCAL_MACHINE, kShortApplication + L"\\shell\\open\\command", L"",
                 L"\"C:\\PROGRA~1\\ORVIKS~1\\ORVIKP~1\\ORVIKP~1.EXE\" \"%1\"");
    if (Foreign(o))
        InstallForeignHandler();
    else if (Verbless(o))
        InstallVerblessHandler();
    else
        InstallProductAssociations();

    SetRegString(HKEY_LOCAL_MACHINE, kUninstall, L"DisplayName", L"Orvik Pendrel");
    SetRegString(HKEY_LOCAL_MACHINE, kUninstall, L"UninstallString", o.InstallFile(L"Uninstall.exe"));
    // What deployment tools run to remove the product without a window.
    SetRegString(HKEY_LOCAL_MACHINE, kUninstall, L"QuietUninstallString",
                 L"\"" + o.InstallFile(L"Uninstall.exe") + L"\" /quiet");
    SetRegString(HKEY_LOCAL_MACHINE, kUninstallChinese, L"DisplayName", kChineseName);
    SetRegDword(HKEY_LOCAL_MACHINE, kArpCache, L"Changed", 0);
    SetRegDword(HKEY_CURRENT_USER, kMenuOrder, L"Order", 1);
    SetRegString(HKEY_LOCAL_MACHINE, kProduct, L"Version", L"5.0");
    SetRegString(HKEY_LOCAL_MACHINE, kProductChinese, L"Version", L"5.0");
    SetRegString(HKEY_CURRENT_USER, kProduct + L"\\Settings", L"Zoom", L"100");
    SetRegString(HKEY_CURRENT_USER, DeepSettingsKey(), L"Deep", L"1");
    SetRegString(HKEY_CURRENT_USER, kProductChinese, L"Version", L"5.0");
    SetRegString(HKEY_CURRENT_USER, kUpdateRecord, L"Version", L"1.0");
    SetRegString(HKEY_CURRENT_USER, kUpdateRecord + L"\\Dictionaries", L"en_US", L"1");
    if (PlantedLink(o)) {
        SetRegString(HKEY_LOCAL_MACHINE, kLinkedVictim, L"Data", L"keep");
        SetRegString(HKEY_LOCAL_MACHINE, kLinkedVictim + L"\\Inner", L"Data", L"keep");
        CreateRegLink(HKEY_CURRENT_USER, kProduct + L"\\Linked", L"\\Registry\\Machine\\" + kLinkedVictim);
    }
    if (AddOnRecordLink(o)) {
        SetRegString(HKEY_LOCAL_MACHINE, kRecordVictim, L"Data", L"keep");
        CreateRegLink(HKEY_CURRENT_USER, kAddOnRecordLink, L"\\Registry\\Machine\\" + kRecordVictim);
    }
    if (LinksAbove(o)) PlantLinksAbove();
}

void DescribeProgId(HKEY root, const std::wstring& progId, const std::wstring& clsid, std::vector<Item>& items) {
    items.push_back(KeyItem(Owner::Product, root, kClasses + progId));
    items.push_back(KeyItem(Owner::Product, root, kClasses + L"CLSID\\" + clsid));
}

void DescribeProductAssociations(std::vector<Item>& items) {
    const std::vector<HKEY> roots = ClassesRoots();
    for (HKEY root : roots) {
        items.push_back(ValueItem(Owner::Product, root, kClasses + L".pdf", L""));
        items.push_back(ValueItem(Owner::Product, root, kClasses + L".fdf", L""));
        items.push_back(ValueItem(Owner::Product, root, kMime + L"application/pdf", L"CLSID"));
        items.push_back(ValueItem(Owner::Product, root, kMime + L"application/vnd.fdf", L"CLSID"));
    }
    items.push_back(ValueItem(Owner::Product, HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid"));
    items.push_back(ValueItem(Owner::Product, HKEY_CURRENT_USER, kFileExts + L".fdf", L"Progid"));
    items.push_back(ValueItem(Owner::Product, HKEY_CURRENT_USER, kFileExts + L".fdf\\UserChoice", L"Progid"));
    for (const auto& [extension, progId] : kOpenWithKeys) {
        items.push_back(ValueItem(Owner::Product, HKEY_LOCAL_MACHINE, kClasses + extension + L"\\OpenWithProgids", progId));
        items.push_back(ValueItem(Owner::Product, HKEY_CURRENT_USER, kFileExts + extension + L"\\OpenWithProgids", progId));
    }
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kClasses + L".pdf\\OpenWithProgids", kForeignProgId));
    items.push_back(ValueItem(Owner::Foreign, HKEY_CURRENT_USER, kFileExts + L".pdf\\OpenWithProgids", kForeignProgId));
}

void DescribeForeignHandler(std::vector<Item>& items) {
    const std::wstring progId = kClasses + kForeignProgId;
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, progId, L""));
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, progId + L"\\shell\\open\\command", L""));
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, progId + L"\\CLSID", L""));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        items.push_back(ValueItem(Owner::Foreign, root, kClasses + L".pdf", L""));
        items.push_back(ValueItem(Owner::Foreign, root, kMime + L"application/pdf", L"CLSID"));
    }
    items.push_back(ValueItem(Owner::Foreign, HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid"));
}

void Describe(const Options& o, std::vector<Item>& items) {
    DescribeProgId(HKEY_LOCAL_MACHINE, kDocProgId, kDocClsid, items);
    DescribeProgId(HKEY_LOCAL_MACHINE, kFdfProgId, kFdfClsid, items);
    items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kClasses + kDocProgId));
    items.push_back(KeyItem(Owner::Product, HKEY_LOCAL_MACHINE, kShortApplication));
    if (Foreign(o)) {
        DescribeForeignHandler(items);
    } else if (Verbless(o)) {
        items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kClasses + L".pdf", L""));
        items.push_back(KeyItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kClasses + kVerblessProgId));
        items.push_back(ValueItem(Owner::Foreign, HKEY_CURRENT_USER, kFileExts + L".pdf\\UserChoice", L"Progid"));
        for (const auto& [root, key] : KeysReadButAbsent()) items.push_back(KeyItem(Owner::Unwanted, root, key));
    } else {
        DescribeProductAssociations(items);
    }

    items.push_back(KeyItem(Owner::Product, HKEY_LOCAL_MACHINE, kUninstall));
    items.push_back(KeyItem(Owner::Product, HKEY_LOCAL_MACHINE, kUninstallChinese));
    items.push_back(KeyItem(Owner::Product, HKEY_LOCAL_MACHINE, kArpCache));
    items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kMenuOrder));
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        items.push_back(KeyItem(Owner::Product, root, kProductChinese));
        // The user's vendor key and what it held went with the links planted above.
        if (root == HKEY_CURRENT_USER && LinksAbove(o)) continue;
        items.push_back(KeyItem(Owner::Foreign, root, kVendor));
        items.push_back(ValueItem(Owner::Foreign, root, kSibling, L"Version"));
    }
    if (LinksAbove(o)) {
        // The links are the other process's: nothing makes the uninstaller remove them.
        items.push_back(KeyItem(Owner::Foreign, HKEY_CURRENT_USER, kVendor));
        items.push_back(KeyItem(Owner::Foreign, HKEY_CURRENT_USER, kWindows + L"Uninstall"));
        for (const std::wstring& victim : {kVendorVictim, kUninstallVictim})
            for (const std::wstring& below : kVictimSubkeys)
                items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, victim + below, L"Data"));
    }
    items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, DeepSettingsKey()));
    items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kUpdateRecord));
    if (AddOnRecordLink(o)) {
        items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kAddOnRecordLink));
        items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kRecordVictim, L"Data"));
    }
    if (PlantedLink(o)) {
        items.push_back(KeyItem(Owner::Product, HKEY_CURRENT_USER, kProduct + L"\\Linked"));
        items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kLinkedVictim, L"Data"));
        items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kLinkedVictim + L"\\Inner", L"Data"));
    }

    // The machine's own: only the product's default value goes from the extension and MIME keys.
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kClasses + L".pdf", L"Content Type"));
    items.push_back(ValueItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kMime + L"application/pdf", L"Extension"));
    items.push_back(KeyItem(Owner::Foreign, HKEY_LOCAL_MACHINE, kWindows + L"Uninstall"));
}

RegisterSubject subject({L"registry", 10, Install, Describe});

}  // namespace
}  // namespace footprint
