#include "uikit/menu/newmenubitmaps.h"

#include "framework/handles.h"

namespace vt {

namespace {
constexpr COLORREF kNoMask = 0xFFFFFFFF;  // recorded for icons
}  // namespace

CNewMenuBitmaps::~CNewMenuBitmaps() = default;

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
    colorCount_ = ColorCountOf(*header);
    // A mask with the top byte set is no colour: nothing is masked out.
    int at = (mask & 0xFF000000) ? imageList_.Add(bmp.Get(), static_cast<HBITMAP>(nullptr))
                                 : imageList_.Add(bmp.Get(), mask);
    if (at < 0) return -1;
    ids_.push_back(bitmapId);
    maskColors_.push_back(mask);
    UniqueIcon icon(imageList_.ExtractIcon(at));
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
    maskColors_.push_back(kNoMask);
    ids_.push_back(id);
    return at;
}

}  // namespace vt
