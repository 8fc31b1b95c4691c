// The installer's pipe as other processes of the user can shape it: a server that never reads,
// every instance busy, instances of another process created before the installer's. The run
// never waits without a bound, talks only to the installer that started it, and removes the
// product only while the installer hears the codes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/uninstall_app.h"
#include "platform/files.h"
#include "platform/sim/machine.h"
#include "support/full_footprint.h"

namespace {

const std::vector<std::string> kAllCodes{"1", "2", "4", "6", "7", "8", "9", "10"};

sim::PipeState& Pipe() { return sim::machine().files.pipe; }

class InstallerLink : public testing::Test {
protected:
    void SetUp() override {
        testing_support::LayDownForeignItems();
        testing_support::LayDownProduct();
        testing_support::PlaceTemporaryCopy();
    }
    // The temporary copy, told by the installed copy that `installer` is the installer.
    void RunCopy(const std::u16string& installer = u"4242") {
        app::UninstallApp app;
        app.SetCommandLine(u"-DeletingNow-UninstForInst-InstallerPid=" + installer);
        app.InitInstance();
        // The self-deletion's signal, the end of a pipe that no process inherits, stays open till
        // the process ends.
        handlesLeft = sim::OpenFileCount() - (sim::UninheritedPipeEndCount() > 0 ? 1 : 0);
    }
    bool ProductRemoved() { return !sim::machine().files.Exists(testing_support::kProductExe); }
    bool ProductKept() {
        return sim::machine().files.Exists(testing_support::kProductExe) &&
               sim::machine().registry.Exists(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel");
    }
    std::size_t handlesLeft = 0;
};

TEST_F(InstallerLink, ServerThatNeverReadsHoldsTheRunForOneBoundedWriteOnly) {
    Pipe().neverReads = true;

    RunCopy();

    // The first code waits its few seconds and is cancelled; the others are dropped.
    EXPECT_EQ(sim::machine().CallsTo("WriteFile").size(), 1u);
    EXPECT_EQ(sim::machine().CountCalls("CancelIo"), 1u);
    EXPECT_EQ(Pipe().writesBlockedForever, 0);
    const auto& waits = sim::machine().system.waitTimeouts;
    EXPECT_NE(std::find(waits.begin(), waits.end(), 5000u), waits.end());
    EXPECT_TRUE(ProductRemoved());
    EXPECT_FALSE(sim::machine().registry.Exists(win::HKEY_LOCAL_MACHINE, u"Software\\Orvik Software\\Orvik Pendrel"));
    EXPECT_EQ(handlesLeft, 0u);
}

TEST_F(InstallerLink, BusyPipeIsWaitedForAFewTimesThenGivenUp) {
    Pipe().busyWaits = 3;
    RunCopy();
    EXPECT_EQ(Pipe().writes, kAllCodes);
    EXPECT_TRUE(ProductRemoved());

    sim::Reset();
    SetUp();
    Pipe().busyWaits = 1000000;
    RunCopy();
    EXPECT_LE(Pipe().waitTimeouts.size(), 30u);
    for (win::DWORD wait : Pipe().waitTimeouts) EXPECT_LE(wait, 1000u);
    EXPECT_TRUE(Pipe().writes.empty());
    EXPECT_TRUE(ProductKept());
}

// Another process created instances before the installer: the copy reaches them first, closes
// them unwritten, and goes on to the installer's own.
TEST_F(InstallerLink, InstancesOfAnotherProcessHearNothing) {
    Pipe().squatterInstances = 2;
    RunCopy();
    EXPECT_TRUE(Pipe().squatterWrites.empty());
    EXPECT_EQ(Pipe().writes, kAllCodes);
    EXPECT_TRUE(ProductRemoved());
    EXPECT_EQ(handlesLeft, 0u);
}

// A process that keeps its instances coming wears the copy out: nothing is removed while the
// installer cannot hear it.
TEST_F(InstallerLink, ProductStaysWhileOnlyAnotherProcessListens) {
    Pipe().squatterInstances = 1000000;
    RunCopy();
    EXPECT_TRUE(Pipe().squatterWrites.empty());
    EXPECT_TRUE(Pipe().writes.empty());
    EXPECT_TRUE(ProductKept());

    sim::Reset();
    SetUp();
    Pipe().serverProcessId = 777;  // the pipe's only server is not the installer
    RunCopy();
    EXPECT_TRUE(Pipe().writes.empty());
    EXPECT_TRUE(ProductKept());
}

TEST_F(InstallerLink, CopyWithoutTheInstallersIdentityRemovesNothing) {
    for (const char16_t* installer : {u"", u"0", u"99999999999", u"x"}) {
        sim::Reset();
        SetUp();
        RunCopy(installer);
        EXPECT_TRUE(Pipe().writes.empty()) << sim::Narrow(installer);
        EXPECT_TRUE(ProductKept()) << sim::Narrow(installer);
    }
}

// Before Vista the server of a pipe cannot be asked; the instance reached is the installer's.
TEST_F(InstallerLink, SystemThatCannotTellTheServerTakesTheInstanceReached) {
    Pipe().serverIdUnknown = true;
    RunCopy();
    EXPECT_EQ(Pipe().writes, kAllCodes);
}

// The installed copy that made way into the machine's temporary directory runs the removal
// itself, for the process that started it and for no other: no copy is made.
TEST_F(InstallerLink, InstalledCopyThatMadeWayTalksOnlyToItsParent) {
    struct Case {
        const char* name;
        win::DWORD parent;
        bool removed;
    };
    for (const Case& c : {Case{"started by the installer", sim::kInstallerProcessId, true},
                          Case{"started by another process", 31337, false}}) {
        SCOPED_TRACE(c.name);
        sim::Reset();
        SetUp();
        auto& m = sim::machine();
        ASSERT_TRUE(win::DeleteFileW(m.system.modulePath.c_str()));  // no copy made yet
        m.system.modulePath = testing_support::kInstallDir + std::u16string(u"Uninstall.exe");
        m.system.parentProcessId = c.parent;
        app::UninstallApp app;
        app.SetCommandLine(u"-UninstForInst");
        app.InitInstance();
        EXPECT_EQ(Pipe().writes, c.removed ? kAllCodes : std::vector<std::string>{});
        EXPECT_EQ(ProductRemoved(), c.removed);
        EXPECT_EQ(ProductKept(), !c.removed);
        // Only the interpreter that deletes the moved file after this process was started, and
        // none is left waiting when the file came back.
        for (const auto& process : m.system.processes)
            EXPECT_EQ(process.commandLine.find(u"-DeletingNow"), std::u16string::npos) << sim::Narrow(process.commandLine);
        EXPECT_EQ(m.files.Exists(m.system.modulePath), !c.removed);
        for (const std::u16string& name : m.files.List(m.system.tempPath))
            EXPECT_EQ(name.find(u".exe"), std::u16string::npos) << sim::Narrow(name);
    }
}

// Where it could only be renamed within its own directory, the installed copy hands the run to a
// copy, and names the process that started it.
TEST_F(InstallerLink, InstalledCopyNamesItsParentToTheCopy) {
    auto& m = sim::machine();
    ASSERT_TRUE(win::DeleteFileW(m.system.modulePath.c_str()));  // no copy made yet
    m.system.modulePath = testing_support::kInstallDir + std::u16string(u"Uninstall.exe");
    m.system.parentProcessId = 31337;
    m.faults.failFunction = "NtSetInformationFile";  // the move into the machine's Temp
    app::UninstallApp app;
    app.SetCommandLine(u"-UninstForInst");
    app.InitInstance();
    std::vector<std::string> copies;
    for (const auto& process : m.system.processes)
        if (process.commandLine.find(u"-DeletingNow") != std::u16string::npos) copies.push_back(sim::Narrow(process.commandLine));
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(copies[0].find("\"-DeletingNow-UninstForInst-InstallerPid=31337"), std::string::npos) << copies[0];
}

}  // namespace
