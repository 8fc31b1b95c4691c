// Registry trees under HKEY_CURRENT_USER: the program's DeleteRegistryTree, the same calls
// written out bare, and RegDeleteTreeW.
#include "engine/registry/registry_tree.h"

#include "tree_bench.h"

#include "stopwatch.h"

namespace bench {
namespace {

const wchar_t kBenchKey[] = L"Software\\Orvik Tree Bench";
constexpr int kFanOut = 12;
constexpr int kDepth = 3;
constexpr int kValuesPerKey = 2;

void SetValues(HKEY key) {
    static const wchar_t data[] = L"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
    for (int i = 0; i < kValuesPerKey; ++i) {
        const std::wstring name = L"Value" + std::to_wstring(i);
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
    }
}

void BuildBelow(HKEY parent, int depth) {
    for (int i = 0; i < kFanOut; ++i) {
        HKEY child;
        const std::wstring name = L"Key" + std::to_wstring(i);
        if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr)) continue;
        SetValues(child);
        if (depth + 1 < kDepth) BuildBelow(child, depth + 1);
        RegCloseKey(child);
    }
}

std::wstring Place(int slot) { return std::wstring(kBenchKey) + L"\\Tree" + std::to_wstring(slot); }

void Build(const std::wstring& tree) {
    HKEY top;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, tree.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr)) return;
    SetValues(top);
    BuildBelow(top, 0);
    RegCloseKey(top);
}

bool Gone(const std::wstring& tree) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, tree.c_str(), 0, KEY_READ, &key)) return true;
    RegCloseKey(key);
    return false;
}

void Clear() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kBenchKey);
}

int KeyCount() {
    int count = 1, level = 1;
    for (int depth = 0; depth < kDepth; ++depth) count += (level *= kFanOut);
    return count;
}

// ---- the program's function, as shipped ----

void RemoveWithOurs(const std::wstring& tree) {
    engine::registry::DeleteRegistryTree(reinterpret_cast<win::HKEY>(HKEY_CURRENT_USER),
                               reinterpret_cast<const char16_t*>(tree.c_str()));
}

// ---- the same walk, as bare Win32 calls in fixed buffers ----

void BareClearValues(HKEY root, const wchar_t* path, DWORD count) {
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key)) return;
    if (count > 0) {
        std::vector<wchar_t> names(static_cast<std::size_t>(count) * 1000);
        bool collected = true;
        for (DWORD i = 0; i < count && collected; ++i) {
            DWORD length = 500;
            collected = RegEnumValueW(key, i, &names[i * 1000], &length, nullptr, nullptr, nullptr, nullptr) == 0;
        }
        for (DWORD i = 0; i < count && collected; ++i)
            if (RegDeleteValueW(key, &names[i * 1000])) break;
    }
    RegCloseKey(key);
}

bool BareDeleteSubkeys(HKEY root, HKEY key, const wchar_t* path) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr))
        subkeys = 0;
    std::vector<wchar_t> name(1000);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = 1000;
        if (RegEnumKeyExW(key, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr)) return false;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name.data(), 0, KEY_ALL_ACCESS, &child)) child = nullptr;
        DWORD grandchildren = 0, values = 0;
        if (!child || RegQueryInfoKeyW(child, nullptr, nullptr, nullptr, &grandchildren, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr))
            grandchildren = values = 0;
        wchar_t childPath[MAX_PATH];
        if (!Fits(_snwprintf(childPath, MAX_PATH, L"%ls\\%ls", path, name.data()))) {
            if (child) RegCloseKey(child);
            return false;
        }
        bool deleted = grandchildren == 0 || BareDeleteSubkeys(root, child, childPath);
        if (deleted) {
            BareClearValues(root, childPath, values);
            deleted = RegDeleteKeyW(root, childPath) == 0;
        }
        if (child) RegCloseKey(child);
        if (!deleted) return false;
    }
    return true;
}

void RemoveBare(const std::wstring& tree) {
    const HKEY root = HKEY_CURRENT_USER;
    if (GetVersion() & 0x80000000) {
        RegDeleteKeyW(root, tree.c_str());
        return;
    }
    HKEY key;
    const bool opened = RegOpenKeyExW(root, tree.c_str(), 0, KEY_ALL_ACCESS, &key) == 0;
    if (opened) {
        BareDeleteSubkeys(root, key, tree.c_str());
        DWORD values = 0;
        if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                             nullptr))
            values = 0;
        BareClearValues(root, tree.c_str(), values);
    }
    RegDeleteKeyW(root, tree.c_str());
    if (opened) RegCloseKey(key);
}

// ---- the system's own ----

void RemoveWithRegDeleteTree(const std::wstring& tree) { RegDeleteTreeW(HKEY_CURRENT_USER, tree.c_str()); }

}  // namespace

TreeKind RegistryTrees() {
    const int keys = KeyCount();
    return {L"registry tree",
            std::to_wstring(keys) + L" keys, " + std::to_wstring(keys * kValuesPerKey) + L" values",
            Place,
            Build,
            Gone,
            Clear,
            {{L"DeleteRegistryTree", RemoveWithOurs},
             {L"bare call sequence", RemoveBare},
             {L"RegDeleteTreeW", RemoveWithRegDeleteTree}}};
}

}  // namespace bench
