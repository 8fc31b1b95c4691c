#include "engine/registry/product_registry.h"

#include <algorithm>

#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
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
constexpr char16_t kMachinePdfMime[] = u"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/pdf";
constexpr char16_t kMachineFdfMime[] = u"SOFTWARE\\Classes\\MIME\\Database\\Content Type\\application/vnd.fdf";
constexpr char16_t kClassesPdfMime[] = u"Mime\\Database\\Content Type\\application/pdf";
constexpr char16_t kClassesFdfMime[] = u"Mime\\Database\\Content Type\\application/vnd.fdf";
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

// Whether a read that did not succeed failed otherwise than on the absence of what it read:
// what it would have found is not known.
bool FailedToRead(win::LONG status) {
    return status != static_cast<win::LONG>(win::ERROR_SUCCESS) &&
           status != static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND) &&
           status != static_cast<win::LONG>(win::ERROR_PATH_NOT_FOUND);
}

struct PdfChoice {
    std::u16string progId;
    std::u16string application;
    bool found = false;
    win::LONG unreadable = 0;  // the answer of a read that failed otherwise than on absence

    bool Open(RegistryKey& key, win::HKEY root, const char16_t* path) {
        if (key.Open(root, path, win::KEY_QUERY_VALUE)) return true;
        if (FailedToRead(key.status())) unreadable = key.status();
        return false;
    }
    bool Read(const RegistryKey& key, const char16_t* valueName, std::u16string& text,
              win::DWORD maxBytes = kChoiceValueBytes) {
        win::LONG status = 0;
        const bool read = QueryRegistryString(key.get(), valueName, maxBytes, text, &status);
        if (FailedToRead(status)) unreadable = status;
        return read;
    }
};

PdfChoice CurrentPdfChoice() {
    PdfChoice choice;
    RegistryKey userChoice;
    RegistryKey fileExts;
    RegistryKey classes;
    if (WindowsMajorVersion() >= kFirstUserChoiceMajorVersion) {
        if (choice.Open(userChoice, win::HKEY_CURRENT_USER, kPdfUserChoice))
            choice.found = choice.Read(userChoice, u"Progid", choice.progId);
    } else if (choice.Open(fileExts, win::HKEY_CURRENT_USER, kPdfFileExts)) {
        choice.found = choice.Read(fileExts, u"Progid", choice.progId);
        if (!choice.found) choice.Read(fileExts, u"Application", choice.application);
    }
    if (choice.progId.empty() && choice.application.empty() && !choice.found &&
        choice.Open(classes, win::HKEY_CLASSES_ROOT, u".pdf"))
        choice.found = choice.Read(classes, nullptr, choice.progId);
    return choice;
}

// Each value below is judged and deleted through one handle of its key, reached without passing
// a link (the user can make any key of HKEY_CURRENT_USER a link to a key of the machine's): what
// was read is what is deleted.
constexpr win::REGSAM kJudgeAndDelete = win::KEY_QUERY_VALUE | win::KEY_SET_VALUE;

// What the log calls a value: "value HKLM\\key\\name", "(default)" for the unnamed one.
std::u16string ValueName(win::HKEY root, const char16_t* keyPath, const char16_t* valueName) {
    return u"value " + RootName(root) + u"\\" + keyPath + u"\\" + (valueName && *valueName ? valueName : u"(default)");
}

// Opens a key whose values are judged and deleted: reached without passing a link, and no link
// itself (a link's only value is its target). A key that is there but cannot be opened so is
// reported: whether it holds a value of the product's is not known.
bool OpenValueKey(win::HKEY root, const char16_t* keyPath, const char16_t* valueName, win::REGSAM access,
                  RegistryKey& key) {
    const KeyReach reach = OpenKeyWithoutLinks(root, keyPath, access, key);
    if (reach == KeyReach::Opened && !IsLinkKey(key.get())) return true;
    if (reach != KeyReach::Missing)
        ReportRemoval(ValueName(root, keyPath, valueName),
                      static_cast<win::DWORD>(reach == KeyReach::Opened ? kErrorKeyReachedThroughLink : key.status()));
    return false;
}

// Deletes the value through the open key, and tells the log.
bool DeleteValue(const RegistryKey& key, win::HKEY root, const char16_t* keyPath, const char16_t* valueName) {
    const win::LONG result = win::RegDeleteValueW(key.get(), valueName);
    ReportRemoval(ValueName(root, keyPath, valueName), static_cast<win::DWORD>(result));
    return result == static_cast<win::LONG>(win::ERROR_SUCCESS);
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
    return OpenValueKey(root, keyPath, valueName, kJudgeAndDelete, key) && ValueText(key.get(), valueName) == progId &&
           DeleteValue(key, root, keyPath, valueName);
}

// Deletes the value named `valueName` whatever it holds: the name itself is the product's.
void DeleteNamedValue(win::HKEY root, const char16_t* keyPath, const char16_t* valueName) {
    RegistryKey key;
    if (!OpenValueKey(root, keyPath, valueName, kJudgeAndDelete, key)) return;
    const win::LONG result = win::RegDeleteValueW(key.get(), valueName);
    // An absent value is no news for the log.
    if (result != static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND))
        ReportRemoval(ValueName(root, keyPath, valueName), static_cast<win::DWORD>(result));
}

// Deletes the user's choice when it names the product's ProgID; a choice of another program is
// the user's and stays, and a missing key is not created. Windows 8 and later refuse their user
// to set or delete the values of "UserChoice" but let the key itself go: where the value cannot
// be deleted, the key holding the product's choice is.
void DeleteChoiceOf(const char16_t* keyPath, const char16_t* progId) {
    const win::HKEY user = win::HKEY_CURRENT_USER;
    RegistryKey key;
    const bool canSetValues = OpenKeyWithoutLinks(user, keyPath, kJudgeAndDelete | win::KEY_DELETE, key) ==
                                  KeyReach::Opened &&
                              !IsLinkKey(key.get());
    if (!canSetValues && !OpenValueKey(user, keyPath, u"Progid", win::KEY_QUERY_VALUE | win::KEY_DELETE, key)) return;
    if (ValueText(key.get(), u"Progid") != progId) return;
    if (canSetValues && win::RegDeleteValueW(key.get(), u"Progid") == static_cast<win::LONG>(win::ERROR_SUCCESS)) {
        ReportRemoval(ValueName(user, keyPath, u"Progid"), win::ERROR_SUCCESS);
        return;
    }
    ReportRemoval(KeyName(user, keyPath), win::NtDeleteKey(key.get()) == 0);
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
PdfHandler PdfHandlerOf(const std::u16string& installDir, const std::u16string& recorded, win::LONG* unreadable) {
    // Without a known install directory no command can be recognised as the product's.
    if (installDir.empty()) return PdfHandler::Other;

    PdfChoice choice = CurrentPdfChoice();
    // A choice that could not be read may be the product's: the answer is not known.
    const auto unknownOr = [&](PdfHandler answer) {
        if (!choice.unreadable) return answer;
        if (unreadable) *unreadable = choice.unreadable;
        return PdfHandler::Unknown;
    };
    if (choice.progId.empty() && choice.application.empty() && !choice.found) return unknownOr(PdfHandler::Other);
    const std::u16string commandKey = !choice.progId.empty()
                                          ? choice.progId + kOpenCommandSuffix
                                          : u"Applications\\" + choice.application + kOpenCommandSuffix;
    RegistryKey key;
    std::u16string command;
    // The command is read as a path buffer holds it.
    if (choice.Open(key, win::HKEY_CLASSES_ROOT, commandKey.c_str()))
        choice.Read(key, nullptr, command, win::MAX_PATH * sizeof(char16_t));
    // Only letter case may differ; other quoting, arguments or a short path are another command.
    if (files::EqualNoCaseAscii(ExpectedOpenCommand(installDir), command)) return PdfHandler::Product;
    // The installer joined the record as it stored it and the file name: "...\Orvik Pendrel\\"
    // gave "...\Orvik Pendrel\\Orvik Pendrel.exe", which names the same file.
    // A record stored without its backslash was joined with one: "...\Orvik PendrelOrvik
    // Pendrel.exe" would name another file.
    if (!recorded.empty() && files::EqualNoCaseAscii(ExpectedOpenCommand(files::WithTrailingBackslash(recorded)), command))
        return PdfHandler::Product;
    return unknownOr(PdfHandler::Other);
}

bool IsProductPdfHandler(const std::u16string& installDir, const std::u16string& recorded) {
    return PdfHandlerOf(installDir, recorded) == PdfHandler::Product;
}

void RemoveFileAssociations() {
    const win::HKEY machine = win::HKEY_LOCAL_MACHINE;
    const win::HKEY user = win::HKEY_CURRENT_USER;
    const win::HKEY classes = win::HKEY_CLASSES_ROOT;

    DeleteValueNaming(machine, u"Software\\Classes\\.pdf", nullptr, kDocumentProgId);
    DeleteValueNaming(machine, u"Software\\Classes\\.fdf", nullptr, kFdfProgId);
    DeleteMimeClsidOf(machine, u"SOFTWARE\\Classes\\OrvikPendrel.Document\\CLSID",
                      kMachinePdfMime);
    DeleteMimeClsidOf(machine, u"SOFTWARE\\Classes\\OrvikPendrel.FDFDoc\\CLSID",
                      kMachineFdfMime);
    // The user's choices, where Vista and later keep them and where older systems kept ".fdf".
    DeleteChoiceOf(kPdfUserChoice, kDocumentProgId);
    DeleteChoiceOf(kFdfUserChoice, kFdfProgId);
    DeleteValueNaming(user, kFdfFileExts, u"Progid", kFdfProgId);

    // The merged classes view: what the user sees, wherever it is stored.
    DeleteValueNaming(classes, u".pdf", nullptr, kDocumentProgId);
    DeleteValueNaming(classes, u".fdf", nullptr, kFdfProgId);
    DeleteMimeClsidOf(classes, u"OrvikPendrel.Document\\CLSID", kClassesPdfMime);
    DeleteMimeClsidOf(classes, u"OrvikPendrel.FDFDoc\\CLSID", kClassesFdfMime);

    // "Open with" lists name the product's ProgIDs by their values' names, in the classes of
    // both roots and in the user's Explorer records.
    for (const win::HKEY root : {machine, user}) {
        DeleteNamedValue(root, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId);
        DeleteNamedValue(root, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId);
    }
    DeleteNamedValue(user, kPdfOpenWithProgids, kDocumentProgId);
    DeleteNamedValue(user, kFdfOpenWithProgids, kFdfProgId);
}

void RemoveProductRegistry(bool fileTypesChanged) {
    for (const win::HKEY root : {win::HKEY_LOCAL_MACHINE, win::HKEY_CURRENT_USER})
        for (const char16_t* path : kProductTrees) DeleteRegistryTree(root, path);
    if (fileTypesChanged) win::SHChangeNotify(win::SHCNE_ASSOCCHANGED, win::SHCNF_IDLIST, nullptr, nullptr);
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
                const std::u16string name = RootName(root) + u"\\" + path;
                if (std::find(left.begin(), left.end(), name) == left.end()) left.push_back(name);
            }
        }
    }
    return left;
}

namespace {

enum class Root { Machine, User, Classes };

// A place the association step deletes from, and what makes its value the product's: the text
// it holds, or (null) its name alone.
struct AssociationPlace {
    Root root;
    const char16_t* key;
    const char16_t* value;
    const char16_t* productText;
};

constexpr char16_t kDocumentClsid[] = u"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
constexpr char16_t kFdfClsid[] = u"{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}";

constexpr AssociationPlace kAssociationPlaces[] = {
    {Root::Machine, u"Software\\Classes\\.pdf", nullptr, kDocumentProgId},
    {Root::Machine, u"Software\\Classes\\.fdf", nullptr, kFdfProgId},
    {Root::Machine, kMachinePdfMime, u"CLSID", kDocumentClsid},
    {Root::Machine, kMachineFdfMime, u"CLSID", kFdfClsid},
    {Root::User, kPdfUserChoice, u"Progid", kDocumentProgId},
    {Root::User, kFdfUserChoice, u"Progid", kFdfProgId},
    {Root::User, kFdfFileExts, u"Progid", kFdfProgId},
    {Root::Classes, u".pdf", nullptr, kDocumentProgId},
    {Root::Classes, u".fdf", nullptr, kFdfProgId},
    {Root::Classes, kClassesPdfMime, u"CLSID", kDocumentClsid},
    {Root::Classes, kClassesFdfMime, u"CLSID", kFdfClsid},
    {Root::Machine, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId, nullptr},
    {Root::Machine, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId, nullptr},
    {Root::User, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId, nullptr},
    {Root::User, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId, nullptr},
    {Root::User, kPdfOpenWithProgids, kDocumentProgId, nullptr},
    {Root::User, kFdfOpenWithProgids, kFdfProgId, nullptr},
};

win::HKEY KeyOf(Root root) {
    return root == Root::Machine ? win::HKEY_LOCAL_MACHINE
           : root == Root::User  ? win::HKEY_CURRENT_USER
                                 : win::HKEY_CLASSES_ROOT;
}

}  // namespace

std::vector<std::u16string> AssociationsLeft() {
    std::vector<std::u16string> left;
    for (const AssociationPlace& place : kAssociationPlaces) {
        const win::HKEY root = KeyOf(place.root);
        const std::u16string name = ValueName(root, place.key, place.value);
        RegistryKey key;
        if (!key.Open(root, place.key, win::KEY_QUERY_VALUE)) {
            // A key that cannot be looked at is not known to hold nothing of the product's.
            if (FailedToRead(key.status()))
                left.push_back(name + u" (not known: " + WindowsErrorText(static_cast<win::DWORD>(key.status())) + u")");
            continue;
        }
        if (!place.productText) {
            const win::LONG status = win::RegQueryValueExW(key.get(), place.value, nullptr, nullptr, nullptr, nullptr);
            if (status == static_cast<win::LONG>(win::ERROR_SUCCESS)) left.push_back(name);
            else if (FailedToRead(status))
                left.push_back(name + u" (not known: " + WindowsErrorText(static_cast<win::DWORD>(status)) + u")");
            continue;
        }
        std::u16string text;
        win::LONG status = 0;
        QueryRegistryString(key.get(), place.value, win::MAX_PATH * sizeof(char16_t), text, &status);
        if (text == place.productText) left.push_back(name);
        else if (FailedToRead(status))
            left.push_back(name + u" (not known: " + WindowsErrorText(static_cast<win::DWORD>(status)) + u")");
    }
    return left;
}

}  // namespace engine::registry
