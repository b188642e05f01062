// The menus' colour arithmetic and layout sums, checked against values
// worked out by hand (MulDiv rounds halves away from zero, term by term).
#include <gtest/gtest.h>

#include <string>

#include "uikit/menu/menucolors.h"
#include "uikit/menu/menuerror.h"
#include "uikit/menu/menumetrics.h"

using namespace vt::menu;

namespace {

TEST(MenuColors, MixesRoundEachTermOnItsOwn) {
    // 25: 86 % is 21.5 -> 22 and 14 % is 3.5 -> 4, so 26 (the exact sum is 25).
    EXPECT_EQ(Mix86(RGB(25, 0, 255), RGB(25, 0, 0)), RGB(26, 0, 219));
    EXPECT_EQ(Mix86(RGB(255, 255, 255), RGB(212, 208, 200)), RGB(249, 248, 247));
    // 5: 3.5 -> 4 plus 1.5 -> 2 = 6.
    EXPECT_EQ(Mix70(RGB(5, 255, 0), RGB(5, 0, 255)), RGB(6, 179, 77));
}

TEST(MenuColors, DarkenLightenShadowAndScale) {
    EXPECT_EQ(Darken(128, RGB(212, 208, 200)), RGB(106, 104, 100));
    EXPECT_EQ(Darken(0, RGB(1, 2, 3)), RGB(1, 2, 3));
    EXPECT_EQ(Darken(255, RGB(200, 100, 50)), RGB(0, 0, 0));
    EXPECT_EQ(Lighten(100, RGB(0, 128, 255)), RGB(100, 178, 255));
    EXPECT_EQ(ShadowOf(RGB(100, 200, 255)), RGB(70, 140, 217));
    EXPECT_EQ(ShadowOf(RGB(5, 15, 0)), RGB(4, 11, 39));
    EXPECT_EQ(ScaleColor(RGB(255, 100, 1), 225), RGB(225, 88, 1));
}

TEST(MenuColors, ChannelsAreClampedTo0And255) {
    // 70 % of 255 is 178.5 -> 179 and 30 % is 76.5 -> 77: 256 before clamping.
    EXPECT_EQ(Mix70(RGB(255, 255, 255), RGB(255, 255, 255)), RGB(255, 255, 255));
    EXPECT_EQ(Mix86(RGB(255, 255, 255), RGB(255, 255, 255)), RGB(255, 255, 255));
    // Factors beyond 255 brighten up to white, darkening beyond 255 ends at black.
    EXPECT_EQ(ScaleColor(RGB(255, 128, 0), 300), RGB(255, 151, 0));
    EXPECT_EQ(Darken(300, RGB(200, 100, 50)), RGB(0, 0, 0));
    EXPECT_EQ(Lighten(255, RGB(0, 77, 255)), RGB(255, 255, 255));
    // Blue 255 + 55 at 7/10 is 217, under the limit; zero channels stay zero.
    EXPECT_EQ(ShadowOf(RGB(0, 0, 255)), RGB(0, 0, 217));
    EXPECT_EQ(DimmedPixel(RGB(0, 0, 0)), RGB(0, 0, 0));
}

TEST(MenuColors, DibPixelsAndColoursConvertBothWays) {
    // A DIB pixel has blue in the low byte; its top byte is no part of the colour.
    EXPECT_EQ(ColorFromDibPixel(0xFF102030u), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(DibPixelFromColor(RGB(0x10, 0x20, 0x30)), 0x00102030u);
}

TEST(MenuColors, MenuBackgroundIndex) {
    EXPECT_EQ(MenuColorIndex(kVersionXp, true, false), COLOR_MENUBAR);
    EXPECT_EQ(MenuColorIndex(kVersionXp, false, true), COLOR_MENUBAR);
    EXPECT_EQ(MenuColorIndex(kVersionXp, false, false), COLOR_MENU);
    // Before XP neither flat menus nor themes change the menu colour.
    EXPECT_EQ(MenuColorIndex(kVersion2000, true, true), COLOR_MENU);
}

TEST(MenuColors, PictureCopies) {
    EXPECT_EQ(DimmedPixel(RGB(255, 128, 1)), RGB(240, 120, 1));
    // grey 60, lightened to 136, then 86 % with 14 % of the menu colour.
    EXPECT_EQ(DisabledPixel(RGB(30, 60, 90), RGB(212, 208, 200)), RGB(147, 146, 145));
    EXPECT_EQ(DisabledPixel(RGB(255, 255, 255), RGB(255, 255, 255)), RGB(255, 255, 255));
}

COLORREF Identity(COLORREF c, void*) { return c; }
COLORREF Posterise(COLORREF c, void*) { return c & 0x808080; }

TEST(MenuColors, FlatItemColours) {
    SysColors sys{RGB(255, 255, 255), RGB(212, 208, 200), RGB(10, 36, 106), RGB(192, 192, 192),
                  RGB(0, 0, 0)};
    FlatColors c = ComputeFlatColors(sys, 64000, false, Identity, nullptr);
    // 86 % window + 14 % menu: 219 + 30, 219 + 29, 219 + 28.
    EXPECT_EQ(c.background, RGB(249, 248, 247));
    // 86 % menu + 14 % window: 182 + 36, 179 + 36, 172 + 36.
    EXPECT_EQ(c.strip, RGB(218, 215, 208));
    // 70 % window + 30 % highlight: 179 + 3, 179 + 11, 179 + 32.
    EXPECT_EQ(c.selection, RGB(182, 190, 211));
    EXPECT_EQ(c.framePen, RGB(10, 36, 106));

    // A device that cannot tell the two mixes apart gets the pure colours.
    c = ComputeFlatColors(sys, 64000, false, Posterise, nullptr);
    EXPECT_EQ(c.background, RGB(255, 255, 255));
    EXPECT_EQ(c.strip, RGB(212, 208, 200));

    // Menu colour equal to the window colour: both mixes are the same.
    SysColors same = sys;
    same.menu = RGB(255, 255, 255);
    c = ComputeFlatColors(same, 64000, false, Identity, nullptr);
    EXPECT_EQ(c.background, RGB(255, 255, 255));
    EXPECT_EQ(c.strip, RGB(255, 255, 255));

    // A palette screen: the button face as strip, the window as selection.
    c = ComputeFlatColors(sys, 256, false, Identity, nullptr);
    EXPECT_EQ(c.strip, RGB(192, 192, 192));
    EXPECT_EQ(c.selection, RGB(255, 255, 255));

    c = ComputeFlatColors(sys, 64000, true, Identity, nullptr);
    EXPECT_EQ(c.selection, RGB(10, 36, 106));
    EXPECT_EQ(c.framePen, RGB(0, 0, 0));

    EXPECT_EQ(NormaliseColorCount(-1), 64000);
    EXPECT_TRUE(IsPaletteScreen(256));
    EXPECT_FALSE(IsPaletteScreen(257));
}

TEST(MenuVersion, Codes) {
    // Systems that cannot load the program count as the oldest of their family.
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32s, 3, 1), 4);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_NT, 3, 51), 5);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 0), 4);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 10), 4);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 90), 4);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_NT, 4, 0), 5);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_NT, 5, 0), 6);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_NT, 5, 1), 7);
    EXPECT_EQ(VersionCode(VER_PLATFORM_WIN32_NT, 10, 0), 7);
}

TEST(MenuLayout, FlatMeasureReplacesTabsAndSums) {
    EXPECT_EQ(FlatMeasureText("Open\tCtrl+O"), "OpennnnCtrl+O");
    EXPECT_EQ(FlatMeasureText("a\t\tb"), "annnnnnb");
    SIZE s = FlatItemSize(16, 15, 19, SIZE{50, 13});
    EXPECT_EQ(s.cx, 16 + 9 + 50 + 6);
    EXPECT_EQ(s.cy, 22);  // SM_CYMENU 19 is not above 15 + 8
    s = FlatItemSize(16, 15, 24, SIZE{50, 13});
    EXPECT_EQ(s.cy, 24);
    s = FlatItemSize(32, 32, 19, SIZE{10, 45});
    EXPECT_EQ(s.cx, 32 + 9 + 10 + 6);
    EXPECT_EQ(s.cy, 45);  // never below the text height
}

TEST(MenuLayout, ClassicMeasure) {
    SIZE s = ClassicItemSize(16, 15, 19, SIZE{50, 13});
    EXPECT_EQ(s.cx, 50 + 32 + 2);
    EXPECT_EQ(s.cy, 19);
    s = ClassicItemSize(32, 32, 19, SIZE{50, 13});
    EXPECT_EQ(s.cy, 36);
}

TEST(MenuLayout, FlatRectanglesAndPicturePlace) {
    RECT item = {10, 20, 210, 42};
    RECT strip = FlatStripRect(item, 16);
    EXPECT_EQ(strip.left, 10);
    EXPECT_EQ(strip.right, 34);
    RECT text = FlatTextRect(item, 16);
    EXPECT_EQ(text.left, 38);
    EXPECT_EQ(text.right, 195);
    POINT small = FlatPictureOrigin(item, 16, SIZE{16, 16});
    POINT wide = FlatPictureOrigin(item, 32, SIZE{16, 16});
    EXPECT_EQ(small.x, 13);
    EXPECT_EQ(wide.x - small.x, 8);
    EXPECT_EQ(small.y, 23);
}

TEST(MenuLayout, SplitLabelAndAccelerator) {
    std::string label, accel;
    SplitItemText("&Open\tCtrl+O", &label, &accel);
    EXPECT_EQ(label, "&Open");
    EXPECT_EQ(accel, "Ctrl+O");
    SplitItemText("a\tb\tc", &label, &accel);
    EXPECT_EQ(label, "a");
    EXPECT_EQ(accel, "c");
    SplitItemText("plain", &label, &accel);
    EXPECT_EQ(label, "plain");
    EXPECT_EQ(accel, "");
}

TEST(MenuFrame, MarginsAndSizesWithAndWithoutSystemShadow) {
    FrameMargins on = FlatFrameMargins(true), off = FlatFrameMargins(false);
    EXPECT_EQ(on.right, 2);
    EXPECT_EQ(on.bottom, 2);
    EXPECT_EQ(off.right, 5);
    EXPECT_EQ(off.bottom, 6);
    EXPECT_EQ(off.left, 2);
    WindowPosDelta d = FlatWindowPosDelta(true);
    EXPECT_EQ(d.dcx, -2);
    EXPECT_EQ(d.dy, -1);
    d = FlatWindowPosDelta(false);
    EXPECT_EQ(d.dcy, 2);
    RECT c = FlatContentRect(RECT{100, 100, 200, 300}, false);
    EXPECT_EQ(c.left, 102);
    EXPECT_EQ(c.right, 193);
    EXPECT_EQ(c.bottom, 293);
    c = FlatContentRect(RECT{100, 100, 200, 300}, true);
    EXPECT_EQ(c.right, 197);
    RECT box = FlatFrameBox(120, 80, false);
    EXPECT_EQ(box.right, 116);
    EXPECT_EQ(box.bottom, 76);
    box = FlatFrameBox(120, 80, true);
    EXPECT_EQ(box.right, 120);
}

TEST(MenuFrame, OwnShadowFactors) {
    const int h = 100, w = 150;
    for (int d = 1; d <= 4; ++d)
        for (int row = 0; row < 4; ++row) EXPECT_EQ(RightShadowFactor(d, row, h), -1);
    EXPECT_EQ(RightShadowFactor(1, 4, h), 249);
    EXPECT_EQ(RightShadowFactor(1, 7, h), 231);
    EXPECT_EQ(RightShadowFactor(4, 4, h), 231);
    EXPECT_EQ(RightShadowFactor(4, 7, h), 159);
    EXPECT_EQ(RightShadowFactor(1, 50, h), 225);
    EXPECT_EQ(RightShadowFactor(4, 50, h), 135);
    EXPECT_EQ(RightShadowFactor(4, h - 5, h), 135);
    EXPECT_EQ(RightShadowFactor(1, h - 4, h), 231);
    EXPECT_EQ(RightShadowFactor(1, h - 1, h), 249);
    EXPECT_EQ(RightShadowFactor(4, h - 4, h), 159);
    EXPECT_EQ(RightShadowFactor(4, h - 1, h), 231);
    EXPECT_EQ(BottomShadowFactor(1, 3, w), -1);
    EXPECT_EQ(BottomShadowFactor(1, 4, w), 249);
    EXPECT_EQ(BottomShadowFactor(3, 5, w), 237 - 18);
    EXPECT_EQ(BottomShadowFactor(2, 8, w), 195);
    EXPECT_EQ(BottomShadowFactor(4, w - 5, w), 135);
}

// At 144 DPI (150 %) every length of 96 DPI is half as long again, rounded
// to the nearest pixel; lines stay whole pixels.
TEST(MenuLayout, LengthsAt144Dpi) {
    SIZE s = FlatItemSize(24, 24, 28, SIZE{50, 20}, 144);
    EXPECT_EQ(s.cx, 24 + 14 + 50 + 9);
    EXPECT_EQ(s.cy, 24 + 11);  // 28 is not above 24 + 12
    s = ClassicItemSize(24, 24, 28, SIZE{50, 20}, 144);
    EXPECT_EQ(s.cx, 50 + 48 + 3);
    EXPECT_EQ(s.cy, 30);  // 24 + 6
    const RECT item = {10, 20, 210, 55};
    EXPECT_EQ(FlatStripRect(item, 24, 144).right, 10 + 24 + 12);
    EXPECT_EQ(FlatTextRect(item, 24, 144).left, 10 + 24 + 18);
    EXPECT_EQ(FlatTextRect(item, 24, 144).right, 210 - 23);               // 22.5
    EXPECT_EQ(FlatPictureOrigin(item, 24, SIZE{24, 24}, 144).x, 10 + 5);  // 4.5
    EXPECT_EQ(SeparatorSize(144).cy, 5);
    EXPECT_EQ(LineWidth(96), 1);
    EXPECT_EQ(LineWidth(120), 1);
    EXPECT_EQ(LineWidth(144), 2);
    EXPECT_EQ(LineWidth(48), 1);  // never thinner than a pixel
}

TEST(MenuFrame, MarginsAndShadowAt144Dpi) {
    const FrameMargins off = FlatFrameMargins(false, 144);
    EXPECT_EQ(off.left, 3);
    EXPECT_EQ(off.right, 8);  // 7.5
    EXPECT_EQ(off.bottom, 9);
    const WindowPosDelta d = FlatWindowPosDelta(true, 144);
    EXPECT_EQ(d.dcx, -3);
    EXPECT_EQ(d.dy, -2);
    EXPECT_EQ(FlatContentRect(RECT{100, 100, 200, 300}, false, 144).right, 200 - 11);
    EXPECT_EQ(ShadowWidth(144), 6);
    EXPECT_EQ(FlatFrameBox(120, 80, false, 144).right, 114);
    // The four steps of the 4-pixel shadow spread over 6 pixels.
    const int steps[] = {1, 2, 2, 3, 4, 4};
    for (int col = 1; col <= 6; ++col) EXPECT_EQ(ShadowStep(col, 144), steps[col - 1]) << col;
    // The same ramps as at 96 DPI, over scaled lengths: copied for the first
    // 6 rows, falling over the next 6, then flat, rising over the last 6.
    const int h = 100, w = 150;
    EXPECT_EQ(RightShadowFactor(1, 5, h, 144), -1);
    EXPECT_EQ(RightShadowFactor(1, 6, h, 144), 249);
    EXPECT_EQ(RightShadowFactor(6, 11, h, 144), 159);
    EXPECT_EQ(RightShadowFactor(6, 50, h, 144), 135);
    EXPECT_EQ(RightShadowFactor(1, 50, h, 144), 225);
    EXPECT_EQ(RightShadowFactor(1, h - 6, h, 144), 231);
    EXPECT_EQ(RightShadowFactor(1, h - 1, h, 144), 249);
    EXPECT_EQ(BottomShadowFactor(1, 5, w, 144), -1);
    EXPECT_EQ(BottomShadowFactor(6, 60, w, 144), 135);
    EXPECT_EQ(BottomShadowFactor(1, w - 7, w, 144), 225);
    EXPECT_EQ(BottomShadowFactor(1, w - 6, w, 144), -1);
    // At 96 DPI the stretched ramps are the plain ones.
    for (int col = 1; col <= 4; ++col)
        for (int row = 0; row < h; ++row)
            EXPECT_EQ(RightShadowFactor(col, row, h, 96), RightShadowFactor(col, row, h));
}

}  // namespace

namespace {

TEST(MenuErrors, HookInstallErrorCarriesItsCodeAndText) {
    try {
        throw vt::menu::HookInstallError(0x2000BEEF);
    } catch (const std::exception& e) {
        EXPECT_STREQ(
            e.what(),
            "the popup-menu hook could not be installed: Error message 0x2000beef not found");
        EXPECT_EQ(dynamic_cast<const vt::menu::HookInstallError&>(e).Code(), 0x2000BEEFu);
    }
}

}  // namespace
