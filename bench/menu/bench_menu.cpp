// Measures and draws every item of a 200-item flat-style menu with pictures
// into an off-screen surface; prints the time per item (the median of
// several rounds over all items), for a menu at 96 DPI and for one at 144 DPI
// (150 %, with 24-pixel pictures).
#include <windows.h>

#include <stdio.h>

#include <vector>

#include "framework/dpi.h"
#include "support/benchsupport.h"
#include "uikit/newmenu.h"

using namespace vt;

namespace {
HICON MakeIcon(COLORREF color, int size) {
    HDC screen = GetDC(nullptr);
    HBITMAP colorBmp = CreateCompatibleBitmap(screen, size, size);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, colorBmp);
    HBRUSH b = CreateSolidBrush(color);
    RECT r = {0, 0, size, size};
    FillRect(dc, &r, b);
    DeleteObject(b);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ICONINFO ii = {TRUE, 0, 0, mask, colorBmp};
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(mask);
    DeleteObject(colorBmp);
    return icon;
}
// Milliseconds per item for a menu measured and drawn for dpi.
double DrawItemMs(int dpi) {
    CNewMenuBitmaps pictures;
    pictures.AddRef();
    const int size = SmallIconSizeForDpi(dpi);
    for (int i = 0; i < 8; ++i) {
        HICON icon = MakeIcon(RGB(30 * i, 200 - 20 * i, 90), size);
        pictures.AddIcon(icon, 0);
        DestroyIcon(icon);
    }
    const int kItems = 200;
    CNewMenu menu;
    menu.SetDpi(dpi);
    menu.Attach(CreatePopupMenu());
    char text[64] = {};
    for (int i = 0; i < kItems; ++i) {
        snprintf(text, sizeof text, "Folder number %d", i);
        menu.AppendItem(0, 30000 + i, text, -1);
        menu.SetItemImage(nullptr, 30000 + i, &pictures, 3 * (i % 8));
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 600, 60);
    SelectObject(dc, bmp);
    ReleaseDC(nullptr, screen);

    const int kRounds = 9;
    std::vector<double> perItem;
    for (int round = 0; round < kRounds; ++round) {
        const double t0 = vt::bench::NowMs();
        for (int i = 0; i < kItems; ++i) {
            MENUITEMINFOA mii = {};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_DATA;
            GetMenuItemInfoA(menu.hmenu_, static_cast<UINT>(i), TRUE, &mii);
            MEASUREITEMSTRUCT mis = {};
            mis.CtlType = ODT_MENU;
            mis.itemID = 30000 + i;
            mis.itemData = mii.dwItemData;
            menu.MeasureItem(&mis);
            DRAWITEMSTRUCT dis = {};
            dis.CtlType = ODT_MENU;
            dis.itemID = 30000 + i;
            dis.itemAction = ODA_DRAWENTIRE;
            dis.itemState = (i % 10 == 0) ? ODS_SELECTED : 0;
            dis.hwndItem = reinterpret_cast<HWND>(menu.hmenu_);
            dis.hDC = dc;
            dis.rcItem =
                RECT{0, 0, static_cast<LONG>(mis.itemWidth), static_cast<LONG>(mis.itemHeight)};
            dis.itemData = mii.dwItemData;
            menu.DrawItem(&dis);
        }
        GdiFlush();
        perItem.push_back((vt::bench::NowMs() - t0) / kItems);
    }
    DeleteDC(dc);
    DeleteObject(bmp);
    return vt::bench::Median(perItem);
}

}  // namespace

int main() {
    CNewMenu::SetMenuStyle(2);
    CNewMenu::SetUsePreparedImages(FALSE);
    vt::bench::PrintFigure("menu_draw_item_ms", DrawItemMs(96), "ms", 4);
    vt::bench::PrintFigure("menu_draw_item_144_ms", DrawItemMs(144), "ms", 4);
    return 0;
}
