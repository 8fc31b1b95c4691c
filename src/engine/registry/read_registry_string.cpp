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
    // Opened for reading only: a read must never leave a key behind where there was none (the
    // product once created every missing key it looked at, also under other programs' ProgIDs).
    win::ScopedKey key;
    if (win::RegOpenKeyExW(root, keyPath, 0, win::KEY_QUERY_VALUE, key.put()) !=
            static_cast<win::LONG>(win::ERROR_SUCCESS) ||
        !key)
        return defaultText;

    std::u16string text;
    return QueryRegistryString(key.get(), valueName, maxBytes, text) ? text : defaultText;
}

bool QueryRegistryString(win::HKEY key, const char16_t* valueName, win::DWORD maxBytes, std::u16string& text,
                         StringValueRead* read) {
    StringValueRead ignored;
    StringValueRead& why = read ? *read : ignored;
    why = StringValueRead();
    win::DWORD type = 0;
    win::DWORD size = 0;
    why.status = win::RegQueryValueExW(key, valueName, nullptr, &type, nullptr, &size);
    if (why.status != static_cast<win::LONG>(win::ERROR_SUCCESS) || (type != win::REG_SZ && type != win::REG_EXPAND_SZ))
        return false;
    if (size > maxBytes) {
        why.tooLong = true;
        return false;
    }
    std::vector<char16_t> data(size / 2 + 1, u'\0');
    win::DWORD done = size;
    why.status = win::RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<win::BYTE*>(data.data()), &done);
    if (why.status != static_cast<win::LONG>(win::ERROR_SUCCESS)) return false;
    std::u16string found(data.data(), data.data() + std::min<std::size_t>(done / 2, data.size() - 1));
    found = found.substr(0, found.find(u'\0'));
    // A value whose text (without terminator) fills the buffer counts as too long.
    why.tooLong = (found.size() + 1) * sizeof(char16_t) > maxBytes;
    if (found.empty() || why.tooLong) return false;
    text = found;
    return true;
}

}  // namespace engine::registry
