#include "uikit/dialoglook/ccmcombobox.h"

#include "framework/dpi.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

namespace {
// What a combo box receives from its edit child when the edit gets the focus.
constexpr UINT kEditGotFocus = EN_SETFOCUS;
}  // namespace

LRESULT CCM::CCMComboBox::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if ((msg == WM_COMMAND && HIWORD(w) == kEditGotFocus) || (msg == WM_LBUTTONUP && l == -1))
        Update();
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMComboBox::HasFocus() {
    HWND focus = GetFocus();
    if (focus == window_) return true;
    // A drop-down combo box's edit child holds the focus for it.
    return focus && GetParent(focus) == window_ && flat::ClassIs(focus, "Edit");
}

void CCM::CCMComboBox::DrawFrame(HDC dc, const RECT& rect) {
    DrawGenericFrame(dc, rect);
    const int dpi = Dpi();
    const int line = flat::FrameLine(dpi);
    RECT button = rect;
    InflateRect(&button, -2 * line, -2 * line);
    button.left = button.right - SystemMetricForDpi(SM_CXHSCROLL, dpi);
    flat::DrawPlan(dc, button, flat::ComboButtonPlan(state, IsWindowEnabled(window_) != FALSE),
                   line);
}

}  // namespace vt
