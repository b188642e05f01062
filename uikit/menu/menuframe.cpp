#include "uikit/menu/menuframe.h"

#include <algorithm>
#include <vector>

#include "framework/dpi.h"
#include "framework/gdi.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/newmenu.h"

namespace vt::menu {

namespace {

// 32-bit top-down pixels of a bitmap; empty on failure.
std::vector<DWORD> BitsOf(HBITMAP bmp, int w, int h) {
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    HDC screen = GetDC(nullptr);
    int got = GetDIBits(screen, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != h) px.clear();
    return px;
}

}  // namespace

FlatColors FlatFrameColors(HDC dc) {
    CNewMenuHook& hook = CNewMenuHook::Instance();
    SysColors sys{GetSysColor(COLOR_WINDOW), FlatMenuColor(), GetSysColor(COLOR_HIGHLIGHT),
                  GetSysColor(COLOR_BTNFACE), GetSysColor(COLOR_BTNTEXT)};
    return ComputeFlatColors(sys, hook.ScreenColorCount(), hook.HighContrast(), NearestOn, dc);
}

RECT ClientInWindow(HWND w) {
    RECT wr = {}, cr = {};
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&cr), 2);
    OffsetRect(&cr, -wr.left, -wr.top);
    return cr;
}

void PaintClientBand(HWND w, HDC dc) {
    HMENU hmenu = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
    int count = hmenu ? GetMenuItemCount(hmenu) : 0;
    if (count <= 0) return;
    RECT items = {};
    for (int i = 0; i < count; ++i) {
        RECT r = {};
        if (!GetMenuItemRect(nullptr, hmenu, static_cast<UINT>(i), &r)) return;
        UnionRect(&items, &items, &r);
    }
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&items), 2);
    RECT client = {};
    GetClientRect(w, &client);
    if (EqualRect(&items, &client)) return;
    FlatColors c = FlatFrameColors(dc);
    int stripRight = items.left;
    if (auto* nm = dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(hmenu)))
        stripRight = FlatStripRect(items, nm->GetIconWidth(), nm->GetDpi()).right;
    FillSolid(dc, RECT{client.left, client.top, items.left, client.bottom}, c.strip);
    FillSolid(dc, RECT{items.left, client.top, stripRight, items.top}, c.strip);
    FillSolid(dc, RECT{items.left, items.bottom, stripRight, client.bottom}, c.strip);
    FillSolid(dc, RECT{stripRight, client.top, client.right, items.top}, c.background);
    FillSolid(dc, RECT{stripRight, items.bottom, client.right, client.bottom}, c.background);
    FillSolid(dc, RECT{items.right, items.top, client.right, items.bottom}, c.background);
}

void PaintFlatFrame(HDC dc, const FlatFramePaint& p) {
    const int dpi = p.dpi > 0 ? p.dpi : kBaseDpi;
    const int u = LineWidth(dpi);
    const RECT box = FlatFrameBox(p.w, p.h, p.systemShadow, dpi);
    const RECT inner = {u, u, box.right - u, box.bottom - u};
    if (p.firstPass) {
        const RECT& c = p.client;
        FillSolid(dc, RECT{inner.left, inner.top, inner.right, c.top}, p.itemBack);
        FillSolid(dc, RECT{inner.left, c.bottom, inner.right, inner.bottom}, p.itemBack);
        FillSolid(dc, RECT{inner.left, c.top, c.left, c.bottom}, p.itemBack);
        FillSolid(dc, RECT{c.right - u, c.top, inner.right, c.bottom}, p.itemBack);
    }
    if (p.highContrast) {
        FrameSolid(dc, box, GetSysColor(COLOR_BTNTEXT), u);
        return;
    }
    FrameSolid(dc, inner, p.itemBack, u);
    FillSolid(dc, RECT{u, 2 * u, 2 * u, 2 * u + (box.bottom - box.top) - 4 * u}, p.strip);
    FrameSolid(dc, box, p.border, u);
    if (p.systemShadow || !p.snapshot) return;

    // Own drop shadow from what was on the screen behind the window.
    const int w = p.w, h = p.h;
    HBITMAP snap = p.snapshot;
    BITMAP bm = {};
    if (!GetObjectA(snap, sizeof bm, &bm) || bm.bmWidth < w || bm.bmHeight < h) return;
    // Pixels at hand (the snapshot is a DIB) are read in place: copying them
    // out took milliseconds under Wine.
    std::vector<DWORD> copy;
    const DWORD* px = p.snapshotPixels;
    if (px) {
        GdiFlush();
    } else {
        copy = BitsOf(snap, bm.bmWidth, bm.bmHeight);
        if (copy.empty()) return;
        px = copy.data();
    }
    auto snapAt = [&](int x, int y) {
        return ColorFromDibPixel(px[static_cast<size_t>(y) * bm.bmWidth + x]);
    };
    const bool palette = IsPaletteScreen(p.colorCount);
    const COLORREF btnShadow = GetSysColor(COLOR_BTNSHADOW);
    const int sw = ShadowWidth(dpi);
    const int corner = ScaleForDpi(4, dpi);
    auto rightPixel = [&](int d, int y) {
        const int x = w - d;
        if (palette) {
            const bool dark =
                ShadowStep(d, dpi) >= 3 && y >= corner && y <= h - ScaleForDpi(3, dpi);
            return dark ? btnShadow : snapAt(x, y);
        }
        const int f = RightShadowFactor(d, y, h, dpi);
        return f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
    };
    auto bottomPixel = [&](int r, int x) {
        const int y = h - r;
        if (palette) {
            const bool dark = ShadowStep(r, dpi) >= 3 && x >= corner;
            return dark ? btnShadow : snapAt(x, y);
        }
        const int f = BottomShadowFactor(r, x, w, dpi);
        return f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
    };
    const int columns = std::min(sw, w), rows = std::min(sw, h), bottomWidth = std::max(0, w - sw);
    if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 24) {
        // The two bands (right: the last sw columns, every row; bottom: the
        // last sw rows left of the right band) composed in memory and put on the
        // window in one call each: a call per pixel cost milliseconds. Composing
        // them cost about a millisecond per pass for a long menu, so a window
        // keeps them while its snapshot and size stay.
        ShadowBands fresh;
        ShadowBands* bands = p.shadowBands && p.snapshotPixels ? p.shadowBands : &fresh;
        if (bands->source != px || !bands->source || bands->w != w || bands->h != h ||
            bands->dpi != dpi || bands->btnShadow != btnShadow || bands->palette != palette) {
            bands->palette = palette;
            bands->source = px;
            bands->w = w;
            bands->h = h;
            bands->dpi = dpi;
            bands->btnShadow = btnShadow;
            bands->right.assign(static_cast<size_t>(columns) * h, 0);
            for (int y = 0; y < h; ++y)
                for (int d = 1; d <= columns; ++d)
                    bands->right[static_cast<size_t>(y) * columns + (columns - d)] =
                        DibPixelFromColor(rightPixel(d, y));
            bands->bottom.assign(static_cast<size_t>(bottomWidth) * rows, 0);
            for (int r = 1; r <= rows; ++r)
                for (int x = 0; x < bottomWidth; ++x)
                    bands->bottom[static_cast<size_t>(rows - r) * bottomWidth + x] =
                        DibPixelFromColor(bottomPixel(r, x));
        }
        const std::vector<DWORD>& right = bands->right;
        BITMAPINFO bi = TopDown32BitInfo(columns, h);
        StretchDIBits(dc, w - columns, 0, columns, h, 0, 0, columns, h, right.data(), &bi,
                      DIB_RGB_COLORS, SRCCOPY);
        if (bottomWidth > 0) {
            const std::vector<DWORD>& bottom = bands->bottom;
            bi = TopDown32BitInfo(bottomWidth, rows);
            StretchDIBits(dc, 0, h - rows, bottomWidth, rows, 0, 0, bottomWidth, rows,
                          bottom.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
        }
        return;
    }
    // Fewer colours: each pixel on its own, so that the device picks its
    // nearest colour for each.
    for (int d = 1; d <= columns; ++d)
        for (int y = 0; y < h; ++y) SetPixelV(dc, w - d, y, rightPixel(d, y));
    for (int r = 1; r <= rows; ++r)
        for (int x = 0; x < bottomWidth; ++x) SetPixelV(dc, x, h - r, bottomPixel(r, x));
}

}  // namespace vt::menu
