// Menu object, picture collections and the two drawing styles, checked
// through real menus, image lists and pixels drawn by the real functions.
#include <gtest/gtest.h>

#include "framework/trace.h"
#include "framework/wnd.h"
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

struct GreyMenus : ::testing::Environment {
    vt::test::MenuColourEnvironment colours;
    void SetUp() override { colours.Set(); }
    void TearDown() override { colours.Restore(); }
};
::testing::Environment* const g_greyMenus = ::testing::AddGlobalTestEnvironment(new GreyMenus);

constexpr COLORREF kKey = RGB(255, 0, 128);    // transparent colour of the test bitmaps
constexpr COLORREF kBlue = RGB(40, 80, 200);   // the square in pic16 / pic32
constexpr COLORREF kGreen = RGB(20, 160, 60);  // the square in pic16b
enum { kPic16 = 201, kPic16b = 202, kPic32 = 203 };

// A solid square icon of size n with a transparent one-pixel rim.
HICON MakeIcon(int n, COLORREF color) {
    Canvas colorBits(n, n, RGB(0, 0, 0));
    RECT inner = {1, 1, n - 1, n - 1};
    HBRUSH b = CreateSolidBrush(color);
    FillRect(colorBits.Dc(), &inner, b);
    DeleteObject(b);
    HDC screen = GetDC(nullptr);
    HBITMAP colorBmp = CreateCompatibleBitmap(screen, n, n);
    HDC tmp = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(tmp, colorBmp);
    BitBlt(tmp, 0, 0, n, n, colorBits.Dc(), 0, 0, SRCCOPY);
    SelectObject(tmp, old);
    DeleteDC(tmp);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(n, n, 1, 1, nullptr);
    HDC mdc = CreateCompatibleDC(nullptr);
    old = SelectObject(mdc, mask);
    PatBlt(mdc, 0, 0, n, n, WHITENESS);
    PatBlt(mdc, 1, 1, n - 2, n - 2, BLACKNESS);
    SelectObject(mdc, old);
    DeleteDC(mdc);
    ICONINFO ii = {TRUE, 0, 0, mask, colorBmp};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    DeleteObject(colorBmp);
    return icon;
}

// Draws image i of a collection onto a filled canvas.
COLORREF ImagePixel(CNewMenuIcons& icons, int image, int x, int y, COLORREF back = RGB(1, 2, 3)) {
    Canvas c(40, 40, back);
    ImageList_Draw(icons.GetImageList(), image, c.Dc(), 0, 0, ILD_TRANSPARENT);
    return c.At(x, y);
}

size_t SharedCount() { return CNewMenuHook::Instance().SharedIcons().size(); }

// Keeps process-wide switches as they were.
struct StyleGuard {
    int style;
    BOOL prepared;
    StyleGuard(int s, BOOL p = FALSE)
        : style(CNewMenu::SetMenuStyle(s)), prepared(CNewMenu::SetUsePreparedImages(p)) {}
    ~StyleGuard() {
        CNewMenu::SetMenuStyle(style);
        CNewMenu::SetUsePreparedImages(prepared);
        CNewMenuHook::Instance().SetHighContrast(false);
        CNewMenuHook::Instance().SetScreenColorCount(0);
    }
};

struct Popup : CNewMenu {
    Popup() {
        CreatePopupMenu();
        SetTransparentColor(kKey);
    }
};

// Flat item colours for the pinned system colours, worked out by hand (each
// product rounded on its own): background = 86 % window + 14 % menu
// (219 + 30, 219 + 29, 219 + 28), strip = 86 % menu + 14 % window
// (182 + 36, 179 + 36, 172 + 36), selection = 70 % window + 30 % highlight
// (179 + 3, 179 + 11, 179 + 32); the frame pen is the highlight.
using Pinned = vt::test::MenuColourEnvironment;
constexpr menu::FlatColors kFlat = {RGB(249, 248, 247), RGB(218, 215, 208), RGB(182, 190, 211),
                                    Pinned::kHighlight};
// kBlue's dimmed copy (240/255 of each channel) and disabled copy (grey 106,
// lightened by 100/255 to 164, then 86 % of it with 14 % of the menu colour).
constexpr COLORREF kBlueDimmed = RGB(38, 75, 188);
constexpr COLORREF kBlueDisabled = RGB(171, 170, 169);

// ---- collections -------------------------------------------------------------

TEST(MenuIcons, BitmapsAreAddedOnceAndMustMatchInSize) {
    CNewMenuBitmaps b;
    EXPECT_EQ(b.GetImageSize().cx, 0);
    EXPECT_EQ(b.AddBitmap(kPic16, kKey), 0);
    EXPECT_EQ(b.GetImageCount(), 3);
    EXPECT_EQ(b.AddBitmap(kPic16, kKey), 0);  // same id: same index, nothing loaded
    EXPECT_EQ(b.GetImageCount(), 3);
    EXPECT_EQ(b.AddBitmap(kPic16b, kKey), 3);
    EXPECT_EQ(b.AddBitmap(kPic32, kKey), -1);  // 32 x 32 into a 16 x 16 collection
    EXPECT_EQ(b.AddBitmap(999, kKey), -1);     // no such resource
    EXPECT_EQ(b.GetImageCount(), 6);
    EXPECT_EQ(b.IndexOf(kPic16b), 3);
    EXPECT_EQ(b.IndexOf(999), -1);
    EXPECT_EQ(b.GetImageSize().cx, 16);
    EXPECT_EQ(b.GetImageSize().cy, 16);
    ASSERT_EQ(b.maskColors_.size(), 2u);
    EXPECT_EQ(b.maskColors_[1], kKey);
}

TEST(MenuIcons, IconsReplaceByIdAndRefuseOtherSizes) {
    CNewMenuBitmaps b;
    UniqueIcon red(MakeIcon(16, RGB(200, 0, 0))), green(MakeIcon(16, RGB(0, 200, 0))),
        big(MakeIcon(32, RGB(0, 0, 200)));
    EXPECT_EQ(b.AddIcon(red.Get(), 0), 0);
    EXPECT_EQ(b.AddIcon(big.Get(), 0), -1);
    EXPECT_EQ(b.AddIcon(red.Get(), 7), 3);
    EXPECT_EQ(b.AddIcon(green.Get(), 7), 3);  // replaces the three images of id 7
    EXPECT_EQ(b.GetImageCount(), 6);
    EXPECT_EQ(ImagePixel(b, 3, 5, 5), RGB(0, 200, 0));
    EXPECT_EQ(ImagePixel(b, 0, 5, 5), RGB(200, 0, 0));
    EXPECT_EQ(b.maskColors_[0], 0xFFFFFFFFu);
    // id 0 is not looked up: a second id-0 icon is appended.
    EXPECT_EQ(b.AddIcon(green.Get(), 0), 6);
    EXPECT_EQ(b.IndexOf(0), 6);  // searched from the end
    EXPECT_EQ(b.AddIcon(nullptr, 0), -1);
}

TEST(MenuIcons, DimmedAndDisabledCopiesKeepTheMask) {
    CNewMenuBitmaps b;
    ASSERT_EQ(b.AddBitmap(kPic16, kKey), 0);
    const COLORREF back = RGB(1, 2, 3);
    EXPECT_EQ(ImagePixel(b, 0, 6, 6), kBlue);
    EXPECT_EQ(ImagePixel(b, 1, 6, 6), kBlueDimmed);
    EXPECT_EQ(ImagePixel(b, 2, 6, 6), kBlueDisabled);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ImagePixel(b, i, 0, 0, back), back) << "image " << i;
}

TEST(MenuIcons, AddRefOnNullAndCounts) {
    EXPECT_EQ(CNewMenuIcons::AddRef(nullptr), 0);
    EXPECT_EQ(CNewMenuIcons::Release(nullptr), 0);
    CNewMenuBitmaps owned;
    EXPECT_EQ(CNewMenuIcons::AddRef(&owned), 1);
    ASSERT_EQ(owned.AddBitmap(kPic16, kKey), 0);
    {
        Popup m;
        ASSERT_TRUE(m.AppendItem(0, 100, "A"));
        ASSERT_TRUE(m.AppendItem(0, 101, "B"));
        EXPECT_TRUE(m.SetItemImage(nullptr, 100, &owned, 0));
        EXPECT_TRUE(m.SetItemImage(nullptr, 101, &owned, 0));
        EXPECT_EQ(owned.RefCount(), 3);
        EXPECT_TRUE(m.SetItemImage(nullptr, 101, &owned, 0));  // same again: no extra count
        EXPECT_EQ(owned.RefCount(), 3);
        EXPECT_TRUE(m.SetItemImage(nullptr, 101, nullptr, 0));  // removes the image
        EXPECT_EQ(owned.RefCount(), 2);
    }
    // The owner's collection outlives the menu and stays its own.
    EXPECT_EQ(owned.RefCount(), 1);
    EXPECT_EQ(owned.GetImageCount(), 3);
}

TEST(MenuIcons, SharedBitmapCollectionsAreFoundAgainAndDropped) {
    ASSERT_EQ(SharedCount(), 0u);
    {
        Popup a, b;
        ASSERT_TRUE(a.AppendItem(0, 100, "A"));
        ASSERT_TRUE(a.AppendItem(0, 101, "B"));
        ASSERT_TRUE(b.AppendItem(0, 100, "A"));
        ASSERT_TRUE(b.AppendItem(0, 102, "C"));
        EXPECT_TRUE(a.SetItemBitmap(nullptr, 100, kPic16));
        EXPECT_TRUE(a.SetItemBitmap(nullptr, 101, kPic16b));
        EXPECT_EQ(SharedCount(), 1u);  // same size: one collection
        EXPECT_TRUE(b.SetItemBitmap(nullptr, 100, kPic16));
        EXPECT_TRUE(b.SetItemBitmap("Big", 102, kPic32));
        ASSERT_EQ(SharedCount(), 2u);
        CNewMenuIcons* small = CNewMenuHook::Instance().SharedIcons()[0].get();
        EXPECT_EQ(small->RefCount(), 3);
        EXPECT_EQ(small->GetImageCount(), 6);
        EXPECT_EQ(b.GetIconWidth(), 32);
        EXPECT_EQ(b.GetIconHeight(), 32);
        EXPECT_EQ(b.GetMenuString(102, MF_BYCOMMAND), "Big");
        EXPECT_FALSE(a.SetItemBitmap(nullptr, 100, 999));  // missing bitmap
    }
    EXPECT_EQ(SharedCount(), 0u);
}

// ---- menu object -------------------------------------------------------------

TEST(NewMenu, IconColumnGrowsToTheLargestPictureAndKeepsIt) {
    CNewMenuBitmaps small, big;
    ASSERT_EQ(small.AddBitmap(kPic16, kKey), 0);
    ASSERT_EQ(big.AddBitmap(kPic32, kKey), 0);
    Popup m;
    EXPECT_EQ(m.GetIconWidth(), 16);
    EXPECT_EQ(m.GetIconHeight(), 15);
    ASSERT_TRUE(m.AppendItem(0, 1, "a"));
    ASSERT_TRUE(m.AppendItem(0, 2, "b"));
    ASSERT_TRUE(m.SetItemImage(nullptr, 1, &small, 0));
    EXPECT_EQ(m.GetIconHeight(), 16);
    ASSERT_TRUE(m.SetItemImage(nullptr, 2, &big, 0));
    ASSERT_TRUE(m.SetItemImage(nullptr, 1, &small, 0));
    EXPECT_EQ(m.GetIconWidth(), 32);
    EXPECT_EQ(m.GetIconHeight(), 32);
    ASSERT_TRUE(m.SetItemImage(nullptr, 2, nullptr, -1));
    EXPECT_EQ(m.GetIconWidth(), 32);
}

TEST(NewMenu, ItemsAreOwnerDrawnWithTheirTextAndIds) {
    Popup m;
    EXPECT_EQ(m.SetTransparentColor(RGB(1, 1, 1)), kKey);
    ASSERT_TRUE(m.AppendItem(0, 30005, "&Folder"));
    ASSERT_TRUE(m.AppendItem(MF_SEPARATOR, 0, ""));
    ASSERT_TRUE(m.AppendItem(MF_CHECKED, 0, "not a label"));  // id 0: a separator anyway
    ASSERT_EQ(m.GetMenuItemCount(), 3);
    for (UINT i = 0; i < 3; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
        ASSERT_TRUE(GetMenuItemInfoA(m.hmenu_, i, TRUE, &mii));
        EXPECT_TRUE(mii.fType & MFT_OWNERDRAW);
        auto* data = m.FindOwnData(mii.dwItemData);
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->IsSeparator(), i > 0);
    }
    EXPECT_EQ(m.GetMenuItemID(0), 30005u);
    EXPECT_FALSE(m.SetItemImage(nullptr, 4242, nullptr, -1));  // no such item
    // Text change keeps the item owner-drawn.
    ASSERT_TRUE(m.SetItemImage("Other", 30005, nullptr, -1));
    EXPECT_EQ(m.GetMenuString(30005, MF_BYCOMMAND), "Other");
    EXPECT_TRUE(m.GetMenuState(30005, MF_BYCOMMAND) & MF_OWNERDRAW);
}

TEST(NewMenu, AttachMenuTreeConvertsEveryItemAndDestroysTheTree) {
    HMENU bar = CreateMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 11, "One");
    AppendMenuA(sub, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(sub, MF_STRING | MF_GRAYED, 12, "Two");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "File");
    {
        CNewMenu tree;
        ASSERT_TRUE(tree.AttachMenuTree(bar));
        EXPECT_FALSE(tree.IsPopup());
        auto* child = dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(sub));
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->IsPopup());
        EXPECT_EQ(child->GetParentMenu(), bar);
        EXPECT_EQ(child->GetItemDataCount(), 3);
        EXPECT_TRUE(GetMenuState(sub, 12, MF_BYCOMMAND) & MF_OWNERDRAW);
        EXPECT_TRUE(GetMenuState(sub, 12, MF_BYCOMMAND) & MF_GRAYED);
        EXPECT_EQ(child->GetMenuString(12, MF_BYCOMMAND), "Two");
        EXPECT_TRUE(tree.SetItemImage(nullptr, 12, nullptr, -1));  // found in the submenu
        EXPECT_FALSE(tree.AttachMenuTree(CreateMenu()));           // already attached
    }
    EXPECT_FALSE(IsMenu(bar));
    EXPECT_FALSE(IsMenu(sub));
    EXPECT_EQ(CMenu::FromHandlePermanent(sub), nullptr);
}

TEST(NewMenu, StyleSwitches) {
    int first = CNewMenu::SetMenuStyle(1);
    EXPECT_TRUE(first == 1 || first == 2);
    EXPECT_EQ(CNewMenu::SetMenuStyle(99), -1);
    EXPECT_EQ(CNewMenu::SetMenuStyle(2), 1);  // 99 changed nothing
    CNewMenu::SetMenuStyle(first);
    BOOL was = CNewMenu::SetUsePreparedImages(FALSE);
    EXPECT_EQ(CNewMenu::SetUsePreparedImages(TRUE), FALSE);
    CNewMenu::SetUsePreparedImages(was);
}

// ---- measuring ---------------------------------------------------------------

TEST(MenuMeasure, SeparatorsAreThreeByThreeInBothStyles) {
    Popup m;
    ASSERT_TRUE(m.AppendItem(MF_STRING, 0, "Wide text that is not shown"));
    for (int style : {1, 2}) {
        StyleGuard g(style);
        SIZE s = vt::test::MeasureAt(m, 0);
        EXPECT_EQ(s.cx, 3);
        EXPECT_EQ(s.cy, 3);
    }
}

TEST(MenuMeasure, FlatTabCountsAsThreeLetters) {
    StyleGuard g(2);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Open\tCtrl+O"));
    ASSERT_TRUE(m.AppendItem(0, 2, "OpennnnCtrl+O"));
    ASSERT_TRUE(m.AppendItem(0, 3, "Open"));
    SIZE tab = vt::test::MeasureAt(m, 0), spelled = vt::test::MeasureAt(m, 1),
         label = vt::test::MeasureAt(m, 2);
    EXPECT_EQ(tab.cx, spelled.cx);
    EXPECT_GT(tab.cx, label.cx);
    // Width = icon width + SM_CYMENU / 2 + text + 6, with the text measured alone.
    UniqueFont font = menu::ItemFont(false);
    Canvas c(10, 10);
    SelectObject(c.Dc(), font.Get());
    RECT r = {};
    DrawTextA(c.Dc(), "Open", -1, &r, DT_SINGLELINE | DT_CALCRECT);
    int cyMenu = GetSystemMetrics(SM_CYMENU);
    EXPECT_EQ(label.cx, 16 + cyMenu / 2 + r.right + 6);
    EXPECT_EQ(label.cy, std::max<int>(cyMenu > 23 ? cyMenu : 22, r.bottom));
}

TEST(MenuMeasure, ClassicUsesTwiceTheIconWidth) {
    StyleGuard g(1);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Open"));
    UniqueFont font = menu::ItemFont(false);
    Canvas c(10, 10);
    SelectObject(c.Dc(), font.Get());
    RECT r = {};
    DrawTextA(c.Dc(), "Open", -1, &r, DT_SINGLELINE | DT_CALCRECT);
    SIZE s = vt::test::MeasureAt(m, 0);
    EXPECT_EQ(s.cx, r.right + 32 + 2);
    EXPECT_EQ(s.cy, std::max<int>(std::max(19, GetSystemMetrics(SM_CYMENU)), r.bottom));
}

// ---- drawing -----------------------------------------------------------------

TEST(MenuDraw, FlatItemColoursPictureAndAccelerator) {
    StyleGuard g(2, FALSE);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "&Go\tCtrl+G"));
    ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
    const menu::FlatColors& want = kFlat;
    Canvas c(220, 24);
    const RECT item = {0, 0, 220, 24};
    vt::test::DrawAt(m, 0, c.Dc(), item);
    EXPECT_EQ(c.At(1, 1), want.strip);
    EXPECT_EQ(c.At(16 + 7, 22), want.strip);  // strip is icon width + 8 wide
    EXPECT_EQ(c.At(16 + 8, 22), want.background);
    EXPECT_EQ(c.At(218, 1), want.background);
    POINT p = menu::FlatPictureOrigin(item, 16, SIZE{16, 16});
    EXPECT_EQ(c.At(p.x + 6, p.y + 6), kBlue);
    EXPECT_EQ(c.At(p.x, p.y), want.strip);  // transparent corner
    // Accelerator right-aligned in blue 140, left of the 15-pixel margin.
    RECT accel = {110, 0, 220 - 15, 24};
    EXPECT_GT(c.Count(accel, RGB(0, 0, 140)), 5);
    EXPECT_EQ(c.Count(RECT{220 - 15, 0, 220, 24}, RGB(0, 0, 140)), 0);
    EXPECT_GT(c.Count(RECT{16 + 12, 0, 80, 24}, GetSysColor(COLOR_MENUTEXT)), 5);

    // With prepared images the unselected picture is the dimmed copy.
    CNewMenu::SetUsePreparedImages(TRUE);
    vt::test::DrawAt(m, 0, c.Dc(), item);
    EXPECT_EQ(c.At(p.x + 6, p.y + 6), kBlueDimmed);
}

// The drawing surface and fonts are kept between items: an item drawn after a
// bold, selected, greyed, checked one looks exactly as when drawn first.
TEST(MenuDraw, KeptSurfaceAndFontsDrawEveryItemAsAFreshOne) {
    for (int style : {2, 1}) {
        StyleGuard g(style, FALSE);
        Popup m;
        ASSERT_TRUE(m.AppendItem(0, 1, "&Go\tCtrl+G"));
        ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
        ASSERT_TRUE(m.AppendItem(0, 2, "Plain &words\tF5"));
        const RECT item = {0, 0, 220, 24};
        Canvas fresh(220, 24), reused(220, 24);
        menu::DropDrawingCache();
        vt::test::DrawAt(m, 1, fresh.Dc(), item);
        vt::test::DrawAt(m, 0, reused.Dc(), item,
                         ODS_SELECTED | ODS_DEFAULT | ODS_GRAYED | ODS_CHECKED);
        vt::test::DrawAt(m, 1, reused.Dc(), item);
        int differ = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 220; ++x) differ += fresh.At(x, y) != reused.At(x, y);
        EXPECT_EQ(differ, 0) << "style " << style;
        EXPECT_GT(fresh.Count(RECT{16 + 12, 0, 120, 24}, GetSysColor(COLOR_MENUTEXT)), 5);
    }
}

// The kept surface grows when a larger item follows a smaller one, and an
// item away from the origin lands where its rectangle says.
TEST(MenuDraw, KeptSurfaceGrowsForLargerItemsAtAnyPlace) {
    for (int style : {2, 1}) {
        StyleGuard g(style, FALSE);
        Popup m;
        ASSERT_TRUE(m.AppendItem(0, 1, "&Go\tCtrl+G"));
        ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
        const RECT small = {0, 0, 120, 20}, large = {10, 30, 250, 58};
        Canvas fresh(260, 60), reused(260, 60);
        menu::DropDrawingCache();
        vt::test::DrawAt(m, 0, fresh.Dc(), large, ODS_SELECTED);
        menu::DropDrawingCache();
        vt::test::DrawAt(m, 0, reused.Dc(), small);
        reused.Fill(RGB(1, 2, 3));
        vt::test::DrawAt(m, 0, reused.Dc(), large, ODS_SELECTED);
        int differ = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 260; ++x) differ += fresh.At(x, y) != reused.At(x, y);
        EXPECT_EQ(differ, 0) << "style " << style;
        // Nothing outside the item's rectangle was touched.
        EXPECT_EQ(reused.Count(RECT{0, 0, 260, 30}, RGB(1, 2, 3)), 260 * 30) << "style " << style;
        EXPECT_NE(reused.At(249, 57), RGB(1, 2, 3)) << "style " << style;
    }
}

// Pictures drawn again come from kept copies: they must look exactly as the
// image list draws them on the strip, follow a replaced picture and a changed
// strip colour, and leave the selected picture as it was.
TEST(MenuDraw, KeptPicturesMatchTheImageListAndFollowEveryChange) {
    StyleGuard g(2, FALSE);
    CNewMenuBitmaps icons;
    icons.AddRef();
    HICON blue = MakeIcon(16, kBlue), green = MakeIcon(16, kGreen);
    const int at = icons.AddIcon(blue, 7);
    ASSERT_GE(at, 0);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Go", at, &icons));
    const RECT item = {0, 0, 200, 24};
    const POINT p = menu::FlatPictureOrigin(item, 16, SIZE{16, 16});
    COLORREF strip = kFlat.strip;
    // Every pixel of the picture against the image list's own drawing.
    auto expectPicture = [&](const Canvas& c, const char* when) {
        Canvas want(16, 16, strip);
        ImageList_Draw(icons.GetImageList(), at, want.Dc(), 0, 0, ILD_TRANSPARENT);
        int differ = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) differ += c.At(p.x + x, p.y + y) != want.At(x, y);
        EXPECT_EQ(differ, 0) << when;
    };
    menu::DropDrawingCache();
    Canvas first(200, 24), again(200, 24);
    vt::test::DrawAt(m, 0, first.Dc(), item);
    vt::test::DrawAt(m, 0, again.Dc(), item);
    expectPicture(first, "first drawing");
    expectPicture(again, "drawn again");
    EXPECT_EQ(again.At(p.x + 6, p.y + 6), kBlue);

    // The same id, the same index, another picture.
    ASSERT_EQ(icons.AddIcon(green, 7), at);
    vt::test::DrawAt(m, 0, again.Dc(), item);
    EXPECT_EQ(again.At(p.x + 6, p.y + 6), kGreen);
    expectPicture(again, "after the picture was replaced");

    // Another menu background: the transparent rim shows the new strip.
    HBRUSH back = CreateSolidBrush(RGB(200, 120, 40));
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    mi.hbrBack = back;
    ASSERT_TRUE(SetMenuInfo(m.hmenu_, &mi));
    // 86 % of the menu's (172, 103, 34) + 14 % of the window's (36, 36, 36).
    strip = RGB(208, 139, 70);
    vt::test::DrawAt(m, 0, again.Dc(), item);
    EXPECT_EQ(again.At(p.x, p.y), strip);
    expectPicture(again, "on another strip colour");

    // Selected, the picture is raised over its shadow, never a kept copy.
    vt::test::DrawAt(m, 0, again.Dc(), item, ODS_SELECTED);
    EXPECT_EQ(again.At(p.x + 3, p.y + 3), kGreen);
    EXPECT_EQ(again.At(p.x + 14, p.y + 14), RGB(127, 133, 186));  // as in the next test
    mi.hbrBack = nullptr;
    SetMenuInfo(m.hmenu_, &mi);
    DeleteObject(back);
    DestroyIcon(blue);
    DestroyIcon(green);
}

TEST(MenuDraw, FlatSelectionRaisesThePictureOverItsShadow) {
    StyleGuard g(2, FALSE);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Go"));
    ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
    const menu::FlatColors& want = kFlat;
    Canvas c(200, 24);
    const RECT item = {0, 0, 200, 24};
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_SELECTED);
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_HIGHLIGHT));  // frame pen
    EXPECT_EQ(c.At(199, 23), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(c.At(5, 12), want.selection);  // over the strip too
    EXPECT_EQ(c.At(150, 12), want.selection);
    POINT p = menu::FlatPictureOrigin(item, 16, SIZE{16, 16});
    // The square spans 4..11: drawn at -1 it covers 3..10, its shadow at +1 ends at 12.
    EXPECT_EQ(c.At(p.x + 3, p.y + 3), kBlue);
    // The shadow: 7/10 of the selection's red and green, 7/10 of its blue + 55.
    EXPECT_EQ(c.At(p.x + 12, p.y + 12), RGB(127, 133, 186));
    EXPECT_EQ(c.At(p.x + 2, p.y + 2), want.selection);

    // An inactive selection is drawn as unselected.
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_SELECTED | ODS_INACTIVE);
    EXPECT_EQ(c.At(150, 12), want.background);
}

TEST(MenuDraw, FlatDisabledPictureIsASilhouette) {
    StyleGuard g(2, FALSE);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Go"));
    ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
    const menu::FlatColors& want = kFlat;
    Canvas c(200, 24);
    const RECT item = {0, 0, 200, 24};
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_DISABLED | ODS_GRAYED);
    POINT p = menu::FlatPictureOrigin(item, 16, SIZE{16, 16});
    EXPECT_EQ(c.At(p.x + 6, p.y + 6), RGB(158, 156, 151));  // the strip at 185/255
    EXPECT_EQ(c.At(p.x + 1, p.y + 1), want.strip);
    EXPECT_GT(c.Count(RECT{28, 0, 120, 24}, GetSysColor(COLOR_GRAYTEXT)), 5);
    CNewMenu::SetUsePreparedImages(TRUE);
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_DISABLED | ODS_GRAYED);
    EXPECT_EQ(c.At(p.x + 6, p.y + 6), kBlueDisabled);
}

TEST(MenuDraw, SmallPictureIsCentredInAWideColumn) {
    StyleGuard g(2, FALSE);
    Popup narrow, wide;
    ASSERT_TRUE(narrow.AppendItem(0, 1, "a"));
    ASSERT_TRUE(wide.AppendItem(0, 1, "a"));
    ASSERT_TRUE(wide.AppendItem(0, 2, "b"));
    ASSERT_TRUE(narrow.SetItemBitmap(nullptr, 1, kPic16));
    ASSERT_TRUE(wide.SetItemBitmap(nullptr, 1, kPic16));
    ASSERT_TRUE(wide.SetItemBitmap(nullptr, 2, kPic32));
    ASSERT_EQ(wide.GetIconWidth(), 32);
    Canvas a(200, 40), b(200, 40);
    vt::test::DrawAt(narrow, 0, a.Dc(), RECT{0, 0, 200, 40});
    vt::test::DrawAt(wide, 0, b.Dc(), RECT{0, 0, 200, 40});
    int xa = a.FirstColumn(RECT{0, 0, 60, 40}, kBlue),
        xb = b.FirstColumn(RECT{0, 0, 60, 40}, kBlue);
    ASSERT_GE(xa, 0);
    EXPECT_EQ(xb - xa, 8);
}

TEST(MenuDraw, FlatSeparatorLine) {
    StyleGuard g(2);
    Popup m;
    ASSERT_TRUE(m.AppendItem(MF_STRING, 0, "x"));
    const menu::FlatColors& want = kFlat;
    Canvas c(100, 3);
    vt::test::DrawAt(m, 0, c.Dc(), RECT{0, 0, 100, 3}, ODS_SELECTED);
    EXPECT_EQ(c.At(16 + 12, 1), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(c.At(99, 1), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(c.At(16 + 11, 1), want.background);
    EXPECT_EQ(c.At(2, 1), want.strip);  // a separator is never selected
    EXPECT_EQ(c.At(50, 0), want.background);
}

TEST(MenuDraw, HighContrastAndPaletteColours) {
    StyleGuard g(2, FALSE);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Go"));
    Canvas c(200, 24);
    const RECT item = {0, 0, 200, 24};
    CNewMenuHook::Instance().SetHighContrast(true);
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_SELECTED);
    EXPECT_EQ(c.At(100, 12), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNTEXT));
    CNewMenuHook::Instance().SetHighContrast(false);
    CNewMenuHook::Instance().SetScreenColorCount(256);
    vt::test::DrawAt(m, 0, c.Dc(), item);
    EXPECT_EQ(c.At(2, 12), Pinned::kButtonFace);  // the palette strip
    vt::test::DrawAt(m, 0, c.Dc(), item, ODS_SELECTED);
    EXPECT_EQ(c.At(100, 12), GetSysColor(COLOR_WINDOW));
}

TEST(MenuDraw, FlatCheckedItemWithoutPictureGetsABoxAndMark) {
    StyleGuard g(2);
    Popup m;
    ASSERT_TRUE(m.AppendItem(MF_CHECKED, 1, "Go"));
    Canvas c(200, 24);
    vt::test::DrawAt(m, 0, c.Dc(), RECT{0, 0, 200, 24}, ODS_CHECKED);
    // 86 % strip + 14 % highlight = (188, 190, 194), lightened by 96/255.
    const COLORREF box = RGB(213, 214, 217);
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_HIGHLIGHT));  // box frame
    EXPECT_EQ(c.At(2, 2), box);
    EXPECT_GT(c.Count(RECT{2, 2, 22, 22}, GetSysColor(COLOR_MENUTEXT)), 3);  // the "b" mark
}

TEST(MenuDraw, ClassicSelectionLeavesThePictureColumn) {
    StyleGuard g(1);
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 1, "Go\tCtrl+G"));
    ASSERT_TRUE(m.SetItemBitmap(nullptr, 1, kPic16));
    Canvas c(200, 24);
    vt::test::DrawAt(m, 0, c.Dc(), RECT{0, 0, 200, 24}, ODS_SELECTED);
    EXPECT_EQ(c.At(16 + 6, 12), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(c.At(16 + 5, 12), GetSysColor(COLOR_MENU));
    EXPECT_EQ(c.At(1, 12), GetSysColor(COLOR_BTNHIGHLIGHT));  // raised picture box
    EXPECT_GT(c.Count(RECT{28, 0, 200, 24}, GetSysColor(COLOR_HIGHLIGHTTEXT)), 5);
    vt::test::DrawAt(m, 0, c.Dc(), RECT{0, 0, 200, 24}, 0);
    EXPECT_EQ(c.At(100, 12), GetSysColor(COLOR_MENU));
    EXPECT_GT(c.Count(RECT{3, 3, 22, 22}, kBlue), 20);
}

// ---- framework routing -------------------------------------------------------

class OwnerFrame : public CFrameWnd {};

TEST(MenuRouting, FrameWindowPassesOwnerDrawRequestsToTheMenu) {
    StyleGuard g(2);
    CWindowImpl::RegisterClass("VtMenuRouteTest");
    OwnerFrame frame;
    ASSERT_TRUE(frame.CreateEx(0, "VtMenuRouteTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    Popup m;
    ASSERT_TRUE(m.AppendItem(0, 77, "Routed"));
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = 77;
    mis.itemData = vt::test::ItemDataOf(m.hmenu_, 0);
    EXPECT_EQ(frame.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), TRUE);
    EXPECT_EQ(mis.itemWidth, static_cast<UINT>(vt::test::MeasureAt(m, 0).cx));
    Canvas c(100, 20);
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = 77;
    dis.hwndItem = reinterpret_cast<HWND>(m.hmenu_);
    dis.hDC = c.Dc();
    dis.rcItem = RECT{0, 0, 100, 20};
    dis.itemData = mis.itemData;
    EXPECT_EQ(frame.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)), TRUE);
    EXPECT_EQ(c.At(1, 1), kFlat.strip);
}

// ---- error text --------------------------------------------------------------

std::string g_reported;
int g_reports = 0;
void Record(const std::string& text) {
    g_reported = text;
    ++g_reports;
}

TEST(MenuErrors, SystemTextOrFallback) {
    EXPECT_EQ(menu::SystemErrorText(0x7ABCDEF1), "Error message 0x7abcdef1 not found");
    EXPECT_NE(menu::SystemErrorText(ERROR_ACCESS_DENIED).find("ccess"), std::string::npos);
    auto previous = menu::SetErrorReporter(Record);
    g_reports = 0;
    SetLastError(0);
    menu::ShowLastError();
    EXPECT_EQ(g_reports, 0);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    menu::ShowLastError();
    EXPECT_EQ(g_reports, 1);
    EXPECT_EQ(g_reported, menu::SystemErrorText(ERROR_INVALID_WINDOW_HANDLE));
    menu::SetErrorReporter(previous);
}

// Without a reporter the toolkit shows no box of its own: the text goes to
// the trace (a box would block this test until its time-out).
TEST(MenuErrors, WithoutAReporterTheTextOnlyGoesToTheTrace) {
    static std::vector<std::string> traced;
    traced.clear();
    auto previousReporter = menu::SetErrorReporter(nullptr);
    TraceSink previousSink = SetTraceSink([](const std::string& l) { traced.push_back(l); });
    SetLastError(ERROR_ACCESS_DENIED);
    menu::ShowLastError();
    SetTraceSink(previousSink);
    menu::SetErrorReporter(previousReporter);
    ASSERT_EQ(traced.size(), 1u);
    EXPECT_NE(traced[0].find(menu::SystemErrorText(ERROR_ACCESS_DENIED)), std::string::npos);
}

}  // namespace
