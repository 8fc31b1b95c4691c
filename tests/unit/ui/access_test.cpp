// The wizard for everyone: the owner-drawn controls in the system's colours while high contrast
// is on, and the keyboard's way through the wizard.
#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "support/product_machine.h"
#include "ui/banner_static.h"
#include "ui/color_edit.h"
#include "ui/flat_button.h"
#include "ui/link_label.h"
#include "ui/uninstall_dialog.h"

namespace {

using sim::machine;

win::HWND MakeControl(const char16_t* className, int width, int height, const std::u16string& text = u"") {
    auto& ws = machine().windows;
    win::HWND dialog = ws.Create(u"#32770", nullptr, 0);
    win::HWND control = ws.Create(className, dialog, 1000);
    ws.windows[control].width = width;
    ws.windows[control].height = height;
    ws.windows[control].caption = text;
    return control;
}

win::COLORREF System(int index) { return machine().gdi.systemColours.at(index); }

// A palette no product colour matches, so that a colour drawn can only have come from it.
void HighContrastOn() {
    machine().windows.highContrast = true;
    auto& colours = machine().gdi.systemColours;
    colours[win::COLOR_WINDOW] = win::RGB(0, 0, 0);
    colours[win::COLOR_WINDOWTEXT] = win::RGB(255, 255, 1);
    colours[win::COLOR_HIGHLIGHT] = win::RGB(26, 235, 255);
    colours[win::COLOR_HIGHLIGHTTEXT] = win::RGB(0, 0, 2);
    colours[win::COLOR_BTNFACE] = win::RGB(3, 3, 3);
    colours[win::COLOR_BTNTEXT] = win::RGB(254, 254, 254);
    colours[win::COLOR_HOTLIGHT] = win::RGB(63, 242, 63);
}

TEST(HighContrast, LinkTakesTheSystemsLinkColourAndHighlightUnderTheMouse) {
    for (bool on : {false, true}) {
        sim::Reset();
        if (on) HighContrastOn();
        win::HWND window = MakeControl(u"Static", 160, 24, u"www.example.test");
        ui::LinkLabel link;
        link.SubclassWindow(window);
        win::HDC dc = machine().gdi.NewDc();
        link.OnReflectedCtlColor(dc);
        EXPECT_EQ(machine().gdi.Dc(dc).textColour, on ? System(win::COLOR_HOTLIGHT) : win::RGB(29, 90, 142));
        win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
        link.OnReflectedCtlColor(dc);
        EXPECT_EQ(machine().gdi.Dc(dc).textColour, on ? System(win::COLOR_HIGHLIGHT) : win::RGB(255, 0, 0));
    }
}

TEST(HighContrast, EditTakesTheSystemsWindowColours) {
    for (bool on : {false, true}) {
        sim::Reset();
        if (on) HighContrastOn();
        ui::ColorEdit edit;
        win::HDC dc = machine().gdi.NewDc();
        const win::HBRUSH brush = edit.OnReflectedCtlColor(dc);
        EXPECT_EQ(machine().gdi.Dc(dc).textColour, on ? System(win::COLOR_WINDOWTEXT) : win::RGB(0, 0, 0));
        EXPECT_EQ(machine().gdi.Dc(dc).bkColour, on ? System(win::COLOR_WINDOW) : win::RGB(255, 255, 255));
        ASSERT_NE(machine().gdi.Find(brush), nullptr);
        EXPECT_EQ(machine().gdi.Find(brush)->colour, on ? System(win::COLOR_WINDOW) : win::RGB(255, 255, 255));
    }
}

TEST(HighContrast, BannerLeavesItsPictureOutAndDrawsItsTitleInWindowColours) {
    HighContrastOn();
    win::HWND window = MakeControl(u"Static", 525, 66);
    ui::BannerStatic banner;
    banner.SubclassWindow(window);
    banner.SetBitmapId(ui::kBannerBitmap);
    banner.SetTitle(u"Orvik Pendrel Uninstall Wizard");
    banner.SetDpi(96);
    win::SendMessageW(window, win::WM_PAINT, 0, 0);
    const auto& gdi = machine().gdi;
    EXPECT_TRUE(gdi.blits.empty()) << "no picture";
    ASSERT_EQ(gdi.fills.size(), 1u);
    EXPECT_EQ(gdi.fills[0].colour, System(win::COLOR_WINDOW));
    EXPECT_EQ(gdi.fills[0].rect.right, 525);
    ASSERT_EQ(gdi.texts.size(), 1u);
    EXPECT_EQ(gdi.texts[0].colour, System(win::COLOR_WINDOWTEXT));
}

win::DRAWITEMSTRUCT Item(win::HWND button, win::UINT state) {
    win::DRAWITEMSTRUCT item{};
    item.hwndItem = button;
    item.hDC = machine().gdi.NewDc();
    item.itemState = state;
    item.rcItem = {0, 0, 100, 30};
    return item;
}

TEST(HighContrast, ButtonInButtonColoursHighlightedUnderTheMouseWithItsFocusAlwaysShown) {
    HighContrastOn();
    win::HWND window = MakeControl(u"Button", 100, 30, u"Finish");
    ui::FlatButton button;
    button.SubclassWindow(window);
    auto& gdi = machine().gdi;
    const int pens = gdi.Live(sim::GdiKind::Pen);

    button.DrawItem(Item(window, win::ODS_FOCUS));
    ASSERT_EQ(gdi.roundRects.size(), 1u);
    EXPECT_EQ(gdi.roundRects[0].penColour, System(win::COLOR_BTNTEXT));
    ASSERT_NE(gdi.Find(gdi.roundRects[0].brush), nullptr);
    EXPECT_EQ(gdi.Find(gdi.roundRects[0].brush)->colour, System(win::COLOR_BTNFACE));
    EXPECT_TRUE(gdi.fills.empty()) << "no shaded face";
    EXPECT_TRUE(gdi.lines.empty()) << "no coloured frame";
    ASSERT_EQ(gdi.texts.size(), 1u);
    EXPECT_EQ(gdi.texts[0].colour, System(win::COLOR_BTNTEXT));
    ASSERT_EQ(gdi.focusRects.size(), 1u);

    win::SendMessageW(window, win::WM_MOUSEHOVER, 0, 0);
    button.DrawItem(Item(window, win::ODS_FOCUS));
    ASSERT_EQ(gdi.roundRects.size(), 2u);
    ASSERT_EQ(gdi.texts.size(), 2u);
    ASSERT_NE(gdi.Find(gdi.roundRects[1].brush), nullptr);
    EXPECT_EQ(gdi.Find(gdi.roundRects[1].brush)->colour, System(win::COLOR_HIGHLIGHT));
    EXPECT_EQ(gdi.texts[1].colour, System(win::COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(gdi.focusRects.size(), 2u) << "the focus shows under the mouse too";
    EXPECT_EQ(gdi.Live(sim::GdiKind::Pen), pens) << "the outline's pen is deleted";
}

// --- Keyboard ------------------------------------------------------------------------------------

TEST(Keyboard, LinkIsATabStopThatTakesEnterAndOpensTheAddress) {
    win::HWND window = MakeControl(u"Static", 160, 24, u"www.example.test");
    ui::LinkLabel link;
    link.SubclassWindow(window);
    link.m_strLink = u"www.example.test";
    EXPECT_NE(machine().windows.windows[window].style & win::WS_TABSTOP, 0);

    win::MSG enter{window, win::WM_KEYDOWN, win::VK_RETURN, 0, 0, {}};
    win::MSG tab{window, win::WM_KEYDOWN, 0x09, 0, 0, {}};
    EXPECT_NE(win::SendMessageW(window, win::WM_GETDLGCODE, win::VK_RETURN, reinterpret_cast<win::LPARAM>(&enter)) &
                  win::DLGC_WANTMESSAGE,
              0);
    EXPECT_EQ(win::SendMessageW(window, win::WM_GETDLGCODE, 0x09, reinterpret_cast<win::LPARAM>(&tab)) &
                  win::DLGC_WANTMESSAGE,
              0)
        << "Tab stays the dialog's";
    EXPECT_EQ(win::SendMessageW(window, win::WM_GETDLGCODE, 0, 0) & win::DLGC_WANTMESSAGE, 0);

    win::SendMessageW(window, win::WM_KEYDOWN, 0x09, 0);
    EXPECT_TRUE(machine().shell.launches.empty());
    win::SendMessageW(window, win::WM_KEYDOWN, win::VK_RETURN, 0);
    ASSERT_EQ(machine().shell.launches.size(), 1u);
    EXPECT_EQ(machine().shell.launches[0].file, u"www.example.test");
}

TEST(Keyboard, LinkShowsTheFocusRectangleWhileItHasTheFocus) {
    win::HWND window = MakeControl(u"Static", 160, 24, u"www.example.test");
    ui::LinkLabel link;
    link.SubclassWindow(window);
    win::SendMessageW(window, win::WM_PAINT, 0, 0);
    EXPECT_TRUE(machine().gdi.focusRects.empty());
    const int invalidations = machine().windows.windows[window].invalidations;
    win::SetFocus(window);
    EXPECT_GT(machine().windows.windows[window].invalidations, invalidations) << "redrawn as the focus arrives";
    win::SendMessageW(window, win::WM_PAINT, 0, 0);
    ASSERT_EQ(machine().gdi.focusRects.size(), 1u);
    EXPECT_EQ(machine().gdi.focusRects[0].right, 160);
    EXPECT_EQ(machine().gdi.focusRects[0].bottom, 24);
    EXPECT_TRUE(machine().gdi.dcs.empty()) << "the control's context is given back";
}

// A screen reader announces the link as a link, by its text; the annotation goes with the window.
TEST(ScreenReader, LinkIsAnnouncedAsALinkUntilItsWindowGoes) {
    win::HWND window = MakeControl(u"Static", 160, 24, u"www.example.test");
    ui::LinkLabel link;
    link.SubclassWindow(window);
    EXPECT_EQ(machine().windows.windows[window].accessibleRole, win::ROLE_SYSTEM_LINK);
    link.DestroyWindow();
    EXPECT_EQ(machine().windows.windows[window].accessibleRole, 0);
}

// The wizard opens with the focus on its progress bar, which a screen reader announces; Enter
// and Escape there end nothing, and the removal runs to its end.
TEST(Keyboard, WizardStartsOnTheProgressBarWhereEnterAndEscapeEndNothing) {
    auto& queue = machine().windows.queue;
    queue.push_back({nullptr, win::WM_COMMAND, win::IDOK, 0});
    queue.push_back({nullptr, win::WM_COMMAND, win::IDCANCEL, 0});
    struct Host : testing_support::FakeHost {
        Host() { silent = false; }
    } host;
    ui::UninstallDialog dialog(host);
    EXPECT_EQ(dialog.DoModal(), win::IDOK);
    EXPECT_EQ(machine().CallsTo("SetFocus"), std::vector<std::string>{std::to_string(ui::kProgressControl)});
    EXPECT_EQ(host.reports.size(), 8u) << "the removal ran to its end";
}

}  // namespace
