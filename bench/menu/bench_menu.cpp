// Measures and draws every item of a 200-item flat-style menu with pictures
// into an off-screen surface; prints the average time per item, for a menu
// at 96 DPI and for one at 144 DPI (150 %, with 24-pixel pictures).
#include <windows.h>

#include <stdio.h>

#include "framework/dpi.h"
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

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    const int kRounds = 5;
    QueryPerformanceCounter(&t0);
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < kItems; ++i) {
            MENUITEMINFOA mii = {};
            mii.cbSize = sizeof mii;
            mii.fMask = MIIM_DATA;
            GetMenuItemInfoA(menu.m_hMenu, static_cast<UINT>(i), TRUE, &mii);
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
            dis.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
            dis.hDC = dc;
            dis.rcItem = RECT{0, 0, static_cast<LONG>(mis.itemWidth), static_cast<LONG>(mis.itemHeight)};
            dis.itemData = mii.dwItemData;
            menu.DrawItem(&dis);
        }
    }
    GdiFlush();
    QueryPerformanceCounter(&t1);
    double ms = 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
    DeleteDC(dc);
    DeleteObject(bmp);
    return ms / (kRounds * kItems);
}

}  // namespace

int main() {
    CNewMenu::SetMenuStyle(2);
    CNewMenu::SetUsePreparedImages(FALSE);
    printf("menu_draw_item_ms: %.4f ms\n", DrawItemMs(96));
    printf("menu_draw_item_144_ms: %.4f ms\n", DrawItemMs(144));
    return 0;
}
