// Running the browser plug-in's uninstaller: which program, its command line, and what its
// exit code means.
#include <gtest/gtest.h>

#include "engine/addons/add_on_remover.h"
#include "engine/removal_report.h"
#include "engine/uninstaller.h"
#include "platform/shell.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "support/product_machine.h"

namespace {

constexpr char16_t kInstall[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\";
constexpr char16_t kBase[] = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel";

sim::FileSystem& Fs() { return sim::machine().files; }
std::vector<sim::StartedProcess>& Started() { return sim::machine().system.processes; }

std::vector<std::string> Reports() {
    std::vector<std::string> out;
    for (const auto& line : sim::machine().system.debugOutput) out.push_back(sim::Narrow(line));
    return out;
}

using engine::addons::Attendance;

TEST(PluginUninstaller, StartsTheFirstNameDirectlyWithTheUnquotedPluginDirectoryAndWaitsForIt) {
    engine::RemovalContext context;
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    Fs().AddFile(kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));

    EXPECT_TRUE(engine::addons::AddOnRemover(context, kInstall).RunPluginUninstaller());

    ASSERT_EQ(Started().size(), 1u);
    const sim::StartedProcess& run = Started()[0];
    EXPECT_EQ(run.application, kBase + std::u16string(u"\\UnPDFReaderPlugin.exe")) << "by its full name, no search";
    EXPECT_EQ(run.commandLine, u"\"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\UnPDFReaderPlugin.exe\"  -p "
                               u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\plugins\\");
    EXPECT_EQ(run.currentDirectory, kBase) << "never the user's temporary directory";
    EXPECT_FALSE(run.inheritsHandles);
    EXPECT_TRUE(sim::machine().shell.launches.empty()) << "nothing of the shell";
    EXPECT_EQ(sim::machine().system.openProcessHandles, 0);
}

// The user at the wizard and the product's installer wait for it as long as it takes, and see
// its window; without a window of ours it gets no console (and no console host); with nobody
// there its window is hidden and the wait has a bound.
TEST(PluginUninstaller, ConsoleWindowAndWaitFollowWhoIsThere) {
    engine::RemovalContext context;
    struct Case {
        Attendance attendance;
        win::DWORD flags;
        int show;
        win::DWORD limit;
    };
    const Case cases[] = {
        {Attendance::User, 0, win::SW_SHOW, win::INFINITE},
        {Attendance::Installer, win::DETACHED_PROCESS, win::SW_SHOW, win::INFINITE},
        {Attendance::Nobody, win::DETACHED_PROCESS, win::SW_HIDE, 5 * 60 * 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.attendance));
        sim::Reset();
        Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
        EXPECT_TRUE(engine::addons::AddOnRemover(context, kInstall, c.attendance).RunPluginUninstaller());
        ASSERT_EQ(Started().size(), 1u);
        EXPECT_EQ(Started()[0].creationFlags, c.flags);
        EXPECT_EQ(Started()[0].showWindow, c.show);
        EXPECT_EQ(sim::machine().system.waitTimeouts, std::vector<win::DWORD>{c.limit});
    }
}

// A quiet run goes on without a plug-in uninstaller that does not end (waiting for an answer
// nobody gives): it is reported, counted as failed, and named among what the run left.
TEST(PluginUninstaller, QuietRunLeavesOneThatDoesNotEndAndSaysSo) {
    engine::RemovalContext context;
    const std::u16string program = kBase + std::u16string(u"\\UnPDFReaderPlugin.exe");
    Fs().AddFile(program);
    sim::machine().system.processesNeverEnd = true;

    engine::addons::AddOnRemover remover(context, kInstall, Attendance::Nobody);
    EXPECT_FALSE(remover.RunPluginUninstaller());
    EXPECT_EQ(remover.PluginUninstallerLeftRunning(), program);
    EXPECT_EQ(Reports(), std::vector<std::string>{"Uninstall: Firefox Plugin: still running after five minutes, left running\n"});
    EXPECT_EQ(sim::machine().system.openProcessHandles, 0);

    // Attended, the same program is waited for to its end.
    sim::machine().system.waitTimeouts.clear();
    engine::addons::AddOnRemover attended(context, kInstall, Attendance::Installer);
    EXPECT_TRUE(attended.RunPluginUninstaller());
    EXPECT_TRUE(attended.PluginUninstallerLeftRunning().empty());
}

TEST(PluginUninstaller, ProgramLeftRunningIsAmongWhatTheRunLeft) {
    testing_support::InstallProduct();
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    sim::machine().system.processesNeverEnd = true;
    testing_support::FakeHost host;
    host.unattended = true;
    engine::Uninstaller uninstaller(host);
    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();
    EXPECT_EQ(uninstaller.Outcome().left,
              std::vector<std::u16string>{u"program " + std::u16string(kBase) + u"\\UnPDFReaderPlugin.exe" +
                                          u" (the browser plug-in's uninstaller, still running)"});
}

TEST(PluginUninstaller, FallsBackToTheSecondName) {
    engine::RemovalContext context;
    Fs().AddDirectory(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));  // not a program
    Fs().AddFile(kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));

    EXPECT_TRUE(engine::addons::AddOnRemover(context, kInstall).RunPluginUninstaller());

    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].application, kBase + std::u16string(u"\\UninstallPDFReaderPlugin.exe"));
}

TEST(PluginUninstaller, MissingProgramFailsWithOnlyTheCallersText) {
    engine::RemovalContext context;
    engine::addons::AddOnRemover remover(context, kInstall);
    EXPECT_FALSE(remover.RunPluginUninstaller());
    EXPECT_TRUE(Reports().empty());

    remover.RemoveFirefoxPlugin();
    EXPECT_TRUE(Started().empty());
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports()[0], "Uninstall: Firefox Plugin: Uninstall firefox plugin failed!\n");
}

TEST(PluginUninstaller, ExitCodesMeanSuccessOrFailure) {
    engine::RemovalContext context;
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
        EXPECT_EQ(engine::addons::AddOnRemover(context, kInstall).RunPluginUninstaller(), c.success) << c.code;
        if (c.text)
            EXPECT_EQ(Reports(), (std::vector<std::string>{std::string("Uninstall: Firefox Plugin: ") + c.text + "\n"}))
                << c.code;
        else
            EXPECT_TRUE(Reports().empty()) << c.code;
    }
    EXPECT_EQ(sim::machine().system.openProcessHandles, 0);
}

TEST(PluginUninstaller, ProgramThatCannotBeStartedCountsAsSuccess) {
    engine::RemovalContext context;
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    sim::machine().system.createProcessFails = true;

    EXPECT_TRUE(engine::addons::AddOnRemover(context, kInstall).RunPluginUninstaller());
    EXPECT_EQ(sim::machine().system.processWaits, 0);
    EXPECT_TRUE(Reports().empty());
}

TEST(PluginUninstaller, RunsBeforeThePluginFilesAreDeleted) {
    engine::RemovalContext context;
    Fs().AddFile(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe"));
    Fs().AddFile(kBase + std::u16string(u"\\Plugins\\npOrvikReaderPlugin.dll"));

    engine::addons::AddOnRemover(context, kInstall).RemoveFirefoxPlugin();

    const auto& calls = sim::machine().calls;
    auto launch = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("CreateProcessW", 0) == 0; });
    auto firstDelete = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("DeleteFileW", 0) == 0; });
    EXPECT_LT(launch, firstDelete);
    EXPECT_FALSE(Fs().Exists(kBase + std::u16string(u"\\UnPDFReaderPlugin.exe")));
    EXPECT_FALSE(Fs().Exists(kBase + std::u16string(u"\\Plugins")));
}

}  // namespace
