#include "engine/registry/read_registry_string.h"

#include <algorithm>
#include <vector>

#include "platform/scoped.h"

namespace engine::registry {

namespace {
constexpr win::DWORD kPathBufferBytes = win::MAX_PATH * sizeof(char16_t);
}

std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText) {
    return ReadRegistryString(root, keyPath, valueName, defaultText, kPathBufferBytes);
}

std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText, win::DWORD maxBytes) {
    win::ScopedKey key;
    if (win::RegCreateKeyExW(root, keyPath, 0, nullptr, 0, win::KEY_QUERY_VALUE, nullptr, key.put(), nullptr) !=
            static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        !key)
        return defaultText;

    std::u16string text;
    return QueryRegistryString(key.get(), valueName, maxBytes, text) ? text : defaultText;
}

bool QueryRegistryString(win::HKEY key, const char16_t* valueName, win::DWORD maxBytes, std::u16string& text) {
    win::DWORD type = 0;
    win::DWORD size = 0;
    if (win::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) !=
            static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        (type != win::REG_SZ && type != win::REG_EXPAND_SZ) || size > maxBytes)
        return false;
    std::vector<char16_t> data(size / 2 + 1, u'\0');
    win::DWORD read = size;
    if (win::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<win::BYTE*>(data.data()), &read) !=
        static_cast<win::LONG>(win::ERROR_SUCCESS))
        return false;
    std::u16string found(data.data(), data.data() + std::min<std::size_t>(read / 2, data.size() - 1));
    found = found.substr(0, found.find(u'\0'));
    // A value whose text (without terminator) fills the buffer counts as too long.
    const bool fits = (found.size() + 1) * sizeof(char16_t) <= maxBytes;
    if (found.empty() || !fits) return false;
    text = found;
    return true;
}

}  // namespace engine::registry
