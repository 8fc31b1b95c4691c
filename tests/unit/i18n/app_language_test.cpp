// The application's messages follow the recorded language from start-up on.
#include <gtest/gtest.h>

#include "app/uninstall_app.h"
#include "engine/product.h"
#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"

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
    app.m_lpCmdLine = u"-DeletingNow";
    EXPECT_FALSE(app.InitInstance());
    EXPECT_EQ(app.m_wLangId, 40816);
    ASSERT_FALSE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(sim::machine().windows.boxes[0].text, u"Wirklich deinstallieren?");
    EXPECT_EQ(sim::machine().windows.boxes[0].caption, u"Deinstallations-Assistent");
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
