#include "uikit/dialoglook/ccmscrollbar.h"

#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

LRESULT CCM::CCMScrollBar::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == SBM_SETSCROLLINFO || msg == SBM_SETPOS || msg == SBM_SETRANGE ||
        msg == SBM_SETRANGEREDRAW)
        return PreviousThenUpdate(msg, w, l);
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMScrollBar::DrawFrame(HDC dc, const RECT& rect) {
    SCROLLINFO si = flat::FullScrollInfo();
    if (!GetScrollInfo(window_, SB_CTL, &si)) return;
    const bool vertical = (flat::StyleOf(window_) & SBS_VERT) != 0;
    flat::DrawFlatBar(dc, rect, vertical, si, state, IsWindowEnabled(window_) != FALSE, Dpi());
}

}  // namespace vt
