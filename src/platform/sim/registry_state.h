// The simulated registry: two real hives (machine, user) and the merged classes view.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sim {

struct RegValue {
    std::u16string name;  // empty for the default value
    win::DWORD type = win::REG_SZ;
    std::vector<win::BYTE> data;
};

struct RegKey {
    std::u16string name;
    RegKey* parent = nullptr;
    std::vector<std::unique_ptr<RegKey>> subkeys;  // kept sorted without regard to case, as enumerated
    std::vector<RegValue> values;                  // in creation order
    bool deleted = false;
    bool denyWrite = false;   // opening for any write access fails with access denied
    bool denyOpen = false;    // every open fails with access denied
    bool refuseDelete = false;
    // As Windows 8 and later protect a "UserChoice" key from its own user: an open asking to set
    // values and every value deletion are refused; the key itself may still be deleted.
    bool refuseValueChange = false;
    // A symbolic link: opening it leads to the key `linkPath` under `linkRoot`, unless it is the
    // last component of an open with REG_OPTION_OPEN_LINK. Its "SymbolicLinkValue" holds the target.
    win::HKEY linkRoot = nullptr;
    std::u16string linkPath;
    bool IsLink() const { return !linkPath.empty(); }

    RegKey* Child(const std::u16string& name) const;
    RegValue* Value(const std::u16string& name);
};

inline RegKey NamedKey(const char16_t* name) {
    RegKey key;
    key.name = name;
    return key;
}

struct RegistryState {
    RegKey machine = NamedKey(u"HKEY_LOCAL_MACHINE");
    RegKey user = NamedKey(u"HKEY_CURRENT_USER");
    // On the 95 family RegDeleteKeyW removes a key together with its subkeys.
    bool deleteKeyRemovesSubkeys = false;

    std::map<win::HKEY, RegKey*> handles;
    std::map<win::HKEY, win::REGSAM> handleAccess;  // what each open handle was granted
    // Handles opened through HKEY_CLASSES_ROOT, with their path below it: a key opened relative to
    // one is looked for in the merged view again, as Windows does.
    std::map<win::HKEY, std::u16string> classesPaths;
    std::vector<std::unique_ptr<RegKey>> removed;  // deleted keys stay alive for open handles
    std::uintptr_t nextHandle = 0x1000;
    // Every call that reaches a key, as "Function HKLM\\full\\path" ("HKCU\\..." for the user's
    // hive; value calls append " [name]"): which hive a call touched, whatever handle or merged
    // view it went through. A key that cannot be resolved is named as the caller named it.
    std::vector<std::string> keyAccess;

    // HKEY_CLASSES_ROOT is the merged view Windows makes: a key below it is the user's
    // (HKCU\Software\Classes) where the user has it, else the machine's (HKLM\Software\Classes),
    // and its values are read from that one key; a key opened relative to a key of the view is
    // looked for in both again. Enumeration lists the subkeys of the one key the handle is open on.
    //
    // Test-side helpers. Paths are relative to a predefined root; HKEY_CLASSES_ROOT resolves
    // through the merged view.
    RegKey* Find(win::HKEY root, const std::u16string& path);  // a link itself, not its target
    RegKey& CreateLink(win::HKEY root, const std::u16string& path, win::HKEY targetRoot,
                       const std::u16string& targetPath);
    RegKey& Create(win::HKEY root, const std::u16string& path);
    // What a process of the user does to a key of its own between two calls of the removal: the
    // key is renamed away (open handles keep it) and a link to `targetPath` takes its name.
    // False when there is no such key, or it is a root or a link already.
    bool SwapForLink(win::HKEY root, const std::u16string& path, win::HKEY targetRoot, const std::u16string& targetPath);
    bool Exists(win::HKEY root, const std::u16string& path) { return Find(root, path) != nullptr; }
    // Deletes a key with its subkeys, as another process would (open handles keep it, deleted).
    void Remove(RegKey& key);
    void SetString(win::HKEY root, const std::u16string& path, const std::u16string& name,
                   const std::u16string& value, win::DWORD type = win::REG_SZ);
    void SetDword(win::HKEY root, const std::u16string& path, const std::u16string& name, win::DWORD value);
    std::optional<std::u16string> GetString(win::HKEY root, const std::u16string& path, const std::u16string& name);
    bool HasValue(win::HKEY root, const std::u16string& path, const std::u16string& name);
    std::size_t OpenHandleCount() const { return handles.size(); }
    static std::string FullName(const RegKey& key);  // "HKLM\\Software\\..."
};

}  // namespace sim
