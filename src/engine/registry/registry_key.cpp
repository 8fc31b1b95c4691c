#include "engine/registry/registry_key.h"

#include <string>

#include "engine/removal_report.h"

namespace engine::registry {

namespace {
bool Succeeded(win::LONG result) { return result == static_cast<win::LONG>(win::ERROR_SUCCESS); }

KeyReach Refused(RegistryKey& key, win::LONG status) {
    key.Fail(status);
    return KeyReach::Refused;
}
}  // namespace

std::u16string RootName(win::HKEY root) {
    return root == win::HKEY_LOCAL_MACHINE   ? u"HKLM"
           : root == win::HKEY_CURRENT_USER  ? u"HKCU"
           : root == win::HKEY_CLASSES_ROOT  ? u"HKCR"
                                             : u"HKEY";
}

std::u16string KeyName(win::HKEY root, const char16_t* path) { return u"key " + RootName(root) + u"\\" + path; }

bool IsLinkKey(win::HKEY key) {
    win::DWORD type = 0;
    return Succeeded(win::RegQueryValueExW(key, u"SymbolicLinkValue", nullptr, &type, nullptr, nullptr)) &&
           type == win::REG_LINK;
}

KeyReach OpenKeyWithoutLinks(win::HKEY root, const char16_t* path, win::REGSAM access, RegistryKey& key) {
    key = RegistryKey();
    const std::u16string whole = path ? path : u"";
    // An empty path would name the root itself; an empty component is no key of anybody's.
    if (whole.empty()) return Refused(key, win::ERROR_INVALID_NAME);
    RegistryKey parent;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = whole.find(u'\\', begin);
        const bool last = end == std::u16string::npos;
        const std::u16string name = whole.substr(begin, last ? std::u16string::npos : end - begin);
        if (name.empty()) return Refused(key, win::ERROR_INVALID_NAME);
        RegistryKey step;
        // Each key on the way is opened only to see whether it is a link.
        if (!step.Open(parent ? parent.get() : root, name.c_str(), last ? access : win::KEY_QUERY_VALUE,
                       win::REG_OPTION_OPEN_LINK)) {
            key.Fail(step.status());
            return IsAbsence(static_cast<win::DWORD>(step.status())) ? KeyReach::Missing : KeyReach::Refused;
        }
        if (last) {
            key = std::move(step);
            return KeyReach::Opened;
        }
        if (IsLinkKey(step.get())) return Refused(key, kErrorKeyReachedThroughLink);
        parent = std::move(step);
        begin = end + 1;
    }
}

}  // namespace engine::registry
