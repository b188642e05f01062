#include "uikit/dialoglook/ccmupdown.h"

#include <commctrl.h>
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

void CCM::CCMUpDown::DrawFrame(HDC dc, const RECT& rect) {
    const bool horizontal = (flat::StyleOf(window_) & UDS_HORZ) != 0;
    RECT first = rect, second = rect;
    if (horizontal)
        first.right = second.left = (rect.left + rect.right) / 2;
    else
        first.bottom = second.top = (rect.top + rect.bottom) / 2;
    const auto plan = flat::ComboButtonPlan(state, IsWindowEnabled(window_) != FALSE);
    flat::DrawPlan(dc, first, plan, flat::FrameLine(Dpi()));
    flat::DrawPlan(dc, second, plan, flat::FrameLine(Dpi()));
}

}  // namespace vt
