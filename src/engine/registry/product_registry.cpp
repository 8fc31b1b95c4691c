#include "engine/registry/product_registry.h"

#include <algorithm>
#include <string>

#include "core/joined_text.h"
#include "engine/files/path.h"
#include "engine/product.h"
#include "engine/registry/read_registry_string.h"
#include "engine/registry/registry_key.h"
#include "engine/registry/registry_tree.h"
#include "engine/removal_report.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace engine::registry {

namespace {

constexpr char16_t kDocumentProgId[] = u"OrvikPendrel.Document";
constexpr char16_t kFdfProgId[] = u"OrvikPendrel.FDFDoc";
// The product's class identifiers, whose keys the records step deletes. They are the product's own
// and never read from the registry: what its ProgIDs say through the classes view is the user's
// to write (their own classes lie over the machine's there).
constexpr char16_t kDocumentClsid[] = u"{3F6A2C10-7B4D-4e21-9C58-2D71B0E4A936}";
constexpr char16_t kFdfClsid[] = u"{C84E19D7-52A0-4f3b-B6E2-91D45A07F3C8}";

constexpr char16_t kPdfUserChoice[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.pdf\\UserChoice";
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

// Whether a value's text names the product's ProgID or class identifier. The system looks both up
// without regard to letter case, so any spelling of them leads to the product's keys.
bool NamesProduct(const std::u16string& text, const char16_t* productText) {
    return files::EqualNoCaseAscii(text, productText);
}

// Whether a read that did not succeed failed otherwise than on the absence of what it read:
// what it would have found is not known.
bool FailedToRead(win::LONG status) {
    return status != static_cast<win::LONG>(win::ERROR_SUCCESS) && !IsAbsence(static_cast<win::DWORD>(status));
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
bool OpenValueKey(RemovalContext& context, win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                  win::REGSAM access, RegistryKey& key) {
    const KeyReach reach = OpenKeyWithoutLinks(root, keyPath, access, key);
    if (reach == KeyReach::Opened && !IsLinkKey(key.get())) return true;
    if (reach != KeyReach::Missing)
        context.ReportRemoval(ValueName(root, keyPath, valueName),
                              static_cast<win::DWORD>(reach == KeyReach::Opened ? kErrorKeyReachedThroughLink : key.status()));
    return false;
}

// Deletes the value through the open key, and tells the log.
bool DeleteValue(RemovalContext& context, const RegistryKey& key, win::HKEY root, const char16_t* keyPath,
                 const char16_t* valueName) {
    const win::LONG result = win::RegDeleteValueW(key.get(), valueName);
    context.ReportRemoval(ValueName(root, keyPath, valueName), static_cast<win::DWORD>(result));
    return result == static_cast<win::LONG>(win::ERROR_SUCCESS);
}

// The text of a string value of an open key, read as a path buffer holds it ("" when absent).
std::u16string ValueText(win::HKEY key, const char16_t* valueName) {
    std::u16string text;
    QueryRegistryString(key, valueName, win::MAX_PATH * sizeof(char16_t), text);
    return text;
}

// Deletes the value when it still names the product's ProgID or class identifier. True when it
// was deleted.
bool DeleteValueNaming(RemovalContext& context, win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                       const char16_t* productText) {
    RegistryKey key;
    return OpenValueKey(context, root, keyPath, valueName, kJudgeAndDelete, key) &&
           NamesProduct(ValueText(key.get(), valueName), productText) &&
           DeleteValue(context, key, root, keyPath, valueName);
}

// Deletes the value named `valueName` whatever it holds: the name itself is the product's. True
// when it was deleted.
bool DeleteNamedValue(RemovalContext& context, win::HKEY root, const char16_t* keyPath, const char16_t* valueName) {
    RegistryKey key;
    if (!OpenValueKey(context, root, keyPath, valueName, kJudgeAndDelete, key)) return false;
    const win::LONG result = win::RegDeleteValueW(key.get(), valueName);
    // An absent value is no news for the log.
    if (!IsAbsence(static_cast<win::DWORD>(result)))
        context.ReportRemoval(ValueName(root, keyPath, valueName), static_cast<win::DWORD>(result));
    return result == static_cast<win::LONG>(win::ERROR_SUCCESS);
}

// Deletes the user's choice when it names the product's ProgID; a choice of another program is
// the user's and stays, and a missing key is not created. Windows 8 and later refuse their user
// to set or delete the values of "UserChoice" but let the key itself go: where the value cannot
// be deleted, the key holding the product's choice is. True when the choice went.
bool DeleteChoiceOf(RemovalContext& context, const char16_t* keyPath, const char16_t* progId) {
    const win::HKEY user = win::HKEY_CURRENT_USER;
    RegistryKey key;
    const bool canSetValues = OpenKeyWithoutLinks(user, keyPath, kJudgeAndDelete | win::KEY_DELETE, key) ==
                                  KeyReach::Opened &&
                              !IsLinkKey(key.get());
    if (!canSetValues && !OpenValueKey(context, user, keyPath, u"Progid", win::KEY_QUERY_VALUE | win::KEY_DELETE, key))
        return false;
    if (!NamesProduct(ValueText(key.get(), u"Progid"), progId)) return false;
    if (canSetValues && win::RegDeleteValueW(key.get(), u"Progid") == static_cast<win::LONG>(win::ERROR_SUCCESS)) {
        context.ReportRemoval(ValueName(user, keyPath, u"Progid"), win::ERROR_SUCCESS);
        return true;
    }
    const Outcome deleted = Outcome::OfStatus(win::NtDeleteKey(key.get()));
    context.ReportRemoval(KeyName(user, keyPath), deleted);
    return deleted.Succeeded();
}

// The key trees of the product's records, deleted under each root in this order. The product
// was published under its Chinese-character name too; the vendor key itself stays. The last two
// entries repeat the product keys, once more after everything else has gone.
// The product's file types (its class identifiers, ProgIDs and application entry) are the trees
// under the classes key.
constexpr char16_t kSoftwareTrees[] = u"SOFTWARE\\";
constexpr char16_t kClassesTrees[] = u"SOFTWARE\\Classes\\";
constexpr char16_t kClassIdsKey[] = u"CLSID\\";
constexpr char16_t kVendorAndChineseName[] = u"Orvik Software\\\u6C83\u5C9APendrel";
constexpr const char16_t* kProductKeyTree = core::kJoined<kSoftwareTrees, product::kVendorAndProduct>;
constexpr const char16_t* kChineseNameKeyTree = core::kJoined<kSoftwareTrees, kVendorAndChineseName>;
constexpr const char16_t* kProductTrees[] = {
    core::kJoined<kClassesTrees, kClassIdsKey, kDocumentClsid>,
    core::kJoined<kClassesTrees, kClassIdsKey, kFdfClsid>,
    core::kJoined<kClassesTrees, kDocumentProgId>,
    core::kJoined<kClassesTrees, kFdfProgId>,
    u"SOFTWARE\\Classes\\Applications\\ORVIKP~1.EXE",
    kProductKeyTree,
    kChineseNameKeyTree,
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\MenuOrder\\Start Menu\\Programs\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\ARPCache\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvik Pendrel",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\\u6C83\u5C9APendrel",
    kProductKeyTree,
    kChineseNameKeyTree,
};

enum class Root { Machine, User, Classes };

// How a value of the association step is the product's, and so how it goes.
enum class Claim {
    Text,        // it holds the product's ProgID or class identifier
    Name,        // its name is the product's ProgID ("open with" lists), whatever it holds
    UserChoice,  // the user's choice, in a key Windows 8 and later protect (see DeleteChoiceOf)
};

// A place the association step deletes from, and what makes its value the product's.
struct AssociationPlace {
    Root root;
    const char16_t* key;
    const char16_t* value;
    Claim claim;
    const char16_t* productText;  // the ProgID or class identifier it names; null for Claim::Name
};

// Every value the association step deletes where it names the product, in the order it goes:
// the machine's classes, the user's choices (where Vista and later keep them, and where older
// systems kept ".fdf"), the classes view (the user's own classes where the user has the key, else
// the machine's), and the "open with" lists of the classes of both roots and of the user's
// Explorer records. Whose choice it was does not matter: a value that names the product would
// name a ProgID the records step deletes.
constexpr AssociationPlace kAssociationPlaces[] = {
    {Root::Machine, u"Software\\Classes\\.pdf", nullptr, Claim::Text, kDocumentProgId},
    {Root::Machine, u"Software\\Classes\\.fdf", nullptr, Claim::Text, kFdfProgId},
    {Root::Machine, kMachinePdfMime, u"CLSID", Claim::Text, kDocumentClsid},
    {Root::Machine, kMachineFdfMime, u"CLSID", Claim::Text, kFdfClsid},
    {Root::User, kPdfUserChoice, u"Progid", Claim::UserChoice, kDocumentProgId},
    {Root::User, kFdfUserChoice, u"Progid", Claim::UserChoice, kFdfProgId},
    {Root::User, kFdfFileExts, u"Progid", Claim::Text, kFdfProgId},
    {Root::Classes, u".pdf", nullptr, Claim::Text, kDocumentProgId},
    {Root::Classes, u".fdf", nullptr, Claim::Text, kFdfProgId},
    {Root::Classes, kClassesPdfMime, u"CLSID", Claim::Text, kDocumentClsid},
    {Root::Classes, kClassesFdfMime, u"CLSID", Claim::Text, kFdfClsid},
    {Root::Machine, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId, Claim::Name, nullptr},
    {Root::Machine, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId, Claim::Name, nullptr},
    {Root::User, u"Software\\Classes\\.pdf\\OpenWithProgids", kDocumentProgId, Claim::Name, nullptr},
    {Root::User, u"Software\\Classes\\.fdf\\OpenWithProgids", kFdfProgId, Claim::Name, nullptr},
    {Root::User, kPdfOpenWithProgids, kDocumentProgId, Claim::Name, nullptr},
    {Root::User, kFdfOpenWithProgids, kFdfProgId, Claim::Name, nullptr},
};

win::HKEY KeyOf(Root root) {
    return root == Root::Machine ? win::HKEY_LOCAL_MACHINE
           : root == Root::User  ? win::HKEY_CURRENT_USER
                                 : win::HKEY_CLASSES_ROOT;
}

}  // namespace

bool RemoveFileAssociations(RemovalContext& context) {
    bool changed = false;
    for (const AssociationPlace& place : kAssociationPlaces) {
        bool removed = false;
        switch (place.claim) {
        case Claim::Text:
            removed = DeleteValueNaming(context, KeyOf(place.root), place.key, place.value, place.productText);
            break;
        case Claim::Name:
            removed = DeleteNamedValue(context, KeyOf(place.root), place.key, place.value);
            break;
        case Claim::UserChoice:
            removed = DeleteChoiceOf(context, place.key, place.productText);
            break;
        }
        changed = changed || removed;
    }
    return changed;
}

bool RemoveProductRegistry(RemovalContext& context) {
    bool fileTypesThere = false;
    for (const win::HKEY root : {win::HKEY_LOCAL_MACHINE, win::HKEY_CURRENT_USER})
        for (const char16_t* path : kProductTrees) {
            const bool there = DeleteRegistryTree(context, root, path);
            fileTypesThere = fileTypesThere || (there && std::u16string(path).rfind(kClassesTrees, 0) == 0);
        }
    return fileTypesThere;
}

void TellShellFileTypesChanged() { win::SHChangeNotify(win::SHCNE_ASSOCCHANGED, win::SHCNF_IDLIST, nullptr, nullptr); }

std::vector<std::u16string> ProductKeysLeft() {
    std::vector<std::u16string> left;
    for (win::HKEY root : {win::HKEY_LOCAL_MACHINE, win::HKEY_CURRENT_USER}) {
        for (const char16_t* path : kProductTrees) {
            RegistryKey key;
            // A key that cannot be looked at is not known to be gone.
            if (key.Open(root, path, win::KEY_QUERY_VALUE) || !IsAbsence(static_cast<win::DWORD>(key.status()))) {
                const std::u16string name = RootName(root) + u"\\" + path;
                if (std::find(left.begin(), left.end(), name) == left.end()) left.push_back(name);
            }
        }
    }
    return left;
}

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
        if (place.claim == Claim::Name) {
            const win::LONG status = win::RegQueryValueExW(key.get(), place.value, nullptr, nullptr, nullptr, nullptr);
            if (status == static_cast<win::LONG>(win::ERROR_SUCCESS)) left.push_back(name);
            else if (FailedToRead(status))
                left.push_back(name + u" (not known: " + WindowsErrorText(static_cast<win::DWORD>(status)) + u")");
            continue;
        }
        std::u16string text;
        StringValueRead read;
        QueryRegistryString(key.get(), place.value, win::MAX_PATH * sizeof(char16_t), text, &read);
        if (NamesProduct(text, place.productText)) left.push_back(name);
        else if (FailedToRead(read.status))
            left.push_back(name + u" (not known: " + WindowsErrorText(static_cast<win::DWORD>(read.status)) + u")");
    }
    return left;
}

}  // namespace engine::registry
