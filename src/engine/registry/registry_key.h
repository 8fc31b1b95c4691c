// An open registry key that closes itself, with the reason when it could not be opened.
#pragma once
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
    win::HKEY get() const { return m_key.get(); }
    explicit operator bool() const { return static_cast<bool>(m_key); }

private:
    win::ScopedKey m_key;
    win::LONG m_status = static_cast<win::LONG>(win::ERROR_SUCCESS);
};

}  // namespace engine::registry
