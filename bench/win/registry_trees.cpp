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
    engine::RemovalContext context;  // heard by nobody, as the benchmark writes no log
    engine::registry::DeleteRegistryTree(context, reinterpret_cast<win::HKEY>(HKEY_CURRENT_USER),
                                         reinterpret_cast<const char16_t*>(tree.c_str()));
}

// ---- the same walk, as bare Win32 calls in fixed buffers ----

using NtDeleteKeyFunction = LONG(WINAPI*)(HANDLE);
NtDeleteKeyFunction NtDeleteKeyCall() {
    static const auto function = reinterpret_cast<NtDeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDeleteKey")));
    return function;
}

bool BareIsLink(HKEY key) {
    DWORD type = 0;
    return RegQueryValueExW(key, L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == 0 && type == REG_LINK;
}

void BareClearValues(HKEY key, DWORD count) {
    if (count == 0) return;
    std::vector<wchar_t> names(static_cast<std::size_t>(count) * 1000);
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = 500;
        if (RegEnumValueW(key, i, &names[i * 1000], &length, nullptr, nullptr, nullptr, nullptr)) return;
    }
    for (DWORD i = 0; i < count; ++i)
        if (RegDeleteValueW(key, &names[i * 1000])) return;
}

bool BareDeleteSubkeys(HKEY key) {
    DWORD subkeys = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr))
        subkeys = 0;
    std::vector<wchar_t> name(1000);
    for (DWORD i = 0; i < subkeys; ++i) {
        DWORD length = 1000;
        if (RegEnumKeyExW(key, 0, name.data(), &length, nullptr, nullptr, nullptr, nullptr)) return false;
        HKEY child = nullptr;
        if (RegOpenKeyExW(key, name.data(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &child)) return false;
        bool deleted = true;
        if (!BareIsLink(child)) {
            DWORD grandchildren = 0, values = 0;
            if (RegQueryInfoKeyW(child, nullptr, nullptr, nullptr, &grandchildren, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr))
                grandchildren = values = 0;
            deleted = grandchildren == 0 || BareDeleteSubkeys(child);
            if (deleted) BareClearValues(child, values);
        }
        deleted = deleted && NtDeleteKeyCall()(child) == 0;
        RegCloseKey(child);
        if (!deleted) return false;
    }
    return true;
}

// The top key reached one component at a time, each opened as itself relative to the last.
HKEY BareOpenWithoutLinks(HKEY root, const std::wstring& path) {
    HKEY parent = nullptr;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = path.find(L'\\', begin);
        const bool last = end == std::wstring::npos;
        const std::wstring name = path.substr(begin, last ? std::wstring::npos : end - begin);
        HKEY step = nullptr;
        const LONG opened = RegOpenKeyExW(parent ? parent : root, name.c_str(), REG_OPTION_OPEN_LINK,
                                          last ? KEY_ALL_ACCESS : KEY_QUERY_VALUE, &step);
        if (parent) RegCloseKey(parent);
        if (opened) return nullptr;
        if (last) return step;
        if (BareIsLink(step)) {
            RegCloseKey(step);
            return nullptr;
        }
        parent = step;
        begin = end + 1;
    }
}

void RemoveBare(const std::wstring& tree) {
    if (GetVersion() & 0x80000000) {
        RegDeleteKeyW(HKEY_CURRENT_USER, tree.c_str());
        return;
    }
    const HKEY key = BareOpenWithoutLinks(HKEY_CURRENT_USER, tree);
    if (!key) return;
    if (!BareIsLink(key)) {
        BareDeleteSubkeys(key);
        DWORD values = 0;
        if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                             nullptr))
            values = 0;
        BareClearValues(key, values);
    }
    NtDeleteKeyCall()(key);
    RegCloseKey(key);
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
