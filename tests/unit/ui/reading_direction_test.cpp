// Right-to-left languages: the Arabic and Hebrew texts give boxes that read from the right and a
// mirrored wizard; every other language keeps the boxes and the wizard exactly as they were.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

#include "core/xml.h"
#include "i18n/language_table.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"
#include "support/product_machine.h"
#include "ui/message_box.h"
#include "ui/reading_direction.h"
#include "ui/uninstall_dialog.h"
#include "ui/wizard_windows.h"

namespace {

using sim::machine;
using wizard_windows::Control;
using wizard_windows::DialogWindow;

constexpr unsigned kTextsUsed[] = {4, 5, 8, 9, 10, 12};

// The texts of a shipped language file, as the catalogue gives them.
std::string Narrow(const char16_t* text) { return std::string(text, text + std::char_traits<char16_t>::length(text)); }

std::map<unsigned, std::u16string> ShippedTexts(const char16_t* fileName) {
    const std::string name = Narrow(fileName);
    std::string content;
    if (FILE* file = std::fopen((std::string(UNINSTALL_SOURCE_DIR) + "/data/lang/" + name).c_str(), "rb")) {
        char chunk[4096];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) content.append(chunk, n);
        std::fclose(file);
    }
    std::map<unsigned, std::u16string> texts;
    core::XmlElement* root = core::ParseXml(content.data(), static_cast<std::int32_t>(content.size()));
    if (!root) return texts;
    for (unsigned id : kTextsUsed) {
        const std::string digits = std::to_string(id);
        const core::WideString text =
            i18n::FindStringEntry(root, "Strings", core::WideString(std::u16string(digits.begin(), digits.end()).c_str()));
        texts[id] = std::u16string(text.GetChars(), static_cast<std::size_t>(text.GetLength()));
    }
    core::DeleteXmlElement(root);
    return texts;
}

struct CatalogueHost : testing_support::FakeHost {
    explicit CatalogueHost(std::map<unsigned, std::u16string> catalogue) : texts(std::move(catalogue)) {
        silent = false;
    }
    std::u16string GetMessageText(unsigned id) override {
        auto it = texts.find(id);
        return it != texts.end() ? it->second : i18n::BuiltInText(id);
    }
    std::map<unsigned, std::u16string> texts;
};

bool IsRightToLeftLanguage(const char16_t* fileName) {
    const std::u16string name(fileName);
    return name == u"uninst_lang_ar_ae.xml" || name == u"uninst_lang_he_il.xml";
}

TEST(ReadingDirection, FirstLetterDecides) {
    const std::pair<const char16_t*, bool> cases[] = {
        {u"", false},
        {u"Orvik Pendrel Uninstall Wizard", false},
        {u"1. ...", false},
        {u"Orvik Pendrel הוסר בהצלחה.", false},  // a Hebrew text that begins with the product's name
        {u"אשף ההסרה של Orvik Pendrel", true},
        {u"«معالج» Orvik", true},
        {u"123 ...معالج", true},
        {u"Ελληνικά", false},
        {u"Мастер", false},
        {u"アンインストール", false},
        {u"ﻣﻌﺎﻟﺞ", true},  // Arabic presentation forms
    };
    int index = 0;
    for (const auto& [text, rightToLeft] : cases) EXPECT_EQ(ui::IsRightToLeftText(text), rightToLeft) << "case " << index++;
}

TEST(ReadingDirection, ArabicAndHebrewBoxesReadFromTheRightAndNoOthers) {
    for (const i18n::LanguageEntry& language : i18n::kLanguageTable) {
        sim::Reset();
        const auto texts = ShippedTexts(language.fileName);
        ASSERT_FALSE(texts.at(12).empty());
        ui::AskToUninstall(texts.at(5), texts.at(12));
        ui::ShowBox(nullptr, engine::BoxKind::Warning, texts.at(8), texts.at(12));
        ui::ShowBox(nullptr, engine::BoxKind::RetryOrCancel, texts.at(8), texts.at(12));
        const auto& boxes = machine().windows.boxes;
        ASSERT_EQ(boxes.size(), 3u);
        const win::UINT reading = IsRightToLeftLanguage(language.fileName) ? win::MB_RTLREADING | win::MB_RIGHT : 0;
        const std::string name = Narrow(language.fileName);
        EXPECT_EQ(boxes[0].type, win::MB_YESNO | win::MB_ICONWARNING | reading) << name;
        EXPECT_EQ(boxes[1].type, win::MB_OK | win::MB_ICONWARNING | reading) << name;
        EXPECT_EQ(boxes[2].type, win::MB_OKCANCEL | reading) << name;
    }
}

TEST(ReadingDirection, ArabicAndHebrewMirrorTheWizardAndNoOtherLanguage) {
    for (const i18n::LanguageEntry& language : i18n::kLanguageTable) {
        sim::Reset();
        CatalogueHost host(ShippedTexts(language.fileName));
        ui::UninstallDialog dialog(host);
        ASSERT_EQ(dialog.DoModal(), win::IDOK);
        const std::string name = Narrow(language.fileName);
        const bool rightToLeft = IsRightToLeftLanguage(language.fileName);
        EXPECT_EQ(dialog.IsMirrored(), rightToLeft) << name;

        const win::LONG_PTR mirrored = rightToLeft ? win::WS_EX_LAYOUTRTL : 0;
        const win::LONG_PTR reading = rightToLeft ? win::WS_EX_LAYOUTRTL | win::WS_EX_RTLREADING : 0;
        EXPECT_EQ(DialogWindow()->exStyle, reading) << name;
        EXPECT_EQ(Control(ui::kBannerControl)->exStyle, reading) << name;
        EXPECT_EQ(Control(ui::kStatusControl)->exStyle, reading) << name;
        EXPECT_EQ(Control(ui::kProgressControl)->exStyle, mirrored) << name << ": the bar fills from the right";
        EXPECT_EQ(Control(ui::kLinkControl)->exStyle, reading) << name;
        // Mirroring is the system's: the layout's rectangles are the same, counted from the right.
        EXPECT_EQ(Control(ui::kStatusControl)->x, 16) << name;
        ASSERT_EQ(machine().windows.boxes.size(), 1u);
        EXPECT_EQ(machine().windows.boxes[0].type & (win::MB_RTLREADING | win::MB_RIGHT),
                  rightToLeft ? win::MB_RTLREADING | win::MB_RIGHT : 0u)
            << name;
    }
}

}  // namespace
