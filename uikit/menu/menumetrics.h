// The menus' layout sums as plain functions (the colours are in
// menucolors.h): no window, no device context, so that every rule can be
// checked exactly. Lengths are given for 96 DPI and scaled to the dpi
// argument (the menu's or the menu window's), so a menu looks the same at
// every scale.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dpi.h"

namespace vt::menu {

// ---- Windows version code --------------------------------------------------
// 4 Windows Me, 5 NT 4, 6 Windows 2000, 7 XP and later. Older systems cannot
// load the program; they count as the oldest code of their family.
enum VersionCodes {
    kVersionMe = 4,
    kVersionNt4 = 5,
    kVersion2000 = 6,
    kVersionXp = 7,
};
int VersionCode(DWORD platformId, DWORD major, DWORD minor);

// ---- item layout -----------------------------------------------------------

// Flat style: every tab of the text becomes "nnn" for measuring.
std::string FlatMeasureText(const std::string& text);
// Flat style item size from the menu's icon column, SM_CYMENU and the text
// extent (all three already at dpi).
SIZE FlatItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text, int dpi = kBaseDpi);
// Classic style item size.
SIZE ClassicItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text, int dpi = kBaseDpi);
// Separators measure 3 by 3 in both styles (at 96 DPI).
constexpr SIZE kSeparatorSize = {3, 3};
SIZE SeparatorSize(int dpi);
// A line of the menus: one pixel at 96 DPI, never thinner than one pixel.
int LineWidth(int dpi);

// Flat style: the icon strip, the text rectangle and the picture's top-left.
RECT FlatStripRect(const RECT& item, int iconWidth, int dpi = kBaseDpi);
RECT FlatTextRect(const RECT& item, int iconWidth, int dpi = kBaseDpi);
POINT FlatPictureOrigin(const RECT& item, int iconWidth, SIZE image, int dpi = kBaseDpi);

// Label (up to the first tab) and accelerator (after the last tab).
void SplitItemText(const std::string& text, std::string* label, std::string* accel);

// ---- menu window frame -----------------------------------------------------

struct FrameMargins {
    int left, top, right, bottom;
};
// Frame margins of a style that paints its own frame.
FrameMargins FlatFrameMargins(bool systemDropShadow, int dpi = kBaseDpi);
// How the flat style resizes the system's proposed window (cx, cy, y change).
struct WindowPosDelta {
    int dcx, dcy, dy;
};
WindowPosDelta FlatWindowPosDelta(bool systemDropShadow, int dpi = kBaseDpi);
// The content rectangle inside a window rectangle for a style that paints its
// own frame.
RECT FlatContentRect(const RECT& window, bool systemDropShadow, int dpi = kBaseDpi);
// The frame box (outer border) of a w by h window: the whole window with the
// system shadow, else the shadow's width (4 pixels at 96 DPI) short on the
// right and bottom (own shadow).
RECT FlatFrameBox(int w, int h, bool systemDropShadow, int dpi = kBaseDpi);
// Width of the own drop shadow: 4 pixels at 96 DPI.
int ShadowWidth(int dpi);

// Own drop shadow, screens with more than 256 colours. d is the column
// counted from the right edge (1 = x of w - 1, up to ShadowWidth) and row the
// y counted from the top, in a window of height h; returns the channel factor
// (0..255) or -1 where the snapshot pixel is copied unchanged. At other DPIs
// than 96 the same ramps are stretched over the wider shadow.
int RightShadowFactor(int d, int row, int h, int dpi = kBaseDpi);
// Bottom shadow: r is the row counted from the bottom (1 = y of h - 1) and
// col the x from the left, in a window of width w.
int BottomShadowFactor(int r, int col, int w, int dpi = kBaseDpi);
// The shadow's step (1..4) of a column or row d counted from the edge, at dpi.
int ShadowStep(int d, int dpi);

}  // namespace vt::menu
