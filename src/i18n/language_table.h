// The languages the product ships, by the language number the installer records in "langid".
#pragma once
#include "platform/types.h"

namespace i18n {

struct LanguageEntry {
    win::WORD id;
    const char16_t* name;      // kept with the row; the uninstaller does not show it
    const char16_t* fileName;  // in the install directory's "lang" subdirectory
};

constexpr int kLanguageCount = 35;
extern const LanguageEntry kLanguageTable[kLanguageCount];

constexpr const char16_t* kEnglishLanguageFile = u"uninst_lang_en_us.xml";

// The file of the first row with that number; the English file when no row has it.
const char16_t* LanguageFileName(win::WORD languageId);

}  // namespace i18n
