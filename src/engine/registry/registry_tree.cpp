#include "engine/registry/registry_tree.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/registry/registry_key.h"
#include "engine/removal_report.h"
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

// The name the enumeration wrote, bounded by the buffer whatever length it reports.
std::u16string EnumeratedName(const std::vector<char16_t>& buffer, win::DWORD length) {
    const std::size_t bounded = std::min<std::size_t>(length, buffer.size() - 1);
    const auto end = std::find(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(bounded), u'\0');
    return std::u16string(buffer.begin(), end);
}

Outcome Deleted(win::HKEY key) { return Outcome::OfStatus(win::NtDeleteKey(key)); }


}  // namespace

void DeleteRegistryKey(RemovalContext& context, win::HKEY root, const char16_t* path) {
    if (!path || !*path) return;
    if (IsWindows95Family()) {
        context.ReportRemoval(KeyName(root, path), static_cast<win::DWORD>(win::RegDeleteKeyW(root, path)));
        return;
    }
    RegistryKey key;
    // A link is deleted itself; a key with subkeys is refused by the system and stays.
    const KeyReach reach = OpenKeyWithoutLinks(root, path, win::KEY_QUERY_VALUE | win::KEY_DELETE, key);
    if (reach != KeyReach::Opened) context.ReportRemoval(KeyName(root, path), static_cast<win::DWORD>(key.status()));
    else context.ReportRemoval(KeyName(root, path), Deleted(key.get()));
}

bool DeleteRegistryTree(RemovalContext& context, win::HKEY root, const char16_t* path) {
    // An empty path would name the root itself, whose subkeys are not ours.
    if (!path || !*path) return false;
    const std::u16string name = KeyName(root, path);
    if (IsWindows95Family()) {
        const win::LONG status = win::RegDeleteKeyW(root, path);
        context.ReportRemoval(name, static_cast<win::DWORD>(status));
        return !IsAbsence(static_cast<win::DWORD>(status));
    }
    RegistryKey key;
    const KeyReach reach = OpenKeyWithoutLinks(root, path, win::KEY_ALL_ACCESS, key);
    if (reach != KeyReach::Opened) {
        context.ReportRemoval(name, static_cast<win::DWORD>(key.status()));
        return reach == KeyReach::Refused;
    }
    if (!IsLinkKey(key.get())) {
        DeleteRegistrySubkeys(context, key.get(), name);
        ClearRegistryValues(key.get(), static_cast<win::LONG>(CountsOf(key.get()).values));
    }
    context.ReportRemoval(name, Deleted(key.get()));
    return true;
}

bool DeleteRegistrySubkeys(RemovalContext& context, win::HKEY key, const std::u16string& name) {
    // Read once: every pass deletes the subkey it found at index 0, so the next one moves up.
    const win::DWORD count = CountsOf(key).subkeys;
    std::vector<char16_t> nameBuffer(kSubkeyNameCapacity, u'\0');
    for (win::DWORD pass = 0; pass < count; ++pass) {
        win::DWORD length = kSubkeyNameCapacity;
        // A key that vanished or cannot be listed leaves nothing sure to delete at this level.
        if (!Succeeded(win::RegEnumKeyExW(key, 0, nameBuffer.data(), &length, nullptr, nullptr, nullptr, nullptr)))
            return false;
        const std::u16string subkeyName = EnumeratedName(nameBuffer, length);
        if (subkeyName.empty()) return false;
        // How the log names the subkey, made only when it is needed.
        const auto reported = [&] { return name + u"\\" + subkeyName; };

        // Opened as itself, relative to its parent: a subkey that cannot be opened so might be a
        // link, and stays, like a subkey whose deletion is refused.
        RegistryKey subkey;
        if (!subkey.Open(key, subkeyName.c_str(), win::KEY_ALL_ACCESS, win::REG_OPTION_OPEN_LINK)) {
            context.ReportRemoval(reported(), static_cast<win::DWORD>(subkey.status()));
            return false;
        }
        if (!IsLinkKey(subkey.get())) {
            const KeyCounts counts = CountsOf(subkey.get());
            if (counts.subkeys > 0 && !DeleteRegistrySubkeys(context, subkey.get(), reported())) return false;
            ClearRegistryValues(subkey.get(), static_cast<win::LONG>(counts.values));
        }
        // The subkeys that go are not named one by one: the key above them says they went.
        if (const Outcome deleted = Deleted(subkey.get()); !deleted) {
            context.ReportRemoval(reported(), deleted);
            return false;
        }
    }
    return true;
}

void ClearRegistryValues(win::HKEY key, win::LONG count) {
    if (count <= 0) return;

    // Collect every name first: deleting while enumerating would shift the indices.
    std::vector<std::u16string> names;
    std::vector<char16_t> nameBuffer(kValueNameCapacity, u'\0');
    for (win::LONG index = 0; index < count; ++index) {
        win::DWORD length = kValueNameCapacity;
        if (!Succeeded(win::RegEnumValueW(key, static_cast<win::DWORD>(index), nameBuffer.data(), &length, nullptr,
                                          nullptr, nullptr, nullptr)))
            return;
        names.push_back(EnumeratedName(nameBuffer, length));
    }
    for (const std::u16string& name : names)
        if (!Succeeded(win::RegDeleteValueW(key, name.c_str()))) return;
}

}  // namespace engine::registry
