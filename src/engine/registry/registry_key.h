// An open registry key that closes itself.
#pragma once
#include "platform/registry.h"

namespace engine {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens `path` under `parent`; false (and no handle) when the key cannot be opened, with the
    // reason in status().
    bool Open(win::HKEY parent, const char16_t* path, win::REGSAM access, win::DWORD options = 0) {
        Close();
        win::HKEY opened = nullptr;
        m_status = win::RegOpenKeyExW(parent, path, options, access, &opened);
        if (m_status != static_cast<win::LONG>(win::ERROR_SUCCESS)) return false;
        m_key = opened;
        return m_key != nullptr;
    }
    win::LONG status() const { return m_status; }
    void Close() {
        if (m_key) win::RegCloseKey(m_key);
        m_key = nullptr;
    }
    win::HKEY get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }

private:
    win::HKEY m_key = nullptr;
    win::LONG m_status = static_cast<win::LONG>(win::ERROR_SUCCESS);
};

}  // namespace engine
