// The removal sequence: its progress points, report codes and ending.
#include <gtest/gtest.h>

#include "engine/uninstaller.h"
#include "support/product_machine.h"

using namespace testing_support;

namespace {

class Sequence : public testing::Test {
protected:
    void SetUp() override { InstallProduct(); }
    FakeHost host;
};

TEST_F(Sequence, ReportsEachStepAfterItsProgressPoint) {
    engine::Uninstaller uninstaller(host);
    uninstaller.RunUninstall();

    EXPECT_EQ(host.reports, (std::vector<int>{1, 2, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(host.positionAtReport, (std::vector<int>{10, 20, 40, 60, 70, 80, 90, 100}));
    EXPECT_EQ(sim::machine().system.sleeps, (std::vector<win::DWORD>{500}));
}

// What the steps left is looked at within the half second the run waits after its last code:
// the wait ends 500 ms after that code however long the look took, and a look longer than the
// wait adds none.
TEST_F(Sequence, TheLookAfterTheStepsRunsWithinTheFinalHalfSecond) {
    for (const win::DWORD perCall : {win::DWORD{3}, win::DWORD{400}}) {
        SCOPED_TRACE(perCall);
        sim::Reset();
        InstallProduct();
        FakeHost run;
        // Every call of the look takes `perCall` milliseconds; the steps before it take none.
        sim::machine().onCall = [&run, perCall](const std::string&, const std::string&) {
            if (run.reports.size() == 8) sim::machine().system.tickCount += perCall;
        };
        const win::DWORD start = sim::machine().system.tickCount;
        engine::Uninstaller uninstaller(run);
        uninstaller.RunUninstall();
        sim::machine().onCall = nullptr;

        const auto& sleeps = sim::machine().system.sleeps;
        const win::DWORD looked = sim::machine().system.tickCount - start - (sleeps.empty() ? 0 : sleeps[0]);
        ASSERT_GT(looked, 0u);
        if (looked < 500) {
            EXPECT_EQ(sleeps, (std::vector<win::DWORD>{500 - looked}));
        } else {
            EXPECT_TRUE(sleeps.empty());
        }
        EXPECT_EQ(run.reports.size(), 8u);
    }
}

TEST_F(Sequence, SilentRunShowsNoCompletionBox) {
    engine::Uninstaller uninstaller(host);
    uninstaller.RunUninstall();
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(host.reports.size(), 8u);
}

TEST_F(Sequence, InteractiveRunEndsWithTheCompletionBoxOwnedByTheWizard) {
    host.silent = false;
    host.wizard = sim::machine().windows.AddWindow(u"Orvik Pendrel Uninstall Wizard");
    engine::Uninstaller uninstaller(host);
    ASSERT_TRUE(uninstaller.PrepareUninstall());
    uninstaller.RunUninstall();

    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    const auto& box = sim::machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"You have successfully removed Orvik Pendrel.");
    EXPECT_EQ(box.caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
    EXPECT_EQ(box.owner, host.wizard);
    EXPECT_EQ(host.positions.back(), 100);
}

}  // namespace
