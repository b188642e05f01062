// The icon picker on its own: item heights at the DPI, icons owned by the
// items, and what an item draws.
#include <gtest/gtest.h>

#include <vector>

#include "uikit/controls/smalliconcombobox.h"
#include "framework/dpi.h"
#include "framework/gdi.h"
#include "resources/resource.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return true;
}

// A solid icon of the small-icon size in one colour.
HICON SolidIcon(COLORREF colour, int size) {
    std::vector<DWORD> pixels(
        static_cast<size_t>(size * size),
        0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    HBITMAP color = CreateBitmap(size, size, 1, 32, pixels.data());
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, size, size, BLACKNESS);  // all opaque
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO ii = {TRUE, 0, 0, mask, color};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(color);
    DeleteObject(mask);
    return icon;
}

// A parent window that passes owner-draw requests on, with the picker in it.
class Picker : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowImpl::RegisterClass("VtPickerTestParent", 0,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        ASSERT_TRUE(parent_.CreateEx(0, "VtPickerTestParent", "picker", WS_POPUP | WS_VISIBLE, 100,
                                     100, 300, 300, nullptr, nullptr));
        HWND combo = CreateWindowExA(0, "ComboBox", "",
                                     WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                                         CBS_HASSTRINGS | WS_VSCROLL,
                                     10, 10, 60, 200, parent_.hwnd_, reinterpret_cast<HMENU>(1020),
                                     GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(combo);
        ASSERT_TRUE(picker_.SubclassWindow(combo));
    }

    CWindowImpl parent_;
    CSmallIconComboBox picker_;
};

TEST_F(Picker, ItemsAreTheSmallIconHeightPlusTwo) {
    const int dpi = DpiForWindow(picker_.hwnd_);
    const int expected = SmallIconSizeForDpi(dpi) + 2;
    EXPECT_EQ(picker_.ItemHeight(), expected);
    // Wine reports the selection field with the two pixels of padding it adds.
    const int field = picker_.GetItemHeight(-1);
    EXPECT_TRUE(field == expected || field == expected + 2) << field;
    EXPECT_EQ(picker_.GetItemHeight(0), expected);
    if (dpi == 96) {
        EXPECT_EQ(expected, 18);
    } else if (dpi == 144) {
        EXPECT_EQ(expected, 26);  // run again in the 150 % prefix
    }
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_COMBOBOX;
    mis.itemHeight = 3;
    picker_.MeasureItem(&mis);
    EXPECT_EQ(static_cast<int>(mis.itemHeight), expected);
}

TEST_F(Picker, ItemsOwnTheirIconsAndDestroyThemWhenDeleted) {
    const int size = picker_.IconSize();
    std::vector<HICON> icons;
    for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(9, 9, 9)}) {
        icons.push_back(SolidIcon(c, size));
        ASSERT_TRUE(IconAlive(icons.back()));
    }
    for (size_t i = 0; i < icons.size(); ++i)
        EXPECT_EQ(picker_.AddIconItem(static_cast<int>(i) + 7, icons[i]), static_cast<int>(i));
    EXPECT_EQ(picker_.ItemId(2), 9);
    EXPECT_EQ(picker_.ItemIcon(2), icons[2]);

    // Deleting one item destroys its icon only.
    picker_.DeleteString(1);
    EXPECT_FALSE(IconAlive(icons[1]));
    EXPECT_TRUE(IconAlive(icons[0]));
    EXPECT_TRUE(IconAlive(icons[2]));
    // Emptying the box destroys every icon it still holds.
    picker_.ResetContent();
    EXPECT_EQ(picker_.GetCount(), 0);
    for (HICON icon : icons) EXPECT_FALSE(IconAlive(icon));

    // The program's folder icon loads; an icon that does not exist adds nothing.
    const int folder = picker_.AddResourceIconItem(IDI_DEFAULT_FOLDER);
    EXPECT_EQ(folder, 0);
    EXPECT_EQ(picker_.ItemId(folder), IDI_DEFAULT_FOLDER);
    HICON folderIcon = picker_.ItemIcon(folder);
    ASSERT_TRUE(IconAlive(folderIcon));
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(folderIcon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmMask, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(picker_.AddResourceIconItem(4321), -1);
    EXPECT_EQ(picker_.GetCount(), 1);

    // The window's end takes the remaining icons with it.
    HICON last = SolidIcon(RGB(1, 2, 3), size);
    picker_.AddIconItem(1, last);
    parent_.DestroyWindow();
    EXPECT_FALSE(IconAlive(folderIcon));
    EXPECT_FALSE(IconAlive(last));
}

// Draws one item into a white surface and returns its pixels.
std::vector<COLORREF> DrawOne(CSmallIconComboBox& picker, UINT itemId, ULONG_PTR data, UINT state,
                              UINT action, RECT rc) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, rc.right, rc.bottom};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_COMBOBOX;
    dis.itemID = itemId;
    dis.itemAction = action;
    dis.itemState = state;
    dis.hwndItem = picker.hwnd_;
    dis.hDC = dc;
    dis.rcItem = rc;
    dis.itemData = data;
    picker.DrawItem(&dis);
    std::vector<COLORREF> px;
    for (int y = 0; y < rc.bottom; ++y)
        for (int x = 0; x < rc.right; ++x) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return px;
}

int CountOf(const std::vector<COLORREF>& px, COLORREF c) {
    int n = 0;
    for (COLORREF p : px) n += p == c;
    return n;
}

TEST_F(Picker, AnItemWithoutARecordDrawsOnlyItsBackground) {
    const int size = picker_.IconSize();
    const RECT rc = {0, 0, 40, picker_.ItemHeight()};
    const int area = rc.right * rc.bottom;
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF gray = RGB(128, 128, 128);
    const COLORREF red = RGB(255, 0, 0);
    picker_.AddIconItem(1, SolidIcon(red, size));
    const ULONG_PTR record = picker_.GetItemData(0);

    // Selected, without a record: all highlight, nothing else.
    for (ULONG_PTR none : {ULONG_PTR(0), ~ULONG_PTR(0)}) {
        auto px = DrawOne(picker_, 0, none, ODS_SELECTED, ODA_DRAWENTIRE, rc);
        EXPECT_EQ(CountOf(px, highlight), area);
    }
    // With the record: the icon one pixel in from the top-left corner.
    auto px = DrawOne(picker_, 0, record, ODS_SELECTED, ODA_DRAWENTIRE, rc);
    EXPECT_EQ(CountOf(px, red), size * size);
    EXPECT_EQ(px[static_cast<size_t>(1 * rc.right + 1)], red);
    EXPECT_EQ(px[0], highlight);
    EXPECT_EQ(px[static_cast<size_t>((size + 1) * rc.right + size + 1)], highlight);
    // Losing the selection paints white; a plain redraw leaves the background.
    px = DrawOne(picker_, 0, 0, 0, ODA_SELECT, rc);
    EXPECT_EQ(CountOf(px, RGB(255, 255, 255)), area);
    px = DrawOne(picker_, 0, 0, 0, ODA_DRAWENTIRE, rc);
    EXPECT_EQ(CountOf(px, gray), area);
}

}  // namespace

namespace {

TEST_F(Picker, DeferredIconsAreMadeWhenFirstShownAndOwnedLikeTheOthers) {
    std::vector<int> asked;
    std::vector<HICON> made;
    picker_.SetIconLoader([&](int id, int size) {
        asked.push_back(id);
        made.push_back(SolidIcon(RGB(0, 0, 255), size));
        return made.back();
    });
    for (int id = 1; id <= 50; ++id) ASSERT_EQ(picker_.AddDeferredIconItem(id), id - 1);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(picker_.IconPending(30));

    // Drawing an item makes its icon, once; the others wait.
    const RECT rc = {0, 0, 40, picker_.ItemHeight()};
    auto px = DrawOne(picker_, 30, picker_.GetItemData(30), 0, ODA_DRAWENTIRE, rc);
    EXPECT_EQ(CountOf(px, RGB(0, 0, 255)), picker_.IconSize() * picker_.IconSize());
    DrawOne(picker_, 30, picker_.GetItemData(30), ODS_SELECTED, ODA_SELECT, rc);
    ASSERT_EQ(asked, std::vector<int>{31});
    EXPECT_FALSE(picker_.IconPending(30));
    EXPECT_TRUE(picker_.IconPending(29));
    // Asking for an item's icon makes it too.
    HICON fourth = picker_.ItemIcon(4);
    EXPECT_EQ(fourth, made.back());
    EXPECT_EQ(asked, (std::vector<int>{31, 5}));

    // The box shown and dropped down draws some items, never all fifty.
    picker_.SetCurSel(10);
    picker_.ShowDropDown(true);
    UpdateWindow(picker_.hwnd_);
    test::PumpMessages();
    picker_.ShowDropDown(false);
    EXPECT_GT(asked.size(), 2u);
    EXPECT_LT(asked.size(), 50u);

    picker_.ResetContent();
    for (HICON icon : made) EXPECT_FALSE(IconAlive(icon));
}

}  // namespace
