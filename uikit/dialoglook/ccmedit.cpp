#include "uikit/dialoglook/ccmedit.h"

#include <commctrl.h>
#include "framework/dpi.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

LRESULT CCM::CCMEdit::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_ENABLE) {
        const HWND self = window_;
        PreviousThenUpdate(msg, w, l);
        if (HWND updown = flat::BuddyUpDown(self)) SendMessageA(updown, WM_PAINT, 0, 0);
        return 0;
    }
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMEdit::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = flat::StyleOf(window_);
    if (style & ES_READONLY)
        state |= flat::kReadOnly;
    else
        state &= ~flat::kReadOnly;
    RECT frame = rect;
    HWND updown = flat::BuddyUpDown(window_);
    const LONG_PTR udStyle = updown ? flat::StyleOf(updown) : 0;
    const bool right = (udStyle & UDS_ALIGNRIGHT) != 0, left = (udStyle & UDS_ALIGNLEFT) != 0;
    const int dpi = Dpi();
    const int edge = SystemMetricForDpi(SM_CXEDGE, dpi);
    RECT ud = {};
    if (updown && (right || left)) {
        ud = flat::RectIn(updown, window_);
        if (right)
            frame.right += (ud.right - ud.left) - edge;
        else
            frame.left -= (ud.right - ud.left) - edge;
    }
    // The up-down control lies outside the edit's window: draw on its
    // parent's surface for the widened frame.
    HDC target = dc;
    HDC parentDC = nullptr;
    POINT shift = {0, 0};
    if (updown && (right || left)) {
        HWND parent = GetParent(window_);
        parentDC = GetDCEx(parent, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
        RECT me = flat::RectIn(window_, parent);
        POINT origin = {0, 0};
        ClientToScreen(parent, &origin);
        RECT pw = {};
        GetWindowRect(parent, &pw);
        shift = {me.left - (origin.x - pw.left), me.top - (origin.y - pw.top)};
        OffsetRect(&frame, shift.x, shift.y);
        OffsetRect(&ud, shift.x, shift.y);
        target = parentDC ? parentDC : dc;
        if (!parentDC) {
            OffsetRect(&frame, -shift.x, -shift.y);
            OffsetRect(&ud, -shift.x, -shift.y);
        }
    }
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    flat::DrawPlan(target, frame, flat::GenericFramePlan(state, enabled), flat::FrameLine(dpi));
    if (updown && (right || left)) {
        const HBRUSH brush = GetSysColorBrush(flat::UpDownLineColor(state, enabled));
        const int line = flat::FrameLine(dpi);
        RECT top = {ud.left, ud.top + line, ud.right - line, ud.top + 2 * line};
        FillRect(target, &top, brush);
        if (left) {
            RECT side = {ud.left + line, ud.top + line, ud.left + 2 * line, ud.bottom - line};
            FillRect(target, &side, brush);
        }
    }
    if (parentDC) ReleaseDC(GetParent(window_), parentDC);
    DrawScrollBars(dc, rect);
}

}  // namespace vt
