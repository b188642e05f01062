#include "uikit/dialoglook/flatdrawing.h"

#include <commctrl.h>

#include "framework/dpi.h"
#include "framework/wnd.h"

namespace vt::flat {

LONG_PTR StyleOf(HWND w) { return GetWindowLongPtrA(w, GWL_STYLE); }
bool HasClientEdge(HWND w) { return (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0; }
bool ClassIs(HWND w, const char* name) { return lstrcmpiA(WindowClassName(w).c_str(), name) == 0; }

void DrawLevel(HDC dc, const RECT& r, int topLeft, int bottomRight, int line) {
    if (r.right - r.left < 2 * line || r.bottom - r.top < 2 * line) return;
    auto fill = [dc](int l, int t, int rr, int b, int color) {
        RECT x = {l, t, rr, b};
        FillRect(dc, &x, GetSysColorBrush(color));
    };
    fill(r.left, r.top, r.right - line, r.top + line, topLeft);     // top
    fill(r.left, r.top, r.left + line, r.bottom - line, topLeft);   // left
    fill(r.right - line, r.top, r.right, r.bottom, bottomRight);    // right
    fill(r.left, r.bottom - line, r.right, r.bottom, bottomRight);  // bottom
}

void DrawPlan(HDC dc, const RECT& r, const FramePlan& plan, int line) {
    for (int i = 0; i < plan.count; ++i) {
        RECT level = r;
        InflateRect(&level, -i * line, -i * line);
        DrawLevel(dc, level, plan.levels[i].topLeft, plan.levels[i].bottomRight, line);
    }
}

void DrawFlatBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& si, int state,
                 bool enabled, int dpi) {
    const int line = FrameLine(dpi);
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const int arrow = ArrowLength(length, thickness);
    const auto plan = ComboButtonPlan(state, enabled);
    RECT first = bar, second = bar;
    if (vertical) {
        first.bottom = bar.top + arrow;
        second.top = bar.bottom - arrow;
    } else {
        first.right = bar.left + arrow;
        second.left = bar.right - arrow;
    }
    DrawPlan(dc, first, plan, line);
    DrawPlan(dc, second, plan, line);
    const int track = length - 2 * arrow;
    const int minThumb = ScaleForDpi(8, dpi);
    const auto thumb = FlatThumbSpan(si.nMin, si.nMax, si.nPage, si.nPos, track,
                                     SystemMetricForDpi(SM_CXHTHUMB, dpi), minThumb);
    if (!thumb.shown) return;
    RECT t = bar;
    if (vertical) {
        t.top = bar.top + arrow + thumb.offset;
        t.bottom = t.top + thumb.length;
    } else {
        t.left = bar.left + arrow + thumb.offset;
        t.right = t.left + thumb.length;
    }
    DrawPlan(dc, t, plan, line);
}

SCROLLINFO FullScrollInfo() {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    return si;
}

RECT RectIn(HWND child, HWND parent) {
    RECT r = {}, p = {};
    GetWindowRect(child, &r);
    GetWindowRect(parent, &p);
    OffsetRect(&r, -p.left, -p.top);
    return r;
}

POINT ClientOffset(HWND w) {
    RECT win = {}, client = {};
    GetWindowRect(w, &win);
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return {client.left - win.left, client.top - win.top};
}

HWND BuddyUpDown(HWND edit) {
    HWND next = GetWindow(edit, GW_HWNDNEXT);
    if (!next || !ClassIs(next, UPDOWN_CLASSA)) return nullptr;
    if (reinterpret_cast<HWND>(SendMessageA(next, UDM_GETBUDDY, 0, 0)) != edit) return nullptr;
    return next;
}

}  // namespace vt::flat
