// The removal sequence: its progress points, report codes and ending.
#include <gtest/gtest.h>

#include "engine/uninstaller.h"
#include "support/product_machine.h"

using namespace testing_support;

namespace {

class Sequence : public testing::Test {
protected:
    void SetUp() override {
        InstallProduct();
        host.progress = sim::machine().windows.AddWindow(u"progress");
    }
    FakeHost host;
};

class RecordingUninstaller : public engine::Uninstaller {
public:
    using Uninstaller::Uninstaller;
    std::vector<int> endings;
    win::HWND window = nullptr;

protected:
    win::HWND WizardWindow() const override { return window; }
    void EndWizard(int result) override { endings.push_back(result); }
};

TEST_F(Sequence, ReportsEachStepAfterItsProgressPoint) {
    RecordingUninstaller uninstaller(host);
    uninstaller.m_hProgress = host.progress;
    uninstaller.RunUninstall();

    EXPECT_EQ(host.reports, (std::vector<int>{1, 2, 4, 6, 7, 8, 9, 10}));
    EXPECT_EQ(host.progressAtReport, (std::vector<int>{10, 20, 40, 60, 70, 80, 90, 100}));
    EXPECT_EQ(sim::machine().system.sleeps, (std::vector<win::DWORD>{500}));
    EXPECT_EQ(uninstaller.endings, (std::vector<int>{win::IDOK}));
}

TEST_F(Sequence, SilentRunShowsNoCompletionBox) {
    RecordingUninstaller uninstaller(host);
    uninstaller.RunUninstall();
    EXPECT_TRUE(sim::machine().windows.boxes.empty());
    EXPECT_EQ(uninstaller.endings, (std::vector<int>{win::IDOK}));
}

TEST_F(Sequence, InteractiveRunEndsWithTheCompletionBoxOwnedByTheWizard) {
    host.silent = false;
    RecordingUninstaller uninstaller(host);
    uninstaller.window = sim::machine().windows.AddWindow(u"Orvik Pendrel Uninstall Wizard");
    uninstaller.m_hProgress = host.progress;
    uninstaller.RunUninstall();

    ASSERT_EQ(sim::machine().windows.boxes.size(), 1u);
    const auto& box = sim::machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"You have successfully removed Orvik Pendrel.");
    EXPECT_EQ(box.caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_EQ(box.type, win::MB_OK | win::MB_ICONWARNING);
    EXPECT_EQ(box.owner, uninstaller.window);
    EXPECT_EQ(sim::machine().windows.windows[host.progress].progressPositions.back(), 100);
}

TEST_F(Sequence, WithoutAWindowOnlyTheReportsHaveAnEffect) {
    RecordingUninstaller uninstaller(host);
    uninstaller.RunUninstall();
    EXPECT_TRUE(sim::machine().windows.windows[host.progress].progressPositions.empty());
    EXPECT_EQ(host.reports.size(), 8u);
}

}  // namespace
