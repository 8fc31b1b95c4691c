// An open registry key that closes itself, with the reason when it could not be opened; and the
// way every key the removal changes is reached: one component at a time, never through a link.
#pragma once
#include <string>

#include "platform/registry.h"
#include "platform/scoped.h"

namespace engine::registry {

class RegistryKey {
public:
    // Opens `path` under `parent`; false (and no handle) when the key cannot be opened, with the
    // reason in status().
    bool Open(win::HKEY parent, const char16_t* path, win::REGSAM access, win::DWORD options = 0) {
        m_key.reset();
        win::HKEY opened = nullptr;
        m_status = win::RegOpenKeyExW(parent, path, options, access, &opened);
        if (m_status == static_cast<win::LONG>(win::ERROR_SUCCESS)) m_key.reset(opened);
        return static_cast<bool>(m_key);
    }
    win::LONG status() const { return m_status; }
    // Holds no key, with `status` as the reason.
    void Fail(win::LONG status) {
        m_key.reset();
        m_status = status;
    }
    win::HKEY get() const { return m_key.get(); }
    explicit operator bool() const { return static_cast<bool>(m_key); }

private:
    win::ScopedKey m_key;
    win::LONG m_status = static_cast<win::LONG>(win::ERROR_SUCCESS);
};

// Whether the open key is a symbolic link (opened as itself), which leads to another key.
bool IsLinkKey(win::HKEY key);

// "HKLM", "HKCU" or "HKCR": how the log names a root.
std::u16string RootName(win::HKEY root);
// How the log names a key: "key HKLM\\path".
std::u16string KeyName(win::HKEY root, const char16_t* path);

// The status a key is refused with when a key on its way is a link.
constexpr win::LONG kErrorKeyReachedThroughLink = 1011;  // ERROR_CANTOPEN

enum class KeyReach {
    Opened,   // `key` holds the last component, opened as itself (it may be a link: ask IsLinkKey)
    Missing,  // a key on the way or the key itself does not exist (`key.status()` says so)
    Refused,  // a key on the way is a link, or cannot be opened as itself (`key.status()` says why)
};

// Opens `path` under `root` one component at a time, each relative to its parent's open handle
// and as itself (REG_OPTION_OPEN_LINK), the last with `access`. The system follows a link
// anywhere on a path but in its last component even when asked not to, so a link planted above
// the key would otherwise hand over another key; and every handle judged is the handle used, so
// nothing can be swapped between a check and the deletion that follows it.
KeyReach OpenKeyWithoutLinks(win::HKEY root, const char16_t* path, win::REGSAM access, RegistryKey& key);

}  // namespace engine::registry
