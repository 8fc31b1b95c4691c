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

// The installed copy hands on the process that started it.
TEST_F(InstallerLink, InstalledCopyNamesItsParentToTheCopy) {
    auto& m = sim::machine();
    ASSERT_TRUE(win::DeleteFileW(m.system.modulePath.c_str()));  // no copy made yet
    m.system.modulePath = testing_support::kInstallDir + std::u16string(u"Uninstall.exe");
    sim::machine().system.parentProcessId = 31337;
    app::UninstallApp app;
    app.SetCommandLine(u"-UninstForInst");
    app.InitInstance();
    // The interpreter that will delete the installed file once it has made way starts first.
    ASSERT_EQ(sim::machine().system.processes.size(), 2u);
    const std::string commandLine = sim::Narrow(sim::machine().system.processes[1].commandLine);
    EXPECT_NE(commandLine.find("\"-DeletingNow-UninstForInst-InstallerPid=31337"), std::string::npos) << commandLine;
}

}  // namespace
