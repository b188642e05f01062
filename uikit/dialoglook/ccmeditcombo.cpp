#include "uikit/dialoglook/ccmeditcombo.h"

#include "framework/dpi.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

HDC CCM::CCMEditCombo::GetDrawDC(RECT& rect) {
    HWND combo = GetParent(window_);
    rect = flat::RectIn(window_, combo);
    const int grow = ScaleForDpi(3, DpiForWindow(combo));
    InflateRect(&rect, grow, grow);
    return GetWindowDC(combo);
}

}  // namespace vt
