#include "i18n/string_catalog.h"

#include "platform/resources.h"

namespace i18n {

void StringCatalog::LoadCatalog(win::WORD, const std::u16string&) {}

std::u16string StringCatalog::GetString(unsigned id) const { return BuiltInText(id); }

std::u16string BuiltInText(unsigned id) {
    char16_t buffer[1024];
    int length = win::LoadStringW(nullptr, id, buffer, 1024);
    return std::u16string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

}  // namespace i18n
