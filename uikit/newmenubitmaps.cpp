#include "uikit/newmenubitmaps.h"

#include "framework/handles.h"

namespace vt {

namespace {
constexpr COLORREF kNoMask = 0xFFFFFFFF;  // recorded for icons
}  // namespace

CNewMenuBitmaps::~CNewMenuBitmaps() = default;

BOOL CNewMenuBitmaps::Reload() {
    // Bitmaps come again from their resources; icons (no resource) keep
    // their current picture.
    if (!m_IconsList) return FALSE;
    Touch();
    SIZE size = GetImageSize();
    CImageList old;
    SwapLists(m_IconsList, old);
    if (!CreateImageList(m_IconsList, size)) {
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
    HRSRC res = FindResourceA(mod, MAKEINTRESOURCEA(bitmapId), RT_BITMAP);
    HGLOBAL global = res ? LoadResource(mod, res) : nullptr;
    auto* header = global ? static_cast<const BITMAPINFOHEADER*>(LockResource(global)) : nullptr;
    if (!header) return -1;
    UniqueBitmap bmp(LoadBitmapA(mod, MAKEINTRESOURCEA(bitmapId)));
    BITMAP bm = {};
    if (!bmp || !GetObjectA(bmp.Get(), sizeof bm, &bm)) return -1;
    if (!EnsureImageList(SIZE{bm.bmWidth, bm.bmHeight})) return -1;
    m_nColors = ColorCountOf(*header);
    if (!m_hInst) m_hInst = mod;
    // A mask with the top byte set is no colour: nothing is masked out.
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

}  // namespace vt
