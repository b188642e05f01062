#include "uikit/dialoglook/ccmcheckbox.h"

#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

void CCM::CCMCheckBox::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = flat::StyleOf(window_);
    if (style & BS_PUSHLIKE) return CCMPushButton::DrawFrame(dc, rect);
    const int dpi = Dpi();
    const RECT box = flat::CheckBoxRect(rect, style, dpi);
    const int check = static_cast<int>(SendMessageA(window_, BM_GETCHECK, 0, 0));
    flat::DrawPlan(dc, box, flat::CheckBoxPlan(state, IsWindowEnabled(window_) != FALSE, check),
                   flat::FrameLine(dpi));
}

}  // namespace vt
