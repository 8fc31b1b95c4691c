// The wizard's owner-drawn controls, drawn on the simulated GDI.
#include <gtest/gtest.h>

#include "platform/sim/machine.h"
#include "platform/system.h"
#include "ui/banner_static.h"
#include "ui/color_edit.h"
#include "ui/flat_button.h"
#include "ui/link_label.h"

namespace {

using sim::machine;

win::HWND MakeControl(const char16_t* className, int x, int y, int width, int height,
                      const std::u16string& text = u"") {
    auto& ws = machine().windows;
    win::HWND dialog = ws.Create(u"#32770", nullptr, 0);
    win::HWND control = ws.Create(className, dialog, 1000);
    sim::SimWindow& w = ws.windows[control];
    w.x = x, w.y = y, w.width = width, w.height = height;
    w.caption = text;
    return control;
}

win::DRAWITEMSTRUCT Item(win::HWND button, win::UINT state, win::RECT rect = {0, 0, 100, 30}) {
    win::DRAWITEMSTRUCT item{};
    item.hwndItem = button;
    item.hDC = machine().gdi.NewDc();
    item.itemState = state;
    item.rcItem = rect;
    return item;
}

win::COLORREF Rgb(int r, int g, int b) {
    return win::RGB(static_cast<win::BYTE>(r), static_cast<win::BYTE>(g), static_cast<win::BYTE>(b));
}

// --- FlatButton ----------------------------------------------------------------------------------

int Red(win::COLORREF c) { return static_cast<int>(c & 0xFF); }
int Green(win::COLORREF c) { return static_cast<int>((c >> 8) & 0xFF); }
int Blue(win::COLORREF c) { return static_cast<int>((c >> 16) & 0xFF); }
int Brightness(win::COLORREF c) { return Red(c) + Green(c) + Blue(c); }

// What the eye sees of the face: white at the top, darker row by row, a lighter face under the
// mouse, a warmer face when highlighted.
TEST(FlatButtonFace, GradientRunsFromWhiteDownwardsInTheColourOfTheFlags) {
    for (bool hover : {false, true})
        for (bool highlighted : {false, true}) {
            EXPECT_EQ(ui::FaceColour(0, hover, highlighted), Rgb(255, 255, 255));
            for (int step = 1; step < 64; ++step)
                EXPECT_LE(Brightness(ui::FaceColour(step, hover, highlighted)),
                          Brightness(ui::FaceColour(step - 1, hover, highlighted)))
                    << "step " << step;
            const win::COLORREF bottom = ui::FaceColour(63, hover, highlighted);
            EXPECT_LT(Brightness(bottom), 3 * 255) << "the face is shaded";
            EXPECT_EQ(Red(bottom), Green(bottom)) << "no tint but blue";
        }
    for (bool highlighted : {false, true})
        EXPECT_GT(Brightness(ui::FaceColour(63, true, highlighted)), Brightness(ui::FaceColour(63, false, highlighted)))
            << "hovering keeps the face lighter";
    auto blueTint = [](win::COLORREF c) { return Blue(c) - Red(c); };
    for (bool hover : {false, true})
        EXPECT_LT(blueTint(ui::FaceColour(63, hover, true)), blueTint(ui::FaceColour(63, hover, false)))
            << "a highlighted face keeps less of the blue tint";
}

TEST(FlatButtonFace, FillsEveryRowThroughTheBottomEdgeAndFreesItsBrushes) {
    ui::FlatButton button;
    const int brushesBefore = machine().gdi.Live(sim::GdiKind::Brush);
    win::HDC dc = machine().gdi.NewDc();
    button.DrawFace(dc, {10, 20, 50, 40});
    const auto& fills = machine().gdi.fills;
    ASSERT_EQ(fills.size(), 21u);
    for (int row = 0; row <= 20; ++row) {
        EXPECT_EQ(fills[row].rect.top, 20 + row);
        EXPECT_EQ(fills[row].rect.bottom, 21 + row);
        EXPECT_EQ(fills[row].rect.left, 10);
        EXPECT_EQ(fills[row].rect.right, 50);
        if (row > 0) {
            EXPECT_LE(Brightness(fills[row].colour), Brightness(fills[row - 1].colour)) << "row " << row;
        }
    }
    EXPECT_EQ(fills.front().colour, ui::FaceColour(0, false, false));
    EXPECT_EQ(fills.back().colour, ui::FaceColour(63, false, false)) << "the whole gradient spans the face";
    EXPECT_EQ(machine().gdi.Live(sim::GdiKind::Brush), brushesBefore);
}

TEST(FlatButtonFace, RectangleWithoutHeightDrawsNothing) {
    ui::FlatButton button;
    win::HDC dc = machine().gdi.NewDc();
    button.DrawFace(dc, {10, 20, 50, 20});
    button.DrawFace(dc, {10, 20, 50, 10});
    EXPECT_TRUE(machine().gdi.fills.empty());
}

TEST(FlatButtonDraw, TextIsCentredAndMovesOnePixelWhenPressed) {
    win::HWND window = MakeControl(u"Button", 0, 0, 100, 30, u"Finish");
    ui::FlatButton button;
    ASSERT_TRUE(button.SubclassWindow(window));
    button.DrawItem(Item(window, 0));
    button.DrawItem(Item(window, win::ODS_SELECTED));
    const auto& texts = machine().gdi.texts;
    ASSERT_EQ(texts.size(), 2u);
    // Inner rectangle (2, 2, 98, 28); "Finish" measures 42 x 13.
    EXPECT_EQ(texts[0].text, u"Finish");
    EXPECT_EQ(texts[0].x, 50 - 21);
    EXPECT_EQ(texts[0].y, 15 - 6);
    EXPECT_EQ(texts[1].x, texts[0].x + 1);
    EXPECT_EQ(texts[1].y, texts[0].y + 1);
    EXPECT_EQ(texts[0].flags, win::DST_TEXT);
    EXPECT_EQ(texts[0].bkMode, win::TRANSPARENT);
}

TEST(FlatButtonDraw, DisabledTextIsEmbossedAndTheOutlineIsRounded) {
    win::HWND window = MakeControl(u"Button", 0, 0, 100, 30, u"Finish");
    ui::FlatButton button;
    button.SubclassWindow(window);
    win::DRAWITEMSTRUCT item = Item(window, win::ODS_DISABLED);
    button.DrawItem(item);
    ASSERT_EQ(machine().gdi.texts.size(), 1u);
    EXPECT_EQ(machine().gdi.texts[0].flags, win::DST_TEXT | win::DSS_DISABLED);
    ASSERT_EQ(machine().gdi.roundRects.size(), 1u);
    const auto& outline = machine().gdi.roundRects[0];
    EXPECT_EQ(outline.rect.right, 100);
    EXPECT_EQ(outline.rect.bottom, 30);
    EXPECT_EQ(outline.cornerWidth, 5);
    EXPECT_EQ(outline.cornerHeight, 5);
    EXPECT_EQ(outline.penColour, Rgb(0, 0, 0));
    // Everything selected into the context is put back.
    EXPECT_EQ(machine().gdi.dcs[item.hDC].size(), 1u);
    EXPECT_EQ(machine().gdi.dcs[item.hDC].back().pen, nullptr);
    EXPECT_EQ(machine().gdi.dcs[item.hDC].back().bkMode, 2);
}

// The four edges of the frame just inside the inner rectangle (2, 2, 98, 28): left, right, top,
// bottom, in the given tint; the thicker edges are the left and right ones.
enum class Tint { Orange, Blue };

void ExpectFrame(const std::vector<sim::DrawnLine>& lines, Tint tint) {
    ASSERT_EQ(lines.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const win::COLORREF c = lines[i].colour;
        if (tint == Tint::Orange) EXPECT_TRUE(Red(c) > Green(c) && Green(c) > Blue(c)) << "edge " << i;
        else EXPECT_TRUE(Blue(c) > Red(c) && Blue(c) > 200) << "edge " << i;
        EXPECT_GE(lines[i].width, 2) << "edge " << i;
    }
    EXPECT_GE(lines[0].width, lines[2].width);
    EXPECT_GE(lines[1].width, lines[3].width);
    EXPECT_EQ(lines[0].from.x, 2);
    EXPECT_EQ(lines[0].from.y, 27);
    EXPECT_EQ(lines[0].to.y, 3);
    EXPECT_EQ(lines[1].from.x, 97);
    EXPECT_EQ(lines[1].to.y, 2);
    EXPECT_EQ(lines[2].from.x, 1);
    EXPECT_EQ(lines[2].to.x, 97);
    EXPECT_EQ(lines[3].from.y, 28);
    EXPECT_EQ(lines[3].to.x, 97);
}

TEST(FlatButtonDraw, FramesFollowHoverAndFocus) {
    win::HWND window = MakeControl(u"Button", 0, 0, 100, 30, u"Finish");
    ui::FlatButton button;
    button.SubclassWindow(window);
    auto& gdi = machine().gdi;

    button.DrawItem(Item(window, 0));
    EXPECT_TRUE(gdi.lines.empty()) << "no frame without hover or focus";

    button.DrawItem(Item(window, win::ODS_FOCUS));
    ExpectFrame(gdi.lines, Tint::Blue);
    ASSERT_EQ(gdi.focusRects.size(), 1u);
    EXPECT_EQ(gdi.focusRects[0].left, 2);
    EXPECT_EQ(gdi.focusRects[0].bottom, 28);

    gdi.lines.clear();
    gdi.focusRects.clear();
    win::SendMessageW(window, win::WM_MOUSEHOVER, 0, 0);
    ASSERT_TRUE(button.IsHovering());
    button.DrawItem(Item(window, 0));
    ExpectFrame(gdi.lines, Tint::Orange);

    gdi.lines.clear();
    button.DrawItem(Item(window, win::ODS_FOCUS));
    ExpectFrame(gdi.lines, Tint::Orange);
    EXPECT_TRUE(gdi.focusRects.empty()) << "hovering over a focused button shows no focus rectangle";
}

TEST(FlatButtonDraw, FrameAndFaceGiveBackTheContextAsTheyFoundIt) {
    ui::FlatButton button;
    auto& gdi = machine().gdi;
    win::HDC dc = gdi.NewDc();
    const win::HGDIOBJ pen = win::CreatePen(win::PS_INSIDEFRAME, 1, Rgb(1, 2, 3));
    win::SelectObject(dc, pen);
    win::MoveToEx(dc, 7, 9, nullptr);
    const int objects = static_cast<int>(gdi.objects.size());

    button.DrawFace(dc, {2, 2, 98, 28});
    button.DrawFrame(dc, {2, 2, 98, 28});

    EXPECT_EQ(gdi.lines.size(), 4u);
    EXPECT_EQ(gdi.Dc(dc).pen, pen) << "the pen selected before the frame is selected again";
    EXPECT_EQ(gdi.Dc(dc).position.x, 7);
    EXPECT_EQ(gdi.Dc(dc).position.y, 9);
    EXPECT_EQ(static_cast<int>(gdi.objects.size()), objects) << "no GDI object is left behind";
    win::DeleteObject(pen);
}

TEST(FlatButtonMouse, TrackingIsArmedOnceAndHoverEndsWhenTheMouseLeaves) {
    win::HWND window = MakeControl(u"Button", 0, 0, 100, 30);
    ui::FlatButton button;
    button.SubclassWindow(window);
    auto& ws = machine().windows;
    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    ASSERT_EQ(ws.tracks.size(), 1u);
    EXPECT_EQ(ws.tracks[0].dwFlags, win::TME_HOVER | win::TME_LEAVE);
    EXPECT_EQ(ws.tracks[0].dwHoverTime, 1u);
    EXPECT_EQ(ws.tracks[0].hwndTrack, window);

    win::SendMessageW(window, win::WM_MOUSEHOVER, 0, 0);
    EXPECT_TRUE(button.IsHovering());
    win::SendMessageW(window, win::WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(button.IsHovering());
    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(ws.tracks.size(), 2u) << "tracking is armed again after the mouse left";
}

TEST(FlatButtonLifetime, BecomesOwnerDrawnAndFreesItsPensAndBrushes) {
    win::HWND window = MakeControl(u"Button", 0, 0, 100, 30);
    machine().windows.windows[window].style = 0x50010F01;  // visible default push button
    {
        ui::FlatButton button;
        button.SubclassWindow(window);
        EXPECT_EQ(machine().windows.windows[window].style, 0x50010F0B);
        win::SendMessageW(window, win::WM_MOUSEHOVER, 0, 0);
        button.DrawItem(Item(window, win::ODS_FOCUS | win::ODS_SELECTED));
    }
    EXPECT_TRUE(machine().gdi.objects.empty()) << "every pen and brush is deleted with the button";
}

// --- LinkLabel -----------------------------------------------------------------------------------

win::HWND MakeLabel() {
    win::HWND label = MakeControl(u"Static", 16, 145, 160, 24, u"www.example.test");
    win::LOGFONTW font{};
    font.lfHeight = -13;
    std::u16string face = u"Tahoma";
    face.copy(font.lfFaceName, face.size());
    win::SendMessageW(label, win::WM_SETFONT, reinterpret_cast<win::WPARAM>(win::CreateFontIndirectW(&font)), 0);
    return label;
}

TEST(LinkLabelColour, LinkColourAndRedWhileTheMouseRestsOnIt) {
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    win::HDC dc = machine().gdi.NewDc();

    win::HBRUSH brush = link.OnReflectedCtlColor(dc);
    EXPECT_EQ(machine().gdi.Dc(dc).textColour, Rgb(29, 90, 142));
    EXPECT_EQ(machine().gdi.Dc(dc).bkMode, win::TRANSPARENT);
    EXPECT_EQ(static_cast<win::HGDIOBJ>(brush), win::GetStockObject(win::NULL_BRUSH));

    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    link.OnReflectedCtlColor(dc);
    EXPECT_EQ(machine().gdi.Dc(dc).textColour, Rgb(255, 0, 0));
}

TEST(LinkLabelColour, LabelIsClearedWithTheDialogBackgroundBeforeItsTextIsDrawn) {
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    win::HDC dc = machine().gdi.NewDc();
    EXPECT_EQ(win::SendMessageW(window, win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(dc), 0), win::TRUE);
    ASSERT_EQ(machine().gdi.fills.size(), 1u);
    EXPECT_EQ(machine().gdi.fills[0].rect.right, 160);
    EXPECT_EQ(machine().gdi.fills[0].rect.bottom, 24);
    EXPECT_EQ(machine().gdi.fills[0].colour, Rgb(240, 240, 240));
}

TEST(LinkLabelHover, TimerEndsTheHoverOnlyOnceTheMouseHasLeft) {
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    auto& ws = machine().windows;
    auto& label = ws.windows[window];

    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(link.IsHovering());
    ASSERT_EQ(label.timers.count(1), 1u);
    EXPECT_EQ(label.timers[1].interval, 100u);
    const int invalidated = label.invalidations;

    ws.cursor = {16 + 159, 145 + 23};  // the last pixel inside
    win::SendMessageW(window, win::WM_TIMER, 1, 0);
    EXPECT_TRUE(link.IsHovering());
    EXPECT_EQ(label.timers.count(1), 1u);

    ws.cursor = {16 + 160, 150};
    win::SendMessageW(window, win::WM_TIMER, 1, 0);
    EXPECT_FALSE(link.IsHovering());
    EXPECT_EQ(label.timers.count(1), 0u);
    EXPECT_GT(label.invalidations, invalidated);

    // Positions left of or above the screen arrive as negative 16-bit halves.
    win::SendMessageW(window, win::WM_MOUSEMOVE, 0, 0);
    ws.cursor = {-5, -5};
    win::SendMessageW(window, win::WM_TIMER, 1, 0);
    EXPECT_FALSE(link.IsHovering());
}

TEST(LinkLabelSetUp, UnderlinedOwnFontNotifyStyleAndTooltip) {
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    auto& label = machine().windows.windows[window];
    EXPECT_TRUE(label.style & win::SS_NOTIFY);

    const sim::GdiObject* font = machine().gdi.Find(label.font);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->font.lfUnderline, 1);
    EXPECT_EQ(font->font.lfHeight, -13);
    EXPECT_EQ(std::u16string(font->font.lfFaceName), u"Tahoma");

    ASSERT_NE(link.Tooltip(), nullptr);
    auto& tip = machine().windows.windows[link.Tooltip()];
    EXPECT_EQ(tip.className, u"tooltips_class32");
    EXPECT_EQ(tip.parent, window);
    EXPECT_EQ(tip.tipDelay, 100);
    EXPECT_EQ(tip.tipMaxWidth, 200);
    EXPECT_EQ(tip.tool.uId, 1u);
    EXPECT_EQ(tip.tool.hwnd, window);
    EXPECT_EQ(tip.tool.rect.right, 160);
    EXPECT_EQ(tip.tool.rect.bottom, 24);
    EXPECT_EQ(tip.tipText, u"");
    link.SetTooltipText(u"https://www.example.test/");
    EXPECT_EQ(tip.tipText, u"https://www.example.test/");
}

TEST(LinkLabelClick, OpensTheLinkWithoutOwner) {
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    link.m_strLink = u"www.example.test";
    machine().shell.shellExecuteFails = true;
    EXPECT_TRUE(link.OnReflectedCommand(win::STN_CLICKED));
    ASSERT_EQ(machine().shell.launches.size(), 1u);
    EXPECT_EQ(machine().shell.launches[0].verb, u"open");
    EXPECT_EQ(machine().shell.launches[0].file, u"www.example.test");
    EXPECT_EQ(machine().shell.launches[0].show, win::SW_SHOW);
}

TEST(LinkLabelCursor, HelpViewerHandCursorIsCopiedAndTheModuleReleased) {
    machine().system.libraries[u"C:\\windows\\winhlp32.exe"] = {};
    machine().windows.moduleCursors.insert({u"c:\\windows\\winhlp32.exe", 106});
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    ASSERT_NE(link.HandCursor(), nullptr);
    EXPECT_NE(link.HandCursor(), sim::kSystemHandCursor);
    EXPECT_EQ(machine().system.librariesFreed, 1);
    // Mapped for its resources only: none of its code runs, none of its imports is loaded.
    EXPECT_EQ(machine().CallsTo("LoadLibraryExW"), std::vector<std::string>{"C:\\windows\\winhlp32.exe 0x22"});

    EXPECT_EQ(win::SendMessageW(window, win::WM_SETCURSOR, 0, 0), win::TRUE);
    EXPECT_EQ(machine().windows.cursorShown, link.HandCursor());
}

TEST(LinkLabelCursor, SystemsThatKnowOnlyTheDataFlagStillGiveTheHelpViewersCursor) {
    machine().system.imageResourceFlagUnknown = true;
    machine().system.libraries[u"C:\\windows\\winhlp32.exe"] = {};
    machine().windows.moduleCursors.insert({u"c:\\windows\\winhlp32.exe", 106});
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    EXPECT_NE(link.HandCursor(), sim::kSystemHandCursor);
    EXPECT_EQ(machine().CallsTo("LoadLibraryExW"),
              (std::vector<std::string>{"C:\\windows\\winhlp32.exe 0x22", "C:\\windows\\winhlp32.exe 0x2"}));
    EXPECT_EQ(machine().system.librariesLoaded, machine().system.librariesFreed);
}

TEST(LinkLabelCursor, WithoutTheHelpViewerTheSystemHandIsUsed) {
    machine().system.libraries[u"C:\\windows\\winhlp32.exe"] = {};  // present, but without cursor 106
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    EXPECT_EQ(link.HandCursor(), sim::kSystemHandCursor);
    EXPECT_EQ(machine().system.librariesFreed, 1);
    win::SendMessageW(window, win::WM_SETCURSOR, 0, 0);
    EXPECT_EQ(machine().windows.cursorShown, sim::kSystemHandCursor);
}

TEST(LinkLabelCursor, OverlongWindowsDirectoryIsNotExtendedPastItsBuffer) {
    machine().system.windowsDirectory = u"C:\\" + std::u16string(250, u'w');
    win::HWND window = MakeLabel();
    ui::LinkLabel link;
    link.SubclassWindow(window);
    EXPECT_EQ(machine().CountCalls("LoadLibraryExW"), 0u);
    EXPECT_EQ(link.HandCursor(), sim::kSystemHandCursor);
}

// --- BannerStatic and ColorEdit --------------------------------------------------------------------

TEST(BannerStaticPaint, BitmapIsStretchedOverTheControl) {
    win::HWND window = MakeControl(u"Static", 0, 0, 525, 66);
    ui::BannerStatic banner;
    banner.SubclassWindow(window);
    ASSERT_TRUE(banner.SetBitmapId(0x10000 | 129));  // only the low 16 bits name the resource
    ASSERT_TRUE(banner.SetBitmapId(129));
    EXPECT_EQ(machine().gdi.Live(sim::GdiKind::Bitmap), 1) << "the bitmap held before is deleted";

    win::SendMessageW(window, win::WM_PAINT, 0, 0);
    ASSERT_EQ(machine().gdi.blits.size(), 1u);
    const auto& blit = machine().gdi.blits[0];
    EXPECT_EQ(blit.dest.right, 525);
    EXPECT_EQ(blit.dest.bottom, 66);
    EXPECT_EQ(blit.source.right, 529);
    EXPECT_EQ(blit.source.bottom, 66);
    EXPECT_EQ(blit.rop, win::SRCCOPY);
    EXPECT_NE(blit.bitmap, nullptr);
    EXPECT_TRUE(machine().gdi.dcs.empty()) << "paint and memory contexts are released";
}

TEST(BannerStaticPaint, MissingBitmapPaintsNothing) {
    machine().gdi.bitmapResources.clear();
    win::HWND window = MakeControl(u"Static", 0, 0, 525, 66);
    ui::BannerStatic banner;
    banner.SubclassWindow(window);
    EXPECT_FALSE(banner.SetBitmapId(129));
    win::SendMessageW(window, win::WM_PAINT, 0, 0);
    EXPECT_TRUE(machine().gdi.blits.empty());
}

TEST(ColorEditColours, BlackOnItsOwnWhiteBrush) {
    ui::ColorEdit edit;
    win::HDC dc = machine().gdi.NewDc();
    win::HBRUSH brush = edit.OnReflectedCtlColor(dc);
    EXPECT_EQ(machine().gdi.Dc(dc).textColour, Rgb(0, 0, 0));
    EXPECT_EQ(machine().gdi.Dc(dc).bkColour, Rgb(255, 255, 255));
    ASSERT_NE(machine().gdi.Find(brush), nullptr);
    EXPECT_EQ(machine().gdi.Find(brush)->colour, Rgb(255, 255, 255));
}

}  // namespace
