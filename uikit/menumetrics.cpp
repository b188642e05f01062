#include "uikit/menumetrics.h"

#include <algorithm>

namespace vt::menu {

namespace {
int Md(int v, int num, int den) { return ::MulDiv(v, num, den); }

int Clamp(int v) { return std::min(255, std::max(0, v)); }

COLORREF Rgb(int r, int g, int b) {
    return RGB(Clamp(r), Clamp(g), Clamp(b));
}

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

int NormaliseColorCount(int numColors) { return numColors == -1 ? 64000 : numColors; }

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
    c.selection = highContrast ? sys.highlight : palette ? sys.window
                                                          : Mix70(sys.window, sys.highlight);
    c.framePen = highContrast ? sys.btnText : sys.highlight;
    return c;
}

int VersionCode(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId == VER_PLATFORM_WIN32s) return 0;
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        if (major == 4 && minor == 10) return 3;
        if (major == 4 && minor == 90) return 4;
        return 2;
    }
    if (major < 4) return 1;
    if (major == 4) return 5;
    if (major == 5 && minor == 0) return 6;
    return 7;
}

std::string FlatMeasureText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 4);
    for (char ch : text) {
        if (ch == '\t') out += "nnn";
        else out += ch;
    }
    return out;
}

SIZE FlatItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text) {
    SIZE s;
    s.cx = iconWidth + cyMenu / 2 + text.cx + 6;
    s.cy = cyMenu > iconHeight + 8 ? cyMenu : iconHeight + 7;
    s.cy = std::max<LONG>(s.cy, text.cy);
    return s;
}

SIZE ClassicItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text) {
    SIZE s;
    s.cx = text.cx + 2 * iconWidth + 2;
    s.cy = std::max<LONG>(std::max(iconHeight + 4, cyMenu), text.cy);
    return s;
}

RECT FlatStripRect(const RECT& item, int iconWidth) {
    return RECT{item.left, item.top, item.left + iconWidth + 8, item.bottom};
}

RECT FlatTextRect(const RECT& item, int iconWidth) {
    return RECT{item.left + iconWidth + 12, item.top, item.right - 15, item.bottom};
}

POINT FlatPictureOrigin(const RECT& item, int iconWidth, SIZE image) {
    POINT p;
    p.x = item.left + 3 + (iconWidth > image.cx ? (iconWidth - image.cx) / 2 : 0);
    p.y = item.top + (item.bottom - image.cy - item.top) / 2;
    return p;
}

void SplitItemText(const std::string& text, std::string* label, std::string* accel) {
    size_t first = text.find('\t');
    if (label) *label = text.substr(0, first);
    if (accel) *accel = first == std::string::npos ? std::string() : text.substr(text.rfind('\t') + 1);
}

FrameMargins FlatFrameMargins(bool systemDropShadow) {
    return systemDropShadow ? FrameMargins{2, 2, 2, 2} : FrameMargins{2, 2, 5, 6};
}

WindowPosDelta FlatWindowPosDelta(bool systemDropShadow) {
    return systemDropShadow ? WindowPosDelta{-2, -2, -1} : WindowPosDelta{2, 2, -1};
}

RECT FlatContentRect(const RECT& window, bool systemDropShadow) {
    int inset = systemDropShadow ? 3 : 7;
    return RECT{window.left + 2, window.top + 2, window.right - inset, window.bottom - inset};
}

RECT FlatFrameBox(int w, int h, bool systemDropShadow) {
    return systemDropShadow ? RECT{0, 0, w, h} : RECT{0, 0, w - 4, h - 4};
}

int RightShadowFactor(int d, int row, int h) {
    if (row < 4) return -1;
    if (row >= h - 4) return 255 - 24 * d + 6 * d * (row - (h - 4));
    if (row < 8) return 249 - 6 * (d - 1) - 6 * d * (row - 4);
    return 255 - 30 * d;
}

int BottomShadowFactor(int r, int col, int w) {
    if (col < 4 || col > w - 5) return -1;
    if (col < 8) return 249 - 6 * (r - 1) - 6 * r * (col - 4);
    return 255 - 30 * r;
}

}  // namespace vt::menu
