// Message texts by number: the product's language file first, the built-in English table after.
#pragma once
#include <string>

#include "platform/types.h"

namespace i18n {

class StringCatalog {
public:
    void LoadCatalog(win::WORD languageId, const std::u16string& installPath);
    std::u16string GetString(unsigned id) const;
};

// The built-in English text of a message; empty when the table has none.
std::u16string BuiltInText(unsigned id);

}  // namespace i18n
