#include "uikit/menu/menudrawingcache.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "framework/dpi.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"

namespace vt::menu {

namespace {

struct DrawingCache {
    int dpi = 0;          // of the fonts and the menu height; 0: none yet
    UniqueFont fonts[2];  // normal, bold
    UniqueMemDC measureDc;
    int menuHeight = -1;  // SM_CYMENU at dpi
    // The memory DC items are drawn in, kept for the target DC it was made
    // for. Its fresh state is saved once and restored after every item, so
    // each item starts from the state of a new DC.
    HDC drawTarget = nullptr;  // not owned
    UniqueMemDC drawDc;
    int drawDcState = 0;
    bool drawDcBusy = false;
    // The surface items are drawn on (see MakeSurface), made for drawTarget
    // and grown to the largest item so far: making a bitmap for every item
    // cost about half of an item's drawing time under Wine.
    UniqueBitmap drawBitmap;
    SIZE drawBitmapSize = {0, 0};
    // Pictures as drawn on a plain background, to be copied in one BitBlt:
    // the image list's own drawing makes a DC and a bitmap for every call,
    // which cost most of an item's drawing time under Wine. Keyed by what
    // decides the result, so that an entry never goes stale.
    struct PictureKey {
        HIMAGELIST list;
        unsigned generation;  // of the collection (CNewMenuIcons::GetGeneration)
        int index;
        COLORREF back;
        bool operator<(const PictureKey& o) const {
            return std::tie(list, generation, index, back) <
                   std::tie(o.list, o.generation, o.index, o.back);
        }
    };
    std::map<PictureKey, UniqueBitmap> pictures;  // 32-bit DIBs of the image size
    UniqueMemDC pictureDc;
};

// Enough for every distinct picture of a long list; beyond it the cache
// starts afresh rather than growing without bound.
constexpr size_t kMaxCachedPictures = 256;

DrawingCache& Cache() {
    static DrawingCache cache;
    return cache;
}

void DropPictures(DrawingCache& c) {
    c.pictures.clear();
    c.pictureDc.Reset();
}

void DropDrawSurface(DrawingCache& c) {
    c.drawDc.Reset();
    c.drawBitmap.Reset();
    c.drawBitmapSize = SIZE{0, 0};
    c.drawTarget = nullptr;
}

DrawingCache& CacheFor(int dpi) {
    DrawingCache& c = Cache();
    if (c.dpi != dpi) {
        c.fonts[0].Reset();
        c.fonts[1].Reset();
        c.menuHeight = -1;
        c.dpi = dpi;
    }
    return c;
}

// A true-colour screen gets a 32-bit DIB: the image list draws its pictures
// through bitmaps compatible with the surface, which are far cheaper to make
// than device bitmaps under Wine. A palette screen keeps a device bitmap, so
// that colours are matched as on the screen.
HBITMAP MakeSurface(HDC target, int w, int h) {
    if (GetDeviceCaps(target, BITSPIXEL) * GetDeviceCaps(target, PLANES) <= 8)
        return CreateCompatibleBitmap(target, w, h);
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    void* bits = nullptr;
    return CreateDIBSection(target, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// True when dc draws on a 32-bit DIB: a copy of a picture drawn on another
// 32-bit DIB then gives exactly the pixels that drawing it there would.
bool DrawsOn32BitDib(HDC dc) {
    DIBSECTION ds = {};
    HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
    return bmp && GetObjectA(bmp, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBitsPixel == 32 &&
           ds.dsBmih.biCompression == BI_RGB;
}

}  // namespace

void DropDrawingCache() {
    DrawingCache& c = Cache();
    c.fonts[0].Reset();
    c.fonts[1].Reset();
    c.measureDc.Reset();
    c.menuHeight = -1;
    c.dpi = 0;
    DropPictures(c);
    if (!c.drawDcBusy) DropDrawSurface(c);
}

HFONT CachedItemFont(bool bold, int dpi) {
    UniqueFont& font = CacheFor(dpi).fonts[bold ? 1 : 0];
    if (!font) font = ItemFont(bold, dpi);
    return font.Get();
}

int MenuHeight(int dpi) {
    int& h = CacheFor(dpi).menuHeight;
    if (h < 0) h = SystemMetricForDpi(SM_CYMENU, dpi);
    return h;
}

SIZE MeasureText(const std::string& text, bool bold, int dpi) {
    HFONT font = CachedItemFont(bold, dpi);
    UniqueMemDC& dc = Cache().measureDc;
    if (!dc) dc.Reset(CreateCompatibleDC(nullptr));
    RECT rc = {0, 0, 0, 0};
    {
        ScopedSelect sel(dc.Get(), font);
        DrawTextA(dc.Get(), text.c_str(), static_cast<int>(text.size()), &rc,
                  DT_SINGLELINE | DT_CALCRECT);
    }
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

HDC TakeDrawDc(HDC target) {
    DrawingCache& c = Cache();
    if (c.drawDcBusy) return nullptr;
    if (!c.drawDc || c.drawTarget != target) {
        DropDrawSurface(c);
        c.drawDc.Reset(CreateCompatibleDC(target));
        c.drawTarget = target;
        c.drawDcState = c.drawDc ? SaveDC(c.drawDc.Get()) : 0;
        if (!c.drawDcState) c.drawDc.Reset();
    }
    if (!c.drawDc) return nullptr;
    c.drawDcBusy = true;
    return c.drawDc.Get();
}

HBITMAP TakeDrawBitmap(int w, int h) {
    DrawingCache& c = Cache();
    if (!c.drawBitmap || c.drawBitmapSize.cx < w || c.drawBitmapSize.cy < h) {
        const SIZE size = {std::max<LONG>(w, c.drawBitmapSize.cx),
                           std::max<LONG>(h, c.drawBitmapSize.cy)};
        c.drawBitmap.Reset(MakeSurface(c.drawTarget, size.cx, size.cy));
        c.drawBitmapSize = c.drawBitmap ? size : SIZE{0, 0};
    }
    return c.drawBitmap.Get();
}

// A DC whose state cannot be restored is not used again.
void ReturnDrawDc() {
    DrawingCache& c = Cache();
    c.drawDcBusy = false;
    if (!RestoreDC(c.drawDc.Get(), c.drawDcState) || !(c.drawDcState = SaveDC(c.drawDc.Get())))
        DropDrawSurface(c);
}

void DrawImageOn(HDC dc, const Picture& p, unsigned generation, int index, COLORREF back, int x,
                 int y) {
    DrawingCache& c = Cache();
    if (p.size.cx <= 0 || p.size.cy <= 0 || !DrawsOn32BitDib(dc)) {
        DrawImage(dc, p, index, x, y);
        return;
    }
    const DrawingCache::PictureKey key{p.list, generation, index, back};
    auto it = c.pictures.find(key);
    if (it == c.pictures.end()) {
        if (!c.pictureDc) c.pictureDc.Reset(CreateCompatibleDC(dc));
        BITMAPINFO bi = TopDown32BitInfo(p.size.cx, p.size.cy);
        void* bits = nullptr;
        UniqueBitmap bmp(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!c.pictureDc || !bmp) {
            DrawImage(dc, p, index, x, y);
            return;
        }
        {
            ScopedSelect sel(c.pictureDc.Get(), bmp.Get());
            FillSolid(c.pictureDc.Get(), RECT{0, 0, p.size.cx, p.size.cy}, back);
            DrawImage(c.pictureDc.Get(), p, index, 0, 0);
        }
        if (c.pictures.size() >= kMaxCachedPictures) c.pictures.clear();
        it = c.pictures.emplace(key, std::move(bmp)).first;
    }
    ScopedSelect sel(c.pictureDc.Get(), it->second.Get());
    BitBlt(dc, x, y, p.size.cx, p.size.cy, c.pictureDc.Get(), 0, 0, SRCCOPY);
}

}  // namespace vt::menu
