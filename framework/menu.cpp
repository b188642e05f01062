#include "framework/menu.h"

#include <string.h>

#include "framework/threadmap.h"

namespace vt {

namespace {
// Menus attached to objects on this thread; menus, like windows, are only
// touched by the GUI thread.
using MenuMap = ThreadHandleMap<HMENU, CMenu>;

bool ItemMatches(HMENU menu, int pos, UINT id, ULONG_PTR itemData) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
    if (!::GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &mii)) return false;
    // A submenu item is announced with its submenu handle as id.
    UINT itemId =
        mii.hSubMenu ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(mii.hSubMenu)) : mii.wID;
    return itemId == id && (itemData == 0 || mii.dwItemData == itemData);
}

// The position of an item that the menu directly holds, or -1. The search
// starts at from (wrapping round): the system measures a menu's items in
// order, so the item after the last one found is the likely one, and a menu
// of n items is measured in n reads instead of n * n / 2.
int ItemPosition(HMENU menu, UINT id, ULONG_PTR itemData, int from) {
    const int count = ::GetMenuItemCount(menu);
    if (count <= 0) return -1;
    if (from < 0 || from >= count) from = 0;
    for (int k = 0; k < count; ++k) {
        const int pos = (from + k) % count;
        if (ItemMatches(menu, pos, id, itemData)) return pos;
    }
    return -1;
}

// Where the last request was found.
thread_local HMENU t_lastMenu = nullptr;
thread_local int t_lastPosition = -1;

bool MenuHoldsItem(HMENU menu, UINT id, ULONG_PTR itemData) {
    const int pos = ItemPosition(menu, id, itemData, menu == t_lastMenu ? t_lastPosition + 1 : 0);
    if (pos < 0) return false;
    t_lastMenu = menu;
    t_lastPosition = pos;
    return true;
}
}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

BOOL CMenu::Attach(HMENU menu) {
    if (hmenu_ || !menu || !::IsMenu(menu) || MenuMap::Find(menu)) return FALSE;
    hmenu_ = menu;
    MenuMap::Set(menu, this);
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = hmenu_;
    if (h) {
        MenuMap::Erase(h, this);
    }
    hmenu_ = nullptr;
    return h;
}

BOOL CMenu::DestroyMenu() {
    if (!hmenu_) return FALSE;
    return ::DestroyMenu(Detach());
}

CMenu* CMenu::FromHandlePermanent(HMENU menu) { return MenuMap::Find(menu); }

CMenu* CMenu::FindPopupMenuFromID(UINT id, ULONG_PTR itemData) {
    // Exact match on id and item data first: two live menus may share an id.
    if (itemData) {
        // The menu of the last request first: the requests of one menu come together.
        CMenu* last = MenuMap::Find(t_lastMenu);
        if (last && MenuHoldsItem(t_lastMenu, id, itemData)) return last;
        if (CMenu* m = MenuMap::FindIf(
                [&](HMENU h, CMenu*) { return h != t_lastMenu && MenuHoldsItem(h, id, itemData); }))
            return m;
    }
    return MenuMap::FindIf([&](HMENU h, CMenu*) { return MenuHoldsItem(h, id, 0); });
}

std::string CMenu::GetMenuString(UINT id, UINT flags) const {
    char buf[1024] = {};
    int n = ::GetMenuStringA(hmenu_, id, buf, sizeof buf, flags);
    return std::string(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

bool CMenu::HandleMeasureItem(MEASUREITEMSTRUCT* mis) {
    if (!mis || mis->CtlType != ODT_MENU) return false;
    CMenu* menu = FindPopupMenuFromID(mis->itemID, mis->itemData);
    if (!menu) return false;
    menu->MeasureItem(mis);
    return true;
}

bool CMenu::HandleDrawItem(DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_MENU) return false;
    CMenu* menu = FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem));
    if (!menu) return false;
    menu->DrawItem(dis);
    return true;
}

}  // namespace vt
