// The wizard on displays of every scale: its layout at the window's DPI, a move to a display of
// another DPI, the banner's title and picture at that scale.
#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "support/product_machine.h"
#include "ui/banner_static.h"
#include "ui/uninstall_dialog.h"
#include "ui/wizard_layout.h"
#include "ui/wizard_windows.h"

namespace {

using sim::machine;
using wizard_windows::Control;
using wizard_windows::DialogWindow;

struct InteractiveHost : testing_support::FakeHost {
    InteractiveHost() { silent = false; }
};

void ExpectLaidOutAt(int dpi) {
    const ui::WizardLayout layout = ui::WizardLayoutAt(dpi);
    const std::pair<int, ui::Placement> expected[] = {
        {ui::kBannerControl, layout.banner},       {ui::kStatusControl, layout.status},
        {ui::kProgressControl, layout.progress},   {ui::kLogControl, layout.log},
        {ui::kSeparatorControl, layout.separator}, {ui::kLinkControl, layout.link}};
    for (const auto& [id, place] : expected) {
        const sim::SimWindow* w = Control(id);
        ASSERT_NE(w, nullptr) << id;
        EXPECT_EQ((ui::Placement{w->x, w->y, w->width, w->height}), place) << "control " << id << " at " << dpi;
    }
    EXPECT_EQ(DialogWindow()->width, layout.clientWidth) << dpi;
    EXPECT_EQ(DialogWindow()->height, layout.clientHeight) << dpi;
}

const win::LOGFONTW* FontOf(void* font) {
    const sim::GdiObject* object = machine().gdi.Find(font);
    return object && object->kind == sim::GdiKind::Font ? &object->font : nullptr;
}

TEST(WizardDisplay, EveryControlIsPlacedForTheWindowsDpi) {
    for (int dpi : {96, 120, 144, 192}) {
        sim::Reset();
        machine().windows.systemDpi = dpi;
        InteractiveHost host;
        ui::UninstallDialog dialog(host);
        ASSERT_EQ(dialog.DoModal(), win::IDOK);
        ExpectLaidOutAt(dpi);
        EXPECT_FALSE(Control(ui::kFinishButton)->moved) << "the hidden button keeps the template's place";
        for (auto& [handle, w] : machine().windows.windows) {
            if (w.className == u"tooltips_class32") {
                EXPECT_EQ(w.tipMaxWidth, ui::ScaleForDpi(200, dpi)) << dpi;
            }
        }
    }
}

TEST(WizardDisplay, BeforePerWindowDpiTheDisplaysDpiIsTaken) {
    machine().windows.perWindowDpi = false;
    machine().windows.systemDpi = 144;
    InteractiveHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();
    ExpectLaidOutAt(144);
}

// Windows 10 tells a per-monitor-aware window that it moved to a display of another DPI, with
// the rectangle it suggests there; the wizard takes it and lays itself out anew, fonts too.
TEST(WizardDisplay, MovedToADisplayOfAnotherDpiItIsLaidOutAgainWithItsFonts) {
    const win::RECT suggested{100, 50, 100 + 1050, 50 + 360};
    {
        machine().windows.queue.push_back({nullptr, win::WM_DPICHANGED, win::MAKELONG(192, 192),
                                           reinterpret_cast<win::LPARAM>(&suggested)});
        InteractiveHost host;
        ui::UninstallDialog dialog(host);
        ASSERT_EQ(dialog.DoModal(), win::IDOK);
        ExpectLaidOutAt(192);
        EXPECT_EQ(DialogWindow()->x, 100);
        EXPECT_EQ(DialogWindow()->y, 50);

        const win::LOGFONTW* status = FontOf(Control(ui::kStatusControl)->font);
        ASSERT_NE(status, nullptr);
        EXPECT_EQ(status->lfHeight, -27) << "10 points at 192 DPI";
        EXPECT_EQ(std::u16string(status->lfFaceName), u"Tahoma");
        const win::LOGFONTW* link = FontOf(Control(ui::kLinkControl)->font);
        ASSERT_NE(link, nullptr);
        EXPECT_EQ(link->lfHeight, -27);
        EXPECT_TRUE(link->lfUnderline) << "the link keeps its underline in the new size";
        for (auto& [handle, w] : machine().windows.windows)
            if (w.className == u"tooltips_class32") {
                EXPECT_EQ(w.tool.rect.right, 320) << "the link's hit area is its new client area";
                EXPECT_EQ(w.tool.rect.bottom, 48);
            }
    }
    EXPECT_EQ(machine().gdi.Live(sim::GdiKind::Font), 0) << "every font made on the way is deleted";
}

TEST(WizardDisplay, WithoutAChangeOfDpiTheTemplatesFontStays) {
    machine().windows.systemDpi = 144;
    InteractiveHost host;
    ui::UninstallDialog dialog(host);
    dialog.DoModal();
    EXPECT_EQ(Control(ui::kStatusControl)->font, DialogWindow()->dialogFont);
}

// The banner as the wizard sets it up at a DPI, painted once.
void PaintBanner(int dpi, win::DWORD exStyle = 0) {
    auto& ws = machine().windows;
    win::HWND dialog = ws.Create(u"#32770", nullptr, 0);
    win::HWND control = ws.Create(u"Static", dialog, ui::kBannerControl);
    ws.windows[control].width = ui::ScaleForDpi(525, dpi);
    ws.windows[control].height = ui::ScaleForDpi(66, dpi);
    ws.windows[control].exStyle = exStyle;
    ui::BannerStatic banner;
    banner.SubclassWindow(control);
    banner.SetBitmapId(ui::kBannerBitmap);
    banner.SetTitle(u"Orvik Pendrel Uninstall Wizard");
    banner.SetDpi(dpi);
    win::SendMessageW(control, win::WM_PAINT, 0, 0);
    const auto& texts = machine().gdi.texts;
    ASSERT_EQ(texts.size(), 1u);
    const win::LOGFONTW* font = FontOf(texts[0].font);
    ASSERT_NE(font, nullptr) << "the title's font lives as long as the banner";
    EXPECT_EQ(font->lfHeight, -ui::ScaleForDpi(20, dpi)) << dpi;
    EXPECT_EQ(font->lfWeight, win::FW_BOLD);
}

TEST(WizardBanner, TitleInABoldFontOfTheDisplaysScaleOverAPictureSmoothedWhenEnlarged) {
    for (int dpi : {96, 144, 192}) {
        sim::Reset();
        PaintBanner(dpi);
        const auto& gdi = machine().gdi;
        ASSERT_EQ(gdi.blits.size(), 1u) << dpi;
        EXPECT_EQ(gdi.blits[0].dest.right, ui::ScaleForDpi(525, dpi));
        EXPECT_EQ(gdi.blits[0].source.right, 529);
        EXPECT_EQ(gdi.blits[0].stretchMode, dpi == 96 ? 1 : win::HALFTONE)
            << "smoothed when enlarged; at 96 DPI as it always was";
        ASSERT_FALSE(gdi.texts.empty()) << dpi;
        const sim::DrawnText& title = gdi.texts[0];
        EXPECT_EQ(title.text, u"Orvik Pendrel Uninstall Wizard");
        EXPECT_EQ(title.colour, win::RGB(255, 255, 255));
        EXPECT_EQ(title.x, ui::ScaleForDpi(68, dpi)) << "beside the picture's emblem";
        EXPECT_EQ(title.height, ui::ScaleForDpi(66, dpi));
        EXPECT_EQ(title.flags & (win::DT_SINGLELINE | win::DT_VCENTER | win::DT_END_ELLIPSIS),
                  win::DT_SINGLELINE | win::DT_VCENTER | win::DT_END_ELLIPSIS);
        EXPECT_EQ(title.flags & win::DT_RTLREADING, 0u);
        EXPECT_EQ(title.bkMode, win::TRANSPARENT);
    }
}

TEST(WizardBanner, MirroredBannerReadsItsTitleFromTheRight) {
    PaintBanner(96, win::WS_EX_LAYOUTRTL | win::WS_EX_RTLREADING);
    ASSERT_FALSE(machine().gdi.texts.empty());
    EXPECT_EQ(machine().gdi.texts[0].flags & win::DT_RTLREADING, win::DT_RTLREADING);
}

}  // namespace

namespace {

// A font wider than the display's scale (as fonts are drawn at whole pixel heights) would cut
// the link's text: its control grows to the text, as far as the wizard's margins allow.
TEST(WizardDisplay, LinkGrowsToATextWiderThanItsPlace) {
    const std::pair<int, int> cases[] = {{7, 160}, {20, 21 * 20 + 4}, {30, 525 - 2 * 16}};  // character width, link width
    for (const auto& [characterWidth, linkWidth] : cases) {
        sim::Reset();
        machine().gdi.charWidth = characterWidth;
        InteractiveHost host;
        ui::UninstallDialog dialog(host);
        dialog.DoModal();
        EXPECT_EQ(Control(ui::kLinkControl)->width, linkWidth) << characterWidth;
        EXPECT_EQ(Control(ui::kLinkControl)->x, 16);
        EXPECT_EQ(Control(ui::kLinkControl)->height, 24);
    }
}

}  // namespace
