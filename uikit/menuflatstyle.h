// The flat drawing style's items (style key 2): a light icon strip, a
// framed selection, pictures raised over their shadow when selected.
#pragma once
#include <windows.h>

namespace vt {
class CNewMenu;
}  // namespace vt

namespace vt::menu {

void FlatMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL menuBar);
void FlatDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);

}  // namespace vt::menu
