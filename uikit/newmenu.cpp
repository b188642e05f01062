#include "uikit/newmenu.h"

#include <string.h>

#include <algorithm>

#include "framework/gdi.h"
#include "uikit/menuhook.h"
#include "uikit/menumetrics.h"
#include "uikit/menutheme.h"

namespace vt {

namespace {

constexpr COLORREF kNoMask = 0xFFFFFFFF;   // recorded for icons
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_MENUBREAK |
                             MF_MENUBARBREAK | MF_SEPARATOR | MF_DEFAULT;

// Background the disabled copies are mixed with: the menu bar colour on XP
// and later when flat menus or a visual theme are on.
COLORREF DisabledBackColor() {
    CNewMenuHook& hook = CNewMenuHook::Instance();
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    bool bar = hook.Version() >= 7 && (flat || hook.IsThemeActive());
    return GetSysColor(bar ? COLOR_MENUBAR : COLOR_MENU);
}

// A copy of the icon whose opaque pixels went through fn; the mask is shared
// in content (transparent pixels stay black so that drawing keeps the
// background). Null on failure; the caller owns the result.
template <class Fn>
HICON TransformIcon(HICON icon, Fn fn) {
    ICONINFO ii = {};
    if (!icon || !GetIconInfo(icon, &ii)) return nullptr;
    UniqueBitmap color(ii.hbmColor), mask(ii.hbmMask);
    BITMAP bm = {};
    if (!color || !GetObjectA(color.Get(), sizeof bm, &bm)) return nullptr;
    const int w = bm.bmWidth, h = bm.bmHeight;
    if (w <= 0 || h <= 0 || w > 1024 || h > 1024) return nullptr;
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    const size_t n = static_cast<size_t>(w) * static_cast<size_t>(h);
    std::vector<DWORD> px(n);
    std::vector<DWORD> mk(n);
    HDC screen = GetDC(nullptr);
    bool ok = GetDIBits(screen, color.Get(), 0, h, px.data(), &bi, DIB_RGB_COLORS) == h;
    if (ok && mask) {
        BITMAPINFO mi = bi;
        GetDIBits(screen, mask.Get(), 0, h, mk.data(), &mi, DIB_RGB_COLORS);
    }
    HBITMAP outColor = nullptr;
    if (ok) {
        for (size_t i = 0; i < px.size(); ++i) {
            if (mk[i] & 0xFFFFFF) continue;  // transparent: keep black
            DWORD p = px[i];
            COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            COLORREF n = fn(c);
            px[i] = (p & 0xFF000000) | (GetRValue(n) << 16) | (GetGValue(n) << 8) | GetBValue(n);
        }
        outColor = CreateCompatibleBitmap(screen, w, h);
        if (outColor) SetDIBits(screen, outColor, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    if (!outColor) return nullptr;
    UniqueBitmap outOwner(outColor);
    ICONINFO ni = {};
    ni.fIcon = TRUE;
    ni.hbmMask = mask.Get();
    ni.hbmColor = outColor;
    return CreateIconIndirect(&ni);
}

// Both lists are owned by the collection code that swaps them.
void SwapLists(CImageList& a, CImageList& b) {
    HIMAGELIST ha = a.Detach(), hb = b.Detach();
    a.Attach(hb, true);
    b.Attach(ha, true);
}

int StoreCopy(CImageList& list, HICON copy, int index) {
    if (!copy) return -1;
    UniqueIcon owner(copy);
    return index < 0 ? list.Add(copy) : list.Replace(index, copy);
}

}  // namespace

// ---- CNewMenuItemData ------------------------------------------------------

CNewMenuItemData::~CNewMenuItemData() { CNewMenuIcons::Release(m_pMenuIcon); }

void CNewMenuItemData::SetIcons(CNewMenuIcons* icons, int imageIndex) {
    CNewMenuIcons::AddRef(icons);
    CNewMenuIcons* old = m_pMenuIcon;
    m_pMenuIcon = icons;
    m_nMenuIconOffset = icons ? imageIndex : -1;
    CNewMenuIcons::Release(old);
}

// ---- CNewMenuIcons ---------------------------------------------------------

CNewMenuIcons::~CNewMenuIcons() = default;

int CNewMenuIcons::AddRef(CNewMenuIcons* icons) { return icons ? icons->AddRef() : 0; }

int CNewMenuIcons::Release(CNewMenuIcons* icons) {
    if (!icons) return 0;
    int count = --icons->m_dwRefCount;
    if (count <= 0) {
        // Only collections the toolkit made for itself are deleted here; an
        // owner's own collection belongs to the owner.
        auto& shared = CNewMenuHook::Instance().m_SharedMenuIcons;
        auto it = std::find(shared.begin(), shared.end(), icons);
        if (it != shared.end()) {
            shared.erase(it);
            delete icons;
        }
    }
    return count;
}

int CNewMenuIcons::IndexOf(UINT id) const {
    for (size_t i = m_IDs.size(); i-- > 0;)
        if (m_IDs[i] == id) return static_cast<int>(3 * i);
    return -1;
}

BOOL CNewMenuIcons::Reload() {
    // Only toolbar-backed collections could reload; the program has none.
    return FALSE;
}

SIZE CNewMenuIcons::GetImageSize() const {
    return m_IconsList ? m_IconsList.GetImageSize() : SIZE{0, 0};
}

int CNewMenuIcons::ColorCountOf(const BITMAPINFOHEADER& h) {
    if (h.biClrUsed) return static_cast<int>(h.biClrUsed);
    switch (h.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

BOOL CNewMenuIcons::IsSameResource(const char* name, HMODULE module) const {
    if (module != m_hInst) return FALSE;
    if (IS_INTRESOURCE(name) || IS_INTRESOURCE(m_lpszResourceName))
        return name == m_lpszResourceName;
    return strcmp(name, m_lpszResourceName) == 0;
}

void CNewMenuIcons::Touch() {
    static unsigned s_generations = 0;
    m_generation = ++s_generations;
}

bool CNewMenuIcons::EnsureImageList(SIZE size) {
    if (size.cx <= 0 || size.cy <= 0) return false;
    Touch();
    if (m_IconsList) {
        SIZE have = GetImageSize();
        return have.cx == size.cx && have.cy == size.cy;
    }
    return m_IconsList.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 0, 10);
}

int CNewMenuIcons::MakeDimmedImage(HICON icon, int index) {
    Touch();
    return StoreCopy(m_IconsList, TransformIcon(icon, menu::DimmedPixel), index);
}

int CNewMenuIcons::MakeDisabledImage(HICON icon, int index) {
    Touch();
    COLORREF back = DisabledBackColor();
    return StoreCopy(m_IconsList,
                     TransformIcon(icon, [back](COLORREF c) { return menu::DisabledPixel(c, back); }),
                     index);
}

int CNewMenuIcons::StoreIcon(HICON icon, int index) {
    Touch();
    if (index < 0) {
        int at = m_IconsList.Add(icon);
        if (at < 0) return -1;
        MakeDimmedImage(icon, -1);
        MakeDisabledImage(icon, -1);
        return at;
    }
    if (m_IconsList.Replace(index, icon) < 0) return -1;
    MakeDimmedImage(icon, index + 1);
    MakeDisabledImage(icon, index + 2);
    return index;
}

void CNewMenuIcons::RebuildImages() {
    if (!m_IconsList) return;
    Touch();
    SIZE size = GetImageSize();
    CImageList fresh;
    if (!fresh.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 0, 10)) return;
    SwapLists(m_IconsList, fresh);  // fresh now holds the old images
    for (int i = 0; i < fresh.GetImageCount(); i += 3) {
        UniqueIcon icon(fresh.ExtractIcon(i));
        if (icon) StoreIcon(icon.Get(), -1);
    }
}

// ---- CNewMenuBitmaps -------------------------------------------------------

CNewMenuBitmaps::~CNewMenuBitmaps() = default;

BOOL CNewMenuBitmaps::Reload() {
    // Bitmaps come again from their resources; icons (no resource) keep
    // their current picture.
    if (!m_IconsList) return FALSE;
    Touch();
    SIZE size = GetImageSize();
    CImageList old;
    SwapLists(m_IconsList, old);
    if (!m_IconsList.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 0, 10)) {
        SwapLists(m_IconsList, old);
        return FALSE;
    }
    HMODULE module = m_hInst ? m_hInst : GetModuleHandleA(nullptr);
    for (size_t i = 0; i < m_IDs.size(); ++i) {
        UniqueIcon icon;
        if (m_TranspColors[i] != kNoMask) {
            UniqueBitmap bmp(LoadBitmapA(module, MAKEINTRESOURCEA(m_IDs[i])));
            int at = bmp ? m_IconsList.Add(bmp.Get(), static_cast<COLORREF>(m_TranspColors[i])) : -1;
            if (at >= 0) icon.Reset(m_IconsList.ExtractIcon(at));
            if (at >= 0 && icon) {
                MakeDimmedImage(icon.Get(), -1);
                MakeDisabledImage(icon.Get(), -1);
                continue;
            }
        }
        icon.Reset(old.ExtractIcon(static_cast<int>(3 * i)));
        StoreIcon(icon.Get(), -1);
    }
    return TRUE;
}

int CNewMenuBitmaps::AddBitmap(UINT bitmapId, COLORREF mask, HMODULE module) {
    int have = IndexOf(bitmapId);
    if (have >= 0) return have;
    HMODULE mod = module ? module : GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(mod, MAKEINTRESOURCEA(bitmapId), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL global = res ? LoadResource(mod, res) : nullptr;
    auto* header = global ? static_cast<const BITMAPINFOHEADER*>(LockResource(global)) : nullptr;
    if (!header) return -1;
    UniqueBitmap bmp(LoadBitmapA(mod, MAKEINTRESOURCEA(bitmapId)));
    BITMAP bm = {};
    if (!bmp || !GetObjectA(bmp.Get(), sizeof bm, &bm)) return -1;
    if (!EnsureImageList(SIZE{bm.bmWidth, bm.bmHeight})) return -1;
    m_nColors = ColorCountOf(*header);
    if (!m_hInst) m_hInst = mod;
    int at = (mask & 0xFF000000) ? m_IconsList.Add(bmp.Get(), static_cast<HBITMAP>(nullptr))
                                 : m_IconsList.Add(bmp.Get(), mask);
    if (at < 0) return -1;
    m_IDs.push_back(bitmapId);
    m_TranspColors.push_back(mask);
    UniqueIcon icon(m_IconsList.ExtractIcon(at));
    MakeDimmedImage(icon.Get(), -1);
    MakeDisabledImage(icon.Get(), -1);
    return at;
}

int CNewMenuBitmaps::AddIcon(HICON icon, UINT id) {
    ICONINFO ii = {};
    if (!icon || !GetIconInfo(icon, &ii)) return -1;
    UniqueBitmap mask(ii.hbmMask);
    mask.Reset();  // only the size matters
    UniqueBitmap color(ii.hbmColor);
    BITMAP bm = {};
    if (!color || !GetObjectA(color.Get(), sizeof bm, &bm)) return -1;
    if (!EnsureImageList(SIZE{bm.bmWidth, bm.bmHeight})) return -1;
    if (id) {
        int have = IndexOf(id);
        if (have >= 0) return StoreIcon(icon, have);
    }
    int at = StoreIcon(icon, -1);
    if (at < 0) return -1;
    m_TranspColors.push_back(kNoMask);
    m_IDs.push_back(id);
    return at;
}

// ---- CNewMenu --------------------------------------------------------------

CNewMenu::CNewMenu(HMENU parent) : m_hParentMenu(parent) {
    CNewMenuHook::Instance();  // the toolkit and its menu hook exist from now on
    SetDpi(SystemDpi());
}

void CNewMenu::SetDpi(int dpi) {
    m_nDpi = dpi > 0 ? dpi : kBaseDpi;
    m_iconX = ScaleForDpi(16, m_nDpi);
    m_iconY = ScaleForDpi(15, m_nDpi);
    // Pictures already given keep their column wide enough.
    for (const auto& data : m_MenuItemList)
        if (data->m_pMenuIcon) GrowIconSize(data->m_pMenuIcon->GetImageSize());
}

CNewMenu::~CNewMenu() { DestroyMenuTree(); }

COLORREF CNewMenu::SetTransparentColor(COLORREF color) {
    return std::exchange(m_bitmapBackground, color);
}

CNewMenuItemData* CNewMenu::NewItemData() {
    m_MenuItemList.push_back(std::make_unique<CNewMenuItemData>());
    return m_MenuItemList.back().get();
}

CNewMenuItemData* CNewMenu::FindOwnData(ULONG_PTR data) const {
    if (!data) return nullptr;
    for (const auto& d : m_MenuItemList)
        if (reinterpret_cast<ULONG_PTR>(d.get()) == data) return d.get();
    return nullptr;
}

void CNewMenu::GrowIconSize(SIZE size) {
    m_iconX = std::max<int>(m_iconX, size.cx);
    m_iconY = std::max<int>(m_iconY, size.cy);
}

BOOL CNewMenu::AppendItem(UINT flags, UINT_PTR id, const char* text, int imageIndex,
                          CNewMenuIcons* icons) {
    if (id == 0)
        flags = MF_SEPARATOR | MF_OWNERDRAW | (flags & MF_BYPOSITION);
    else
        flags |= MF_OWNERDRAW;
    if (flags & MF_POPUP) {
        if (auto* child = dynamic_cast<CNewMenu*>(FromHandlePermanent(reinterpret_cast<HMENU>(id))))
            child->m_hParentMenu = m_hMenu;
    }
    CNewMenuItemData* data = NewItemData();
    data->m_szMenuText = text ? text : "";
    data->m_nFlags = flags & ~MF_BYPOSITION;
    data->m_nID = id;
    if (icons && imageIndex >= 0) {
        data->SetIcons(icons, imageIndex);
        GrowIconSize(icons->GetImageSize());
    }
    // A plain string item first, so that the system knows text and mnemonic.
    UINT plain = flags & ~(MF_OWNERDRAW | MF_BYPOSITION);
    if (!::AppendMenuA(m_hMenu, plain, id, data->m_szMenuText.c_str())) return FALSE;
    int last = GetMenuItemCount() - 1;
    return ::ModifyMenuA(m_hMenu, static_cast<UINT>(last), flags | MF_BYPOSITION, id,
                         reinterpret_cast<LPCSTR>(data));
}

void CNewMenu::FindItems(UINT id, std::vector<Found>& out) {
    int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(m_hMenu, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (mii.hSubMenu) {
            if (auto* child = dynamic_cast<CNewMenu*>(FromHandlePermanent(mii.hSubMenu))) {
                child->FindItems(id, out);
            } else {
                // A submenu without its own object: its items are kept here.
                int n = ::GetMenuItemCount(mii.hSubMenu);
                for (int j = 0; j < n; ++j)
                    if (::GetMenuItemID(mii.hSubMenu, j) == id) out.push_back({this, mii.hSubMenu, j});
            }
        } else if (mii.wID == id) {
            out.push_back({this, m_hMenu, i});
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
        if (text) data->m_szMenuText = text;
        data->SetIcons(icons, imageIndex);
        GrowIconSize(size);
        data->m_nFlags = (data->m_nFlags | MF_OWNERDRAW) & ~MF_BYPOSITION;
        data->m_nID = id;
        // There is no such item: the modification fails and says so.
        return ::ModifyMenuA(m_hMenu, id, MF_BYCOMMAND | data->m_nFlags, id,
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
            data->m_szMenuText = buf;
            data->m_nFlags = ::GetMenuState(f.hmenu, static_cast<UINT>(f.pos), MF_BYPOSITION) &
                             kStateFlags;
        }
        if (text && data->m_szMenuText != text) {
            data->m_szMenuText = text;
            textChanged = true;
        }
        data->SetIcons(icons, imageIndex);
        f.menu->GrowIconSize(size);
        data->m_nFlags = (data->m_nFlags | MF_OWNERDRAW) & ~MF_BYPOSITION;
        data->m_nID = id;
        UINT pos = static_cast<UINT>(f.pos);
        if (textChanged) {
            ok &= ::ModifyMenuA(f.hmenu, pos, MF_BYPOSITION | (data->m_nFlags & ~MF_OWNERDRAW), id,
                                data->m_szMenuText.c_str());
        }
        // Each match keeps its own data (a by-command change would only reach
        // the first item with this id).
        ok &= ::ModifyMenuA(f.hmenu, pos, MF_BYPOSITION | data->m_nFlags, id,
                            reinterpret_cast<LPCSTR>(data));
    }
    return ok;
}

BOOL CNewMenu::SetItemImage(const char* text, UINT id, CNewMenuIcons* icons, int imageIndex) {
    return SetItemIcons(text, id, imageIndex >= 0 ? icons : nullptr, imageIndex);
}

CNewMenuIcons* CNewMenu::SharedBitmap(UINT bitmapId, int* imageIndex) {
    auto& shared = CNewMenuHook::Instance().m_SharedMenuIcons;
    for (CNewMenuIcons* icons : shared) {
        auto* bitmaps = dynamic_cast<CNewMenuBitmaps*>(icons);
        if (!bitmaps) continue;
        int at = bitmaps->AddBitmap(bitmapId, m_bitmapBackground);
        if (at >= 0) {
            *imageIndex = at;
            return bitmaps;
        }
    }
    auto fresh = std::make_unique<CNewMenuBitmaps>();
    fresh->m_crTransparent = m_bitmapBackground;
    int at = fresh->AddBitmap(bitmapId, m_bitmapBackground);
    if (at < 0) return nullptr;
    *imageIndex = at;
    shared.push_back(fresh.get());
    return fresh.release();
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
    BOOL menuBar = m_hParentMenu ? FALSE : !m_bIsPopupMenu;
    theme->m_pDrawItem(this, dis, menuBar);
}

void CNewMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    CMenuTheme* theme = CNewMenuHook::Instance().CurrentTheme();
    if (!theme || !mis) return;
    auto* data = reinterpret_cast<CNewMenuItemData*>(mis->itemData);
    bool submenuItem = data && (data->m_nFlags & MF_POPUP);
    CNewMenu* holder = this;
    if (submenuItem && m_hParentMenu) {
        if (auto* parent = dynamic_cast<CNewMenu*>(FromHandlePermanent(m_hParentMenu)))
            holder = parent;
    }
    BOOL menuBar = submenuItem && !holder->m_bIsPopupMenu;
    theme->m_pMeasureItem(holder, mis, menuBar);
}

BOOL CNewMenu::LoadMenuResource(UINT id) {
    return LoadMenuResource(MAKEINTRESOURCEA(id));
}

BOOL CNewMenu::LoadMenuResource(const char* name) {
    HMENU menu = ::LoadMenuA(GetModuleHandleA(nullptr), name);
    if (!menu) return FALSE;
    if (AttachMenuTree(menu)) return TRUE;
    ::DestroyMenu(menu);
    return FALSE;
}

BOOL CNewMenu::AttachMenuTree(HMENU menu) {
    if (!menu || !::IsMenu(menu) || !Attach(menu)) return FALSE;
    m_bIsPopupMenu = FALSE;
    int count = GetMenuItemCount();
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(i);
        if (!sub) continue;
        auto child = std::make_unique<CNewMenu>(m_hMenu);
        if (!child->AttachMenuTree(sub)) continue;
        child->m_bIsPopupMenu = TRUE;
        m_SubMenus.push_back(std::move(child));
    }
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOA mii = {};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        if (!::GetMenuItemInfoA(m_hMenu, static_cast<UINT>(i), TRUE, &mii)) continue;
        if (mii.fType & MFT_OWNERDRAW) continue;
        CNewMenuItemData* data = NewItemData();
        char buf[1024] = {};
        ::GetMenuStringA(m_hMenu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        data->m_szMenuText = buf;
        UINT flags = (::GetMenuState(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION) & kStateFlags) |
                     MF_OWNERDRAW;
        if (mii.fType & MFT_SEPARATOR) flags |= MF_SEPARATOR;
        UINT_PTR id = mii.wID;
        if (mii.hSubMenu) {
            flags |= MF_POPUP;
            id = reinterpret_cast<UINT_PTR>(mii.hSubMenu);
        }
        data->m_nFlags = flags;
        data->m_nID = id;
        ::ModifyMenuA(m_hMenu, static_cast<UINT>(i), MF_BYPOSITION | flags, id,
                      reinterpret_cast<LPCSTR>(data));
    }
    return TRUE;
}

void CNewMenu::ReleaseChildren() {
    while (!m_SubMenus.empty()) {
        m_SubMenus.back()->DestroyMenuTree();
        m_SubMenus.pop_back();
    }
}

void CNewMenu::DestroyMenuTree() {
    ReleaseChildren();
    if (m_hMenu) {
        // A submenu whose parent still exists goes with the parent's handle.
        bool parentOwnsHandle = m_hParentMenu && ::IsMenu(m_hParentMenu);
        if (parentOwnsHandle || !::IsMenu(m_hMenu))
            Detach();
        else
            DestroyMenu();
    }
    m_MenuItemList.clear();
    if (m_checkmaps && !m_bCheckmapsShare) delete m_checkmaps;
    m_checkmaps = nullptr;
}

void CNewMenu::EraseBackground(HWND window, HDC dc) {
    RECT rc = {};
    GetClientRect(window, &rc);
    FillRect(dc, &rc, GetSysColorBrush(menu::FlatMenuColorIndex()));
}

int CNewMenu::SetMenuStyle(int styleKey) { return CNewMenuHook::Instance().SetMenuStyle(styleKey); }

BOOL CNewMenu::SetUsePreparedImages(BOOL use) {
    return std::exchange(CNewMenuHook::Instance().m_bUsePreparedImages, use);
}

BOOL CNewMenu::GetUsePreparedImages() { return CNewMenuHook::Instance().m_bUsePreparedImages; }

}  // namespace vt
