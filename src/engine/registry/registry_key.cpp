#include "engine/registry/registry_key.h"

#include <string>

namespace engine::registry {

namespace {
bool Succeeded(win::LONG result) { return result == static_cast<win::LONG>(win::ERROR_SUCCESS); }
}  // namespace

bool IsLinkKey(win::HKEY key) {
    win::DWORD type = 0;
    return Succeeded(win::RegQueryValueExW(key, u"SymbolicLinkValue", nullptr, &type, nullptr, nullptr)) &&
           type == win::REG_LINK;
}

KeyReach OpenKeyWithoutLinks(win::HKEY root, const char16_t* path, win::REGSAM access, RegistryKey& key) {
    key = RegistryKey();
    const std::u16string whole = path ? path : u"";
    // An empty path would name the root itself; an empty component is no key of anybody's.
    if (whole.empty()) return KeyReach::Refused;
    RegistryKey parent;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = whole.find(u'\\', begin);
        const bool last = end == std::u16string::npos;
        const std::u16string name = whole.substr(begin, last ? std::u16string::npos : end - begin);
        if (name.empty()) return KeyReach::Refused;
        RegistryKey step;
        // Each key on the way is opened only to see whether it is a link.
        if (!step.Open(parent ? parent.get() : root, name.c_str(), last ? access : win::KEY_QUERY_VALUE,
                       win::REG_OPTION_OPEN_LINK))
            return step.status() == static_cast<win::LONG>(win::ERROR_FILE_NOT_FOUND) ? KeyReach::Missing
                                                                                      : KeyReach::Refused;
        if (last) {
            key = std::move(step);
            return KeyReach::Opened;
        }
        if (IsLinkKey(step.get())) return KeyReach::Refused;
        parent = std::move(step);
        begin = end + 1;
    }
}

}  // namespace engine::registry
