#include "engine/registry/registry_tree.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/registry/registry_key.h"
#include "engine/system_checks.h"

namespace engine::registry {

namespace {

// Capacities offered to the enumerations. Key names are at most 255 characters, so every subkey
// name fits; a value name of 500 characters or more does not, and stops its key's clearing.
constexpr win::DWORD kSubkeyNameCapacity = 1000;
constexpr win::DWORD kValueNameCapacity = 500;

bool Succeeded(win::LONG result) { return result == static_cast<win::LONG>(win::ERROR_SUCCESS); }

struct KeyCounts {
    win::DWORD subkeys = 0;
    win::DWORD values = 0;
};

KeyCounts CountsOf(win::HKEY key) {
    KeyCounts counts;
    if (!key) return counts;
    win::DWORD subkeys = 0;
    win::DWORD values = 0;
    if (Succeeded(win::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                        nullptr, nullptr, nullptr))) {
        counts.subkeys = subkeys;
        counts.values = values;
    }
    return counts;
}

// The child's path grows with the tree instead of living in a path-sized buffer: a deep tree of
// the product's is still the product's, and is removed whole however long its paths get.
std::u16string ChildPath(const char16_t* parent, const std::u16string& name) {
    std::u16string path(parent);
    path += u'\\';
    path += name;
    return path;
}

// The name the enumeration wrote, bounded by the buffer whatever length it reports.
std::u16string EnumeratedName(const std::vector<char16_t>& buffer, win::DWORD length) {
    const std::size_t bounded = std::min<std::size_t>(length, buffer.size() - 1);
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bounded), u'\0');
    return std::u16string(buffer.begin(), end);
}

// A symbolic link key leads to another key, somewhere else in the registry: opening it, walking
// it or deleting it by path would reach that key, which is not the product's. The walk opens
// every key as itself (a link is not followed) and removes a link without touching its target.
bool IsLink(win::HKEY key) {
    win::DWORD type = 0;
    return Succeeded(win::RegQueryValueExW(key, u"SymbolicLinkValue", nullptr, &type, nullptr, nullptr)) &&
           type == win::REG_LINK;
}

bool OpenAsItself(RegistryKey& key, win::HKEY parent, const char16_t* path) {
    return key.Open(parent, path, win::KEY_ALL_ACCESS, win::REG_OPTION_OPEN_LINK);
}

}  // namespace

void DeleteRegistryTree(win::HKEY root, const char16_t* path) {
    // An empty path would name the root itself, whose subkeys are not ours.
    if (!path || !*path) return;
    if (IsWindows95Family()) {
        win::RegDeleteKeyW(root, path);
        return;
    }
    RegistryKey key;
    if (OpenAsItself(key, root, path)) {
        if (IsLink(key.get())) {
            win::NtDeleteKey(key.get());
            return;
        }
        DeleteRegistrySubkeys(root, key.get(), path);
        ClearRegistryValues(root, path, static_cast<win::LONG>(CountsOf(key.get()).values));
    } else if (key.status() != static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND)) {
        // A key that exists but cannot be opened as itself might be a link: deleting it by path
        // could delete whatever it leads to.
        return;
    }
    win::RegDeleteKeyW(root, path);
}

bool DeleteRegistrySubkeys(win::HKEY root, win::HKEY key, const char16_t* path) {
    // Read once: every pass deletes the subkey it found at index 0, so the next one moves up.
    const win::DWORD count = CountsOf(key).subkeys;
    std::vector<char16_t> nameBuffer(kSubkeyNameCapacity, u'\0');
    for (win::DWORD pass = 0; pass < count; ++pass) {
        win::DWORD length = kSubkeyNameCapacity;
        // A key that vanished or cannot be listed leaves nothing sure to delete at this level.
        if (!Succeeded(win::RegEnumKeyExW(key, 0, nameBuffer.data(), &length, nullptr, nullptr, nullptr, nullptr)))
            return false;
        const std::u16string name = EnumeratedName(nameBuffer, length);
        if (name.empty()) return false;

        // A subkey that cannot be opened as itself might be a link, so it is not deleted by path:
        // it stays, like a subkey whose deletion is refused.
        RegistryKey subkey;
        if (!OpenAsItself(subkey, key, name.c_str())) return false;
        if (IsLink(subkey.get())) {
            if (win::NtDeleteKey(subkey.get()) != 0) return false;
            continue;
        }
        const KeyCounts counts = CountsOf(subkey.get());
        const std::u16string childPath = ChildPath(path, name);
        // Keys go by their full path from the root while their own handle is still open; the
        // handle stays valid, marked deleted, until it is closed.
        if (counts.subkeys > 0 && !DeleteRegistrySubkeys(root, subkey.get(), childPath.c_str())) return false;
        ClearRegistryValues(root, childPath.c_str(), static_cast<win::LONG>(counts.values));
        if (!Succeeded(win::RegDeleteKeyW(root, childPath.c_str()))) return false;
    }
    return true;
}

void ClearRegistryValues(win::HKEY root, const char16_t* path, win::LONG count) {
    RegistryKey key;
    if (!key.Open(root, path, win::KEY_ALL_ACCESS)) return;
    if (count <= 0) return;

    // Collect every name first: deleting while enumerating would shift the indices.
    std::vector<std::u16string> names;
    std::vector<char16_t> nameBuffer(kValueNameCapacity, u'\0');
    for (win::LONG index = 0; index < count; ++index) {
        win::DWORD length = kValueNameCapacity;
        if (!Succeeded(win::RegEnumValueW(key.get(), static_cast<win::DWORD>(index), nameBuffer.data(), &length, nullptr,
                                          nullptr, nullptr, nullptr)))
            return;
        names.push_back(EnumeratedName(nameBuffer, length));
    }
    for (const std::u16string& name : names)
        if (!Succeeded(win::RegDeleteValueW(key.get(), name.c_str()))) return;
}

}  // namespace engine::registry
