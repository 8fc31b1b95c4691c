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

    // Opens `path` under `parent`; false (and no handle) when the key cannot be opened.
    bool Open(win::HKEY parent, const char16_t* path, win::REGSAM access) {
        Close();
        win::HKEY opened = nullptr;
        if (win::RegOpenKeyExW(parent, path, 0, access, &opened) != static_cast<win::LONG>(win::ERROR_SUCCESS))
            return false;
        m_key = opened;
        return m_key != nullptr;
    }
    void Close() {
        if (m_key) win::RegCloseKey(m_key);
        m_key = nullptr;
    }
    win::HKEY get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }

private:
    win::HKEY m_key = nullptr;
};

}  // namespace engine
