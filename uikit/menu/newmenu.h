// Owner-drawn icon menus: CNewMenu wraps a popup menu handle and keeps one
// CNewMenuItemData per owner-drawn item; pictures live in shared, counted
// icon collections (CNewMenuIcons / CNewMenuBitmaps). How items look is up
// to the current drawing style (menutheme.h); the popup window's frame is
// the menu hook's business (menuhook.h).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dpi.h"
#include "framework/imagelist.h"
#include "framework/menu.h"
#include "uikit/menu/newmenubitmaps.h"
#include "uikit/menu/newmenuicons.h"
#include "uikit/menu/newmenuitemdata.h"

namespace vt {

// The transparent colour of a menu that masks nothing out of its bitmaps.
constexpr COLORREF kNoTransparentColor = 0xFF000000;

// The owner-drawn popup menu.
class CNewMenu : public CMenu {
public:
    explicit CNewMenu(HMENU parent = nullptr);
    ~CNewMenu() override;

    // Previous transparent colour is returned; kNoTransparentColor = none.
    COLORREF SetTransparentColor(COLORREF color);

    // Appends one owner-drawn item (id 0 = separator). FALSE when the system
    // refuses the item.
    BOOL AppendItem(UINT flags, UINT_PTR id, const char* text, int imageIndex = -1,
                    CNewMenuIcons* icons = nullptr);
    // Appends a heading: a separator with the group's name in bold before
    // its line. The keyboard passes over it, as over any separator.
    BOOL AppendHeading(const char* text);
    // Gives the item(s) with this command id the picture from a bitmap
    // resource of the program; text null keeps the text.
    BOOL SetItemBitmap(const char* text, UINT id, UINT bitmapId);
    // Gives the item(s) that image of the collection; null removes the image.
    BOOL SetItemImage(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    // Attaches a menu (bar or popup) with all its submenus and makes every
    // item owner-drawn.
    virtual BOOL AttachMenuTree(HMENU menu);
    // Deletes child menus and item data, destroys the handle (a child only
    // lets go of its handle: the parent's destruction takes it).
    virtual void DestroyMenuTree();

    int GetIconWidth() const { return iconWidth_; }
    int GetIconHeight() const { return iconHeight_; }
    // The DPI the menu is measured and drawn for: the system DPI until set.
    // A menu that pops up on a monitor of another DPI is given that DPI
    // before its items are added: the icon column then starts at its scaled
    // size (16 by 15 at 96 DPI), and fonts, heights and margins follow.
    void SetDpi(int dpi);
    int GetDpi() const { return dpi_; }
    HMENU GetParentMenu() const { return parentMenu_; }
    BOOL IsPopup() const { return isPopup_; }
    // The item data of this menu that has this address, or null.
    CNewMenuItemData* FindOwnData(ULONG_PTR data) const;
    int GetItemDataCount() const { return static_cast<int>(itemData_.size()); }

    // Process-wide switches.
    static int SetMenuStyle(int styleKey);
    static BOOL SetUsePreparedImages(BOOL use);

protected:
    struct Found {
        CNewMenu* menu;  // object owning the menu that holds the item
        HMENU hmenu;
        int pos;
    };
    // Every item with this command id in this menu and its submenus.
    void FindItems(UINT id, std::vector<Found>& out);
    void GrowIconSize(SIZE size);
    BOOL SetItemIcons(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex);
    // The collection that holds a bitmap resource, found or made in the
    // shared list; imageIndex receives the picture's base index.
    CNewMenuIcons* SharedBitmap(UINT bitmapId, int* imageIndex);
    CNewMenuItemData* NewItemData();
    void ReleaseChildren();

    std::vector<std::unique_ptr<CNewMenuItemData>> itemData_;  // owned
    std::vector<std::unique_ptr<CNewMenu>> subMenus_;          // owned
    int iconWidth_ = 16;
    int iconHeight_ = 15;
    int dpi_ = kBaseDpi;
    COLORREF transparentColor_ = kNoTransparentColor;
    HMENU parentMenu_ = nullptr;  // not owned
    BOOL isPopup_ = TRUE;         // FALSE for the top of an attached tree
};

}  // namespace vt
