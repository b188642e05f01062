#include "uikit/menu/newmenuicons.h"

#include <vector>

#include "framework/gdi.h"
#include "framework/handles.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menusystem.h"

namespace vt {

namespace {

// A copy of the icon whose opaque pixels went through fn; the mask is shared
// in content (transparent pixels stay black so that drawing keeps the
// background). Null on failure; the caller owns the result. One function
// for every kind of copy (fn gets the pixel and the menu background), so
// that the bitmap handling exists once in the program.
using PixelFn = COLORREF (*)(COLORREF pixel, COLORREF menuBack);
HICON TransformIcon(HICON icon, PixelFn fn, COLORREF menuBack) {
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
            const DWORD p = px[i];
            px[i] = (p & 0xFF000000) |
                    menu::DibPixelFromColor(fn(menu::ColorFromDibPixel(p), menuBack));
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

COLORREF Dimmed(COLORREF c, COLORREF) { return menu::DimmedPixel(c); }

int StoreCopy(CImageList& list, HICON copy, int index) {
    if (!copy) return -1;
    UniqueIcon owner(copy);
    return index < 0 ? list.Add(copy) : list.Replace(index, copy);
}

}  // namespace

CNewMenuIcons::~CNewMenuIcons() = default;

int CNewMenuIcons::AddRef(CNewMenuIcons* icons) { return icons ? icons->AddRef() : 0; }

int CNewMenuIcons::Release(CNewMenuIcons* icons) {
    if (!icons) return 0;
    int count = --icons->refCount_;
    if (count <= 0) {
        // Only collections the toolkit made for itself are deleted here; an
        // owner's own collection belongs to the owner.
        CNewMenuHook::Instance().DeleteSharedIcons(icons);
    }
    return count;
}

int CNewMenuIcons::IndexOf(UINT id) const {
    for (size_t i = ids_.size(); i-- > 0;)
        if (ids_[i] == id) return static_cast<int>(3 * i);
    return -1;
}

SIZE CNewMenuIcons::GetImageSize() const {
    return imageList_ ? imageList_.GetImageSize() : SIZE{0, 0};
}

int CNewMenuIcons::ColorCountOf(const BITMAPINFOHEADER& h) {
    if (h.biClrUsed) return static_cast<int>(h.biClrUsed);
    switch (h.biBitCount) {
        case 1:
            return 2;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

void CNewMenuIcons::Touch() {
    static unsigned s_generations = 0;
    generation_ = ++s_generations;
}

bool CNewMenuIcons::EnsureImageList(SIZE size) {
    if (size.cx <= 0 || size.cy <= 0) return false;
    Touch();
    if (imageList_) {
        SIZE have = GetImageSize();
        return have.cx == size.cx && have.cy == size.cy;
    }
    return CreateImageList(imageList_, size);
}

int CNewMenuIcons::MakeDimmedImage(HICON icon, int index) {
    Touch();
    return StoreCopy(imageList_, TransformIcon(icon, Dimmed, 0), index);
}

int CNewMenuIcons::MakeDisabledImage(HICON icon, int index) {
    Touch();
    // The menu background of a menu without a brush of its own.
    COLORREF back = menu::MenuBack(nullptr);
    return StoreCopy(imageList_, TransformIcon(icon, menu::DisabledPixel, back), index);
}

int CNewMenuIcons::StoreIcon(HICON icon, int index) {
    Touch();
    if (index < 0) {
        int at = imageList_.Add(icon);
        if (at < 0) return -1;
        MakeDimmedImage(icon, -1);
        MakeDisabledImage(icon, -1);
        return at;
    }
    if (imageList_.Replace(index, icon) < 0) return -1;
    MakeDimmedImage(icon, index + 1);
    MakeDisabledImage(icon, index + 2);
    return index;
}

bool CNewMenuIcons::CreateImageList(CImageList& list, SIZE size) {
    return list.Create(size.cx, size.cy, ILC_COLORDDB | ILC_MASK, 0, kImageListGrowth);
}

}  // namespace vt
