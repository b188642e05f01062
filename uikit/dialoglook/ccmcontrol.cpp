#include "uikit/dialoglook/ccmcontrol.h"

#include "framework/dpi.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

int CCM::CCMControl::Dpi() const { return DpiForWindow(window_); }

LRESULT CCM::CCMControl::PreviousThenUpdate(UINT msg, WPARAM w, LPARAM l, bool painted) {
    const LRESULT r = CallPrevious(msg, w, l);
    Update(painted);
    return r;
}

LRESULT CCM::CCMControl::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Update();
            return CallPrevious(msg, w, l);
        case WM_ENABLE:
        case WM_PAINT:
        case WM_NCPAINT:
            PreviousThenUpdate(msg, w, l, true);
            return 0;
        default:
            return CallPrevious(msg, w, l);
    }
}

void CCM::CCMControl::OnNcDestroy(HWND window) { Instance().RemoveControl(window); }

bool CCM::CCMControl::IsNewHotSpot(POINT) { return Instance().hotWindow_ != window_; }

HDC CCM::CCMControl::GetDrawDC(RECT& rect) {
    GetWindowRect(window_, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    return GetWindowDC(window_);
}

bool CCM::CCMControl::HasFocus() { return GetFocus() == window_; }

void CCM::CCMControl::Update(bool painted) {
    if (!IsWindow(window_)) return;
    RECT rect = {};
    HDC dc = GetDrawDC(rect);
    if (!dc) return;
    const int dpi = Dpi();
    // A client edge sits inside a one-line border: the frame goes on the
    // edge, not on the border around it.
    if (flat::HasClientEdge(window_)) {
        RECT client = {}, win = {};
        GetWindowRect(window_, &win);
        GetClientRect(window_, &client);
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const int edge = SystemMetricForDpi(SM_CXEDGE, dpi) + SystemMetricForDpi(SM_CXBORDER, dpi);
        if (client.left - win.left == edge)
            InflateRect(&rect, -flat::FrameLine(dpi), -flat::FrameLine(dpi));
    }
    if (HasFocus())
        state |= flat::kFocused;
    else
        state &= ~flat::kFocused;
    if (rect.bottom - rect.top < flat::SmallHeight(dpi))
        state |= flat::kSmall;
    else
        state &= ~flat::kSmall;
    // An unchanged hot or focused look needs no drawing, unless the control
    // has just painted its own border over it (the system's border is not
    // the same on every system).
    const bool stillHot = (previousState & flat::kHot) && (state & flat::kHot);
    const bool stillFocused = (previousState & flat::kFocused) && (state & flat::kFocused);
    if (painted || (!stillHot && !stillFocused)) DrawFrame(dc, rect);
    previousState = static_cast<WORD>(state);
    ReleaseDC(WindowFromDC(dc), dc);
}

void CCM::CCMControl::DrawFrame(HDC dc, const RECT& rect) { DrawGenericFrame(dc, rect); }

void CCM::CCMControl::DrawGenericFrame(HDC dc, const RECT& rect) {
    flat::DrawPlan(dc, rect, flat::GenericFramePlan(state, IsWindowEnabled(window_) != FALSE),
                   flat::FrameLine(Dpi()));
    DrawScrollBars(dc, rect);
}

void CCM::CCMControl::DrawScrollBars(HDC dc, const RECT& rect) {
    const LONG_PTR style = flat::StyleOf(window_);
    if (!(style & (WS_VSCROLL | WS_HSCROLL))) return;
    const int dpi = Dpi();
    const int edge = SystemMetricForDpi(SM_CXEDGE, dpi);
    const int cx = SystemMetricForDpi(SM_CXVSCROLL, dpi);
    const int cy = SystemMetricForDpi(SM_CYHSCROLL, dpi);
    RECT inner = rect;
    InflateRect(&inner, -edge, -edge);
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    if (style & WS_VSCROLL) {
        RECT bar = {inner.right - cx, inner.top, inner.right,
                    inner.bottom - ((style & WS_HSCROLL) ? cy : 0)};
        SCROLLINFO si = flat::FullScrollInfo();
        if (GetScrollInfo(window_, SB_VERT, &si))
            flat::DrawFlatBar(dc, bar, true, si, state, enabled, dpi);
    }
    if (style & WS_HSCROLL) {
        RECT bar = {inner.left, inner.bottom - cy, inner.right - ((style & WS_VSCROLL) ? cx : 0),
                    inner.bottom};
        SCROLLINFO si = flat::FullScrollInfo();
        if (GetScrollInfo(window_, SB_HORZ, &si))
            flat::DrawFlatBar(dc, bar, false, si, state, enabled, dpi);
    }
}

}  // namespace vt
