#include "uikit/menu/menupaint.h"

#include "framework/dpi.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/newmenu.h"

namespace vt::menu {

void FillSolid(HDC dc, const RECT& r, COLORREF c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    UniqueBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.Get());
}

void FrameSolid(HDC dc, RECT r, COLORREF c, int w) {
    UniqueBrush b(CreateSolidBrush(c));
    for (int i = 0; i < w && r.right > r.left && r.bottom > r.top; ++i) {
        FrameRect(dc, &r, b.Get());
        InflateRect(&r, -1, -1);
    }
}

void FrameWithPen(HDC dc, const RECT& r, HPEN pen) {
    ScopedSelect sp(dc, pen);
    ScopedSelect sb(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight, int w) {
    FillSolid(dc, RECT{r.left, r.top, r.right - w, r.top + w}, topLeft);
    FillSolid(dc, RECT{r.left, r.top, r.left + w, r.bottom - w}, topLeft);
    FillSolid(dc, RECT{r.right - w, r.top, r.right, r.bottom}, bottomRight);
    FillSolid(dc, RECT{r.left, r.bottom - w, r.right, r.bottom}, bottomRight);
}

COLORREF NearestOn(COLORREF c, void* dc) { return GetNearestColor(static_cast<HDC>(dc), c); }

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
        case SC_CLOSE:
            return 'r';
        case SC_MINIMIZE:
            return '0';
        case SC_MAXIMIZE:
            return '1';
        case SC_RESTORE:
            return '2';
        default:
            return 0;
    }
}

void MeasureMenuItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, ItemSizeFn itemSize,
                     MeasuredTextFn measuredText) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(mis->itemData);
    const int dpi = menu ? menu->GetDpi() : SystemDpi();
    SIZE s = SeparatorSize(dpi);
    if (data && data->IsHeading() && menu) {
        const SIZE text = MeasureText(data->text_, true, dpi);
        s = itemSize(menu->GetIconWidth(), menu->GetIconHeight(), MenuHeight(dpi), text, dpi);
    } else if (data && !data->IsSeparator() && menu) {
        const std::string& label = data->text_;
        const SIZE text = MeasureText(measuredText ? measuredText(label) : label,
                                      IsDefaultItem(menu, data->id_), dpi);
        s = itemSize(menu->GetIconWidth(), menu->GetIconHeight(), MenuHeight(dpi), text, dpi);
    }
    mis->itemWidth = static_cast<UINT>(s.cx);
    mis->itemHeight = static_cast<UINT>(s.cy);
}

void DrawHeading(HDC dc, const RECT& item, RECT text, const std::string& label, int dpi,
                 COLORREF textColor, COLORREF lineColor) {
    ScopedSelect sel(dc, CachedItemFont(true, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColor);
    RECT measured = text;
    DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &measured,
              DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    DrawTextA(dc, label.c_str(), static_cast<int>(label.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    const int line = LineWidth(dpi);
    const int gap = ScaleForDpi(6, dpi);
    const int y = (item.top + item.bottom - line) / 2;
    const RECT stroke = {measured.right + gap, y, item.right - gap, y + line};
    if (stroke.right <= stroke.left) return;
    UniqueBrush brush(CreateSolidBrush(lineColor));
    FillRect(dc, &stroke, brush.Get());
}

bool IsDefaultItem(CNewMenu* menu, UINT_PTR id) {
    UINT def = GetMenuDefaultItem(menu->hmenu_, FALSE, 0);
    return def != static_cast<UINT>(-1) && def == id;
}

Picture PictureOf(const CNewMenuItemData* data) {
    Picture p;
    if (!data || !data->icons_ || data->imageIndex_ < 0) return p;
    p.list = data->icons_->GetImageList();
    if (!p.list || data->imageIndex_ >= ImageList_GetImageCount(p.list)) {
        p.list = nullptr;
        return p;
    }
    p.index = data->imageIndex_;
    p.size = data->icons_->GetImageSize();
    return p;
}

void DrawImage(HDC dc, const Picture& p, int index, int x, int y) {
    ImageList_Draw(p.list, index, dc, x, y, ILD_TRANSPARENT);
}

void DrawIconState(HDC dc, const Picture& p, int x, int y, HBRUSH brush, UINT state) {
    UniqueIcon icon(ImageList_GetIcon(p.list, p.index, ILD_NORMAL));
    if (!icon) return;
    DrawStateA(dc, brush, nullptr, reinterpret_cast<LPARAM>(icon.Get()), 0, x, y, p.size.cx,
               p.size.cy, DST_ICON | state);
}

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

}  // namespace vt::menu
