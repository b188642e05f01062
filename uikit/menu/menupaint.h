// Painting helpers shared by the two item styles and the flat frame.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/dpi.h"

namespace vt {
class CNewMenu;
class CNewMenuItemData;
}  // namespace vt

namespace vt::menu {

// Fills r with a solid colour; an empty rectangle paints nothing.
void FillSolid(HDC dc, const RECT& r, COLORREF c);
// A frame of width w inside r, in a solid colour.
void FrameSolid(HDC dc, RECT r, COLORREF c, int w = 1);
// Outlines r with pen, inside unfilled.
void FrameWithPen(HDC dc, const RECT& r, HPEN pen);
// Frame of width w with top-left in one colour and bottom-right in another.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight, int w);
// GetNearestColor on the DC passed as context (a NearestColorFn).
COLORREF NearestOn(COLORREF c, void* dc);

// Draws one "Marlett" character centred in rect shrunk by 2 (at 96 DPI).
void DrawMarlettGlyph(HDC dc, RECT rect, char glyph, bool bold, COLORREF color, int dpi = kBaseDpi);
// The "Marlett" character of a system command, 0 for other ids.
char SystemCommandGlyph(UINT id);

// Measures an item of menu: a separator (or an item without data) is
// SeparatorSize; any other item is itemSize of the menu's icon column,
// SM_CYMENU and the extent of its text, made by measuredText when given.
using ItemSizeFn = SIZE (*)(int iconWidth, int iconHeight, int cyMenu, SIZE text, int dpi);
using MeasuredTextFn = std::string (*)(const std::string& text);
void MeasureMenuItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, ItemSizeFn itemSize,
                     MeasuredTextFn measuredText);

// A heading item: its text in the bold menu font from text.left, vertically
// centred in item, then a line of lineColor from the text's end to the right
// edge of item (less a margin).
void DrawHeading(HDC dc, const RECT& item, RECT text, const std::string& label, int dpi,
                 COLORREF textColor, COLORREF lineColor);

// The item is the menu's default item.
bool IsDefaultItem(CNewMenu* menu, UINT_PTR id);

// The item's picture, if any: image list and index.
struct Picture {
    HIMAGELIST list = nullptr;
    int index = -1;
    SIZE size = {0, 0};
};
Picture PictureOf(const CNewMenuItemData* data);
void DrawImage(HDC dc, const Picture& p, int index, int x, int y);
// The picture as a one-colour silhouette (or with a state effect).
void DrawIconState(HDC dc, const Picture& p, int x, int y, HBRUSH brush, UINT state);

// An item's own check-mark bitmaps (not owned).
struct CheckBitmaps {
    HBITMAP checked = nullptr, unchecked = nullptr;
};
CheckBitmaps CheckBitmapsOf(HMENU menu, UINT id);
void DrawBitmapCentered(HDC dc, HBITMAP bmp, const RECT& box, UINT state);

}  // namespace vt::menu
