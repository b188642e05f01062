#include "uikit/menu/menustyles.h"

#include <string>

#include "framework/dpi.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/newmemdc.h"
#include "uikit/menu/newmenu.h"

namespace vt::menu {

void ClassicMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis) {
    MeasureMenuItem(menu, mis, ClassicItemSize, nullptr);
}

void ClassicDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(dis->itemData);
    if (!menu || !data) return;
    const RECT R = dis->rcItem;
    const bool separator = data->IsSeparator();
    CNewMemDC mem(dis->hDC, R);
    if (separator) mem.SetNoCopyBack();
    HDC dc = separator ? dis->hDC : mem.GetSafeHdc();
    const int dpi = menu->GetDpi();
    const int line = LineWidth(dpi);
    auto px = [dpi](int v) { return ScaleForDpi(v, dpi); };

    FillRect(dc, &R, GetSysColorBrush(COLOR_MENU));
    if (data->IsHeading()) {
        const int iconWidth = menu->GetIconWidth();
        DrawHeading(dc, R, RECT{R.left + iconWidth + px(12), R.top, R.right, R.bottom}, data->text_,
                    dpi, GetSysColor(COLOR_MENUTEXT), GetSysColor(COLOR_GRAYTEXT));
        return;
    }
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
        if (checked)
            Draw3dRect(dc, box, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT),
                       line);
        else if (selected && !grayed)
            Draw3dRect(dc, box, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW),
                       line);
        int x = iconBox.left + (iconW - pic.size.cx) / 2;
        int y = iconBox.top + (iconH - pic.size.cy) / 2;
        if (state & ODS_DISABLED)
            DrawIconState(dc, pic, x, y, nullptr, DSS_DISABLED);
        else
            DrawImage(dc, pic, pic.index, x, y);
    } else if (checked || cb.unchecked) {
        RECT e = box;
        InflateRect(&e, -line, -line);
        DrawEdge(dc, &e, BDR_SUNKENOUTER, BF_RECT);
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
    } else if (char glyph = SystemCommandGlyph(static_cast<UINT>(data->id_))) {
        COLORREF col = (state & (ODS_GRAYED | ODS_INACTIVE)) ? GetSysColor(COLOR_GRAYTEXT)
                       : selected                            ? GetSysColor(COLOR_HIGHLIGHTTEXT)
                                                             : GetSysColor(COLOR_MENUTEXT);
        DrawMarlettGlyph(dc, iconBox, glyph, (state & ODS_DEFAULT) != 0, col, dpi);
    }

    if (data->text_.empty()) return;
    std::string label, accel;
    SplitItemText(data->text_, &label, &accel);
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

}  // namespace vt::menu
