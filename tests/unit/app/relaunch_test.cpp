// The installed copy hands the work to a copy in the temporary directory; that copy deletes
// itself through the command interpreter at the end.
#include <gtest/gtest.h>

#include <string>

#include "app/uninstall_app.h"
#include "platform/sim/machine.h"
#include "platform/sim/text.h"
#include "platform/window.h"

namespace {

const std::u16string kInstalled = u"C:\\Program Files\\Orvik Software\\Orvik Pendrel\\Uninstall.exe";
const std::u16string kTemp = u"C:\\Users\\user\\AppData\\Local\\Temp\\";
const std::u16string kCopy = kTemp + u"orv1A2B.exe";  // the simulated system's first free number

std::string N(const std::u16string& text) { return sim::Narrow(text); }

class Relaunch : public testing::Test {
protected:
    void SetUp() override {
        sim::machine().files.AddFile(kInstalled, "MZ uninstaller");
        RunFrom(kInstalled);
    }
    void RunFrom(const std::u16string& module) { sim::machine().system.modulePath = module; }
    const std::vector<sim::StartedProcess>& Started() { return sim::machine().system.processes; }

    app::UninstallApp app;
};

TEST_F(Relaunch, InstalledCopyStartsAnOrvExeCopyOfItselfFromTheTemporaryDirectory) {
    EXPECT_TRUE(app.RelaunchFromTempCopy());

    auto& m = sim::machine();
    ASSERT_NE(m.files.Find(kCopy), nullptr);
    EXPECT_EQ(m.files.Find(kCopy)->content, "MZ uninstaller");
    EXPECT_FALSE(m.files.Exists(kTemp + u"orv1A2B.tmp")) << "the reserved name is not left behind";
    // The reserved file goes before the copy is made.
    EXPECT_EQ(m.CallsTo("DeleteFileW"), std::vector<std::string>{N(kTemp + u"orv1A2B.tmp")});

    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].application), "");
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kCopy + u"\"-DeletingNow"));
    EXPECT_EQ(N(Started()[0].currentDirectory), N(kTemp)) << "must not hold the install directory";
    EXPECT_EQ(m.system.openProcessHandles, 0) << "the copy is not tracked";
}

TEST_F(Relaunch, SilentModePassesItsSwitchRightAfterDeletingNow) {
    app.m_bSilent = true;
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(N(Started()[0].commandLine), N(u"\"" + kCopy + u"\"-DeletingNow-UninstForInst"));
}

TEST_F(Relaunch, ExecutableDirectlyInTheTemporaryDirectoryDoesTheWorkItself) {
    sim::machine().files.AddFile(kCopy);
    RunFrom(kCopy);
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(sim::machine().CountCalls("CopyFileW"), 0u);
    EXPECT_EQ(sim::machine().CountCalls("GetTempFileNameW"), 0u);
}

TEST_F(Relaunch, SameTemporaryDirectoryInShortLongOrOtherCaseFormIsRecognised) {
    auto& m = sim::machine();
    m.files.Find(u"C:\\Users\\user\\AppData")->shortName = u"APPDAT~1";
    m.files.AddFile(kCopy);
    struct Forms {
        std::u16string temp, module;
    } cases[] = {
        {u"C:\\Users\\user\\APPDAT~1\\Local\\Temp\\", kCopy},                   // short TMP, long module
        {kTemp, u"C:\\Users\\user\\APPDAT~1\\Local\\Temp\\orv1A2B.exe"},        // long TMP, short module
        {u"c:\\users\\USER\\appdata\\local\\temp\\", kCopy},                    // letter case
        {u"C:\\Users\\user\\AppData\\Local\\Temp", kCopy},                      // no final backslash
    };
    for (const auto& forms : cases) {
        m.system.tempPath = forms.temp;
        RunFrom(forms.module);
        EXPECT_FALSE(app.RelaunchFromTempCopy()) << N(forms.temp) << " / " << N(forms.module);
    }
    EXPECT_TRUE(Started().empty());
}

TEST_F(Relaunch, ExecutableInASubdirectoryOfTheTemporaryDirectoryIsStillRelaunched) {
    const std::u16string unpacked = kTemp + u"OrvikSetup\\Uninstall.exe";
    sim::machine().files.AddFile(unpacked);
    RunFrom(unpacked);
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(Relaunch, ACopyStartedWithDeletingNowNeverStartsAnother) {
    // For instance a temporary directory reached through a path that does not normalise to the
    // executable's own: the switch still ends the chain.
    app.m_bDeletingNow = app::ParseSwitches(u"-DeletingNow-UninstForInst").deletingNow;
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
}

TEST_F(Relaunch, FailuresStillEndTheInstalledCopyAndLeaveNothingBehind) {
    auto& m = sim::machine();
    {
        SCOPED_TRACE("no temporary name");
        m.system.failTempFileName = true;
        EXPECT_TRUE(app.RelaunchFromTempCopy());
        m.system.failTempFileName = false;
    }
    {
        // Only the ".tmp" name is reserved: an "orv1A2B.exe" of an earlier run, still running,
        // cannot be overwritten, and it must not be started in place of this program.
        SCOPED_TRACE("copy fails");
        m.files.AddFile(kCopy, "an earlier version").inUse = true;
        EXPECT_TRUE(app.RelaunchFromTempCopy());
        EXPECT_EQ(m.files.Find(kCopy)->content, "an earlier version");
    }
    EXPECT_EQ(m.CountCalls("CreateProcessW"), 0u);
    {
        SCOPED_TRACE("start fails: the useless copy goes again");
        m.system.createProcessFails = true;
        EXPECT_TRUE(app.RelaunchFromTempCopy());
        EXPECT_EQ(m.CountCalls("CreateProcessW"), 1u);
    }
    EXPECT_EQ(m.files.List(kTemp), std::vector<std::u16string>{u"orv1A2B.exe"}) << "only the earlier copy";
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(m.windows.boxes.empty());
}

TEST_F(Relaunch, TemporaryDirectoryTooLongForACopyLeavesTheWorkToTheInstalledCopy) {
    auto& m = sim::machine();
    const std::u16string deep = u"C:\\T\\" + std::u16string(230, u'x') + u"\\";
    for (std::u16string temp : {deep + std::u16string(12, u'y') + u"\\", deep + std::u16string(300, u'z') + u"\\"}) {
        m.files.AddDirectory(temp);
        m.system.tempPath = temp;
        EXPECT_FALSE(app.RelaunchFromTempCopy()) << temp.size();
    }
    EXPECT_EQ(m.CountCalls("GetTempFileNameW"), 0u);
    EXPECT_TRUE(Started().empty());
}

TEST_F(Relaunch, CommandLineLongerThanAPathIsPassedWhole) {
    // The longest temporary directory that still holds a copy name.
    auto& m = sim::machine();
    const std::u16string temp = u"C:\\T\\" + std::u16string(240, u'x') + u"\\";
    ASSERT_EQ(temp.size(), 246u);
    m.files.AddDirectory(temp);
    m.system.tempPath = temp;
    app.m_bSilent = true;
    EXPECT_TRUE(app.RelaunchFromTempCopy());
    ASSERT_EQ(Started().size(), 1u);
    const std::u16string expected = u"\"" + temp + u"orv1A2B.exe\"-DeletingNow-UninstForInst";
    EXPECT_GT(expected.size(), 262u);
    EXPECT_EQ(N(Started()[0].commandLine), N(expected));
}

TEST_F(Relaunch, ExecutablePathTooLongToCopyLeavesTheWorkToItself) {
    const std::u16string deep = u"C:\\" + std::u16string(250, u'd') + u"\\Uninstall.exe";
    RunFrom(deep);
    EXPECT_FALSE(app.RelaunchFromTempCopy());
    EXPECT_TRUE(Started().empty());
}

class DeleteSelf : public testing::Test {
protected:
    void RunFrom(const std::u16string& module) {
        sim::machine().files.AddFile(module);
        sim::machine().system.modulePath = module;
    }
    app::UninstallApp app;
};

TEST_F(DeleteSelf, HandsAQuotedDeletionOfTheShortPathToTheInterpreterHidden) {
    auto& m = sim::machine();
    RunFrom(u"C:\\Users\\John Smith\\AppData\\Local\\Temp\\orv1A2B.exe");
    m.files.Find(u"C:\\Users\\John Smith")->shortName = u"JOHNSM~1";
    const std::u16string shortPath = u"C:\\Users\\JOHNSM~1\\AppData\\Local\\Temp\\orv1A2B.exe";

    EXPECT_TRUE(app.DeleteSelf());
    ASSERT_EQ(m.system.processes.size(), 1u);
    const auto& started = m.system.processes[0];
    EXPECT_EQ(N(started.application), "C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(N(started.commandLine),
              N(u"\"C:\\windows\\system32\\cmd.exe\" /c del \"" + shortPath + u"\" > nul"));
    EXPECT_EQ(N(started.currentDirectory), "");
    // Without a console: the interpreter costs no console host, and nothing shows.
    EXPECT_EQ(started.creationFlags, win::DETACHED_PROCESS);
    EXPECT_EQ(m.system.openProcessHandles, 0);
    EXPECT_TRUE(m.shell.launches.empty());
    ASSERT_EQ(m.shell.notifications.size(), 1u);
    EXPECT_EQ(m.shell.notifications[0].event, win::SHCNE_DELETE);
    EXPECT_EQ(m.shell.notifications[0].flags, win::SHCNF_PATHW);
    EXPECT_EQ(N(m.shell.notifications[0].path), N(shortPath));
}

TEST_F(DeleteSelf, PathWithBlanksAndNoShortNamesStaysOneArgument) {
    const std::u16string path = u"C:\\Users\\John Smith\\AppData\\Local\\Temp\\orv1A2B.exe";
    RunFrom(path);
    EXPECT_TRUE(app.DeleteSelf());
    ASSERT_EQ(sim::machine().system.processes.size(), 1u);
    EXPECT_EQ(N(sim::machine().system.processes[0].commandLine),
              N(u"\"C:\\windows\\system32\\cmd.exe\" /c del \"" + path + u"\" > nul"));
}

TEST_F(DeleteSelf, NothingIsStartedOrAnnouncedWhenTheCommandCannotBeMadeOrRun) {
    struct Case {
        const char* what;
        void (*arrange)(sim::Machine&);
        bool interpreterCalled;
    } cases[] = {
        {"COMSPEC missing", [](sim::Machine& m) { m.system.environment.clear(); }, false},
        {"COMSPEC too long",
         [](sim::Machine& m) { m.system.environment[u"COMSPEC"] = std::u16string(300, u'c'); }, false},
        {"interpreter fails to start", [](sim::Machine& m) { m.system.createProcessFails = true; }, true},
        {"short path fails", [](sim::Machine& m) { m.system.failShortPath = true; }, false},
        {"module path unknown", [](sim::Machine& m) { m.system.modulePath.clear(); }, false},
        {"module path too long",
         [](sim::Machine& m) { m.system.modulePath = u"C:\\" + std::u16string(300, u'p'); }, false},
        {"path the interpreter would expand",
         [](sim::Machine& m) {
             const std::u16string odd = u"C:\\Users\\%TEMP%\\orv1A2B.exe";
             m.files.AddFile(odd);
             m.system.modulePath = odd;
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Reset();
        RunFrom(kCopy);
        c.arrange(sim::machine());
        EXPECT_FALSE(app.DeleteSelf());
        EXPECT_EQ(sim::machine().CountCalls("CreateProcessW"), c.interpreterCalled ? 1u : 0u);
        EXPECT_TRUE(sim::machine().shell.notifications.empty());
    }
}

// Start-up with both roles.

TEST(RelaunchAtStartUp, InstalledCopyEndsAsSoonAsItsCopyIsStarted) {
    auto& m = sim::machine();
    m.files.AddFile(kInstalled);
    app::UninstallApp app;
    app.m_lpCmdLine = u"-UninstForInst";
    m.files.pipe.exists = true;
    app.InitInstance();
    EXPECT_EQ(m.system.processes.size(), 1u);
    EXPECT_EQ(m.CountCalls("WaitNamedPipeW"), 0u) << "only the copy connects";
    EXPECT_TRUE(m.windows.boxes.empty());
    EXPECT_TRUE(m.shell.launches.empty());
}

TEST(RelaunchAtStartUp, CopyDeclinedByTheUserDeletesItself) {
    auto& m = sim::machine();
    m.files.AddFile(kCopy);
    m.system.modulePath = kCopy;
    m.system.existingMutexes.insert(u"ORVIK_PENDREL_UNINSTALL_MUTEX");  // the installed copy's
    m.windows.answers.push_back(win::IDNO);
    app::UninstallApp app;
    app.m_lpCmdLine = u"-DeletingNow";
    app.InitInstance();
    ASSERT_EQ(m.windows.boxes.size(), 1u);
    ASSERT_EQ(m.system.processes.size(), 1u) << "only the deletion command";
    EXPECT_EQ(N(m.system.processes[0].commandLine),
              N(u"\"C:\\windows\\system32\\cmd.exe\" /c del \"" + kCopy + u"\" > nul"));
}

}  // namespace

namespace {

TEST(CommandLine, SwitchesRightAfterAQuotedProgramNameAreKept) {
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"C:\\Temp\\orv1A2B.exe\"-DeletingNow-UninstForInst")),
              "-DeletingNow-UninstForInst");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"C:\\Program Files\\O P\\Uninstall.exe\"  -UninstForInst")),
              "-UninstForInst");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"C:\\Temp\\Uninstall.exe\t-UninstForInst x")), "-UninstForInst x");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"Uninstall.exe")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"\"unterminated -DeletingNow")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(u"")), "");
    EXPECT_EQ(N(app::ArgumentsAfterProgramName(nullptr)), "");
}

}  // namespace
