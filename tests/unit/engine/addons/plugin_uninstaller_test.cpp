// Running the browser plug-in's uninstaller: which program, its command line, and what its
// exit code means.
#include <gtest/gtest.h>

#include "engine/addons/add_on_remover.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"

namespace {

constexpr char16_t kInstall[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
constexpr char16_t kBase[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";

sim::FileSystem& Fs() { return sim::machine().files; }
std::vector<sim::ShellLaunch>& Launches() { return sim::machine().shell.launches; }

std::vector<std::string> Reports() {
    std::vector<std::string> out;
    for (const auto& line : sim::machine().system.debugOutput) out.push_back(sim::Narrow(line));
    return out;
}

TEST(PluginUninstaller, StartsTheFirstNameWithTheUnquotedPluginDirectoryAndWaitsForIt) {
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    Fs().AddFile(kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));

    EXPECT_TRUE(engine::addons::AddOnRemover(kInstall).RunPluginUninstaller());

    ASSERT_EQ(Launches().size(), 1u);
    const sim::ShellLaunch& run = Launches()[0];
    EXPECT_TRUE(run.extended);
    EXPECT_EQ(run.file, kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    EXPECT_EQ(run.parameters, u" -p C:\\Program Files\\Orvik Software\\Orvik Pendrel\\plugins\\");
    EXPECT_EQ(run.verb, u"");
    EXPECT_EQ(run.directory, kBase) << "never the user's temporary directory";
    EXPECT_EQ(run.show, win::SW_SHOW);
    EXPECT_EQ(sim::machine().system.waitTimeouts, (std::vector<win::DWORD>{win::INFINITE}));
    EXPECT_EQ(sim::machine().system.openProcessHandles, 0);
}

// Run by the installer nobody answers a shell error box, so the shell is told to show none.
TEST(PluginUninstaller, SilentRemovalAsksTheShellForNoErrorBox) {
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    engine::addons::AddOnRemover(kInstall, true).RunPluginUninstaller();
    engine::addons::AddOnRemover(kInstall, false).RunPluginUninstaller();
    ASSERT_EQ(Launches().size(), 2u);
    EXPECT_EQ(Launches()[0].mask, win::SEE_MASK_NOCLOSEPROCESS | win::SEE_MASK_FLAG_NO_UI);
    EXPECT_EQ(Launches()[1].mask, win::SEE_MASK_NOCLOSEPROCESS);
}

TEST(PluginUninstaller, FallsBackToTheSecondName) {
    Fs().AddDirectory(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));  // not a program
    Fs().AddFile(kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));

    EXPECT_TRUE(engine::addons::AddOnRemover(kInstall).RunPluginUninstaller());

    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].file, kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));
}

TEST(PluginUninstaller, MissingProgramFailsWithOnlyTheCallersText) {
    engine::addons::AddOnRemover remover(kInstall);
    EXPECT_FALSE(remover.RunPluginUninstaller());
    EXPECT_TRUE(Reports().empty());

    remover.RemoveFirefoxPlugin();
    EXPECT_TRUE(Launches().empty());
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports()[0], "Uninstall: Firefox Plugin: Uninstall firefox plugin failed!\n");
}

TEST(PluginUninstaller, ExitCodesMeanSuccessOrFailure) {
    struct Case {
        win::DWORD code;
        bool success;
        const char* text;
    };
    const Case cases[] = {
        {0, true, nullptr},
        {1, true, "mozilla firefox is not installed"},
        {2, false, "the path is not correct"},
        {3, false, "password is not correct"},
        {4, false, "no much space for installation"},
        {5, false, "register orvikpdfreadercontrol.dll unsucessfully"},
        {6, false, "compression files are destroyed"},
        {7, false, "undefined"},
        {8, true, "Opera is not installed"},
        {9, false, "Opera and firefox are not installed"},
        {10, false, nullptr},
        {0xFFFFFFFF, false, nullptr},  // -1 read as unsigned
        {0xC0000005, false, nullptr},  // the program crashed
    };
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    for (const Case& c : cases) {
        sim::machine().system.debugOutput.clear();
        sim::machine().system.exitCodes = {c.code};
        EXPECT_EQ(engine::addons::AddOnRemover(kInstall).RunPluginUninstaller(), c.success) << c.code;
        if (c.text)
            EXPECT_EQ(Reports(), (std::vector<std::string>{std::string("Uninstall: Firefox Plugin: ") + c.text + "\n"}))
                << c.code;
        else
            EXPECT_TRUE(Reports().empty()) << c.code;
    }
    EXPECT_EQ(sim::machine().system.openProcessHandles, 0);
}

TEST(PluginUninstaller, ProgramThatCannotBeStartedCountsAsSuccess) {
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    sim::machine().shell.shellExecuteFails = true;

    EXPECT_TRUE(engine::addons::AddOnRemover(kInstall).RunPluginUninstaller());
    EXPECT_EQ(sim::machine().system.processWaits, 0);
    EXPECT_TRUE(Reports().empty());
}

TEST(PluginUninstaller, RunsBeforeThePluginFilesAreDeleted) {
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    Fs().AddFile(kBase + std::u16string(u"\\Plugins\\npOrvikReaderPlugin.dll"));

    engine::addons::AddOnRemover(kInstall).RemoveFirefoxPlugin();

    const auto& calls = sim::machine().calls;
    auto launch = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("ShellExecuteExW", 0) == 0; });
    auto firstDelete = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("DeleteFileW", 0) == 0; });
    EXPECT_LT(launch, firstDelete);
    EXPECT_FALSE(Fs().Exists(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe")));
    EXPECT_FALSE(Fs().Exists(kBase + std::u16string(u"\\Plugins")));
}

}  // namespace
