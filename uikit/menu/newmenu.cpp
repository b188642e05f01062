#include "uikit/menu/newmenu.h"

#include <algorithm>
#include <utility>

#include "uikit/menu/menuhook.h"
#include "uikit/menu/menutheme.h"

namespace vt {

namespace {
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBREAK | MF_MENUBARBREAK |
                             MF_SEPARATOR | MF_DEFAULT;
}  // namespace

// ---- CNewMenu --------------------------------------------------------------

CNewMenu::CNewMenu(HMENU parent) : parentMenu_(parent) {
    CNewMenuHook::Instance();  // the toolkit and its menu hook exist from now on
    SetDpi(SystemDpi());
}

void CNewMenu::SetDpi(int dpi) {
    dpi_ = dpi > 0 ? dpi : kBaseDpi;
    iconWidth_ = ScaleForDpi(16, dpi_);
    iconHeight_ = ScaleForDpi(15, dpi_);
    // Pictures already given keep their column wide enough.
    for (const auto& data : itemData_)
        if (data->icons_) GrowIconSize(data->icons_->GetImageSize());
}

CNewMenu::~CNewMenu() { DestroyMenuTree(); }

COLORREF CNewMenu::SetTransparentColor(COLORREF color) {
    return std::exchange(transparentColor_, color);
}

CNewMenuItemData* CNewMenu::NewItemData() {
    itemData_.push_back(std::make_unique<CNewMenuItemData>());
    return itemData_.back().get();
}

CNewMenuItemData* CNewMenu::FindOwnData(ULONG_PTR data) const {
    if (!data) return nullptr;
    for (const auto& d : itemData_)
        if (reinterpret_cast<ULONG_PTR>(d.get()) == data) return d.get();
    return nullptr;
}

void CNewMenu::GrowIconSize(SIZE size) {
    iconWidth_ = std::max<int>(iconWidth_, size.cx);
    iconHeight_ = std::max<int>(iconHeight_, size.cy);
}

BOOL CNewMenu::AppendItem(UINT flags, UINT_PTR id, const char* text, int imageIndex,
                          CNewMenuIcons* icons) {
    if (id == 0)
        flags = MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    else
        flags |= MF_OWNERDRAW;
    if (flags & MF_POPUP) {
        if (auto* child = dynamic_cast<CNewMenu*>(FromHandlePermanent(reinterpret_cast<HMENU>(id))))
            child->parentMenu_ = hmenu_;
    }
    CNewMenuItemData* data = NewItemData();
    data->text_ = text ? text : "";
    data->flags_ = flags & ~MF_BYPOSITION;
    data->id_ = id;
    if (icons && imageIndex >= 0) {
        data->SetIcons(icons, imageIndex);
        GrowIconSize(icons->GetImageSize());
    }
    // A plain string item first, so that the system knows text and mnemonic.
    UINT plain = flags & ~(MF_OWNERDRAW | MF_BYPOSITION);
    if (!::AppendMenuA(hmenu_, plain, id, data->text_.c_str())) return FALSE;
    int last = GetMenuItemCount() - 1;
    return ::ModifyMenuA(hmenu_, static_cast<UINT>(last), flags | MF_BYPOSITION, id,
                         reinterpret_cast<LPCSTR>(data));
}

BOOL CNewMenu::AppendHeading(const char* text) {
    if (!AppendItem(MF_SEPARATOR, 0, text)) return FALSE;
    itemData_.back()->titleFlags_ |= 1;
    return TRUE;
}

void CNewMenu::FindItems(UINT id, std::vector<Found>& out) {
    int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(hmenu_, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (mii.hSubMenu) {
            if (auto* child = dynamic_cast<CNewMenu*>(FromHandlePermanent(mii.hSubMenu))) {
                child->FindItems(id, out);
            } else {
                // A submenu without its own object: its items are kept here.
                int n = ::GetMenuItemCount(mii.hSubMenu);
                for (int j = 0; j < n; ++j)
                    if (::GetMenuItemID(mii.hSubMenu, j) == id)
                        out.push_back({this, mii.hSubMenu, j});
            }
        } else if (mii.wID == id) {
            out.push_back({this, hmenu_, i});
        }
    }
}

BOOL CNewMenu::SetItemIcons(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex) {
    std::vector<Found> found;
    FindItems(id, found);
    SIZE size = icons ? icons->GetImageSize() : SIZE{0, 0};
    BOOL ok = TRUE;
    if (found.empty()) {
        CNewMenuItemData* data = NewItemData();
        if (text) data->text_ = text;
        data->SetIcons(icons, imageIndex);
        GrowIconSize(size);
        data->flags_ = (data->flags_ | MF_OWNERDRAW) & ~MF_BYPOSITION;
        data->id_ = id;
        // There is no such item: the modification fails and says so.
        return ::ModifyMenuA(hmenu_, id, MF_BYCOMMAND | data->flags_, id,
                             reinterpret_cast<LPCSTR>(data));
    }
    for (const Found& f : found) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_DATA;
        ::GetMenuItemInfoA(f.hmenu, static_cast<UINT>(f.pos), TRUE, &mii);
        CNewMenuItemData* data =
            (mii.fType & MFT_OWNERDRAW) ? f.menu->FindOwnData(mii.dwItemData) : nullptr;
        bool textChanged = false;
        if (!data) {
            // A plain item becomes owner-drawn with its current text and state.
            data = f.menu->NewItemData();
            char buf[1024] = {};
            ::GetMenuStringA(f.hmenu, static_cast<UINT>(f.pos), buf, sizeof buf, MF_BYPOSITION);
            data->text_ = buf;
            data->flags_ =
                ::GetMenuState(f.hmenu, static_cast<UINT>(f.pos), MF_BYPOSITION) & kStateFlags;
        }
        if (text && data->text_ != text) {
            data->text_ = text;
            textChanged = true;
        }
        data->SetIcons(icons, imageIndex);
        f.menu->GrowIconSize(size);
        data->flags_ = (data->flags_ | MF_OWNERDRAW) & ~MF_BYPOSITION;
        data->id_ = id;
        UINT pos = static_cast<UINT>(f.pos);
        if (textChanged) {
            ok &= ::ModifyMenuA(f.hmenu, pos, MF_BYPOSITION | (data->flags_ & ~MF_OWNERDRAW), id,
                                data->text_.c_str());
        }
        // Each match keeps its own data (a by-command change would only reach
        // the first item with this id).
        ok &= ::ModifyMenuA(f.hmenu, pos, MF_BYPOSITION | data->flags_, id,
                            reinterpret_cast<LPCSTR>(data));
    }
    return ok;
}

BOOL CNewMenu::SetItemImage(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex) {
    return SetItemIcons(text, id, imageIndex >= 0 ? icons : nullptr, imageIndex);
}

CNewMenuIcons* CNewMenu::SharedBitmap(UINT bitmapId, int* imageIndex) {
    CNewMenuHook& hook = CNewMenuHook::Instance();
    for (const auto& icons : hook.SharedIcons()) {
        auto* bitmaps = dynamic_cast<CNewMenuBitmaps*>(icons.get());
        if (!bitmaps) continue;
        int at = bitmaps->AddBitmap(bitmapId, transparentColor_);
        if (at >= 0) {
            *imageIndex = at;
            return bitmaps;
        }
    }
    auto fresh = std::make_unique<CNewMenuBitmaps>();
    fresh->maskColor_ = transparentColor_;
    int at = fresh->AddBitmap(bitmapId, transparentColor_);
    if (at < 0) return nullptr;
    *imageIndex = at;
    return hook.AddSharedIcons(std::move(fresh));
}

BOOL CNewMenu::SetItemBitmap(const char* text, UINT id, UINT bitmapId) {
    int index = -1;
    CNewMenuIcons* icons = SharedBitmap(bitmapId, &index);
    if (!icons) return FALSE;
    return SetItemIcons(text, id, icons, index);
}

void CNewMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    CMenuTheme* theme = CNewMenuHook::Instance().CurrentTheme();
    if (!theme || !dis) return;
    theme->DrawItem(this, dis);
}

void CNewMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    CMenuTheme* theme = CNewMenuHook::Instance().CurrentTheme();
    if (!theme || !mis) return;
    auto* data = reinterpret_cast<CNewMenuItemData*>(mis->itemData);
    bool submenuItem = data && (data->flags_ & MF_POPUP);
    CNewMenu* holder = this;
    if (submenuItem && parentMenu_) {
        if (auto* parent = dynamic_cast<CNewMenu*>(FromHandlePermanent(parentMenu_)))
            holder = parent;
    }
    theme->MeasureItem(holder, mis);
}

BOOL CNewMenu::AttachMenuTree(HMENU menu) {
    if (!menu || !::IsMenu(menu) || !Attach(menu)) return FALSE;
    isPopup_ = FALSE;
    int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(i);
        if (!sub) continue;
        auto child = std::make_unique<CNewMenu>(hmenu_);
        if (!child->AttachMenuTree(sub)) continue;
        child->isPopup_ = TRUE;
        subMenus_.push_back(std::move(child));
    }
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(hmenu_, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (mii.fType & MFT_OWNERDRAW) continue;
        CNewMenuItemData* data = NewItemData();
        char buf[1024] = {};
        ::GetMenuStringA(hmenu_, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        data->text_ = buf;
        UINT flags = (::GetMenuState(hmenu_, static_cast<UINT>(i), MF_BYPOSITION) & kStateFlags) |
                     MF_OWNERDRAW;
        if (mii.fType & MFT_SEPARATOR) flags |= MF_SEPARATOR;
        UINT_PTR id = mii.wID;
        if (mii.hSubMenu) {
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(mii.hSubMenu);
        }
        data->flags_ = flags;
        data->id_ = id;
        ::ModifyMenuA(hmenu_, static_cast<UINT>(i), MF_BYPOSITION | flags, id,
                      reinterpret_cast<LPCSTR>(data));
    }
    return TRUE;
}

void CNewMenu::ReleaseChildren() {
    while (!subMenus_.empty()) {
        subMenus_.back()->DestroyMenuTree();
        subMenus_.pop_back();
    }
}

void CNewMenu::DestroyMenuTree() {
    ReleaseChildren();
    if (hmenu_) {
        // A submenu whose parent still exists goes with the parent's handle.
        bool parentOwnsHandle = parentMenu_ && ::IsMenu(parentMenu_);
        if (parentOwnsHandle || !::IsMenu(hmenu_))
            Detach();
        else
            DestroyMenu();
    }
    itemData_.clear();
}

int CNewMenu::SetMenuStyle(int styleKey) { return CNewMenuHook::Instance().SetMenuStyle(styleKey); }

BOOL CNewMenu::SetUsePreparedImages(BOOL use) {
    return CNewMenuHook::Instance().SetUsePreparedImages(use);
}

}  // namespace vt
