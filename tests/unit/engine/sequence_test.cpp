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
