#include "uikit/dialoglook/ccmtrackbar.h"

#include <commctrl.h>
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

void CCM::CCMTrackbar::DrawFrame(HDC dc, const RECT&) {
    RECT channel = {};
    SendMessageA(window_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const POINT off = flat::ClientOffset(window_);
    OffsetRect(&channel, off.x, off.y);
    flat::DrawPlan(dc, channel,
                   flat::GenericFramePlan(state | flat::kSmall, IsWindowEnabled(window_) != FALSE),
                   flat::FrameLine(Dpi()));
}

}  // namespace vt
