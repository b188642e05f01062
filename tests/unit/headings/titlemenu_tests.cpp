// The title menu's strip: measured from the bold menu font, filled with a
// gradient or plainly, the title drawn after the check-mark column.
#include <gtest/gtest.h>

#include <vector>

#include "framework/gdi.h"
#include "uikit/menu/titlemenu.h"

using namespace vt;

namespace {

struct Surface {
    Surface(int w, int h) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bmp);
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Surface() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
    int width, height;
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
};

void DrawTitle(CTitleMenu& menu, Surface& s) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hwndItem = reinterpret_cast<HWND>(menu.hmenu_);
    dis.hDC = s.dc;
    dis.rcItem = {0, 0, s.width, s.height};
    menu.DrawItem(&dis);
}

TEST(TitleMenu, TheTitleIsTheFirstItemMeasuredInTheBoldMenuFont) {
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 5, "Item");
    menu.AddTitle("C:\\Icons & more\\set.dll");
    ASSERT_EQ(menu.GetMenuItemCount(), 2);
    EXPECT_EQ(menu.GetMenuItemID(0), 0u);
    const UINT state = menu.GetMenuState(0, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_OWNERDRAW);
    EXPECT_TRUE(state & MF_DISABLED);
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    ASSERT_TRUE(GetMenuItemInfoA(menu.hmenu_, 0, TRUE, &mii));
    EXPECT_EQ(mii.dwItemData, 0u);

    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    LOGFONTA lf = {};
    ASSERT_TRUE(GetObjectA(menu.TitleFont(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, ncm.lfMenuFont.lfHeight);
    EXPECT_STREQ(lf.lfFaceName, ncm.lfMenuFont.lfFaceName);

    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    menu.MeasureItem(&mis);
    Surface s(10, 10);
    ScopedSelect f(s.dc, menu.TitleFont());
    SIZE text = {};
    const std::string title = menu.Title();
    GetTextExtentPoint32A(s.dc, title.c_str(), static_cast<int>(title.size()), &text);
    EXPECT_EQ(static_cast<LONG>(mis.itemWidth), text.cx);
    EXPECT_EQ(static_cast<LONG>(mis.itemHeight), text.cy + 2);
}

TEST(TitleMenu, EqualColoursFillPlainlyEvenWithGradientFill) {
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    ASSERT_TRUE(menu.HasGradientFill());
    menu.AddTitle("");
    menu.clLeft = menu.clRight = RGB(10, 120, 200);
    Surface s(120, 20);
    DrawTitle(menu, s);
    // The plain fill covers the whole item, last row and column included
    // (the gradient leaves them out).
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) ASSERT_EQ(s.At(x, y), RGB(10, 120, 200)) << x << "," << y;
}

TEST(TitleMenu, DifferentColoursMakeAHorizontalGradient) {
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AddTitle("");
    menu.clLeft = RGB(0, 0, 0);
    menu.clRight = RGB(0, 0, 250);
    Surface s(120, 20);
    DrawTitle(menu, s);
    EXPECT_EQ(GetBValue(s.At(0, 5)), 0);
    EXPECT_GT(GetBValue(s.At(110, 5)), 200);
    // Left to right, not top to bottom.
    EXPECT_EQ(s.At(60, 0), s.At(60, 15));
    EXPECT_LT(GetBValue(s.At(30, 5)), GetBValue(s.At(90, 5)));
}

TEST(TitleMenu, WithoutTheGradientLibraryTheStripIsPlain) {
    CTitleMenu menu("no-such-gradient-library.dll");
    ASSERT_TRUE(menu.CreatePopupMenu());
    EXPECT_FALSE(menu.HasGradientFill());
    menu.AddTitle("");
    menu.clLeft = RGB(200, 20, 20);
    menu.clRight = RGB(0, 0, 250);
    Surface s(60, 12);
    DrawTitle(menu, s);
    EXPECT_EQ(s.At(0, 0), RGB(200, 20, 20));
    EXPECT_EQ(s.At(59, 11), RGB(200, 20, 20));
}

TEST(TitleMenu, TheTitleStartsAfterTheCheckMarkColumnInTheTextColour) {
    CTitleMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AddTitle("WWWW");
    menu.clLeft = menu.clRight = RGB(255, 255, 255);
    menu.clText = RGB(255, 0, 0);
    Surface s(200, 24);
    DrawTitle(menu, s);
    const int start = GetSystemMetrics(SM_CXMENUCHECK);
    int first = -1, reddish = 0;
    for (int x = 0; x < s.width; ++x)
        for (int y = 0; y < s.height; ++y) {
            const COLORREF c = s.At(x, y);
            if (c == RGB(255, 255, 255)) continue;
            if (first < 0) first = x;
            // Smoothed edges blend towards white; the strokes stay red.
            reddish += GetRValue(c) > 200 && GetGValue(c) == GetBValue(c);
        }
    ASSERT_GE(first, start);
    EXPECT_LT(first, start + 4);
    EXPECT_GT(reddish, 20);
}

}  // namespace
