#include "uikit/menu/menucolors.h"

#include <algorithm>

#include "uikit/menu/menumetrics.h"

namespace vt::menu {

namespace {

constexpr int kManyColors = 64000;  // what a screen without a palette counts as

int Md(int v, int num, int den) { return ::MulDiv(v, num, den); }

int Clamp(int v) { return std::min(255, std::max(0, v)); }

COLORREF Rgb(int r, int g, int b) { return RGB(Clamp(r), Clamp(g), Clamp(b)); }

// a*num/den + b*(den-num)/den, each product rounded on its own.
COLORREF Mix(COLORREF a, COLORREF b, int num, int den) {
    return Rgb(Md(GetRValue(a), num, den) + Md(GetRValue(b), den - num, den),
               Md(GetGValue(a), num, den) + Md(GetGValue(b), den - num, den),
               Md(GetBValue(a), num, den) + Md(GetBValue(b), den - num, den));
}

}  // namespace

COLORREF Mix86(COLORREF a, COLORREF b) { return Mix(a, b, 86, 100); }
COLORREF Mix70(COLORREF a, COLORREF b) { return Mix(a, b, 7, 10); }

COLORREF Darken(int n, COLORREF c) { return ScaleColor(c, 255 - n); }

COLORREF Lighten(int n, COLORREF c) {
    auto up = [n](int v) { return v + Md(255 - v, n, 255); };
    return Rgb(up(GetRValue(c)), up(GetGValue(c)), up(GetBValue(c)));
}

COLORREF ShadowOf(COLORREF c) {
    return Rgb(Md(GetRValue(c), 7, 10), Md(GetGValue(c), 7, 10), Md(GetBValue(c) + 55, 7, 10));
}

COLORREF ScaleColor(COLORREF c, int f) {
    return Rgb(Md(GetRValue(c), f, 255), Md(GetGValue(c), f, 255), Md(GetBValue(c), f, 255));
}

COLORREF DimmedPixel(COLORREF c) { return ScaleColor(c, 240); }

COLORREF DisabledPixel(COLORREF c, COLORREF menuBack) {
    int grey = (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
    return Mix86(Lighten(100, RGB(grey, grey, grey)), menuBack);
}

COLORREF ColorFromDibPixel(DWORD pixel) {
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

DWORD DibPixelFromColor(COLORREF c) {
    return (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) |
           GetBValue(c);
}

int NormaliseColorCount(int numColors) { return numColors == -1 ? kManyColors : numColors; }

int MenuColorIndex(int versionCode, bool flatMenus, bool themeActive) {
    return versionCode >= kVersionXp && (flatMenus || themeActive) ? COLOR_MENUBAR : COLOR_MENU;
}

FlatColors ComputeFlatColors(const SysColors& sys, int colorCount, bool highContrast,
                             NearestColorFn nearest, void* context) {
    const bool palette = IsPaletteScreen(colorCount);
    FlatColors c;
    c.background = Mix86(sys.window, sys.menu);
    c.strip = palette ? sys.btnFace : Mix86(sys.menu, sys.window);
    if (nearest && nearest(c.background, context) == nearest(c.strip, context)) {
        c.background = sys.window;
        c.strip = sys.menu;
    }
    c.selection = highContrast ? sys.highlight
                  : palette    ? sys.window
                               : Mix70(sys.window, sys.highlight);
    c.framePen = highContrast ? sys.btnText : sys.highlight;
    return c;
}

}  // namespace vt::menu
