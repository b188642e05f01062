#include "uikit/dialoglook/ccmdatetime.h"

#include <commctrl.h>
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

void CCM::CCMDateTime::DrawFrame(HDC dc, const RECT& rect) {
    // With up-down arrows the arrows are a managed control of their own.
    if (flat::StyleOf(window_) & DTS_UPDOWN) return DrawGenericFrame(dc, rect);
    CCMComboBox::DrawFrame(dc, rect);
}

}  // namespace vt
