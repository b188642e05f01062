#include "uikit/menu/menusystem.h"

#include "uikit/menu/menucolors.h"
#include "uikit/menu/menuhook.h"

namespace vt::menu {

bool SystemDropShadow() {
    BOOL on = FALSE;
    SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &on, 0);
    return on != FALSE;
}

bool FlatMenusOn() {
    BOOL flat = FALSE;
    SystemParametersInfoA(SPI_GETFLATMENU, 0, &flat, 0);
    return flat != FALSE;
}

int FlatMenuColorIndex() {
    return MenuColorIndex(CNewMenuHook::Instance().Version(), FlatMenusOn(), false);
}

COLORREF MenuBack(HMENU menu) {
    MENUINFO mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIM_BACKGROUND;
    if (menu && GetMenuInfo(menu, &mi) && mi.hbrBack) {
        LOGBRUSH lb = {};
        if (GetObjectA(mi.hbrBack, sizeof lb, &lb)) return lb.lbColor;
    }
    const CNewMenuHook& hook = CNewMenuHook::Instance();
    return GetSysColor(MenuColorIndex(hook.Version(), FlatMenusOn(), hook.IsThemeActive()));
}

UniqueFont ItemFont(bool bold, int dpi) {
    NONCLIENTMETRICSA ncm = {};
    NonClientMetricsForDpi(ncm, dpi);
    if (bold) ncm.lfMenuFont.lfWeight = FW_BOLD;
    return UniqueFont(CreateFontIndirectA(&ncm.lfMenuFont));
}

}  // namespace vt::menu
