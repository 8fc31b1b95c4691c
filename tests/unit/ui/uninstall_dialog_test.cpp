// The wizard's modal run on the simulated window system: set-up, the start timer, the removal
// with its completion box, and the keys and clicks that must not end it early.
#include <gtest/gtest.h>

#include <algorithm>

#include "i18n/string_catalog.h"
#include "platform/sim/machine.h"
#include "support/product_machine.h"
#include "ui/uninstall_dialog.h"
#include "ui/wizard_windows.h"

namespace {

using sim::machine;

// The application's side as the wizard sees it: interactive, with the built-in texts.
struct FakeHost : testing_support::FakeHost {
    FakeHost() { silent = false; }
};

// Position of the first call log entry that starts with `entry`; calls.size() when none.
std::size_t IndexOf(const std::string& entry) {
    const auto& calls = machine().calls;
    auto it = std::find_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(entry, 0) == 0; });
    return static_cast<std::size_t>(it - calls.begin());
}

using wizard_windows::Control;
using wizard_windows::DialogWindow;

void ExpectPlaced(int id, int x, int y, int width, int height) {
    sim::SimWindow* w = Control(id);
    ASSERT_NE(w, nullptr) << "control " << id;
    EXPECT_TRUE(w->moved) << "control " << id;
    EXPECT_EQ(w->x, x) << "control " << id;
    EXPECT_EQ(w->y, y) << "control " << id;
    EXPECT_EQ(w->width, width) << "control " << id;
    EXPECT_EQ(w->height, height) << "control " << id;
}

TEST(WizardRun, RemovalRunsOnceFromTheStartTimerAndTheCompletionBoxEndsIt) {
    FakeHost host;
    ui::UninstallDialog dialog(host);
    EXPECT_EQ(dialog.DoModal(), win::IDOK);

    EXPECT_EQ(machine().CallsTo("DialogBoxParamW"), std::vector<std::string>{"102"});
    EXPECT_EQ(machine().CallsTo("SetTimer").front(), "135 500");
    const std::size_t killed = IndexOf("KillTimer 135");
    const std::size_t firstProgress = IndexOf("PBM_SETPOS");
    ASSERT_LT(killed, machine().calls.size());
    EXPECT_LT(killed, firstProgress) << "the start timer is killed before the removal runs";
    EXPECT_GE(machine().windows.clock, 500) << "the removal starts half a second after set-up";

    EXPECT_EQ(host.reports, (std::vector<int>{1, 2, 4, 6, 7, 8, 9, 10}));
    ASSERT_NE(Control(ui::kProgressControl), nullptr);
    // The sequence's own points, in order (the printer step moves the bar between them itself).
    const std::vector<int>& positions = Control(ui::kProgressControl)->progressPositions;
    const std::vector<int> points{10, 20, 40, 60, 70, 80, 90, 100};
    auto next = positions.begin();
    for (int point : points) {
        next = std::find(next, positions.end(), point);
        ASSERT_NE(next, positions.end()) << "progress point " << point;
        ++next;
    }
    EXPECT_EQ(positions.back(), 100);
    EXPECT_EQ(std::count(positions.begin(), positions.end(), 100), 1);

    ASSERT_EQ(machine().windows.boxes.size(), 1u);
    const auto& box = machine().windows.boxes[0];
    EXPECT_EQ(box.text, u"You have successfully removed Orvik Pendrel.");
    EXPECT_EQ(box.caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_NE(box.owner, nullptr);
    EXPECT_EQ(machine().windows.windows[box.owner].className, u"#32770");
    EXPECT_LT(IndexOf("MessageBoxW"), IndexOf("EndDialog 1"));
    EXPECT_EQ(machine().CallsTo("EndDialog"), std::vector<std::string>{"1"});
}

TEST(WizardRun, WithoutItsWindowTheRemovalOnlyReports) {
    FakeHost host;
    host.silent = true;
    ui::UninstallDialog dialog(host);
    dialog.RunUninstall();
    EXPECT_EQ(host.reports.size(), 8u);
    EXPECT_EQ(machine().CountCalls("PBM_SETPOS"), 0u);
    EXPECT_EQ(machine().CountCalls("EndDialog"), 0u);
    EXPECT_TRUE(machine().windows.boxes.empty());
}

TEST(WizardRun, ControlsArePlacedAndFilledWhenSetUp) {
    FakeHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();

    sim::SimWindow* wizard = DialogWindow();
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->caption, u"Orvik Pendrel Uninstall Wizard");
    EXPECT_NE(wizard->bigIcon, nullptr);
    EXPECT_EQ(wizard->width, 525) << "fitted to the banner";
    EXPECT_EQ(wizard->height, 180);
    EXPECT_EQ(wizard->smallIcon, wizard->bigIcon);

    ExpectPlaced(ui::kBannerControl, 0, 0, 525, 66);
    ExpectPlaced(ui::kStatusControl, 16, 79, 491, 22);
    ExpectPlaced(ui::kProgressControl, 16, 103, 491, 16);
    ExpectPlaced(ui::kLogControl, 16, 170, 498, 144);
    ExpectPlaced(ui::kSeparatorControl, -1, 135, 531, 1);
    ExpectPlaced(ui::kLinkControl, 16, 145, 160, 24);
    EXPECT_FALSE(Control(ui::kFinishButton)->moved);

    EXPECT_EQ(Control(ui::kStatusControl)->caption, u"Please wait while deleting files...");
    EXPECT_EQ(Control(ui::kLogControl)->caption, u"");
    EXPECT_EQ(Control(ui::kProgressControl)->rangeLow, 0);
    EXPECT_EQ(Control(ui::kProgressControl)->rangeHigh, 100);
    EXPECT_EQ(Control(ui::kLinkControl)->caption, u"www.orviksoftware.com");
    EXPECT_EQ(dialog.Link().m_strLink, u"www.orviksoftware.com");
    bool tipFound = false;
    for (auto& [handle, w] : machine().windows.windows)
        if (w.className == u"tooltips_class32") tipFound = w.tipText == u"https://www.orviksoftware.com/";
    EXPECT_TRUE(tipFound);
    EXPECT_EQ(machine().gdi.blits.size(), 0u) << "nothing painted without a paint message";
}

TEST(WizardRun, EnterEscapeCloseAndTheHiddenButtonDoNotEndItBeforeTheRemoval) {
    auto& queue = machine().windows.queue;
    queue.push_back({nullptr, win::WM_COMMAND, win::IDOK, 0});
    queue.push_back({nullptr, win::WM_COMMAND, win::IDCANCEL, 0});
    queue.push_back({nullptr, win::WM_CLOSE, 0, 0});
    // What Enter sends when the template's default button is the hidden finish button.
    queue.push_back({nullptr, win::WM_COMMAND, ui::kFinishButton, 0, ui::kFinishButton});
    FakeHost host;
    ui::UninstallDialog dialog(host);
    EXPECT_EQ(dialog.DoModal(), win::IDOK);
    EXPECT_EQ(host.reports.size(), 8u) << "the removal ran to its end";
    EXPECT_EQ(machine().CallsTo("EndDialog"), std::vector<std::string>{"1"});
    EXPECT_LT(IndexOf("MessageBoxW"), IndexOf("EndDialog"));
    EXPECT_TRUE(Control(ui::kFinishButton)->enabled) << "enabled once the removal has run";
}

TEST(WizardRun, WindowThatCannotBeCreatedRunsNothing) {
    machine().windows.dialogFails = true;
    FakeHost host;
    ui::UninstallDialog dialog(host);
    EXPECT_NE(dialog.DoModal(), win::IDOK);
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(machine().windows.boxes.empty());
}

TEST(WizardPaint, MinimisedWizardShowsItsIconCentred) {
    machine().windows.dialogsStartIconic = true;
    machine().windows.queue.push_back({nullptr, win::WM_PAINT, 0, 0});
    FakeHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();
    ASSERT_EQ(machine().gdi.icons.size(), 1u);
    EXPECT_EQ(machine().gdi.icons[0].x, (525 - 32 + 1) / 2);
    EXPECT_EQ(machine().gdi.icons[0].y, (180 - 32 + 1) / 2);
    EXPECT_EQ(machine().gdi.icons[0].icon, DialogWindow()->bigIcon);
}

TEST(WizardPaint, OpenWizardLeavesPaintingToTheSystem) {
    machine().windows.queue.push_back({nullptr, win::WM_PAINT, 0, 0});
    FakeHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();
    EXPECT_TRUE(machine().gdi.icons.empty());
}

TEST(WizardLink, ClickReflectedFromTheDialogOpensTheWebAddress) {
    // The click arrives while the wizard waits for its start timer.
    machine().windows.queue.push_back(
        {nullptr, win::WM_COMMAND, win::MAKELONG(ui::kLinkControl, win::STN_CLICKED), 0, ui::kLinkControl});
    FakeHost host;
    ui::UninstallDialog dialog(host);
    EXPECT_EQ(dialog.DoModal(), win::IDOK);
    ASSERT_EQ(machine().shell.launches.size(), 1u);
    EXPECT_EQ(machine().shell.launches[0].file, u"www.orviksoftware.com");
    EXPECT_EQ(machine().shell.launches[0].verb, u"open");
}

TEST(WizardColours, ColourRequestsReachTheLinkOnly) {
    win::HDC linkDc = machine().gdi.NewDc(), statusDc = machine().gdi.NewDc();
    auto& queue = machine().windows.queue;
    queue.push_back({nullptr, win::WM_CTLCOLORSTATIC, reinterpret_cast<win::WPARAM>(linkDc), 0, ui::kLinkControl});
    queue.push_back({nullptr, win::WM_CTLCOLORSTATIC, reinterpret_cast<win::WPARAM>(statusDc), 0, ui::kStatusControl});
    FakeHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();
    EXPECT_EQ(machine().gdi.Dc(linkDc).textColour, win::RGB(29, 90, 142));
    EXPECT_EQ(machine().gdi.Dc(linkDc).bkMode, win::TRANSPARENT);
    EXPECT_EQ(machine().gdi.Dc(statusDc).textColour, 0u) << "the status line keeps the system's colours";
}

}  // namespace
