#include "engine/registry/read_registry_string.h"

#include <vector>

namespace engine {

namespace {
constexpr win::DWORD kPathBufferBytes = win::MAX_PATH * sizeof(char16_t);
}

std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText) {
    return ReadRegistryString(root, keyPath, valueName, defaultText, kPathBufferBytes);
}

std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText, win::DWORD maxBytes) {
    win::HKEY key = nullptr;
    if (win::RegCreateKeyExW(root, keyPath, 0, nullptr, 0, win::KEY_QUERY_VALUE, nullptr, &key, nullptr) !=
            static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        !key)
        return defaultText;

    std::u16string result = defaultText;
    win::DWORD type = 0;
    win::DWORD size = 0;
    if (win::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size) ==
            static_cast<win::LONG>(win::ERROR_SUCCESS) &&
        (type == win::REG_SZ || type == win::REG_EXPAND_SZ)) {
        // A value whose text (without terminator) fills the buffer counts as too long.
        std::vector<char16_t> data(size / 2 + 1, u'\0');
        win::DWORD read = size;
        if (size <= maxBytes &&
            win::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<win::BYTE*>(data.data()), &read) ==
                static_cast<win::LONG>(win::ERROR_SUCCESS)) {
            std::u16string text(data.data(), data.data() + read / 2);
            text = text.substr(0, text.find(u'\0'));
            bool fits = (text.size() + 1) * sizeof(char16_t) <= maxBytes;
            if (!text.empty() && fits) result = text;
        }
    }
    win::RegCloseKey(key);
    return result;
}

}  // namespace engine
