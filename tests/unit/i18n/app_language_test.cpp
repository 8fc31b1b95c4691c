// The application's messages follow the recorded language from start-up on.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/uninstall_app.h"
#include "engine/product.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

const std::u16string kInstall = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";

void InstallGermanProduct() {
    sim::Machine& m = sim::machine();
    m.registry.SetString(win::HKEY_LOCAL_MACHINE, engine::product::kProductKey, engine::product::kInstallPathValue, kInstall);
    m.registry.SetString(win::HKEY_CURRENT_USER, engine::product::kLanguageKey, engine::product::kLanguageValue, u"40816");
    m.files.AddFile(kInstall + u"lang\\uninst_lang_de_de.xml",
                    "<Language><Strings><String id='5' text='Wirklich deinstallieren?'/>"
                    "<String id='12' text='Deinstallations-Assistent'/></Strings></Language>");
}

TEST(AppLanguage, ConfirmationUsesTheRecordedLanguage) {
    InstallGermanProduct();
    sim::machine().windows.answers.push_back(win::IDNO);
    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow");
    EXPECT_FALSE(app.InitInstance());
    // The recorded number, 40816, names the German file: that is the one read.
    const std::vector<std::string> opened = sim::machine().CallsTo("CreateFileW");
    EXPECT_NE(std::find(opened.begin(), opened.end(), sim::Narrow(kInstall) + "lang\\uninst_lang_de_de.xml"), opened.end());
    ASSERT_FALSE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(sim::machine().windows.boxes[0].text, u"Wirklich deinstallieren?");
    EXPECT_EQ(sim::machine().windows.boxes[0].caption, u"Deinstallations-Assistent");
}

const std::string kForgedFile =
    "<Language><Strings><String id='5' text='Forged question'/><String id='12' text='Forged caption'/></Strings></Language>";

std::u16string ConfirmationCaptionAtStartUp() {
    sim::machine().windows.answers.push_back(win::IDNO);
    app::UninstallApp app;
    app.SetCommandLine(u"-DeletingNow");
    app.InitInstance();
    if (sim::machine().windows.boxes.empty()) return u"(no box)";
    return sim::machine().windows.boxes[0].caption;
}

TEST(AppLanguage, RecordWithoutTrailingBackslashStillFindsTheLanguageFile) {
    InstallGermanProduct();
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, engine::product::kProductKey, engine::product::kInstallPathValue,
                                      kInstall.substr(0, kInstall.size() - 1));
    EXPECT_EQ(ConfirmationCaptionAtStartUp(), u"Deinstallations-Assistent");
}

TEST(AppLanguage, RecordInAnotherSpellingFindsTheLanguageFile) {
    InstallGermanProduct();
    sim::machine().registry.SetString(win::HKEY_LOCAL_MACHINE, engine::product::kProductKey, engine::product::kInstallPathValue,
                                      u"C:/Program Files/Orvik Software/Orvik Pendrel//");
    EXPECT_EQ(ConfirmationCaptionAtStartUp(), u"Deinstallations-Assistent");
}

// Texts of the elevated uninstaller come from the product's own directory or from nowhere: never
// from the current, temporary or profile directory, nor from a root a bad record names.
TEST(AppLanguage, WithoutAUsableRecordForgedFilesAreNotRead) {
    const std::u16string records[] = {u"", u"C:\\", u"lang\\..", u"C:\\Users\\user", u"C:\\" + std::u16string(300, u'a')};
    for (const std::u16string& stored : records) {
        SCOPED_TRACE(sim::Narrow(stored));
        sim::Reset();
        InstallGermanProduct();
        sim::Machine& m = sim::machine();
        m.registry.SetString(win::HKEY_LOCAL_MACHINE, engine::product::kProductKey, engine::product::kInstallPathValue, stored);
        m.files.currentDirectory = m.system.tempPath.substr(0, m.system.tempPath.size() - 1);
        for (const std::u16string& directory : {m.system.tempPath, std::u16string(u"C:\\Users\\user\\"),
                                                std::u16string(u"C:\\")})
            m.files.AddFile(directory + u"lang\\uninst_lang_de_de.xml", kForgedFile);
        EXPECT_EQ(ConfirmationCaptionAtStartUp(), i18n::BuiltInText(engine::product::kMsgCaption));
        for (const auto& opened : m.CallsTo("CreateFileW")) EXPECT_EQ(opened.find("lang"), std::string::npos) << opened;
    }
}

TEST(AppLanguage, SecondInstanceLooksForTheEnglishCaption) {
    InstallGermanProduct();
    sim::Machine& m = sim::machine();
    m.system.existingMutexes.insert(engine::product::kMutexName);
    const win::HWND german = m.windows.AddWindow(u"Deinstallations-Assistent");
    const win::HWND english = m.windows.AddWindow(i18n::BuiltInText(engine::product::kMsgCaption));
    app::UninstallApp app;
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(m.windows.windows[english].broughtToTop);
    EXPECT_FALSE(m.windows.windows[german].broughtToTop);
    EXPECT_TRUE(m.windows.boxes.empty());
}

}  // namespace
