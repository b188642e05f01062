// What the menus read from the system: the settings that decide colours and
// frames, and the menu font.
#pragma once
#include <windows.h>

#include "framework/dpi.h"
#include "framework/handles.h"

namespace vt::menu {

// The system draws drop shadows under menus (SPI_GETDROPSHADOW).
bool SystemDropShadow();
// Flat menus are on (SPI_GETFLATMENU).
bool FlatMenusOn();
// COLOR_MENUBAR on XP and later with flat menus on, else COLOR_MENU.
int FlatMenuColorIndex();
inline COLORREF FlatMenuColor() { return GetSysColor(FlatMenuColorIndex()); }
// Background colour of a menu: its own brush, else the system's menu colour
// (MenuColorIndex). A null menu gives the system's colour.
COLORREF MenuBack(HMENU menu);
// The menu font of the system for a DPI, bold on request.
UniqueFont ItemFont(bool bold, int dpi);
inline UniqueFont ItemFont(bool bold) { return ItemFont(bold, SystemDpi()); }

}  // namespace vt::menu
