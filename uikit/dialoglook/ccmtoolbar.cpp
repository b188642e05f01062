#include "uikit/dialoglook/ccmtoolbar.h"

#include <commctrl.h>
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

LRESULT CCM::CCMToolbar::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    // Pressing and releasing a button changes its look.
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) return PreviousThenUpdate(msg, w, l);
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMToolbar::IsNewHotSpot(POINT screen) {
    ScreenToClient(window_, &screen);
    const int item =
        static_cast<int>(SendMessageA(window_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&screen)));
    return item != hotItem || Instance().hotWindow_ != window_;
}

void CCM::CCMToolbar::DrawFrame(HDC dc, const RECT&) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(window_, &pt);
    hotItem =
        (state & flat::kHot)
            ? static_cast<int>(SendMessageA(window_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)))
            : -1;
    const int line = flat::FrameLine(Dpi());
    const POINT off = flat::ClientOffset(window_);
    const int count = static_cast<int>(SendMessageA(window_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (!SendMessageA(window_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b))) continue;
        if (b.fsStyle & BTNS_SEP) continue;
        RECT item = {};
        if (!SendMessageA(window_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        // Pressed and checked buttons keep the system's sunken look.
        if (b.fsState & (TBSTATE_PRESSED | TBSTATE_CHECKED)) continue;
        flat::DrawPlan(dc, item, flat::ItemPlan(i == hotItem), line);
    }
}

}  // namespace vt
