// Simulated ADVAPI32 registry calls.
#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/registry.h"
#include "platform/sim/faults.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace sim {
namespace {

std::vector<std::u16string> SplitKeyPath(const std::u16string& path) {
    std::vector<std::u16string> parts;
    std::u16string part;
    for (char16_t c : path) {
        if (c == u'\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

// The key a link leads to (its target's own components are taken as they are).
RegKey* FollowLink(const RegKey& link) {
    RegistryState& r = machine().registry;
    RegKey* key = link.linkRoot == win::HKEY_LOCAL_MACHINE ? &r.machine : &r.user;
    for (const auto& part : SplitKeyPath(link.linkPath)) {
        if (!key) return nullptr;
        key = key->Child(part);
    }
    return key;
}

// The key a chain of links ends at; the chain ends after a few hops, as on Windows.
RegKey* ThroughLinks(RegKey* key) {
    constexpr int kMaxLinkHops = 16;
    for (int hops = 0; key && key->IsLink(); ++hops) key = hops < kMaxLinkHops ? FollowLink(*key) : nullptr;
    return key;
}

// Follows the components of a path; a link leads to its target, except as the last component
// when the link itself is asked for.
RegKey* Walk(RegKey* key, const std::vector<std::u16string>& parts, bool openLink = false) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!key) return nullptr;
        key = key->Child(parts[i]);
        const bool wantsLinkItself = openLink && i + 1 == parts.size();
        if (!wantsLinkItself) key = ThroughLinks(key);
    }
    return key;
}

RegKey* CreatePath(RegKey* key, const std::vector<std::u16string>& parts) {
    for (const auto& part : parts) {
        RegKey* child = key->Child(part);
        if (!child) {
            auto made = std::make_unique<RegKey>();
            made->name = part;
            made->parent = key;
            child = made.get();
            auto at = std::lower_bound(key->subkeys.begin(), key->subkeys.end(), made,
                                       [](const auto& a, const auto& b) { return LessNoCase(a->name, b->name); });
            key->subkeys.insert(at, std::move(made));
        }
        key = child;
    }
    return key;
}

std::vector<std::u16string> ClassesPrefix() { return {u"Software", u"Classes"}; }

std::vector<std::u16string> Concat(std::vector<std::u16string> a, const std::vector<std::u16string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The path below HKEY_CLASSES_ROOT that `key` plus `path` names, when `key` is that root or a
// handle opened through it; nothing otherwise.
std::optional<std::u16string> ClassesPath(win::HKEY key, const std::u16string& path) {
    if (key == win::HKEY_CLASSES_ROOT) return path;
    const auto& paths = machine().registry.classesPaths;
    auto it = paths.find(key);
    if (it == paths.end()) return std::nullopt;
    return path.empty() ? it->second : it->second + u"\\" + path;
}

// Resolves a handle (predefined or opened) plus a relative path to an existing key.
RegKey* Resolve(win::HKEY key, const std::u16string& path, bool openLink = false) {
    RegistryState& r = machine().registry;
    if (const auto classes = ClassesPath(key, path)) {
        // The handle's own key must still be there for anything below it to be reached.
        auto it = r.handles.find(key);
        if (it != r.handles.end() && it->second->deleted) return nullptr;
        const auto parts = Concat(ClassesPrefix(), SplitKeyPath(*classes));
        if (RegKey* k = Walk(&r.user, parts, openLink)) return k;
        return Walk(&r.machine, parts, openLink);
    }
    auto parts = SplitKeyPath(path);
    if (key == win::HKEY_LOCAL_MACHINE) return Walk(&r.machine, parts, openLink);
    if (key == win::HKEY_CURRENT_USER) return Walk(&r.user, parts, openLink);
    auto it = r.handles.find(key);
    if (it == r.handles.end() || it->second->deleted) return nullptr;
    // A handle open on a link itself names the link; a path below it goes on in its target, as
    // Windows parses it.
    return Walk(parts.empty() ? it->second : ThroughLinks(it->second), parts, openLink);
}

RegKey* ResolveOrCreate(win::HKEY key, const std::u16string& path, bool& created) {
    created = false;
    if (RegKey* existing = Resolve(key, path)) return existing;
    RegistryState& r = machine().registry;
    auto parts = SplitKeyPath(path);
    RegKey* base = nullptr;
    if (key == win::HKEY_LOCAL_MACHINE) base = &r.machine;
    else if (key == win::HKEY_CURRENT_USER) base = &r.user;
    else if (key == win::HKEY_CLASSES_ROOT) {
        base = &r.machine;
        parts = Concat(ClassesPrefix(), parts);
    } else {
        auto it = r.handles.find(key);
        if (it == r.handles.end() || it->second->deleted) return nullptr;
        base = it->second;
    }
    // A key below a write-protected ancestor cannot be created.
    RegKey* k = base;
    for (const auto& part : parts) {
        RegKey* child = k->Child(part);
        if (!child) {
            if (k->denyWrite || k->denyOpen) return nullptr;
            break;
        }
        k = child;
    }
    created = true;
    return CreatePath(base, parts);
}

bool WantsWrite(win::REGSAM access) {
    return (access & (win::KEY_SET_VALUE | win::KEY_CREATE_SUB_KEY | 0x00010000 /*DELETE*/)) != 0;
}

// A handle on `key`, reached as `parent` plus `path` (a handle reached through the classes view
// stays in it).
win::HKEY NewHandle(RegKey* key, win::REGSAM access, win::HKEY parent, const std::u16string& path) {
    RegistryState& r = machine().registry;
    auto handle = reinterpret_cast<win::HKEY>(r.nextHandle++);
    r.handles[handle] = key;
    r.handleAccess[handle] = access;
    if (const auto classes = ClassesPath(parent, path)) r.classesPaths[handle] = *classes;
    return handle;
}

// Whether `key` may be used for what `needed` names: a predefined root for anything, an opened
// handle only for the access it was opened with, as Windows checks it at every call.
bool Granted(win::HKEY key, win::REGSAM needed) {
    const auto& access = machine().registry.handleAccess;
    auto it = access.find(key);
    return it == access.end() || (it->second & needed) == needed;
}

// Whether an open asking for `access` is refused by the key's protection.
bool RefusesOpen(const RegKey& key, win::REGSAM access) {
    return key.denyOpen || (WantsWrite(access) && key.denyWrite) ||
           ((access & win::KEY_SET_VALUE) && key.refuseValueChange);
}

std::string RootName(win::HKEY key) {
    if (key == win::HKEY_LOCAL_MACHINE) return "HKLM";
    if (key == win::HKEY_CURRENT_USER) return "HKCU";
    if (key == win::HKEY_CLASSES_ROOT) return "HKCR";
    return "handle";
}

RegKey* OpenedKey(win::HKEY key) {
    RegistryState& r = machine().registry;
    if (key == win::HKEY_LOCAL_MACHINE) return &r.machine;
    if (key == win::HKEY_CURRENT_USER) return &r.user;
    if (key == win::HKEY_CLASSES_ROOT) return Resolve(key, u"");
    auto it = r.handles.find(key);
    return it == r.handles.end() ? nullptr : it->second;
}

// The name of what a handle (predefined or opened) plus a relative path refers to, for the
// access log: the hive-qualified path of the key when it resolves, else the caller's words.
std::string AccessName(win::HKEY key, const std::u16string& path, bool openLink = false) {
    if (RegKey* k = Resolve(key, path, openLink)) return RegistryState::FullName(*k);
    std::string base = RootName(key);
    auto it = machine().registry.handles.find(key);
    if (it != machine().registry.handles.end()) base = RegistryState::FullName(*it->second);
    return path.empty() ? base : base + "\\" + Narrow(path);
}

void RecordAccess(const char* function, const std::string& name) {
    machine().registry.keyAccess.push_back(std::string(function) + " " + name);
}

void Detach(RegKey* key) {
    RegKey* parent = key->parent;
    auto& list = parent->subkeys;
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == key; });
    std::function<void(RegKey*)> mark = [&](RegKey* k) {
        k->deleted = true;
        for (auto& c : k->subkeys) mark(c.get());
    };
    mark(key);
    machine().registry.removed.push_back(std::move(*it));
    list.erase(it);
}

}  // namespace

RegKey* RegKey::Child(const std::u16string& childName) const {
    for (const auto& k : subkeys)
        if (EqualNoCase(k->name, childName)) return k.get();
    return nullptr;
}

RegValue* RegKey::Value(const std::u16string& valueName) {
    for (auto& v : values)
        if (EqualNoCase(v.name, valueName)) return &v;
    return nullptr;
}

std::string RegistryState::FullName(const RegKey& key) {
    if (!key.parent) {
        if (key.name == u"HKEY_LOCAL_MACHINE") return "HKLM";
        if (key.name == u"HKEY_CURRENT_USER") return "HKCU";
        return Narrow(key.name);
    }
    return FullName(*key.parent) + "\\" + Narrow(key.name);
}

RegKey* RegistryState::Find(win::HKEY root, const std::u16string& path) { return Resolve(root, path, true); }

bool RegistryState::SwapForLink(win::HKEY root, const std::u16string& path, win::HKEY targetRoot,
                                const std::u16string& targetPath) {
    RegKey* key = Find(root, path);
    if (!key || !key->parent || key->IsLink()) return false;
    RegKey* parent = key->parent;
    std::u16string moved = key->name + u"~moved";
    while (parent->Child(moved)) moved += u"~";
    auto& list = parent->subkeys;
    auto it = std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == key; });
    std::unique_ptr<RegKey> owned = std::move(*it);
    list.erase(it);
    owned->name = moved;
    auto at = std::lower_bound(list.begin(), list.end(), owned,
                               [](const auto& a, const auto& b) { return LessNoCase(a->name, b->name); });
    list.insert(at, std::move(owned));
    CreateLink(root, path, targetRoot, targetPath);
    return true;
}

RegKey& RegistryState::CreateLink(win::HKEY root, const std::u16string& path, win::HKEY targetRoot,
                                  const std::u16string& targetPath) {
    RegKey& link = Create(root, path);
    link.linkRoot = targetRoot;
    link.linkPath = targetPath;
    const std::u16string target =
        (targetRoot == win::HKEY_LOCAL_MACHINE ? u"\\Registry\\Machine\\" : u"\\Registry\\User\\") + targetPath;
    const auto* bytes = reinterpret_cast<const win::BYTE*>(target.data());
    link.values.push_back(RegValue{u"SymbolicLinkValue", win::REG_LINK,
                                   std::vector<win::BYTE>(bytes, bytes + target.size() * sizeof(char16_t))});
    return link;
}

RegKey& RegistryState::Create(win::HKEY root, const std::u16string& path) {
    bool created;
    RegKey* base = root == win::HKEY_LOCAL_MACHINE ? &machine : root == win::HKEY_CURRENT_USER ? &user : nullptr;
    if (base) return *CreatePath(base, SplitKeyPath(path));
    return *ResolveOrCreate(root, path, created);
}

void RegistryState::SetString(win::HKEY root, const std::u16string& path, const std::u16string& name,
                              const std::u16string& value, win::DWORD type) {
    RegKey& key = Create(root, path);
    RegValue* v = key.Value(name);
    if (!v) {
        key.values.push_back(RegValue{name, type, {}});
        v = &key.values.back();
    }
    v->type = type;
    v->data.assign(reinterpret_cast<const win::BYTE*>(value.c_str()),
                   reinterpret_cast<const win::BYTE*>(value.c_str()) + (value.size() + 1) * 2);
}

void RegistryState::SetDword(win::HKEY root, const std::u16string& path, const std::u16string& name,
                             win::DWORD value) {
    RegKey& key = Create(root, path);
    RegValue* v = key.Value(name);
    if (!v) {
        key.values.push_back(RegValue{name, win::REG_DWORD, {}});
        v = &key.values.back();
    }
    v->type = win::REG_DWORD;
    v->data.assign(reinterpret_cast<const win::BYTE*>(&value), reinterpret_cast<const win::BYTE*>(&value) + 4);
}

std::optional<std::u16string> RegistryState::GetString(win::HKEY root, const std::u16string& path,
                                                       const std::u16string& name) {
    RegKey* key = Find(root, path);
    if (!key) return std::nullopt;
    RegValue* v = key->Value(name);
    if (!v || (v->type != win::REG_SZ && v->type != win::REG_EXPAND_SZ)) return std::nullopt;
    std::u16string text(v->data.size() / 2, u'\0');
    std::memcpy(text.data(), v->data.data(), text.size() * 2);
    while (!text.empty() && text.back() == 0) text.pop_back();
    return text;
}

void RegistryState::Remove(RegKey& key) {
    if (key.parent) Detach(&key);
}

bool RegistryState::HasValue(win::HKEY root, const std::u16string& path, const std::u16string& name) {
    RegKey* key = Find(root, path);
    return key && key->Value(name) != nullptr;
}

}  // namespace sim

namespace win {

using sim::machine;
using sim::RegKey;

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD, REGSAM access, void*, HKEY* result,
                     DWORD* disposition) {
    if (sim::FaultPoint("RegCreateKeyExW")) {
        *result = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    machine().Log("RegCreateKeyExW", sim::AccessName(key, sim::FromPtr(subKey)));
    sim::RecordAccess("RegCreateKeyExW", sim::AccessName(key, sim::FromPtr(subKey)));
    sim::WriteSpoolerRecords();
    *result = nullptr;
    bool created = false;
    RegKey* k = sim::ResolveOrCreate(key, sim::FromPtr(subKey), created);
    if (!k) return ERROR_ACCESS_DENIED;
    if (sim::RefusesOpen(*k, access)) return ERROR_ACCESS_DENIED;
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = sim::NewHandle(k, access, key, sim::FromPtr(subKey));
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* result) {
    if (sim::FaultPoint("RegOpenKeyExW")) {
        *result = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    machine().Log("RegOpenKeyExW", sim::AccessName(key, sim::FromPtr(subKey), (options & REG_OPTION_OPEN_LINK) != 0));
    sim::RecordAccess("RegOpenKeyExW", sim::AccessName(key, sim::FromPtr(subKey), (options & REG_OPTION_OPEN_LINK) != 0));
    sim::WriteSpoolerRecords();
    *result = nullptr;
    RegKey* k = sim::Resolve(key, sim::FromPtr(subKey), (options & REG_OPTION_OPEN_LINK) != 0);
    if (!k) {
        // A handle whose key was deleted meanwhile says so, as Windows does.
        RegKey* base = sim::OpenedKey(key);
        return base && base->deleted ? ERROR_KEY_DELETED : ERROR_FILE_NOT_FOUND;
    }
    if (sim::RefusesOpen(*k, access)) return ERROR_ACCESS_DENIED;
    *result = sim::NewHandle(k, access, key, sim::FromPtr(subKey));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
    if (sim::FaultPoint("RegQueryValueExW")) return ERROR_FILE_NOT_FOUND;
    sim::RecordAccess("RegQueryValueExW", sim::AccessName(key, u"") + " [" + sim::Narrow(sim::FromPtr(valueName)) + "]");
    RegKey* k = sim::OpenedKey(key);
    if (!k || k->deleted) return ERROR_KEY_DELETED;
    if (!sim::Granted(key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    sim::RegValue* v = k->Value(sim::FromPtr(valueName));
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    DWORD size = static_cast<DWORD>(v->data.size());
    if (data) {
        if (!dataSize || *dataSize < size) {
            if (dataSize) *dataSize = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, v->data.data(), size);
    }
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
}

LONG RegQueryInfoKeyW(HKEY key, LPWSTR, DWORD*, DWORD*, DWORD* subKeys, DWORD* maxSubKeyLength, DWORD*,
                      DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength, DWORD*, FILETIME*) {
    if (sim::FaultPoint("RegQueryInfoKeyW")) return ERROR_NOT_ENOUGH_MEMORY;
    sim::RecordAccess("RegQueryInfoKeyW", sim::AccessName(key, u""));
    RegKey* k = sim::OpenedKey(key);
    if (!k || k->deleted) return ERROR_KEY_DELETED;
    if (!sim::Granted(key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (subKeys) *subKeys = static_cast<DWORD>(k->subkeys.size());
    if (values) *values = static_cast<DWORD>(k->values.size());
    DWORD maxSub = 0, maxName = 0, maxData = 0;
    for (auto& s : k->subkeys) maxSub = std::max<DWORD>(maxSub, static_cast<DWORD>(s->name.size()));
    for (auto& v : k->values) {
        maxName = std::max<DWORD>(maxName, static_cast<DWORD>(v.name.size()));
        maxData = std::max<DWORD>(maxData, static_cast<DWORD>(v.data.size()));
    }
    if (maxSubKeyLength) *maxSubKeyLength = maxSub;
    if (maxValueNameLength) *maxValueNameLength = maxName;
    if (maxValueLength) *maxValueLength = maxData;
    return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD*, LPWSTR, DWORD*, FILETIME*) {
    if (sim::FaultPoint("RegEnumKeyExW")) return ERROR_NOT_ENOUGH_MEMORY;
    sim::RecordAccess("RegEnumKeyExW", sim::AccessName(key, u""));
    RegKey* k = sim::OpenedKey(key);
    if (!k || k->deleted) return ERROR_KEY_DELETED;
    if (!sim::Granted(key, KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    if (index >= k->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::u16string& n = k->subkeys[index]->name;
    if (!sim::CopyOut(n, name, *nameLength)) return ERROR_MORE_DATA;
    *nameLength = static_cast<DWORD>(n.size());
    return ERROR_SUCCESS;
}

LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD*, DWORD* type, BYTE* data,
                   DWORD* dataSize) {
    if (sim::FaultPoint("RegEnumValueW")) return ERROR_NOT_ENOUGH_MEMORY;
    sim::RecordAccess("RegEnumValueW", sim::AccessName(key, u""));
    RegKey* k = sim::OpenedKey(key);
    if (!k || k->deleted) return ERROR_KEY_DELETED;
    if (!sim::Granted(key, KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
    if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const sim::RegValue& v = k->values[index];
    if (!sim::CopyOut(v.name, name, *nameLength)) return ERROR_MORE_DATA;
    *nameLength = static_cast<DWORD>(v.name.size());
    if (type) *type = v.type;
    if (data && dataSize) {
        if (*dataSize < v.data.size()) return ERROR_MORE_DATA;
        std::memcpy(data, v.data.data(), v.data.size());
    }
    if (dataSize) *dataSize = static_cast<DWORD>(v.data.size());
    return ERROR_SUCCESS;
}

LONG RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    if (sim::FaultPoint("RegDeleteValueW")) return ERROR_ACCESS_DENIED;
    machine().Log("RegDeleteValueW", sim::AccessName(key, u"") + " [" + sim::Narrow(sim::FromPtr(valueName)) + "]");
    sim::RecordAccess("RegDeleteValueW", sim::AccessName(key, u"") + " [" + sim::Narrow(sim::FromPtr(valueName)) + "]");
    RegKey* k = sim::OpenedKey(key);
    if (!k || k->deleted) return ERROR_KEY_DELETED;
    if (k->denyWrite || k->refuseValueChange || !sim::Granted(key, KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    auto name = sim::FromPtr(valueName);
    auto it = std::find_if(k->values.begin(), k->values.end(),
                           [&](const sim::RegValue& v) { return sim::EqualNoCase(v.name, name); });
    if (it == k->values.end()) return ERROR_FILE_NOT_FOUND;
    k->values.erase(it);
    return ERROR_SUCCESS;
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (sim::FaultPoint("RegDeleteKeyW")) return ERROR_ACCESS_DENIED;
    machine().Log("RegDeleteKeyW", sim::AccessName(key, sim::FromPtr(subKey)));
    sim::RecordAccess("RegDeleteKeyW", sim::AccessName(key, sim::FromPtr(subKey)));
    RegKey* k = sim::Resolve(key, sim::FromPtr(subKey));
    if (!k) return ERROR_FILE_NOT_FOUND;
    if (!k->parent) return ERROR_ACCESS_DENIED;
    if (k->refuseDelete || k->denyWrite || k->parent->denyWrite) return ERROR_ACCESS_DENIED;
    if (!k->subkeys.empty() && !machine().registry.deleteKeyRemovesSubkeys) return ERROR_ACCESS_DENIED;
    sim::Detach(k);
    return ERROR_SUCCESS;
}

LONG NtDeleteKey(HKEY key) {
    constexpr LONG kAccessDenied = static_cast<LONG>(0xC0000022u);
    constexpr LONG kKeyDeleted = static_cast<LONG>(0xC000017Cu);
    constexpr DWORD kErrorKeyDeleted = 1018;
    if (sim::FaultPoint("NtDeleteKey")) return sim::Failure(sim::kStatusAccessDenied, ERROR_ACCESS_DENIED);
    RegKey* k = sim::OpenedKey(key);
    machine().Log("NtDeleteKey", k ? sim::RegistryState::FullName(*k) : std::string("?"));
    sim::RecordAccess("NtDeleteKey", k ? sim::RegistryState::FullName(*k) : std::string("?"));
    if (!k || k->deleted) return sim::Failure(kKeyDeleted, kErrorKeyDeleted);
    if (!sim::Granted(key, KEY_DELETE)) return sim::Failure(kAccessDenied, ERROR_ACCESS_DENIED);
    if (!k->parent || k->refuseDelete || k->denyWrite || !k->subkeys.empty())
        return sim::Failure(kAccessDenied, ERROR_ACCESS_DENIED);
    sim::Detach(k);
    SetLastError(ERROR_SUCCESS);
    return 0;
}

LONG RegCloseKey(HKEY key) {
    if (sim::FaultPoint("RegCloseKey")) return ERROR_INVALID_HANDLE;
    auto& handles = machine().registry.handles;
    auto it = handles.find(key);
    if (it == handles.end()) return ERROR_INVALID_HANDLE;
    handles.erase(it);
    machine().registry.handleAccess.erase(key);
    machine().registry.classesPaths.erase(key);
    return ERROR_SUCCESS;
}

}  // namespace win
