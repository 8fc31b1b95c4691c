// Message texts by number: the product's language file first, the built-in English table after.
#pragma once
#include <string>

#include "core/strings.h"
#include "platform/types.h"

namespace core {
class XmlElement;
}

namespace i18n {

class StringCatalog {
public:
    StringCatalog() = default;
    StringCatalog(const StringCatalog&) = delete;
    StringCatalog& operator=(const StringCatalog&) = delete;
    ~StringCatalog();

    // Reads the language file of that language number from the "lang" directory of
    // `installPath` once; a missing trailing backslash is supplied. An empty install path (no
    // usable install directory), or a file that is missing, unreadable or does not parse, leaves
    // every message to the built-in table.
    void LoadCatalog(win::WORD languageId, const std::u16string& installPath);
    bool IsLoaded() const { return m_root != nullptr; }

    // The message in the catalogue's language, else the built-in English text, else empty.
    std::u16string GetString(unsigned id) const;

private:
    core::XmlElement* m_root = nullptr;
};

// Files larger than this are not language files and are not read (the product's are about 3 KB).
// The bound also keeps the time a hostile file can cost the reader within a fraction of a second.
constexpr win::DWORD kMaxLanguageFileSize = 256u << 10;

// The "text" of the first entry whose "id" equals key (ignoring case) in the first element named
// section among the root's children, unescaped; empty when there is none.
core::WideString FindStringEntry(const core::XmlElement* root, core::ByteSpan section, const core::WideString& key);

// Turns backslash-t into a TAB and backslash-n into a line feed, from the start, until a backslash
// followed by anything else, which leaves that backslash and the rest as they are.
core::WideString UnescapeText(core::WideString text);

// The built-in English text of a message; empty when the table has none.
std::u16string BuiltInText(unsigned id);

}  // namespace i18n
