// The menus' drawing cache: the item fonts, the measuring surface and the
// memory DC items are drawn in are made once and kept, because making them
// for every item cost most of an item's drawing time. The fonts and the menu
// height are for one DPI at a time (menus of one DPI follow each other: a
// menu pops up on one monitor at a time).
#pragma once
#include <windows.h>

#include <string>

namespace vt::menu {

struct Picture;

// Drops everything (the style is set again when system settings change, and
// the system's menu font may have changed with them). The item DC is kept
// while an item is being drawn in it.
void DropDrawingCache();
// Borrowed from the cache: valid until DropDrawingCache or a font of
// another DPI is asked for.
HFONT CachedItemFont(bool bold, int dpi);
// SM_CYMENU at dpi.
int MenuHeight(int dpi);
// Extent of a single line of text in the item font.
SIZE MeasureText(const std::string& text, bool bold, int dpi);

// The kept memory DC for target, in a fresh DC's state, or null when it is
// in use (or cannot be made): the caller then makes its own.
HDC TakeDrawDc(HDC target);
// The kept surface for the DC taken with TakeDrawDc, at least w x h.
HBITMAP TakeDrawBitmap(int w, int h);
// Gives the DC back after an item: its state returns to the saved one.
void ReturnDrawDc();

// Draws image index of p at x, y on dc, where everything under the picture is
// back: copied from a kept drawing when the picture was drawn on that colour
// before. generation is the collection's (CNewMenuIcons::GetGeneration), so a
// changed picture is never copied from a stale drawing.
void DrawImageOn(HDC dc, const Picture& p, unsigned generation, int index, COLORREF back, int x,
                 int y);

}  // namespace vt::menu
