// Language selection, the catalogue's lookup and fallbacks, and the escapes of message texts.
#include <gtest/gtest.h>

#include <string>

#include "app/uninstall_app.h"
#include "core/strings.h"
#include "i18n/language_table.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"

namespace {

const std::u16string kInstall = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
const std::u16string kGermanFile = kInstall + u"lang\\uninst_lang_de_de.xml";
const std::u16string kEnglishFile = kInstall + u"lang\\uninst_lang_en_us.xml";

std::string Entries(const std::string& entries) {
    return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Language><Strings>" + entries +
           "</Strings></Language>";
}

void AddFile(const std::u16string& path, const std::string& content) { sim::machine().files.AddFile(path, content); }

std::u16string Load(win::WORD language, const std::u16string& installPath, unsigned id) {
    i18n::StringCatalog catalog;
    catalog.LoadCatalog(language, installPath);
    return catalog.GetString(id);
}

TEST(LanguageTable, ThirtyFiveRowsInNumberOrder) {
    ASSERT_EQ(i18n::kLanguageCount, 35);
    for (int i = 0; i < i18n::kLanguageCount; ++i) EXPECT_EQ(i18n::kLanguageTable[i].id, 40802 + i);
    EXPECT_EQ(std::u16string(i18n::LanguageFileName(40816)), u"uninst_lang_de_de.xml");
    EXPECT_EQ(std::u16string(i18n::LanguageFileName(40836)), u"uninst_lang_ga_ie.xml");
    EXPECT_EQ(std::u16string(i18n::LanguageFileName(0)), u"uninst_lang_en_us.xml");
    EXPECT_EQ(std::u16string(i18n::LanguageFileName(40837)), u"uninst_lang_en_us.xml");
}

TEST(ParseLanguageId, ReadsLeadingDecimalDigitsAndKeepsTheLow16Bits) {
    EXPECT_EQ(app::ParseLanguageId(u"40816"), 40816);
    EXPECT_EQ(app::ParseLanguageId(u"106352"), 40816);  // 65536 + 40816
    EXPECT_EQ(app::ParseLanguageId(u"  \t+40816 German"), 40816);
    EXPECT_EQ(app::ParseLanguageId(u"-1"), 65535);
    EXPECT_EQ(app::ParseLanguageId(u"German"), 0);
    EXPECT_EQ(app::ParseLanguageId(u""), 0);
    EXPECT_EQ(app::ParseLanguageId(u"- 5"), 0);
    EXPECT_EQ(app::ParseLanguageId(u"99999999999999999999999"), app::ParseLanguageId(u"9999999999999999999"));
}

TEST(StringCatalog, ChoosesTheFileByLanguageNumber) {
    AddFile(kGermanFile, Entries("<String id=\"5\" text=\"M\xC3\xB6\x63hten Sie?\"/>"));
    AddFile(kEnglishFile, Entries("<String id=\"5\" text=\"From the English file\"/>"));
    EXPECT_EQ(Load(40816, kInstall, 5), u"M\u00f6chten Sie?");
    EXPECT_EQ(Load(app::ParseLanguageId(u"106352"), kInstall, 5), u"M\u00f6chten Sie?");
    EXPECT_EQ(Load(app::ParseLanguageId(u"letters"), kInstall, 5), u"From the English file");
    EXPECT_EQ(Load(12345, kInstall, 5), u"From the English file");
    EXPECT_EQ(Load(40816, kInstall, 4), i18n::BuiltInText(4));  // not in the file
}

TEST(StringCatalog, SuppliesTheSeparatorARecordLacks) {
    AddFile(kGermanFile, Entries("<String id=\"5\" text=\"Deutsch\"/>"));
    AddFile(kInstall.substr(0, kInstall.size() - 1) + u"lang\\uninst_lang_de_de.xml",
            Entries("<String id=\"5\" text=\"Sibling\"/>"));
    EXPECT_EQ(Load(40816, kInstall.substr(0, kInstall.size() - 1), 5), u"Deutsch");
    EXPECT_EQ(Load(40816, kInstall, 5), u"Deutsch");
}

TEST(StringCatalog, FallsBackToBuiltInTextsWhenTheFileCannotBeUsed) {
    const std::u16string builtIn = i18n::BuiltInText(5);
    ASSERT_EQ(builtIn, u"Are you sure you want to uninstall Orvik Pendrel?");
    AddFile(kGermanFile, Entries("<String id=\"5\" text=\"Deutsch\"/>"));
    // Without an install directory nothing is read, not even from the current directory.
    AddFile(u"lang\\uninst_lang_de_de.xml", Entries("<String id=\"5\" text=\"Forged\"/>"));
    EXPECT_EQ(Load(40816, u"", 5), builtIn);
    EXPECT_EQ(sim::machine().CountCalls("CreateFileW"), 0u);

    const std::string unusable[] = {"", "just text, no markup", "</Language>", "<!DOCTYPE x><Language/>",
                                    "<Language broken attr='1'><Strings><String id='5' text='x'/></Strings></Language>"};
    for (const std::string& content : unusable) {
        sim::Reset();
        AddFile(kGermanFile, content);
        i18n::StringCatalog catalog;
        catalog.LoadCatalog(40816, kInstall);
        EXPECT_EQ(catalog.GetString(5), builtIn) << content;
    }

    sim::Reset();
    i18n::StringCatalog missing;
    missing.LoadCatalog(40816, kInstall);  // German missing: the English file is not tried either
    EXPECT_FALSE(missing.IsLoaded());
    EXPECT_EQ(missing.GetString(5), builtIn);
    EXPECT_EQ(missing.GetString(7), u"");  // in neither source
}

TEST(StringCatalog, OversizedFilesAreNotRead) {
    std::string big = Entries("<String id=\"5\" text=\"Deutsch\"/>");
    big.append(i18n::kMaxLanguageFileSize, ' ');
    AddFile(kGermanFile, big);
    i18n::StringCatalog catalog;
    catalog.LoadCatalog(40816, kInstall);
    EXPECT_FALSE(catalog.IsLoaded());
}

TEST(StringCatalog, FirstStringsSectionAndFirstMatchingEntryWin) {
    AddFile(kGermanFile,
            "<Language><Other><String id='5' text='not a section'/></Other>"
            "<p:Strings xmlns:p='u'>"
            "  <String id='05' text='leading zero'/><String id='+5' text='sign'/><String id=' 5' text='blank'/>"
            "  <String text='no id'/>text between<String id='5' text='first'/><String id='5' text='second'/>"
            "  <String id='8' text=''/><String id='6'/>"
            "</p:Strings>"
            "<Strings><String id='4' text='second section'/><String id='5' text='also second'/></Strings>"
            "</Language>");
    i18n::StringCatalog catalog;
    catalog.LoadCatalog(40816, kInstall);
    EXPECT_EQ(catalog.GetString(5), u"first");
    EXPECT_EQ(catalog.GetString(4), i18n::BuiltInText(4));  // only in the second section
    EXPECT_EQ(catalog.GetString(8), i18n::BuiltInText(8));  // empty text
    EXPECT_EQ(catalog.GetString(6), i18n::BuiltInText(6));  // no text
}

TEST(StringCatalog, KeepsItsTextsAfterTheFileIsGone) {
    AddFile(kGermanFile, Entries("<String id=\"8\" text=\"Entfernt.\"/>"));
    i18n::StringCatalog catalog;
    catalog.LoadCatalog(40816, kInstall);
    ASSERT_NE(sim::machine().files.Find(kInstall + u"lang"), nullptr);
    sim::machine().files.Find(kInstall + u"lang")->children.clear();
    EXPECT_EQ(catalog.GetString(8), u"Entfernt.");
}

TEST(StringCatalog, ResolvesReferencesAndEscapes) {
    AddFile(kGermanFile, Entries("<String id=\"4\" text=\"zwei\\nZeilen\"/>"
                                 "<String id=\"13\" text=\"A &amp; B\\tC &#x263A; \\\\n bleibt\"/>"));
    i18n::StringCatalog catalog;
    catalog.LoadCatalog(40816, kInstall);
    EXPECT_EQ(catalog.GetString(4), u"zwei\nZeilen");
    EXPECT_EQ(catalog.GetString(13), u"A & B\tC \u263a \\\\n bleibt");
}

std::u16string Unescape(const char16_t* text) {
    const core::WideString result = i18n::UnescapeText(core::WideString(text));
    return std::u16string(result.GetChars(), static_cast<std::size_t>(result.GetLength()));
}

TEST(UnescapeText, TabAndLineFeedUntilTheFirstOtherEscape) {
    EXPECT_EQ(Unescape(u"a\\tb\\nc"), u"a\tb\nc");
    EXPECT_EQ(Unescape(u"C:\\new\\temp"), u"C:\new\temp");  // an escape wherever it stands
    EXPECT_EQ(Unescape(u"a\\\\nb\\n"), u"a\\\\nb\\n");      // a doubled backslash stops at once
    EXPECT_EQ(Unescape(u"x\\ny\\qz\\n"), u"x\ny\\qz\\n");   // an unknown escape keeps the rest
    EXPECT_EQ(Unescape(u"end\\"), u"end\\");
    EXPECT_EQ(Unescape(u"\\n"), u"\n");
    EXPECT_EQ(Unescape(u"plain"), u"plain");
    EXPECT_EQ(Unescape(u""), u"");
}

}  // namespace
