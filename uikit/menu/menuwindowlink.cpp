#include "uikit/menu/menuwindowlink.h"

namespace vt {

LRESULT CNewMenuHook::CMenuWindowLink::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    return SubClassMenu(*this, GetHookedWnd().GetSafeHwnd(), msg, wp, lp);
}

void CNewMenuHook::CMenuWindowLink::OnNcDestroy(HWND window) { DropMenuWindow(window); }

}  // namespace vt
