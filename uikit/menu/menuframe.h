// The flat style's popup frame: a one-pixel border, the icon strip running
// on into the frame, and an own drop shadow darkening what was behind the
// window where the system draws none. Painted by CMenuThemeXP and the menu
// hook; the drawing is separate from the window for pixel tests.
#pragma once
#include <windows.h>

#include <vector>

#include "uikit/menu/menucolors.h"

namespace vt::menu {

// A window's own drop shadow as composed from its snapshot (right band: the
// last shadow-wide columns, every row; bottom band: the last shadow-wide rows
// left of it), kept for as long as the snapshot and the window's size stay:
// both passes of every frame painting put the same pixels on the window.
struct ShadowBands {
    const DWORD* source = nullptr;  // the snapshot pixels it was composed from
    int w = 0, h = 0, dpi = 0;
    COLORREF btnShadow = 0;
    bool palette = false;
    std::vector<DWORD> right, bottom;
};

// Paints the flat frame (and own shadow) of a w by h window into dc.
struct FlatFramePaint {
    int w, h;
    RECT client;  // client rectangle in window coordinates
    bool systemShadow;
    bool highContrast;
    bool firstPass;
    COLORREF itemBack, strip, border;
    HBITMAP snapshot;  // screen behind the window (may be null, not selected)
    int colorCount;
    int dpi;  // of the window: line and shadow widths; 0 means 96
    // The snapshot's pixels when they are at hand: top-down 32-bit rows of
    // the snapshot's width. Null: they are read from the bitmap.
    const DWORD* snapshotPixels;
    // Where the composed shadow is kept between paintings (null: composed
    // afresh each time); used with snapshotPixels only.
    ShadowBands* shadowBands;
};
void PaintFlatFrame(HDC dc, const FlatFramePaint& p);

// The flat colours of a menu window's frame, for the device of dc.
FlatColors FlatFrameColors(HDC dc);
// Client rectangle of a window in window coordinates.
RECT ClientInWindow(HWND w);
// Some systems draw the popup's own raised border and a margin inside the
// client area, around the items. With a style that paints its own frame that
// band is painted flat: the icon strip runs on into it, the rest takes the
// item background. dc draws in client coordinates.
void PaintClientBand(HWND w, HDC dc);

}  // namespace vt::menu
