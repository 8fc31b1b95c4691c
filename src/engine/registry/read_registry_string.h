#pragma once
#include <string>

#include "platform/registry.h"

namespace engine::registry {

// The text of a string value, or `defaultText` when the value is missing, empty, not a string,
// or longer than the 259 characters a path buffer holds (a truncated path could name another
// directory). The key is opened for reading only: a missing key is not created.
std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText = std::u16string());

// Same, with the size in bytes the caller offers for the data (terminator included).
std::u16string ReadRegistryString(win::HKEY root, const char16_t* keyPath, const char16_t* valueName,
                                  const std::u16string& defaultText, win::DWORD maxBytes);

// Why a read of a string value gave no text.
struct StringValueRead {
    // The system's answer when the value could not be read; ERROR_SUCCESS when it was read but is
    // no such string.
    win::LONG status = static_cast<win::LONG>(win::ERROR_SUCCESS);
    // The value is a string, but its text does not fit the room offered.
    bool tooLong = false;
};

// Reads a string value of an open key under the same rules: true and `text` set when the value
// is a non-empty string that fits in `maxBytes` with its terminator; false otherwise, and `read`,
// where given, says why. Every string value the program reads goes through here.
bool QueryRegistryString(win::HKEY key, const char16_t* valueName, win::DWORD maxBytes, std::u16string& text,
                         StringValueRead* read = nullptr);

}  // namespace engine::registry
