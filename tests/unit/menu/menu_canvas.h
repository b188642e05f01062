// A 32-bit memory surface for pixel checks, and helpers to draw one menu item
// through the real measure and draw functions.
#pragma once
#include <windows.h>

#include "framework/gdi.h"
#include "uikit/menu/newmenu.h"

namespace vt::test {

// The system's default colours may make menu and window colours equal, which
// hides the icon strip; the menu tests run with a grey menu colour (restored
// at the end of the program).
// Pins the system colours the menus mix, so that tests can expect colours
// worked out by hand from these inputs.
class MenuColourEnvironment {
public:
    static constexpr COLORREF kMenu = RGB(212, 208, 200);  // COLOR_MENU and COLOR_MENUBAR
    static constexpr COLORREF kWindow = RGB(255, 255, 255);
    static constexpr COLORREF kHighlight = RGB(10, 36, 106);
    static constexpr COLORREF kButtonFace = RGB(192, 192, 192);
    static constexpr COLORREF kButtonText = RGB(0, 0, 0);
    void Set() {
        const COLORREF pinned[kCount] = {kMenu,      kMenu,       kWindow,
                                         kHighlight, kButtonFace, kButtonText};
        for (int i = 0; i < kCount; ++i) saved_[i] = GetSysColor(kIds[i]);
        SetSysColors(kCount, kIds, pinned);
    }
    void Restore() { SetSysColors(kCount, kIds, saved_); }

private:
    static constexpr int kCount = 6;
    static constexpr int kIds[kCount] = {COLOR_MENU,      COLOR_MENUBAR, COLOR_WINDOW,
                                         COLOR_HIGHLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
    COLORREF saved_[kCount] = {};
};

class Canvas {
public:
    Canvas(int w, int h, COLORREF fill = RGB(1, 2, 3)) : w_(w), h_(h) {
        BITMAPINFO bi = TopDown32BitInfo(w, h);
        dc_ = CreateCompatibleDC(nullptr);
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr,
                                0);
        old_ = SelectObject(dc_, bmp_);
        Fill(fill);
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    void Fill(COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT r = {0, 0, w_, h_};
        FillRect(dc_, &r, b);
        DeleteObject(b);
    }
    HDC Dc() const { return dc_; }
    int W() const { return w_; }
    int H() const { return h_; }
    COLORREF At(int x, int y) const {
        GdiFlush();
        DWORD p = bits_[y * w_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Number of pixels of exactly this colour inside r.
    int Count(const RECT& r, COLORREF c) const {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
        return n;
    }
    // Leftmost column in r that holds colour c, -1 if none.
    int FirstColumn(const RECT& r, COLORREF c) const {
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (At(x, y) == c) return x;
        return -1;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_;
    HGDIOBJ old_;
    DWORD* bits_ = nullptr;
};

inline ULONG_PTR ItemDataOf(HMENU menu, UINT pos) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoA(menu, pos, TRUE, &mii);
    return mii.dwItemData;
}

inline SIZE MeasureAt(CNewMenu& menu, UINT pos) {
    MEASUREITEMSTRUCT mis = {};
    mis.CtlType = ODT_MENU;
    mis.itemID = GetMenuItemID(menu.hmenu_, static_cast<int>(pos));
    mis.itemData = ItemDataOf(menu.hmenu_, pos);
    menu.MeasureItem(&mis);
    return SIZE{static_cast<LONG>(mis.itemWidth), static_cast<LONG>(mis.itemHeight)};
}

inline void DrawAt(CNewMenu& menu, UINT pos, HDC dc, RECT r, UINT state = 0) {
    DRAWITEMSTRUCT dis = {};
    dis.CtlType = ODT_MENU;
    dis.itemID = GetMenuItemID(menu.hmenu_, static_cast<int>(pos));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = reinterpret_cast<HWND>(menu.hmenu_);
    dis.hDC = dc;
    dis.rcItem = r;
    dis.itemData = ItemDataOf(menu.hmenu_, pos);
    menu.DrawItem(&dis);
}

}  // namespace vt::test
