// The wizard's layout at each DPI, and where the window's DPI comes from.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/sim/machine.h"
#include "ui/wizard_layout.h"

namespace {

using sim::machine;
using ui::Placement;

// The layout's rectangles by name, in the order the wizard places them.
std::vector<std::pair<const char*, Placement>> Rectangles(const ui::WizardLayout& layout) {
    return {{"banner", layout.banner},   {"status", layout.status},       {"progress", layout.progress},
            {"log", layout.log},         {"separator", layout.separator}, {"link", layout.link}};
}

// Today's layout at 96 DPI, pixel for pixel.
TEST(WizardLayout, At96DpiIsThePixelLayoutOfTheTemplate) {
    const ui::WizardLayout layout = ui::WizardLayoutAt(96);
    EXPECT_EQ(layout.clientWidth, 525);
    EXPECT_EQ(layout.clientHeight, 180);
    const std::vector<std::pair<const char*, Placement>> expected{
        {"banner", {0, 0, 525, 66}},       {"status", {16, 79, 491, 22}},     {"progress", {16, 103, 491, 16}},
        {"log", {16, 170, 498, 144}},      {"separator", {-1, 135, 531, 1}}, {"link", {16, 145, 160, 24}}};
    EXPECT_EQ(Rectangles(layout), expected);
    EXPECT_EQ(layout.fontHeight, -13) << "Tahoma 10 points";
    EXPECT_EQ(layout.tipWidth, 200);
}

// Every figure is scaled on its own and rounded to the nearest pixel, halves away from zero:
// worked out here in floating point, independently of the program's integer arithmetic.
TEST(WizardLayout, AtEveryOtherDpiEachRectangleIsThe96DpiOneScaledAndRounded) {
    const ui::WizardLayout at96 = ui::WizardLayoutAt(96);
    auto scaled = [](int length, int dpi) { return static_cast<int>(std::round(length * dpi / 96.0)); };
    for (int dpi : {120, 144, 168, 192, 288}) {
        const ui::WizardLayout layout = ui::WizardLayoutAt(dpi);
        EXPECT_EQ(layout.clientWidth, scaled(525, dpi)) << dpi;
        EXPECT_EQ(layout.clientHeight, scaled(180, dpi)) << dpi;
        const auto base = Rectangles(at96), now = Rectangles(layout);
        for (std::size_t i = 0; i < base.size(); ++i) {
            const Placement& b = base[i].second;
            const Placement expected{scaled(b.x, dpi), scaled(b.y, dpi), scaled(b.width, dpi), scaled(b.height, dpi)};
            EXPECT_EQ(now[i].second, expected) << base[i].first << " at " << dpi << " DPI";
        }
        EXPECT_EQ(layout.fontHeight, -static_cast<int>(std::round(10 * dpi / 72.0))) << dpi;
        EXPECT_EQ(layout.tipWidth, scaled(200, dpi)) << dpi;
    }
}

TEST(WizardLayout, SpotValuesAtTheCommonScalesRoundHalvesAwayFromZero) {
    // 125 %: 79 x 1.25 = 98.75, 491 x 1.25 = 613.75, 22 x 1.25 = 27.5 (up).
    EXPECT_EQ(ui::WizardLayoutAt(120).status, (Placement{20, 99, 614, 28}));
    // 150 %: the separator's -1 and 1 are -1.5 and 1.5, rounded away from zero.
    EXPECT_EQ(ui::WizardLayoutAt(144).separator, (Placement{-2, 203, 797, 2}));
    EXPECT_EQ(ui::WizardLayoutAt(144).link, (Placement{24, 218, 240, 36}));
    EXPECT_EQ(ui::WizardLayoutAt(192).banner, (Placement{0, 0, 1050, 132}));
    EXPECT_EQ(ui::WizardLayoutAt(144).fontHeight, -20);
    EXPECT_EQ(ui::WizardLayoutAt(120).fontHeight, -17) << "10 points at 120 DPI are 16.67 pixels";
    EXPECT_EQ(ui::ScaleForDpi(-3, 120), -4) << "-3.75";
    EXPECT_EQ(ui::ScaleForDpi(3, 112), 4) << "3.5";
}

// Where the system knows each window's DPI, the window's; before that (Windows 7 to 10 1511)
// the display's, which a system-aware process is given; and 96 when neither answers.
TEST(WindowDpi, WindowsOwnThenTheDisplaysThen96) {
    auto& ws = machine().windows;
    win::HWND window = ws.Create(u"#32770", nullptr, 0);
    ws.systemDpi = 120;
    ws.windows[window].dpi = 144;
    EXPECT_EQ(ui::WindowDpi(window), 144);
    ws.perWindowDpi = false;
    EXPECT_EQ(ui::WindowDpi(window), 120);
    ws.systemDpi = 0;
    EXPECT_EQ(ui::WindowDpi(window), 96);
    EXPECT_TRUE(machine().gdi.dcs.empty()) << "the screen's context is given back";
}

}  // namespace
