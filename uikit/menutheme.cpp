#include "uikit/menutheme.h"

#include <algorithm>
#include <map>
#include <string>
#include <tuple>

#include "framework/gdi.h"
#include "uikit/menuhook.h"
#include "uikit/menumetrics.h"
#include "uikit/newmenu.h"

namespace vt {

namespace menu {

bool SystemDropShadow() {
    BOOL on = FALSE;
    SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &on, 0);
    return on != FALSE;
}

int FlatMenuColorIndex() {
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    return CNewMenuHook::Instance().Version() >= 7 && flat ? COLOR_MENUBAR : COLOR_MENU;
}

COLORREF MenuBack(HMENU menu) {
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    if (menu && GetMenuInfo(menu, &mi) && mi.hbrBack) {
        LOGBRUSH lb = {};
        if (GetObjectA(mi.hbrBack, sizeof lb, &lb)) return lb.lbColor;
    }
    CNewMenuHook& hook = CNewMenuHook::Instance();
    if (hook.Version() >= 7) {
        BOOL flat = FALSE;
        SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
        if (flat || hook.IsThemeActive()) return GetSysColor(COLOR_MENUBAR);
    }
    return GetSysColor(COLOR_MENU);
}

UniqueFont ItemFont(bool bold, int dpi) {
    NONCLIENTMETRICSA ncm = {};
    NonClientMetricsForDpi(ncm, dpi);
    if (bold) ncm.lfMenuFont.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectA(&ncm.lfMenuFont));
}

void DrawMarlettGlyph(HDC dc, RECT rect, char glyph, bool bold, COLORREF color, int dpi) {
    const int inset = ScaleForDpi(2, dpi);
    InflateRect(&rect, -inset, -inset);
    LOGFONTA lf = {};
    lf.lfHeight = -(rect.bottom - rect.top);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(lf.lfFaceName, "Marlett");
    UniqueFont font(CreateFontIndirectA(&lf));
    ScopedSelect sel(dc, font.Get());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF old = SetTextColor(dc, color);
    char text[2] = {glyph, 0};
    DrawTextA(dc, text, 1, &rect, DT_SINGLELINE | DT_CENTER);
    SetTextColor(dc, old);
    SetBkMode(dc, oldMode);
}

char SystemCommandGlyph(UINT id) {
    switch (id) {
    case SC_CLOSE: return 'r';
    case SC_MINIMIZE: return '0';
    case SC_MAXIMIZE: return '1';
    case SC_RESTORE: return '2';
    default: return 0;
    }
}

namespace {

bool IsSystemCommand(UINT id) { return id >= 0xF000 && id <= 0xF150; }

COLORREF NearestOn(COLORREF c, void* dc) { return GetNearestColor(static_cast<HDC>(dc), c); }

void Fill(HDC dc, const RECT& r, COLORREF c) {
    UniqueBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.Get());
}

void FrameWithPen(HDC dc, const RECT& r, HPEN pen) {
    ScopedSelect sp(dc, pen);
    ScopedSelect sb(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

// Frame of width w with top-left in one colour and bottom-right in another.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight, int w) {
    Fill(dc, RECT{r.left, r.top, r.right - w, r.top + w}, topLeft);
    Fill(dc, RECT{r.left, r.top, r.left + w, r.bottom - w}, topLeft);
    Fill(dc, RECT{r.right - w, r.top, r.right, r.bottom}, bottomRight);
    Fill(dc, RECT{r.left, r.bottom - w, r.right, r.bottom}, bottomRight);
}

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

// The cache holds the fonts of one DPI: menus of one DPI follow each other
// (a menu pops up on one monitor at a time).
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

// Borrowed from the cache: valid until DropDrawingCache or a font of
// another DPI is asked for.
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

bool IsDefaultItem(CNewMenu* menu, UINT_PTR id) {
    UINT def = GetMenuDefaultItem(menu->m_hMenu, FALSE, 0);
    return def != static_cast<UINT>(-1) && def == id;
}

// The item's picture, if any: image list and index.
struct Picture {
    HIMAGELIST list = nullptr;
    int index = -1;
    SIZE size = {0, 0};
};
Picture PictureOf(const CNewMenuItemData* data) {
    Picture p;
    if (!data || !data->m_pMenuIcon || data->m_nMenuIconOffset < 0) return p;
    p.list = data->m_pMenuIcon->GetImageList();
    if (!p.list || data->m_nMenuIconOffset >= ImageList_GetImageCount(p.list)) {
        p.list = nullptr;
        return p;
    }
    p.index = data->m_nMenuIconOffset;
    p.size = data->m_pMenuIcon->GetImageSize();
    return p;
}

void DrawImage(HDC dc, const Picture& p, int index, int x, int y) {
    ImageList_Draw(p.list, index, dc, x, y, ILD_TRANSPARENT);
}

// True when dc draws on a 32-bit DIB: a copy of a picture drawn on another
// 32-bit DIB then gives exactly the pixels that drawing it there would.
bool DrawsOn32BitDib(HDC dc) {
    DIBSECTION ds = {};
    HGDIOBJ bmp = GetCurrentObject(dc, OBJ_BITMAP);
    return bmp && GetObjectA(bmp, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBitsPixel == 32 &&
           ds.dsBmih.biCompression == BI_RGB;
}

// Draws image index of p at x, y on dc, where everything under the picture is
// back; from the cache when the picture was drawn on that colour before.
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
            Fill(c.pictureDc.Get(), RECT{0, 0, p.size.cx, p.size.cy}, back);
            DrawImage(c.pictureDc.Get(), p, index, 0, 0);
        }
        if (c.pictures.size() >= kMaxCachedPictures) c.pictures.clear();
        it = c.pictures.emplace(key, std::move(bmp)).first;
    }
    ScopedSelect sel(c.pictureDc.Get(), it->second.Get());
    BitBlt(dc, x, y, p.size.cx, p.size.cy, c.pictureDc.Get(), 0, 0, SRCCOPY);
}

// The picture as a one-colour silhouette (or with a state effect).
void DrawIconState(HDC dc, const Picture& p, int x, int y, HBRUSH brush, UINT state) {
    UniqueIcon icon(ImageList_GetIcon(p.list, p.index, ILD_NORMAL));
    if (!icon) return;
    DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, p.size.cx,
               p.size.cy, DST_ICON | state);
}

struct CheckBitmaps {
    HBITMAP checked = nullptr, unchecked = nullptr;
};
CheckBitmaps CheckBitmapsOf(HMENU menu, UINT id) {
    MENUITEMINFOA mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_CHECKMARKS;
    CheckBitmaps cb;
    if (GetMenuItemInfoA(menu, id, FALSE, &mii)) {
        cb.checked = mii.hbmpChecked;
        cb.unchecked = mii.hbmpUnchecked;
    }
    return cb;
}

void DrawBitmapCentered(HDC dc, HBITMAP bmp, const RECT& box, UINT state) {
    BITMAP bm = {};
    if (!bmp || !GetObjectA(bmp, sizeof bm, &bm)) return;
    int x = box.left + (box.right - box.left - bm.bmWidth) / 2;
    int y = box.top + (box.bottom - box.top - bm.bmHeight) / 2;
    DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(bmp), 0, x, y, bm.bmWidth,
               bm.bmHeight, DST_BITMAP | state);
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

// The cached memory DC for target, in a fresh DC's state, or null when it is
// in use (or cannot be made): the caller then makes its own.
static HDC TakeDrawDc(HDC target) {
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

// A true-colour screen gets a 32-bit DIB: the image list draws its pictures
// through bitmaps compatible with the surface, which are far cheaper to make
// than device bitmaps under Wine. A palette screen keeps a device bitmap, so
// that colours are matched as on the screen.
static HBITMAP MakeSurface(HDC target, int w, int h) {
    if (GetDeviceCaps(target, BITSPIXEL) * GetDeviceCaps(target, PLANES) <= 8)
        return CreateCompatibleBitmap(target, w, h);
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    void* bits = nullptr;
    return CreateDIBSection(target, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// The cached surface for the DC taken with TakeDrawDc, at least w x h.
static HBITMAP TakeDrawBitmap(int w, int h) {
    DrawingCache& c = Cache();
    if (!c.drawBitmap || c.drawBitmapSize.cx < w || c.drawBitmapSize.cy < h) {
        const SIZE size = {std::max<LONG>(w, c.drawBitmapSize.cx),
                           std::max<LONG>(h, c.drawBitmapSize.cy)};
        c.drawBitmap.Reset(MakeSurface(c.drawTarget, size.cx, size.cy));
        c.drawBitmapSize = c.drawBitmap ? size : SIZE{0, 0};
    }
    return c.drawBitmap.Get();
}

// Gives the DC back after an item: its state returns to the saved one. A DC
// whose state cannot be restored is not used again.
static void ReturnDrawDc() {
    DrawingCache& c = Cache();
    c.drawDcBusy = false;
    if (!RestoreDC(c.drawDc.Get(), c.drawDcState) || !(c.drawDcState = SaveDC(c.drawDc.Get())))
        DropDrawSurface(c);
}

// ---- flat style ------------------------------------------------------------

void FlatMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(mis->itemData);
    const int dpi = menu ? menu->GetDpi() : SystemDpi();
    if (!data || data->IsSeparator() || !menu) {
        const SIZE sep = SeparatorSize(dpi);
        mis->itemWidth = static_cast<UINT>(sep.cx);
        mis->itemHeight = static_cast<UINT>(sep.cy);
        return;
    }
    SIZE text = MeasureText(FlatMeasureText(data->m_szMenuText), IsDefaultItem(menu, data->m_nID),
                            dpi);
    SIZE s = FlatItemSize(menu->GetIconWidth(), menu->GetIconHeight(), MenuHeight(dpi), text,
                          dpi);
    mis->itemWidth = static_cast<UINT>(s.cx);
    mis->itemHeight = static_cast<UINT>(s.cy);
}

void FlatDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(dis->itemData);
    if (!menu || !data) return;
    CNewMenuHook& hook = CNewMenuHook::Instance();
    const RECT R = dis->rcItem;
    const bool separator = data->IsSeparator();
    CNewMemDC mem(dis->hDC, R);
    if (separator || menuBar) mem.SetNoCopyBack();
    HDC dc = separator || menuBar ? dis->hDC : mem.GetSafeHdc();

    const int colors = hook.ScreenColorCount();
    const bool palette = IsPaletteScreen(colors);
    const bool hc = hook.HighContrast();
    SysColors sys{GetSysColor(COLOR_WINDOW), MenuBack(reinterpret_cast<HMENU>(dis->hwndItem)),
                  GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_BTNFACE),
                  GetSysColor(COLOR_BTNTEXT)};
    FlatColors c = ComputeFlatColors(sys, colors, hc, NearestOn, dc);
    const int iconW = menu->GetIconWidth(), iconH = menu->GetIconHeight();
    const int dpi = menu->GetDpi();
    const int line = LineWidth(dpi);
    auto px = [dpi](int v) { return ScaleForDpi(v, dpi); };
    const RECT strip = FlatStripRect(R, iconW, dpi);
    const RECT textRect = FlatTextRect(R, iconW, dpi);

    Fill(dc, strip, c.strip);
    Fill(dc, RECT{strip.right, R.top, R.right, R.bottom}, c.background);
    if (separator) {
        int y = (R.top + R.bottom - line) / 2;
        Fill(dc, RECT{textRect.left, y, R.right, y + line}, GetSysColor(COLOR_GRAYTEXT));
        return;
    }

    const UINT state = dis->itemState;
    const bool selected = ((state & ODS_SELECTED) && !(state & ODS_INACTIVE)) ||
                          (state & ODS_HOTLIGHT);
    const bool checked = (state & ODS_CHECKED) != 0;
    UniquePen framePen(CreatePen(line > 1 ? PS_INSIDEFRAME : PS_SOLID, line, c.framePen));
    if (selected) {
        Fill(dc, R, c.selection);
        FrameWithPen(dc, R, framePen.Get());
    }

    if (!data->m_szMenuText.empty()) {
        std::string label, accel;
        SplitItemText(data->m_szMenuText, &label, &accel);
        ScopedSelect sel(dc, CachedItemFont((state & ODS_DEFAULT) != 0, dpi));
        SetBkMode(dc, TRANSPARENT);
        COLORREF textColor = (state & ODS_GRAYED) ? GetSysColor(COLOR_GRAYTEXT)
                             : (hc && !selected)  ? GetSysColor(COLOR_WINDOWTEXT)
                                                  : GetSysColor(COLOR_MENUTEXT);
        UINT prefix = (state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0;
        RECT tr = textRect;
        SetTextColor(dc, textColor);
        DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &tr,
                  DT_SINGLELINE | DT_VCENTER | prefix);
        if (!accel.empty()) {
            SetTextColor(dc, RGB(0, 0, 140));
            tr = textRect;
            DrawTextA(dc, accel.c_str(), static_cast<int>(accel.size()), &tr,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    }

    const RECT checkBox = {R.left + line, R.top + line, strip.right - px(2), R.bottom - line};
    auto drawCheckBox = [&] {
        COLORREF fill = selected ? (palette ? c.selection
                                            : Darken(16, Mix86(c.selection, sys.highlight)))
                                 : Lighten(96, Mix86(c.strip, sys.highlight));
        Fill(dc, checkBox, fill);
        FrameWithPen(dc, checkBox, framePen.Get());
    };

    const Picture pic = PictureOf(data);
    const bool prepared = hook.m_bUsePreparedImages != FALSE;
    if (pic.list) {
        POINT p = FlatPictureOrigin(R, iconW, pic.size, dpi);
        if (checked) drawCheckBox();
        if (state & ODS_DISABLED) {
            if (prepared) {
                DrawImage(dc, pic, pic.index + 2, p.x, p.y);
            } else {
                UniqueBrush b(CreateSolidBrush(GetNearestColor(dc, Darken(70, c.strip))));
                DrawIconState(dc, pic, p.x, p.y, b.Get(), DSS_MONO);
            }
        } else if (selected) {
            UniqueBrush shadow(CreateSolidBrush(GetNearestColor(dc, ShadowOf(c.selection))));
            if (!checked) {
                DrawIconState(dc, pic, p.x + line, p.y + line, shadow.Get(), DSS_MONO);
                DrawImage(dc, pic, pic.index, p.x - line, p.y - line);
            } else {
                DrawImage(dc, pic, pic.index, p.x, p.y);
            }
        } else {
            // Nothing but the strip lies under an unselected, unchecked
            // picture that fits in it.
            const RECT at = {p.x, p.y, p.x + pic.size.cx, p.y + pic.size.cy};
            RECT inside = {};
            const RECT stripInItem = {strip.left, R.top, strip.right, R.bottom};
            const int index = prepared ? pic.index + 1 : pic.index;
            if (!checked && IntersectRect(&inside, &at, &stripInItem) && EqualRect(&inside, &at))
                DrawImageOn(dc, pic, data->m_pMenuIcon->GetGeneration(), index, c.strip, p.x, p.y);
            else
                DrawImage(dc, pic, index, p.x, p.y);
        }
        return;
    }

    const UINT id = static_cast<UINT>(data->m_nID);
    CheckBitmaps cb = CheckBitmapsOf(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID);
    if (checked || cb.unchecked) {
        drawCheckBox();
        RECT box = strip;
        int dy = (iconH + R.top - R.bottom) / 2 + px(2);
        InflateRect(&box, px(2), dy);
        COLORREF glyphColor = (state & (ODS_GRAYED | ODS_INACTIVE)) ? GetSysColor(COLOR_GRAYTEXT)
                                                                   : GetSysColor(COLOR_MENUTEXT);
        bool bold = (state & ODS_DEFAULT) != 0;
        if (checked) {
            if (cb.checked && cb.unchecked)
                DrawBitmapCentered(dc, cb.checked, box, DSS_MONO);
            else
                DrawMarlettGlyph(dc, box, cb.checked ? 'i' : 'b', bold, glyphColor, dpi);
        } else {
            DrawBitmapCentered(dc, cb.unchecked, box,
                               (state & ODS_DISABLED) ? DSS_MONO | DSS_DISABLED : DSS_MONO);
        }
        return;
    }
    if (char glyph = IsSystemCommand(id) ? SystemCommandGlyph(id) : 0) {
        RECT box = {strip.left, R.top + (R.bottom - R.top - iconH) / 2, strip.right, 0};
        box.bottom = box.top + iconH;
        bool bold = (state & ODS_DEFAULT) != 0;
        if (selected) {
            RECT sh = box;
            OffsetRect(&sh, line, line);
            DrawMarlettGlyph(dc, sh, glyph, bold, ShadowOf(c.selection), dpi);
            OffsetRect(&box, -line, -line);
            DrawMarlettGlyph(dc, box, glyph, bold, GetSysColor(COLOR_MENUTEXT), dpi);
        } else {
            COLORREF col = (state & (ODS_GRAYED | ODS_INACTIVE)) ? GetSysColor(COLOR_GRAYTEXT)
                                                                : GetSysColor(COLOR_MENUTEXT);
            DrawMarlettGlyph(dc, box, glyph, bold, col, dpi);
        }
    }
}

// ---- classic style ---------------------------------------------------------

void ClassicMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(mis->itemData);
    const int dpi = menu ? menu->GetDpi() : SystemDpi();
    if (!data || data->IsSeparator() || !menu) {
        const SIZE sep = SeparatorSize(dpi);
        mis->itemWidth = static_cast<UINT>(sep.cx);
        mis->itemHeight = static_cast<UINT>(sep.cy);
        return;
    }
    SIZE text = MeasureText(data->m_szMenuText, IsDefaultItem(menu, data->m_nID), dpi);
    SIZE s = ClassicItemSize(menu->GetIconWidth(), menu->GetIconHeight(), MenuHeight(dpi), text,
                             dpi);
    mis->itemWidth = static_cast<UINT>(s.cx);
    mis->itemHeight = static_cast<UINT>(s.cy);
}

void ClassicDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(dis->itemData);
    if (!menu || !data) return;
    const RECT R = dis->rcItem;
    const bool separator = data->IsSeparator();
    CNewMemDC mem(dis->hDC, R);
    if (separator || menuBar) mem.SetNoCopyBack();
    HDC dc = separator || menuBar ? dis->hDC : mem.GetSafeHdc();
    const int version = CNewMenuHook::Instance().Version();
    const int dpi = menu->GetDpi();
    const int line = LineWidth(dpi);
    auto px = [dpi](int v) { return ScaleForDpi(v, dpi); };

    FillRect(dc, &R, GetSysColorBrush(COLOR_MENU));
    if (separator) {
        RECT e = R;
        e.left += line;
        e.top += (R.bottom - R.top - 2) / 2;  // the edge is 2 pixels at any DPI
        DrawEdge(dc, &e, EDGE_ETCHED, BF_TOP);
        return;
    }
    const UINT state = dis->itemState;
    const bool selected = (state & ODS_SELECTED) != 0;
    const bool checked = (state & ODS_CHECKED) != 0;
    const bool grayed = (state & ODS_GRAYED) != 0;
    const int iconW = menu->GetIconWidth(), iconH = menu->GetIconHeight();
    const Picture pic = PictureOf(data);
    const CheckBitmaps cb = CheckBitmapsOf(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID);

    if (selected) {
        RECT sel = R;
        if (pic.list || checked) sel.left = R.left + iconW + px(6);
        FillRect(dc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    RECT iconBox = {R.left + px(3), R.top + (R.bottom - R.top - iconH) / 2, 0, 0};
    iconBox.right = iconBox.left + iconW;
    iconBox.bottom = iconBox.top + iconH;
    RECT box = iconBox;
    InflateRect(&box, px(2), px(2));
    if (pic.list) {
        if (version > 1 && checked)
            Draw3dRect(dc, box, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT),
                       line);
        else if (version > 1 && selected && !grayed)
            Draw3dRect(dc, box, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW),
                       line);
        int x = iconBox.left + (iconW - pic.size.cx) / 2;
        int y = iconBox.top + (iconH - pic.size.cy) / 2;
        if (state & ODS_DISABLED)
            DrawIconState(dc, pic, x, y, nullptr, DSS_DISABLED);
        else
            DrawImage(dc, pic, pic.index, x, y);
    } else if (checked || cb.unchecked) {
        if (version > 1) {
            RECT e = box;
            InflateRect(&e, -line, -line);
            DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
        }
        COLORREF glyphColor = (state & (ODS_GRAYED | ODS_INACTIVE)) ? GetSysColor(COLOR_GRAYTEXT)
                                                                   : GetSysColor(COLOR_MENUTEXT);
        bool bold = (state & ODS_DEFAULT) != 0;
        if (checked) {
            if (cb.checked && cb.unchecked) {
                DrawBitmapCentered(dc, cb.checked, box, DSS_MONO);
            } else if (cb.checked) {
                DrawMarlettGlyph(dc, box, 'i', bold, glyphColor, dpi);
            } else {
                RECT g = box;
                OffsetRect(&g, px(1), px(2));
                DrawMarlettGlyph(dc, g, 'b', bold, glyphColor, dpi);
            }
        } else {
            DrawBitmapCentered(dc, cb.unchecked, box,
                               (state & ODS_DISABLED) ? DSS_MONO | DSS_DISABLED : DSS_MONO);
        }
    } else if (char glyph = IsSystemCommand(static_cast<UINT>(data->m_nID))
                                ? SystemCommandGlyph(static_cast<UINT>(data->m_nID))
                                : 0) {
        COLORREF col = (state & (ODS_GRAYED | ODS_INACTIVE)) ? GetSysColor(COLOR_GRAYTEXT)
                       : selected ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                  : GetSysColor(COLOR_MENUTEXT);
        DrawMarlettGlyph(dc, iconBox, glyph, (state & ODS_DEFAULT) != 0, col, dpi);
    }

    if (data->m_szMenuText.empty()) return;
    std::string label, accel;
    SplitItemText(data->m_szMenuText, &label, &accel);
    ScopedSelect selFont(dc, CachedItemFont((state & ODS_DEFAULT) != 0, dpi));
    SetBkMode(dc, TRANSPARENT);
    RECT tr = {R.left + iconW + px(12), R.top - line, R.right, R.bottom - line};
    RECT ar = tr;
    ar.right -= iconW;
    const UINT flags = DT_SINGLELINE | DT_VCENTER | ((state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0);
    auto write = [&](RECT t, RECT a, COLORREF col) {
        SetTextColor(dc, col);
        DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &t, flags);
        if (!accel.empty())
            DrawTextA(dc, accel.c_str(), static_cast<int>(accel.size()), &a, flags | DT_RIGHT);
    };
    if (grayed && selected) {
        write(tr, ar, GetSysColor(COLOR_MENU));
    } else if (grayed) {
        RECT t2 = tr, a2 = ar;
        OffsetRect(&t2, line, line);
        OffsetRect(&a2, line, line);
        write(t2, a2, GetSysColor(COLOR_BTNHIGHLIGHT));
        write(tr, ar, GetSysColor(COLOR_GRAYTEXT));
    } else {
        write(tr, ar, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    }
}

void NoTitle(CNewMenu*, DRAWITEMSTRUCT*, BOOL) {}

}  // namespace menu

// ---- CNewMemDC -------------------------------------------------------------

CNewMemDC::CNewMemDC(HDC target, const RECT& rect) : m_rect(rect), m_hDcTarget(target) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0) {
        // The drawing cache's DC and surface when they are free.
        if ((m_hDc = menu::TakeDrawDc(target))) {
            HBITMAP surface = menu::TakeDrawBitmap(w, h);
            m_oldBitmap = surface ? SelectObject(m_hDc, surface) : nullptr;
            m_reused = m_oldBitmap != nullptr;
            if (!m_reused) {  // not usable after all: a DC of its own
                menu::ReturnDrawDc();
                m_hDc = nullptr;
            }
        }
        if (!m_hDc) {
            m_bitmap.Reset(CreateCompatibleBitmap(target, w, h));
            if (m_bitmap) m_ownDc.Reset(CreateCompatibleDC(target));
            if (m_ownDc) {
                m_hDc = m_ownDc.Get();
                m_oldBitmap = SelectObject(m_hDc, m_bitmap.Get());
            }
        }
    }
    if (m_hDc && m_oldBitmap) {
        SetWindowOrgEx(m_hDc, rect.left, rect.top, nullptr);
    } else {
        // No memory surface: the item is drawn straight onto the target.
        m_hDc = nullptr;
        m_bCancel = TRUE;
    }
}

CNewMemDC::~CNewMemDC() {
    if (!m_hDc) return;  // drawn straight onto the target
    if (!m_bCancel) {
        BitBlt(m_hDcTarget, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
               m_rect.bottom - m_rect.top, m_hDc, m_rect.left, m_rect.top, SRCCOPY);
    }
    if (m_oldBitmap) SelectObject(m_hDc, m_oldBitmap);
    if (m_reused) menu::ReturnDrawDc();
}

// ---- CMenuTheme: the popup window's frame ----------------------------------

CMenuTheme::CMenuTheme(int key, MenuMeasureFn measure, MenuDrawFn draw, MenuDrawFn drawTitle,
                       int flags)
    : m_dwThemeId(key), m_dwFlags(flags), m_pMeasureItem(measure), m_pDrawItem(draw),
      m_pDrawTitle(drawTitle) {
    menu::FrameMargins m = menu::FlatFrameMargins(menu::SystemDropShadow());
    m_BorderTopLeft = SIZE{m.left, m.top};
    m_BorderBottomRight = SIZE{m.right, m.bottom};
}

BOOL CMenuTheme::OnInitWindow(HWND window) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !data->m_bDoSubclass || !DrawsOwnFrame()) return FALSE;
    data->m_dwFlags |= CNewMenuHook::CMenuHookData::kStyleChanged;
    SetWindowLongPtrA(window, GWL_STYLE, data->m_dwData & ~static_cast<LONG_PTR>(WS_BORDER));
    SetWindowLongPtrA(window, GWL_EXSTYLE,
                      data->m_dwDataEx & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
    return TRUE;
}

void CMenuTheme::OnUninitWindow(HWND window) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !(data->m_dwFlags & CNewMenuHook::CMenuHookData::kStyleChanged)) return;
    LONG_PTR style = data->m_dwData;
    if (data->m_dwFlags & CNewMenuHook::CMenuHookData::kOnSizeMessage) style |= WS_VISIBLE;
    SetWindowLongPtrA(window, GWL_STYLE, style);
    SetWindowLongPtrA(window, GWL_EXSTYLE, data->m_dwDataEx);
}

BOOL CMenuTheme::PaintFrame(HWND, HDC, BOOL) { return FALSE; }

BOOL CMenuTheme::EraseWindow(HWND window, HDC dc) {
    const int dpi = DpiForWindow(window);
    RECT rc = {};
    GetClientRect(window, &rc);
    rc.left -= ScaleForDpi(2, dpi);
    if (DrawsOwnFrame()) rc.right -= menu::LineWidth(dpi);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_MENU));
    return TRUE;
}

BOOL CMenuTheme::AdjustClientArea(HWND window, RECT* rect) {
    if (!DrawsOwnFrame() || !rect) return FALSE;
    menu::FrameMargins m =
        menu::FlatFrameMargins(menu::SystemDropShadow(), DpiForWindow(window));
    rect->left += m.left;
    rect->top += m.top;
    rect->right -= m.right;
    rect->bottom -= m.bottom;
    return FALSE;  // the saved procedure still runs
}

BOOL CMenuTheme::AdjustWindowPos(HWND window, WINDOWPOS* pos) {
    if (!DrawsOwnFrame() || !pos) return FALSE;
    menu::WindowPosDelta d =
        menu::FlatWindowPosDelta(menu::SystemDropShadow(), DpiForWindow(window));
    pos->cx += d.dcx;
    pos->cy += d.dcy;
    pos->y += d.dy;
    return TRUE;
}

BOOL CMenuTheme::GetContentRect(HWND window, RECT* rect) {
    if (!rect || !GetWindowRect(window, rect)) return FALSE;
    if (DrawsOwnFrame())
        *rect = menu::FlatContentRect(*rect, menu::SystemDropShadow(), DpiForWindow(window));
    return TRUE;
}

BOOL CMenuThemeXP::EraseWindow(HWND window, HDC dc) { return CMenuTheme::EraseWindow(window, dc); }

}  // namespace vt
