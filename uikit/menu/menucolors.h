// The menus' colour arithmetic as plain functions: no window, no device
// context, so that every rule can be checked exactly. Every product is one
// MulDiv per channel (rounded to nearest, halves away from zero); sums of
// products are rounded term by term, and every result is clamped to 0..255.
#pragma once
#include <windows.h>

namespace vt::menu {

// 86/100 of a plus 14/100 of b.
COLORREF Mix86(COLORREF a, COLORREF b);
// 7/10 of a plus 3/10 of b.
COLORREF Mix70(COLORREF a, COLORREF b);
// Each channel times (255 - n) / 255.
COLORREF Darken(int n, COLORREF c);
// Each channel moved n/255 of the way to white.
COLORREF Lighten(int n, COLORREF c);
// Red and green at 7/10, blue at 7/10 of (blue + 55): the bluish shadow
// under a raised picture.
COLORREF ShadowOf(COLORREF c);
// Each channel times f / 255 (the drop shadow's factors).
COLORREF ScaleColor(COLORREF c, int f);
// The dimmed copy of a picture pixel: every channel at 240/255.
COLORREF DimmedPixel(COLORREF c);
// The disabled copy: grey (channel average), lightened 100/255 toward white,
// then mixed 86 % with 14 % of the menu background.
COLORREF DisabledPixel(COLORREF c, COLORREF menuBack);

// A pixel of a 32-bit DIB (blue in the low byte) as a COLORREF and back; the
// DIB pixel's top byte is not part of the colour.
COLORREF ColorFromDibPixel(DWORD pixel);
DWORD DibPixelFromColor(COLORREF c);

// NUMCOLORS of the screen as the menus count it: -1 means "many".
int NormaliseColorCount(int numColors);
inline bool IsPaletteScreen(int colorCount) { return colorCount <= 256; }

// The system colour index of a menu's background when the menu has no brush
// of its own: COLOR_MENUBAR on XP and later (version code 7) when flat menus
// or a visual theme are on, else COLOR_MENU.
int MenuColorIndex(int versionCode, bool flatMenus, bool themeActive);

// Colours of one flat popup item.
struct FlatColors {
    COLORREF background;  // item area right of the strip
    COLORREF strip;       // icon strip
    COLORREF selection;
    COLORREF framePen;
};
// window = COLOR_WINDOW, menu = the menu background.
struct SysColors {
    COLORREF window, menu, highlight, btnFace, btnText;
};
// nearest maps a colour to the device's nearest one (GetNearestColor); when
// it maps background and strip to the same colour the two fall back to the
// pure window and menu colours, so that the strip stays visible.
using NearestColorFn = COLORREF (*)(COLORREF, void* context);
FlatColors ComputeFlatColors(const SysColors& sys, int colorCount, bool highContrast,
                             NearestColorFn nearest, void* context);

}  // namespace vt::menu
