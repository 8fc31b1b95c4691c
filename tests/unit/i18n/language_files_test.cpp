// Every language file the product ships parses with the program's own reader and supplies every
// message the program asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core/xml.h"
#include "i18n/language_table.h"
#include "i18n/string_catalog.h"

namespace {

std::string ReadShippedFile(const std::string& name) {
    const std::string path = std::string(UNINSTALL_SOURCE_DIR) + "/data/lang/" + name;
    std::string content;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
        std::fclose(file);
    }
    return content;
}

std::string Narrow(const char16_t* text) {
    std::string out;
    for (; *text; ++text) out += static_cast<char>(*text);
    return out;
}

TEST(ShippedLanguageFiles, EverySupplyEveryRequestedMessage) {
    const unsigned requested[] = {1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 15, 20, 21};
    for (const i18n::LanguageEntry& language : i18n::kLanguageTable) {
        const std::string name = Narrow(language.fileName);
        const std::string content = ReadShippedFile(name);
        ASSERT_FALSE(content.empty()) << name;
        core::XmlElement* root = core::ParseXml(content.data(), static_cast<std::int32_t>(content.size()));
        ASSERT_NE(root, nullptr) << name;
        for (unsigned id : requested) {
            const std::string digits = std::to_string(id);
            const core::WideString idText(std::u16string(digits.begin(), digits.end()).c_str());
            const core::WideString text = i18n::FindStringEntry(root, "Strings", idText);
            EXPECT_FALSE(text.IsEmpty()) << name << " lacks message " << id;
            const std::u16string value(text.GetChars(), static_cast<std::size_t>(text.GetLength()));
            if (id == 9 || id == 10 || (id >= 20 && name == "uninst_lang_en_us.xml")) {
                EXPECT_EQ(value, i18n::BuiltInText(id)) << name;
            }
            if (id >= 13 && id <= 15) {
                EXPECT_EQ(std::count(value.begin(), value.end(), u'\n'), 2) << name << " message " << id;
            }
            EXPECT_EQ(value.find(u'\\'), std::u16string::npos) << name << " message " << id;
            EXPECT_EQ(value.find(u'\0'), std::u16string::npos) << name << " message " << id;
        }
        core::DeleteXmlElement(root);
    }
}

}  // namespace
