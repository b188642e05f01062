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

namespace vt {

class CNewMenuIcons;

// One owner-drawn item; its address is the item's data value in the menu.
class CNewMenuItemData : public CObject {
public:
    ~CNewMenuItemData() override;
    // Replaces the collection reference: the new one is counted before the
    // old one is released (the same collection may be passed again).
    void SetIcons(CNewMenuIcons* icons, int imageIndex);

    std::string m_szMenuText;        // label, optional tab + accelerator
    int m_nTitleFlags = 0;           // bit 0 title item, bit 1 vertical title
    UINT m_nFlags = 0;               // append flags, always with MF_OWNERDRAW
    UINT_PTR m_nID = 0;              // command id, or submenu handle for popups
    CNewMenuIcons* m_pMenuIcon = nullptr;  // counted reference, may be null
    int m_nMenuIconOffset = -1;      // image index in the collection, -1 none

    bool IsSeparator() const { return (m_nFlags & MF_SEPARATOR) != 0; }
};

// Same-sized pictures in one image list, shared by reference count. Every
// picture i occupies images 3i (picture), 3i+1 (dimmed) and 3i+2 (disabled).
class CNewMenuIcons : public CObject {
public:
    CNewMenuIcons() = default;
    ~CNewMenuIcons() override;
    CNewMenuIcons(const CNewMenuIcons&) = delete;
    CNewMenuIcons& operator=(const CNewMenuIcons&) = delete;

    // Counted references. AddRef on a null collection returns 0.
    static int AddRef(CNewMenuIcons* icons);
    int AddRef() { return ++m_dwRefCount; }
    // Drops one reference; a toolkit-made (shared) collection whose count
    // reaches zero leaves the shared list and is deleted. Returns the count.
    static int Release(CNewMenuIcons* icons);
    int RefCount() const { return m_dwRefCount; }

    // 3 times the position of id in the id list (searched from the end), -1.
    virtual int IndexOf(UINT id) const;
    // Rebuilds the images from their remembered source.
    virtual BOOL Reload();
    // Builds the dimmed and disabled copies of an icon; appends them (index
    // -1) or replaces the image at index. Returns the image index or -1.
    virtual int MakeDimmedImage(HICON icon, int index);
    virtual int MakeDisabledImage(HICON icon, int index);
    // Recreates the image list and re-adds every picture with its copies.
    virtual void RebuildImages();
    virtual BOOL IsSameResource(const char* name, HMODULE module) const;

    SIZE GetImageSize() const;
    int GetImageCount() const { return m_IconsList.GetImageCount(); }
    HIMAGELIST GetImageList() const { return m_IconsList.GetSafeHandle(); }
    // Number of pictures (entries of the id list).
    int GetPictureCount() const { return static_cast<int>(m_IDs.size()); }
    // Changes whenever the images may have changed, and is never the same for
    // two collections: a drawing of an image kept under this value and the
    // index stays true.
    unsigned GetGeneration() const { return m_generation; }

    // Colour count of a bitmap from its header (used count, else by depth).
    static int ColorCountOf(const BITMAPINFOHEADER& h);

    // Resource source; an integer id is stored as its value (not above 0xFFFF).
    const char* m_lpszResourceName = nullptr;
    std::string m_resourceNameText;  // owned copy behind m_lpszResourceName
    HMODULE m_hInst = nullptr;
    int m_nColors = 0;
    COLORREF m_crTransparent = CLR_NONE;
    CImageList m_IconsList;          // owned
    std::vector<UINT> m_IDs;
    int m_dwRefCount = 0;

private:
    unsigned m_generation = 0;

protected:
    // Called before the images change.
    void Touch();
    // Creates the image list on first use; false when the size differs from
    // the collection's image size or creation fails.
    bool EnsureImageList(SIZE size);
    // Appends (index -1) or replaces the three images of one picture.
    int StoreIcon(HICON icon, int index);
};

// A collection of bitmaps and icons with one mask colour per picture.
class CNewMenuBitmaps : public CNewMenuIcons {
public:
    ~CNewMenuBitmaps() override;
    BOOL Reload() override;

    // The picture's base index; an id already present returns its index
    // without loading anything. -1 on failure (missing resource, size
    // mismatch). The resource comes from module (null: the program).
    int AddBitmap(UINT bitmapId, COLORREF mask, HMODULE module = nullptr);
    // Adds (or, for a non-zero id already present, replaces) an icon; the
    // caller keeps the icon handle. -1 on failure.
    int AddIcon(HICON icon, UINT id = 0);

    std::vector<DWORD> m_TranspColors;
};

// The owner-drawn popup menu.
class CNewMenu : public CMenu {
public:
    explicit CNewMenu(HMENU parent = nullptr);
    ~CNewMenu() override;

    // Previous transparent colour is returned; CLR_DEFAULT style 0xFF000000 = none.
    COLORREF SetTransparentColor(COLORREF color);
    COLORREF GetTransparentColor() const { return m_bitmapBackground; }

    // Appends one owner-drawn item (id 0 = separator). FALSE when the system
    // refuses the item.
    BOOL AppendItem(UINT flags, UINT_PTR id, const char* text, int imageIndex = -1,
                    CNewMenuIcons* icons = nullptr);
    // Gives the item(s) with this command id the picture from a bitmap
    // resource of the program; text null keeps the text.
    BOOL SetItemBitmap(const char* text, UINT id, UINT bitmapId);
    // Gives the item(s) that image of the collection; null removes the image.
    BOOL SetItemImage(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex);

    void DrawItem(LPDRAWITEMSTRUCT dis) override;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override;

    virtual BOOL LoadMenuResource(UINT id);
    virtual BOOL LoadMenuResource(const char* name);
    // Attaches a menu (bar or popup) with all its submenus and makes every
    // item owner-drawn.
    virtual BOOL AttachMenuTree(HMENU menu);
    // Deletes child menus, item data and check images, destroys the handle
    // (a child only lets go of its handle: the parent's destruction takes it).
    virtual void DestroyMenuTree();
    virtual void DrawTitleItem(LPDRAWITEMSTRUCT, BOOL) {}
    // Fills the client area with the menu colour.
    virtual void EraseBackground(HWND window, HDC dc);

    int GetIconWidth() const { return m_iconX; }
    int GetIconHeight() const { return m_iconY; }
    // The DPI the menu is measured and drawn for: the system DPI until set.
    // A menu that pops up on a monitor of another DPI is given that DPI
    // before its items are added: the icon column then starts at its scaled
    // size (16 by 15 at 96 DPI), and fonts, heights and margins follow.
    void SetDpi(int dpi);
    int GetDpi() const { return m_nDpi; }
    HMENU GetParentMenu() const { return m_hParentMenu; }
    BOOL IsPopup() const { return m_bIsPopupMenu; }
    // The item data of this menu that has this address, or null.
    CNewMenuItemData* FindOwnData(ULONG_PTR data) const;
    int GetItemDataCount() const { return static_cast<int>(m_MenuItemList.size()); }

    // Process-wide switches.
    static int SetMenuStyle(int styleKey);
    static BOOL SetUsePreparedImages(BOOL use);
    static BOOL GetUsePreparedImages();

protected:
    struct Found {
        CNewMenu* menu;   // object owning the menu that holds the item
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

    std::vector<std::unique_ptr<CNewMenuItemData>> m_MenuItemList;  // owned
    std::vector<std::unique_ptr<CNewMenu>> m_SubMenus;               // owned
    int m_iconX = 16;
    int m_iconY = 15;
    int m_nDpi = kBaseDpi;
    HWND m_hOwner = nullptr;
    COLORREF m_bitmapBackground = 0xFF000000;  // none
    CImageList* m_checkmaps = nullptr;
    BOOL m_bCheckmapsShare = FALSE;            // borrowed when TRUE
    int m_selectcheck = -1;
    int m_unselectcheck = -1;
    int m_LastActiveMenuRect = 0;
    HMENU m_hParentMenu = nullptr;
    BOOL m_bIsPopupMenu = TRUE;
    RECT m_LastActiveMenuBarRect = {};
    int m_dwOpenMenu = 0;
    int m_dwLastActive = 0;
};

}  // namespace vt
