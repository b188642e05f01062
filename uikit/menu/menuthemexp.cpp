#include "uikit/menu/menuthemexp.h"

#include "framework/dpi.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menuframe.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menusystem.h"

namespace vt {

BOOL CMenuThemeXP::PaintFrame(HWND window, HDC dc, BOOL afterSystem) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !DrawsOwnFrame()) return FALSE;
    RECT wr = {};
    GetWindowRect(window, &wr);
    menu::FlatColors c = menu::FlatFrameColors(dc);
    menu::FlatFramePaint p = {};
    p.w = wr.right - wr.left;
    p.h = wr.bottom - wr.top;
    p.client = menu::ClientInWindow(window);
    p.systemShadow = menu::SystemDropShadow();
    p.highContrast = CNewMenuHook::Instance().HighContrast();
    p.firstPass = !afterSystem;
    p.itemBack = c.background;
    p.strip = c.strip;
    p.border = menu::Darken(128, menu::FlatMenuColor());
    p.colorCount = CNewMenuHook::Instance().ScreenColorCount();
    p.snapshot = data->snapshot_.Get();
    p.dpi = DpiForWindow(window);
    p.snapshotPixels = data->snapshot_ ? data->snapshotPixels_ : nullptr;
    p.shadowBands = &data->shadow_;
    menu::PaintFlatFrame(dc, p);
    return TRUE;
}

BOOL CMenuThemeXP::EraseWindow(HWND window, HDC dc) { return CMenuTheme::EraseWindow(window, dc); }

}  // namespace vt
