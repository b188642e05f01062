// The item functions of the two drawing styles that CMenuTheme objects
// bundle. Flat (key 2, menuflatstyle.cpp): a light icon strip, a framed
// selection, pictures raised over their shadow when selected. Classic
// (key 1, menuclassicstyle.cpp): the system's menu colours, pictures in a
// raised or sunken box.
#pragma once
#include <windows.h>

namespace vt {
class CNewMenu;
}  // namespace vt

namespace vt::menu {

void FlatMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis);
void FlatDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis);

void ClassicMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis);
void ClassicDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis);

}  // namespace vt::menu
