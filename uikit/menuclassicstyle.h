// The classic drawing style's items (style key 1): the system's menu
// colours, pictures in a raised or sunken box.
#pragma once
#include <windows.h>

namespace vt {
class CNewMenu;
}  // namespace vt

namespace vt::menu {

void ClassicMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL menuBar);
void ClassicDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);

}  // namespace vt::menu
