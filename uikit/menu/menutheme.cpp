#include "uikit/menu/menutheme.h"

#include "framework/dpi.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menusystem.h"

namespace vt {

CMenuTheme::CMenuTheme(int key, MenuMeasureFn measure, MenuDrawFn draw, int flags)
    : key_(key), flags_(flags), measureItem_(measure), drawItem_(draw) {}

BOOL CMenuTheme::OnInitWindow(HWND window) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !data->ownFrame_ || !DrawsOwnFrame()) return FALSE;
    data->flags_ |= CNewMenuHook::CMenuHookData::kStyleChanged;
    SetWindowLongPtrA(window, GWL_STYLE, data->savedStyle_ & ~static_cast<LONG_PTR>(WS_BORDER));
    SetWindowLongPtrA(
        window, GWL_EXSTYLE,
        data->savedExStyle_ & ~static_cast<LONG_PTR>(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE));
    return TRUE;
}

void CMenuTheme::OnUninitWindow(HWND window) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !(data->flags_ & CNewMenuHook::CMenuHookData::kStyleChanged)) return;
    LONG_PTR style = data->savedStyle_;
    if (data->flags_ & CNewMenuHook::CMenuHookData::kOnSizeMessage) style |= WS_VISIBLE;
    SetWindowLongPtrA(window, GWL_STYLE, style);
    SetWindowLongPtrA(window, GWL_EXSTYLE, data->savedExStyle_);
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
    menu::FrameMargins m = menu::FlatFrameMargins(menu::SystemDropShadow(), DpiForWindow(window));
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

}  // namespace vt
