#include "uikit/dialoglook/ccmpushbutton.h"

#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

LRESULT CCM::CCMPushButton::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    // The caller learns whether the text was taken: the result stays.
    if (msg == WM_SETTEXT || msg == BM_SETCHECK) return PreviousThenUpdate(msg, w, l);
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMPushButton::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = flat::StyleOf(window_);
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && enabled;
    const bool pushed = SendMessageA(window_, BM_GETCHECK, 0, 0) != 0;
    flat::DrawPlan(dc, rect, flat::PushButtonPlan(state, isDefault, pushed),
                   flat::FrameLine(Dpi()));
}

}  // namespace vt
