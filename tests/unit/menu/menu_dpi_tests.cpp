// Menus at other DPIs than 96: pictures of the small-icon size, items tall
// enough for the larger font, margins, lines and the own shadow scaled,
// checked by the pixels the real functions draw. Run at the DPI of the Wine
// prefix (96, and 144 in the high-DPI run) and at 144 in any prefix.
#include <gtest/gtest.h>

#include <algorithm>

#include "framework/dpi.h"
#include "menu_canvas.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuerror.h"
#include "uikit/menu/menustyles.h"
#include "uikit/menu/menuframe.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/menutheme.h"
#include "uikit/menu/menuthemexp.h"
#include "uikit/menu/newmemdc.h"
#include "uikit/menu/newmenu.h"

using namespace vt;
using vt::test::Canvas;

namespace {

constexpr COLORREF kRed = RGB(220, 30, 40);

// A solid, fully opaque n x n icon.
HICON SolidIcon(int n, COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP colorBmp = CreateCompatibleBitmap(screen, n, n);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colorBmp);
    UniqueBrush b(CreateSolidBrush(color));
    RECT r = {0, 0, n, n};
    FillRect(dc, &r, b.Get());
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(n, n, 1, 1, nullptr);  // all zero: opaque
    ICONINFO ii = {TRUE, 0, 0, mask, colorBmp};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    DeleteObject(colorBmp);
    return icon;
}

struct FlatStyle {
    int previous = CNewMenu::SetMenuStyle(2);
    BOOL prepared = CNewMenu::SetUsePreparedImages(FALSE);
    ~FlatStyle() {
        CNewMenu::SetMenuStyle(previous);
        CNewMenu::SetUsePreparedImages(prepared);
    }
};

// Rows of the canvas inside r that hold colour c: first and last, -1 if none.
std::pair<int, int> RowsWith(const Canvas& c, const RECT& r, COLORREF col) {
    int first = -1, last = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (c.At(x, y) == col) {
                if (first < 0) first = y;
                last = y;
                break;
            }
    return {first, last};
}

// The bounding box of colour c in the canvas.
RECT BoxOf(const Canvas& c, COLORREF col) {
    RECT box = {c.W(), c.H(), -1, -1};
    for (int y = 0; y < c.H(); ++y)
        for (int x = 0; x < c.W(); ++x)
            if (c.At(x, y) == col) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

struct DrawnItem {
    SIZE measured;
    RECT picture;                    // where the picture's colour is
    int pictureCount;                // how many pixels have it
    COLORREF stripLast, afterStrip;  // last strip column, first column after it
    int inkRows;                     // rows that hold text
    SIZE separator;
};

// One flat item with a picture of the small-icon size of dpi, in a menu made
// for dpi, measured and drawn onto a canvas.
DrawnItem DrawFlatItemAt(int dpi) {
    FlatStyle flat;
    DrawnItem d = {};
    const int size = SmallIconSizeForDpi(dpi);
    CNewMenuBitmaps pictures;
    pictures.AddRef();
    UniqueIcon icon(SolidIcon(size, kRed));
    const int index = pictures.AddIcon(icon.Get(), 0);
    CNewMenu m;
    m.SetDpi(dpi);
    m.Attach(CreatePopupMenu());
    EXPECT_TRUE(m.AppendItem(0, 1, "Folder"));
    EXPECT_TRUE(m.SetItemImage(nullptr, 1, &pictures, index));
    EXPECT_TRUE(m.AppendItem(MF_SEPARATOR, 0, ""));
    EXPECT_EQ(m.GetIconWidth(), size);
    d.measured = vt::test::MeasureAt(m, 0);
    d.separator = vt::test::MeasureAt(m, 1);
    Canvas c(d.measured.cx + 40, d.measured.cy);
    const RECT item = {0, 0, c.W(), c.H()};
    vt::test::DrawAt(m, 0, c.Dc(), item);
    d.picture = BoxOf(c, kRed);
    d.pictureCount = c.Count(item, kRed);
    const RECT strip = menu::FlatStripRect(item, size, dpi);
    d.stripLast = c.At(strip.right - 1, c.H() - 1);
    d.afterStrip = c.At(strip.right, c.H() - 1);
    const auto ink = RowsWith(c, menu::FlatTextRect(item, size, dpi), GetSysColor(COLOR_MENUTEXT));
    d.inkRows = ink.first < 0 ? 0 : ink.second - ink.first + 1;
    return d;
}

void ExpectScaledFlatItem(int dpi) {
    SCOPED_TRACE(dpi);
    const int size = SmallIconSizeForDpi(dpi);
    const DrawnItem d = DrawFlatItemAt(dpi);
    // The picture is drawn at its own size, not stretched, where the layout
    // puts it.
    EXPECT_EQ(d.pictureCount, size * size);
    const RECT item = {0, 0, d.measured.cx + 40, d.measured.cy};
    const POINT at = menu::FlatPictureOrigin(item, size, SIZE{size, size}, dpi);
    EXPECT_EQ(d.picture.left, at.x);
    EXPECT_EQ(d.picture.top, at.y);
    EXPECT_EQ(d.picture.right - d.picture.left, size);
    // The strip is the icon column plus 8 pixels of 96 DPI.
    EXPECT_NE(d.stripLast, d.afterStrip);
    // Tall enough for the picture with its margins and for the menu font at
    // that DPI; the text's ink fits inside the item.
    UniqueFont font = menu::ItemFont(false, dpi);
    Canvas probe(10, 10);
    SelectObject(probe.Dc(), font.Get());
    TEXTMETRICA tm = {};
    GetTextMetricsA(probe.Dc(), &tm);
    EXPECT_GE(d.measured.cy, size + ScaleForDpi(7, dpi));
    EXPECT_GE(d.measured.cy, tm.tmHeight);
    EXPECT_GT(d.inkRows, tm.tmAscent / 2);
    EXPECT_LE(d.inkRows, d.measured.cy);
    EXPECT_EQ(d.separator.cy, ScaleForDpi(3, dpi));
}

TEST(MenuDpi, FlatItemAtTheDpiOfThePrefix) { ExpectScaledFlatItem(SystemDpi()); }

TEST(MenuDpi, FlatItemAt144AndItsLargerTextInAnyPrefix) {
    ExpectScaledFlatItem(144);
    // At 144 DPI the item and its text are about half as large again as at 96.
    const DrawnItem at96 = DrawFlatItemAt(96), at144 = DrawFlatItemAt(144);
    EXPECT_EQ(at96.pictureCount, 16 * 16);
    EXPECT_EQ(at144.pictureCount, 24 * 24);
    EXPECT_GE(at144.measured.cy * 10, at96.measured.cy * 14);
    EXPECT_GE(at144.inkRows * 10, at96.inkRows * 13);
    EXPECT_GT(at144.measured.cx, at96.measured.cx);
}

TEST(MenuDpi, ClassicItemKeepsItsPictureBoxAt144) {
    const int prev = CNewMenu::SetMenuStyle(1);
    CNewMenuBitmaps pictures;
    pictures.AddRef();
    UniqueIcon icon(SolidIcon(24, kRed));
    const int index = pictures.AddIcon(icon.Get(), 0);
    {
        CNewMenu m;
        m.SetDpi(144);
        m.Attach(CreatePopupMenu());
        ASSERT_TRUE(m.AppendItem(0, 1, "Folder"));
        ASSERT_TRUE(m.SetItemImage(nullptr, 1, &pictures, index));
        const SIZE s = vt::test::MeasureAt(m, 0);
        EXPECT_GE(s.cy, 24 + ScaleForDpi(4, 144));
        Canvas c(s.cx, s.cy);
        vt::test::DrawAt(m, 0, c.Dc(), RECT{0, 0, s.cx, s.cy}, ODS_SELECTED);
        EXPECT_EQ(c.Count(RECT{0, 0, s.cx, s.cy}, kRed), 24 * 24);
        // Selected: the highlight starts right of the picture box, which is
        // scaled like the rest (3 + 24 + 6 pixels at 96 DPI give 4 + 24 + 9).
        const RECT box = BoxOf(c, kRed);
        EXPECT_EQ(box.left, ScaleForDpi(3, 144));
        EXPECT_EQ(c.At(24 + ScaleForDpi(6, 144), s.cy / 2), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_NE(c.At(24 + ScaleForDpi(6, 144) - 1, s.cy / 2), GetSysColor(COLOR_HIGHLIGHT));
    }
    CNewMenu::SetMenuStyle(prev);
}

TEST(MenuDpi, FlatFrameLinesAndOwnShadowScale) {
    const int w = 120, h = 90;
    // What was on the screen behind the menu: white.
    HDC screen = GetDC(nullptr);
    UniqueBitmap snap(CreateCompatibleBitmap(screen, w + 10, h + 10));
    ReleaseDC(nullptr, screen);
    {
        Canvas white(w + 10, h + 10, RGB(255, 255, 255));
        UniqueMemDC dc(CreateCompatibleDC(white.Dc()));
        HGDIOBJ old = SelectObject(dc.Get(), snap.Get());
        BitBlt(dc.Get(), 0, 0, w + 10, h + 10, white.Dc(), 0, 0, SRCCOPY);
        SelectObject(dc.Get(), old);
    }
    const COLORREF border = RGB(10, 10, 10), back = RGB(250, 250, 240), strip = RGB(200, 200, 190);
    for (int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        Canvas c(w, h, RGB(1, 2, 3));
        menu::FlatFramePaint p = {};
        p.w = w;
        p.h = h;
        p.client = RECT{10, 10, w - 20, h - 20};
        p.firstPass = true;
        p.itemBack = back;
        p.strip = strip;
        p.border = border;
        p.snapshot = snap.Get();
        p.colorCount = 64000;
        p.dpi = dpi;
        menu::PaintFlatFrame(c.Dc(), p);
        const int line = menu::LineWidth(dpi), shadow = menu::ShadowWidth(dpi);
        EXPECT_EQ(line, dpi == 96 ? 1 : 2);
        EXPECT_EQ(shadow, dpi == 96 ? 4 : 6);
        // Border, then the item background, each one line wide.
        for (int i = 0; i < line; ++i) EXPECT_EQ(c.At(i, h / 2), border) << i;
        EXPECT_EQ(c.At(line, h / 3), strip);  // the strip runs into the frame
        EXPECT_EQ(c.At(w / 2, line), back);
        EXPECT_EQ(c.At(w / 2, 2 * line), back);       // the band around the client
        EXPECT_EQ(c.At(w / 2, h / 2), RGB(1, 2, 3));  // the client area is left alone
        // The frame ends the shadow's width before the edge; the shadow
        // darkens the white behind, lightest at the edge, down to 135.
        EXPECT_EQ(c.At(w - shadow - 1, h / 2), border);
        EXPECT_EQ(c.At(w - shadow, h / 2), RGB(135, 135, 135));
        EXPECT_EQ(c.At(w - 1, h / 2), RGB(225, 225, 225));
        EXPECT_EQ(c.At(w / 2, h - shadow), RGB(135, 135, 135));
        EXPECT_EQ(c.At(w / 2, h - 1), RGB(225, 225, 225));
        EXPECT_EQ(c.At(w - 1, 0), RGB(255, 255, 255));  // corner copied unchanged
    }
}

// The shadow a window keeps between paintings is the one composed afresh, and
// is composed again for another snapshot or another window size.
TEST(MenuFrameShadow, KeptBandsFollowTheSnapshotAndTheSize) {
    const int w = 120, h = 90, taller = 140;
    struct Snapshot {
        UniqueBitmap bmp;
        DWORD* px = nullptr;
        Snapshot(int cx, int cy, DWORD bgr) {
            BITMAPINFO bi = TopDown32BitInfo(cx, cy);
            void* bits = nullptr;
            bmp.Reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
            px = static_cast<DWORD*>(bits);
            if (px) std::fill(px, px + static_cast<size_t>(cx) * cy, bgr);
        }
    };
    Snapshot white(w + 10, taller + 10, 0xFFFFFF), grey(w + 10, taller + 10, 0xC8C8C8);
    ASSERT_TRUE(white.px && grey.px);
    menu::ShadowBands kept;
    menu::FlatFramePaint p = {};
    p.w = w;
    p.h = h;
    p.client = RECT{10, 10, w - 20, h - 20};
    p.firstPass = true;
    p.itemBack = RGB(250, 250, 240);
    p.strip = RGB(200, 200, 190);
    p.border = RGB(10, 10, 10);
    p.colorCount = 64000;
    p.dpi = 96;
    p.snapshot = white.bmp.Get();
    p.snapshotPixels = white.px;
    p.shadowBands = &kept;
    const int shadow = menu::ShadowWidth(96);
    auto paint = [&](Canvas& c) { menu::PaintFlatFrame(c.Dc(), p); };
    Canvas fresh(w, h), first(w, h), again(w, h);
    {
        menu::FlatFramePaint alone = p;
        alone.shadowBands = nullptr;
        menu::PaintFlatFrame(fresh.Dc(), alone);
    }
    paint(first);
    p.firstPass = false;
    paint(again);
    int differ = 0;
    for (int y = 0; y < h; ++y)
        for (int x = w - shadow; x < w; ++x)
            differ += first.At(x, y) != fresh.At(x, y) || again.At(x, y) != fresh.At(x, y);
    for (int y = h - shadow; y < h; ++y)
        for (int x = 0; x < w; ++x)
            differ += first.At(x, y) != fresh.At(x, y) || again.At(x, y) != fresh.At(x, y);
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(again.At(w - shadow, h / 2), RGB(135, 135, 135));

    // A new snapshot (the window moved): its own colours darkened.
    p.snapshot = grey.bmp.Get();
    p.snapshotPixels = grey.px;
    Canvas moved(w, h);
    paint(moved);
    EXPECT_EQ(moved.At(w - shadow, h / 2), menu::ScaleColor(RGB(200, 200, 200), 135));
    EXPECT_EQ(moved.At(w / 2, h - 1), menu::ScaleColor(RGB(200, 200, 200), 225));

    // A taller window: the bands reach its new bottom.
    p.h = taller;
    p.client = RECT{10, 10, w - 20, taller - 20};
    Canvas tall(w, taller);
    paint(tall);
    EXPECT_EQ(tall.At(w - shadow, taller - 12), menu::ScaleColor(RGB(200, 200, 200), 135));
    EXPECT_EQ(tall.At(w / 2, taller - shadow), menu::ScaleColor(RGB(200, 200, 200), 135));
    EXPECT_EQ(tall.At(w / 2, taller - 1), menu::ScaleColor(RGB(200, 200, 200), 225));
}

}  // namespace
