#include "uikit/menu/menustyles.h"

#include <string>

#include "framework/dpi.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/newmemdc.h"
#include "uikit/menu/newmenu.h"

namespace vt::menu {

namespace {
// Accelerator texts are drawn in a fixed dark blue, also for grayed items.
constexpr COLORREF kAcceleratorColor = RGB(0, 0, 140);
}  // namespace

void FlatMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis) {
    MeasureMenuItem(menu, mis, FlatItemSize, FlatMeasureText);
}

void FlatDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis) {
    auto* data = reinterpret_cast<CNewMenuItemData*>(dis->itemData);
    if (!menu || !data) return;
    CNewMenuHook& hook = CNewMenuHook::Instance();
    const RECT R = dis->rcItem;
    const bool separator = data->IsSeparator();
    CNewMemDC mem(dis->hDC, R);
    if (separator) mem.SetNoCopyBack();
    HDC dc = separator ? dis->hDC : mem.GetSafeHdc();

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

    FillSolid(dc, strip, c.strip);
    FillSolid(dc, RECT{strip.right, R.top, R.right, R.bottom}, c.background);
    if (data->IsHeading()) {
        DrawHeading(dc, R, textRect, data->text_, dpi, GetSysColor(COLOR_MENUTEXT),
                    GetSysColor(COLOR_GRAYTEXT));
        return;
    }
    if (separator) {
        int y = (R.top + R.bottom - line) / 2;
        FillSolid(dc, RECT{textRect.left, y, R.right, y + line}, GetSysColor(COLOR_GRAYTEXT));
        return;
    }

    const UINT state = dis->itemState;
    const bool selected =
        ((state & ODS_SELECTED) && !(state & ODS_INACTIVE)) || (state & ODS_HOTLIGHT);
    const bool checked = (state & ODS_CHECKED) != 0;
    UniquePen framePen(CreatePen(line > 1 ? PS_INSIDEFRAME : PS_SOLID, line, c.framePen));
    if (selected) {
        FillSolid(dc, R, c.selection);
        FrameWithPen(dc, R, framePen.Get());
    }

    if (!data->text_.empty()) {
        std::string label, accel;
        SplitItemText(data->text_, &label, &accel);
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
            SetTextColor(dc, kAcceleratorColor);
            tr = textRect;
            DrawTextA(dc, accel.c_str(), static_cast<int>(accel.size()), &tr,
                      DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
    }

    const RECT checkBox = {R.left + line, R.top + line, strip.right - px(2), R.bottom - line};
    auto drawCheckBox = [&] {
        COLORREF fill =
            selected ? (palette ? c.selection : Darken(16, Mix86(c.selection, sys.highlight)))
                     : Lighten(96, Mix86(c.strip, sys.highlight));
        FillSolid(dc, checkBox, fill);
        FrameWithPen(dc, checkBox, framePen.Get());
    };

    const Picture pic = PictureOf(data);
    const bool prepared = hook.UsePreparedImages() != FALSE;
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
                DrawImageOn(dc, pic, data->icons_->GetGeneration(), index, c.strip, p.x, p.y);
            else
                DrawImage(dc, pic, index, p.x, p.y);
        }
        return;
    }

    const UINT id = static_cast<UINT>(data->id_);
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
    if (char glyph = SystemCommandGlyph(id)) {
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

}  // namespace vt::menu
