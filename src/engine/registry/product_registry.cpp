#include "engine/registry/product_registry.h"

#include <algorithm>

#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "engine/registry/registry_tree.h"
#include "engine/system_checks.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace engine::registry {

namespace {

constexpr char16_t kDocumentProgId[] = u"OrvikPendrel.Document";
constexpr char16_t kFdfProgId[] = u"OrvikPendrel.FDFDoc";

constexpr char16_t kPdfUserChoice[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice";
constexpr char16_t kPdfFileExts[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf";
constexpr char16_t kFdfFileExts[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.fdf";
constexpr char16_t kFdfUserChoice[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.fdf\\UserChoice";
constexpr char16_t kPdfOpenWithProgids[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\OpenWithProgids";
constexpr char16_t kFdfOpenWithProgids[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.fdf\\OpenWithProgids";
constexpr char16_t kOpenCommandSuffix[] = u"\\shell\\open\\command";

// The extension and ProgID values of the handler test are read with 128 bytes offered; a longer
// value counts as absent.
constexpr win::DWORD kChoiceValueBytes = 128;

// Vista and later keep the user's choice in a "UserChoice" subkey of the extension.
constexpr win::DWORD kFirstUserChoiceMajorVersion = 6;

// The command the product registers for opening a document: the quoted executable and "%1".
std::u16string ExpectedOpenCommand(const std::u16string& installDir) {
    return u"\"" + installDir + product::kExecutableName + u"\" \"%1\"";
}

struct PdfChoice {
    std::u16string progId;
    std::u16string application;
    bool found = false;
};

PdfChoice CurrentPdfChoice() {
    PdfChoice choice;
    RegistryKey userChoice;
    RegistryKey fileExts;
    RegistryKey classes;
    if (WindowsMajorVersion() >= kFirstUserChoiceMajorVersion) {
        if (userChoice.Open(win::HKEY_CURRENT_USER, kPdfUserChoice, win::KEY_QUERY_VALUE))
            choice.found = QueryRegistryString(userChoice.get(), u"Progid", kChoiceValueBytes, choice.progId);
    } else if (fileExts.Open(win::HKEY_CURRENT_USER, kPdfFileExts, win::KEY_QUERY_VALUE)) {
        choice.found = QueryRegistryString(fileExts.get(), u"Progid", kChoiceValueBytes, choice.progId);
        if (!choice.found) QueryRegistryString(fileExts.get(), u"Application", kChoiceValueBytes, choice.application);
    }
    if (choice.progId.empty() && choice.application.empty() && !choice.found &&
        classes.Open(win::HKEY_CLASSES_ROOT, u".pdf", win::KEY_QUERY_VALUE))
        choice.found = QueryRegistryString(classes.get(), nullptr, kChoiceValueBytes, choice.progId);
    return choice;
}

// Each value below is judged and deleted through one handle of its key, reached without passing
// a link (the user can make any key of HKEY_CURRENT_USER a link to a key of the machine's): what
// was read is what is deleted.
constexpr win::REGSAM kJudgeAndDelete = win::KEY_QUERY_VALUE | win::KEY_SET_VALUE;

// Opens a key whose values are judged and deleted: reached without passing a link, and no link
// itself (a link's only value is its target).
bool OpenValueKey(win::HKEY root, const char16_t* keyPath, win::REGSAM access, RegistryKey& key) {
    return OpenKeyWithoutLinks(root, keyPath, access, key) == KeyReach::Opened && !IsLinkKey(key.get());
}

// The text of a string value of an open key, read as a path buffer holds it ("" when absent).
std::u16string ValueText(win::HKEY key, const char16_t* valueName) {
    std::u16string text;
    QueryRegistryString(key, valueName, win::MAX_PATH * sizeof(char16_t), text);
    return text;
}

// Deletes the value when it still names the product's ProgID (letter case counts). True when it
// was deleted.
bool DeleteValueNaming(win::HKEY root, const char16_t* keyPath, const char16_t* valueName, const char16_t* progId) {
    RegistryKey key;
    return OpenValueKey(root, keyPath, kJudgeAndDelete, key) && ValueText(key.get(), valueName) == progId &&
           win::RegDeleteValueW(key.get(), valueName) == static_cast<win::LONG>(win::ERROR_SUCCESS);
}

// Deletes the value named `valueName` whatever it holds: the name itself is the product's.
void DeleteNamedValue(win::HKEY root, const char16_t* keyPath, const char16_t* valueName) {
    RegistryKey key;
    if (OpenValueKey(root, keyPath, kJudgeAndDelete, key)) win::RegDeleteValueW(key.get(), valueName);
}

// Deletes the user's choice when it names the product's ProgID; a choice of another program is
// the user's and stays, and a missing key is not created. Windows 8 and later refuse their user
// to set or delete the values of "UserChoice" but let the key itself go: where the value cannot
// be deleted, the key holding the product's choice is.
void DeleteChoiceOf(const char16_t* keyPath, const char16_t* progId) {
    RegistryKey key;
    const bool canSetValues = OpenValueKey(win::HKEY_CURRENT_USER, keyPath, kJudgeAndDelete | win::KEY_DELETE, key);
    if (!canSetValues && !OpenValueKey(win::HKEY_CURRENT_USER, keyPath, win::KEY_QUERY_VALUE | win::KEY_DELETE, key))
        return;
    if (ValueText(key.get(), u"Progid") != progId) return;
    if (canSetValues && win::RegDeleteValueW(key.get(), u"Progid") == static_cast<win::LONG>(win::ERROR_SUCCESS))
        return;
    win::NtDeleteKey(key.get());
}

// Deletes a MIME type's "CLSID" when it is the class identifier the product's ProgID names. A
// ProgID without a readable class identifier claims nothing: an unreadable MIME value (not a
// string, too long) would otherwise compare equal and be deleted though it is not the product's.
void DeleteMimeClsidOf(win::HKEY root, const char16_t* progIdClsidKey, const char16_t* mimeKey) {
    const std::u16string productClsid = ReadRegistryString(root, progIdClsidKey, nullptr);
    if (!productClsid.empty()) DeleteValueNaming(root, mimeKey, u"CLSID", productClsid.c_str());
}

// The key trees of the product's records, deleted under each root in this order. The product
// was published under its Chinese-character name too; the vendor key itself stays. The last two
// entries repeat the product keys, once more after everything else has gone.
constexpr const char16_t* kProductTrees[] = {
    u"SOFTWARE\\Classes\\CLSID\\{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}",
    u"SOFTWARE\\Classes\\CLSID\\{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}",
    u"SOFTWARE\\Classes\\OrvikPendrel.Document",
    u"SOFTWARE\\Classes\\OrvikPendrel.FDFDoc",
    u"SOFTWARE\\Classes\\Applications\\ORVIKP~1.EXE",
    u"SOFTWARE\\Orvik Software\\Orvik Pendrel",
    u"SOFTWARE\\Orvik Software\\\u6C83\u5C9APendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\u6C83\u5C9APendrel",
    u"SOFTWARE\\Orvik Software\\Orvik Pendrel",
    u"SOFTWARE\\Orvik Software\\\u6C83\u5C9APendrel",
};

}  // namespace

// The sequence hands this test the host's copy of the install directory, not its own record: by
// now the program-files step has left the sequence's copy in lower case (the walk up the created
// parents compares that way), while the host's copy is still the record as the registry gave it,
// the same text that start-up and the final directory removal use. The comparison below ignores
// ASCII case, so the answer would not change; the copy is chosen so that every step that speaks
// of the install directory after the removal of the program files reads the same text.
bool IsProductPdfHandler(const std::u16string& installDir, const std::u16string& recorded) {
    // Without a known install directory no command can be recognised as the product's.
    if (installDir.empty()) return false;

    const PdfChoice choice = CurrentPdfChoice();
    if (choice.progId.empty() && choice.application.empty() && !choice.found) return false;
    const std::u16string commandKey = !choice.progId.empty()
                                          ? choice.progId + kOpenCommandSuffix
                                          : u"Applications\\" + choice.application + kOpenCommandSuffix;
    // Only letter case may differ; other quoting, arguments or a short path are another command.
    const std::u16string command = ReadRegistryString(win::HKEY_CLASSES_ROOT, commandKey.c_str(), nullptr);
    if (files::EqualNoCaseAscii(ExpectedOpenCommand(installDir), command)) return true;
    // The installer joined the record as it stored it and the file name: "...\Orvik Pendrel\\"
    // gave "...\Orvik Pendrel\\Orvik Pendrel.exe", which names the same file.
    // A record stored without its backslash was joined with one: "...\Orvik PendrelOrvik
    // Pendrel.exe" would name another file.
    return !recorded.empty() &&
           files::EqualNoCaseAscii(ExpectedOpenCommand(files::WithTrailingBackslash(recorded)), command);
}

void RemoveFileAssociations() {
    const win::HKEY machine = win::HKEY_LOCAL_MACHINE;
    const win::HKEY user = win::HKEY_CURRENT_USER;
    const win::HKEY classes = win::HKEY_CLASSES_ROOT;

    DeleteValueNaming(machine, u"Software\\Classes\\.pdf", nullptr, kDocumentProgId);
    DeleteValueNaming(machine, u"Software\\Classes\\.fdf", nullptr, kFdfProgId);
    DeleteMimeClsidOf(machine, u"SOFTWARE\\Classes\\OrvikPendrel.Document\\CLSID",
                      u"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf");
    DeleteMimeClsidOf(machine, u"SOFTWARE\\Classes\\OrvikPendrel.FDFDoc\\CLSID",
                      u"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/vnd.fdf");
    // The user's choices, where Vista and later keep them and where older systems kept ".fdf".
    DeleteChoiceOf(kPdfUserChoice, kDocumentProgId);
    DeleteChoiceOf(kFdfUserChoice, kFdfProgId);
    DeleteValueNaming(user, kFdfFileExts, u"Progid", kFdfProgId);

    // The merged classes view: what the user sees, wherever it is stored.
    DeleteValueNaming(classes, u".pdf", nullptr, kDocumentProgId);
    DeleteValueNaming(classes, u".fdf", nullptr, kFdfProgId);
    DeleteMimeClsidOf(classes, u"OrvikPendrel.Document\\CLSID", u"Mime\\Database\\Content Type\\application/pdf");
    DeleteMimeClsidOf(classes, u"OrvikPendrel.FDFDoc\\CLSID", u"Mime\\Database\\Content Type\\application/vnd.fdf");

    // "Open with" lists name the product's ProgIDs by their values' names, in the classes of
    // both roots and in the user's Explorer records.
    for (const win::HKEY root : {machine, user}) {
        DeleteNamedValue(root, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId);
        DeleteNamedValue(root, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId);
    }
    DeleteNamedValue(user, kPdfOpenWithProgids, kDocumentProgId);
    DeleteNamedValue(user, kFdfOpenWithProgids, kFdfProgId);
}

void RemoveProductRegistry() {
    for (const win::HKEY root : {win::HKEY_LOCAL_MACHINE, win::HKEY_CURRENT_USER})
        for (const char16_t* path : kProductTrees) DeleteRegistryTree(root, path);
    win::SHChangeNotify(win::SHCNE_ASSOCCHANGED, win::SHCNF_IDLIST, nullptr, nullptr);
}

std::vector<std::u16string> ProductKeysLeft() {
    std::vector<std::u16string> left;
    for (win::HKEY root : {win::HKEY_LOCAL_MACHINE, win::HKEY_CURRENT_USER}) {
        for (const char16_t* path : kProductTrees) {
            RegistryKey key;
            // A key that cannot be looked at is not known to be gone.
            if (key.Open(root, path, win::KEY_QUERY_VALUE) ||
                (key.status() != static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND) &&
                 key.status() != static_cast<win::LONG>(win::ERROR_PATH_NOT_FOUND))) {
                const std::u16string name = (root == win::HKEY_LOCAL_MACHINE ? u"HKLM\\" : u"HKCU\\") + std::u16string(path);
                if (std::find(left.begin(), left.end(), name) == left.end()) left.push_back(name);
            }
        }
    }
    return left;
}

}  // namespace engine::registry
