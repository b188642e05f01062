#include "uikit/dialoglook/ccmradiobutton.h"

#include "framework/dpi.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

void CCM::CCMRadioButton::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = flat::StyleOf(window_);
    if (style & BS_PUSHLIKE) return CCMPushButton::DrawFrame(dc, rect);
    const int dpi = Dpi();
    const RECT circle = flat::RadioRect(rect, style, dpi);
    const bool hot = (state & flat::kHot) != 0;
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    using flat::RadioArc;
    for (RadioArc arc : {RadioArc::OuterUpperLeft, RadioArc::InnerUpperLeft,
                         RadioArc::InnerLowerRight, RadioArc::OuterLowerRight}) {
        HBRUSH brush = GetSysColorBrush(flat::RadioArcColor(arc, hot, enabled));
        // Each pixel of the 12-pixel design covers its share of the circle
        // at this DPI.
        for (const POINT& p : flat::RadioArcPixels(arc)) {
            RECT px = {circle.left + MulDiv(p.x, dpi, kBaseDpi),
                       circle.top + MulDiv(p.y, dpi, kBaseDpi),
                       circle.left + MulDiv(p.x + 1, dpi, kBaseDpi),
                       circle.top + MulDiv(p.y + 1, dpi, kBaseDpi)};
            FillRect(dc, &px, brush);
        }
    }
}

}  // namespace vt
