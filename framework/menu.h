// Menus: CMenu owns one menu handle and is found again from the handle
// through a per-thread permanent map, so that owner-draw requests that carry
// only a menu handle (or a command id) reach the object that built the menu.
#pragma once
#include <windows.h>

#include <string>

#include "framework/wnd.h"

namespace vt {

class CMenu : public CObject {
public:
    CMenu() = default;
    // Destroys the attached menu handle (it is owned).
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Takes ownership of the handle; fails for a null handle, a handle that
    // is not a menu, when this object already holds one, or when another
    // object is attached to the same handle.
    BOOL Attach(HMENU menu);
    // Gives up ownership without destroying the handle.
    HMENU Detach();
    BOOL CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
    BOOL CreateMenu() { return Attach(::CreateMenu()); }
    // Destroys the handle (with its submenus) and detaches.
    BOOL DestroyMenu();

    HMENU GetSafeHmenu() const { return hmenu_; }

    // The object attached to a menu handle on this thread, or null.
    static CMenu* FromHandlePermanent(HMENU menu);
    // The attached object whose menu directly holds an item with this command
    // id (and, when itemData is non-zero, this item data); null if none.
    static CMenu* FindPopupMenuFromID(UINT id, ULONG_PTR itemData = 0);

    // Owner-draw requests for items of this menu; the base draws nothing.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    virtual void MeasureItem(LPMEASUREITEMSTRUCT) {}

    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr) const {
        return ::AppendMenuA(hmenu_, flags, id, text);
    }
    BOOL ModifyMenu(UINT position, UINT flags, UINT_PTR id = 0, const char* text = nullptr) const {
        return ::ModifyMenuA(hmenu_, position, flags, id, text);
    }
    int GetMenuItemCount() const { return ::GetMenuItemCount(hmenu_); }
    UINT GetMenuItemID(int pos) const { return ::GetMenuItemID(hmenu_, pos); }
    UINT GetMenuState(UINT id, UINT flags) const { return ::GetMenuState(hmenu_, id, flags); }
    std::string GetMenuString(UINT id, UINT flags) const;
    HMENU GetSubMenu(int pos) const { return ::GetSubMenu(hmenu_, pos); }
    BOOL EnableMenuItem(UINT id, UINT enable) const {
        return static_cast<int>(::EnableMenuItem(hmenu_, id, enable)) != -1;
    }
    DWORD CheckMenuItem(UINT id, UINT check) const { return ::CheckMenuItem(hmenu_, id, check); }

    // Tracks the menu for the owner window; with TPM_RETURNCMD the result is
    // the chosen id, else nonzero on success.
    BOOL TrackPopupMenu(UINT flags, int x, int y, HWND owner, const RECT* rect = nullptr) const {
        return ::TrackPopupMenu(hmenu_, flags, x, y, 0, owner, rect);
    }

    // A window's standard handling of WM_MEASUREITEM / WM_DRAWITEM for menu
    // items: finds the object and calls its virtual. False when no object
    // takes the request.
    static bool HandleMeasureItem(MEASUREITEMSTRUCT* mis);
    static bool HandleDrawItem(DRAWITEMSTRUCT* dis);

    HMENU hmenu_ = nullptr;  // owned
};

}  // namespace vt
