// Measures and draws every item of a 200-item flat-style menu with pictures
// into an off-screen surface; prints the time per item (the median of
// several rounds over all items), for a menu at 96 DPI and for one at 144 DPI
// (150 %, with 24-pixel pictures), each beside a bare item drawing.
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "framework/dpi.h"
#include "support/benchsupport.h"
#include "uikit/menu/newmenu.h"

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
// Milliseconds per item for a menu measured and drawn for dpi, beside the
// floor: the same items drawn bare (background, picture, label) on the same
// surface, the least an owner-drawn menu item needs. Rounds of the two are
// interleaved.
vt::bench::Paired DrawItemMs(int dpi) {
    CNewMenuBitmaps pictures;
    pictures.AddRef();
    const int size = SmallIconSizeForDpi(dpi);
    std::vector<HICON> icons;
    for (int i = 0; i < 8; ++i) {
        HICON icon = MakeIcon(RGB(30 * i, 200 - 20 * i, 90), size);
        pictures.AddIcon(icon, 0);
        icons.push_back(icon);
    }
    const int kItems = 200;
    CNewMenu menu;
    menu.SetDpi(dpi);
    menu.Attach(CreatePopupMenu());
    char text[64] = {};
    std::vector<std::string> labels;
    for (int i = 0; i < kItems; ++i) {
        snprintf(text, sizeof text, "Folder number %d", i);
        labels.push_back(text);
        menu.AppendItem(0, 30000 + i, text, -1);
        menu.SetItemImage(nullptr, 30000 + i, &pictures, 3 * (i % 8));
    }
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 600, 60);
    SelectObject(dc, bmp);
    ReleaseDC(nullptr, screen);
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMenuFont.lfHeight = MulDiv(ncm.lfMenuFont.lfHeight, dpi, 96);
    HFONT font = CreateFontIndirectA(&ncm.lfMenuFont);
    const int itemHeight = size + MulDiv(6, dpi, 96);

    auto work = [&] {
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
        return (vt::bench::NowMs() - t0) / kItems;
    };
    auto floor = [&] {
        const double t0 = vt::bench::NowMs();
        for (int i = 0; i < kItems; ++i) {
            const bool selected = i % 10 == 0;
            RECT r = {0, 0, 300, itemHeight};
            FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
            DrawIconEx(dc, 2, 3, icons[i % 8], size, size, 0, nullptr, DI_NORMAL);
            HGDIOBJ old = SelectObject(dc, font);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
            RECT t = {size + 8, 0, 300, itemHeight};
            DrawTextA(dc, labels[i].c_str(), -1, &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            SelectObject(dc, old);
        }
        GdiFlush();
        return (vt::bench::NowMs() - t0) / kItems;
    };
    const vt::bench::Paired p = vt::bench::Interleave(18, work, floor);
    DeleteObject(font);
    for (HICON icon : icons) DestroyIcon(icon);
    DeleteDC(dc);
    DeleteObject(bmp);
    return p;
}

void Report(const char* name, const char* floorName, int dpi) {
    const vt::bench::Paired p = DrawItemMs(dpi);
    vt::bench::PrintFigure(name, p.WorkMedian(), "ms", 4);
    vt::bench::PrintFigure(floorName, p.FloorMedian(), "ms", 4);
    vt::bench::Comment(
        "%s: %.2f times a bare item (background, picture, label), median of %zu "
        "interleaved rounds of 200 items",
        name, p.Ratio(), p.Pairs());
}

}  // namespace

int main() {
    CNewMenu::SetMenuStyle(2);
    CNewMenu::SetUsePreparedImages(FALSE);
    Report("menu_draw_item_ms", "menu_draw_item_bare_ms", 96);
    Report("menu_draw_item_144_ms", "menu_draw_item_144_bare_ms", 144);
    return 0;
}
