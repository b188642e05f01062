#include "uikit/dialoglook/flatframes.h"

#include <algorithm>

#include "framework/dpi.h"

namespace vt::flat {

namespace {
FramePlan Plan(std::initializer_list<FrameLevel> levels) {
    FramePlan p;
    for (const auto& l : levels) p.levels[p.count++] = l;
    return p;
}
bool Active(int state) { return (state & (kHot | kFocused)) != 0; }
}  // namespace

FramePlan GenericFramePlan(int state, bool enabled) {
    FrameLevel inner;
    if (Active(state))
        inner = {COLOR_3DDKSHADOW, COLOR_3DLIGHT};
    else if (!enabled || (state & kReadOnly))
        inner = {COLOR_BTNFACE, COLOR_BTNFACE};
    else if (!(state & kSmall))
        inner = {COLOR_3DLIGHT, COLOR_3DLIGHT};
    else
        inner = {COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT};
    return Plan({{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT}, inner});
}

FramePlan ComboButtonPlan(int state, bool enabled) {
    if (!enabled) return Plan({{COLOR_BTNFACE, COLOR_BTNFACE}, {COLOR_BTNFACE, COLOR_BTNFACE}});
    if (Active(state))
        return Plan({{COLOR_BTNFACE, COLOR_3DDKSHADOW}, {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}});
    return Plan({{COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}, {COLOR_BTNFACE, COLOR_BTNFACE}});
}

FramePlan PushButtonPlan(int state, bool isDefault, bool pushed) {
    const bool active = Active(state);
    if (isDefault) {
        if (active)
            return Plan({{COLOR_3DDKSHADOW, COLOR_3DDKSHADOW},
                         {COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW},
                         {COLOR_3DLIGHT, COLOR_BTNSHADOW}});
        return Plan({{COLOR_3DDKSHADOW, COLOR_3DDKSHADOW},
                     {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW},
                     {COLOR_BTNFACE, COLOR_BTNFACE}});
    }
    const int s = active ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW;
    const int l = active ? COLOR_3DLIGHT : COLOR_BTNFACE;
    const int f = active ? COLOR_BTNSHADOW : COLOR_BTNFACE;
    if (pushed) return Plan({{s, COLOR_BTNHIGHLIGHT}, {f, l}});
    return Plan({{COLOR_BTNHIGHLIGHT, s}, {l, f}, {COLOR_BTNFACE, COLOR_BTNFACE}});
}

FramePlan CheckBoxPlan(int state, bool enabled, int check) {
    if (state & kHot)
        return Plan({{COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT}, {COLOR_BTNSHADOW, COLOR_BTNFACE}});
    const int inner = !enabled                     ? COLOR_BTNFACE
                      : check == BST_INDETERMINATE ? COLOR_BTNHIGHLIGHT
                                                   : COLOR_WINDOW;
    return Plan({{COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT}, {inner, inner}});
}

FramePlan ItemPlan(bool hot) {
    if (hot)
        return Plan({{COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW}, {COLOR_3DLIGHT, COLOR_BTNSHADOW}});
    return Plan({{COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW}, {COLOR_BTNFACE, COLOR_BTNFACE}});
}

int UpDownLineColor(int state, bool enabled) {
    if (!enabled) return COLOR_BTNFACE;
    return Active(state) ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT;
}

int FrameLine(int dpi) { return std::max(1, ScaleForDpi(1, dpi)); }
int SmallHeight(int dpi) { return ScaleForDpi(30, dpi); }

namespace {
// The system's check box grows with the DPI from 12 pixels, plus one.
int CheckBoxSize(int dpi) { return ScaleForDpi(12, dpi) + 1; }
int RadioSize(int dpi) { return ScaleForDpi(12, dpi); }

int BoxTop(const RECT& window, LONG_PTR style, int size, int dpi) {
    const LONG_PTR v = style & (BS_TOP | BS_BOTTOM);
    if (v == BS_TOP) return window.top + ScaleForDpi(1, dpi);
    if (v == BS_BOTTOM) return window.bottom - size - ScaleForDpi(2, dpi);
    return window.top + (window.bottom - window.top - size) / 2;
}
}  // namespace

RECT CheckBoxRect(const RECT& window, LONG_PTR style, int dpi) {
    const int size = CheckBoxSize(dpi);
    const int top = BoxTop(window, style, size, dpi);
    const int left = (style & BS_RIGHTBUTTON) ? window.right - size : window.left;
    return {left, top, left + size, top + size};
}

RECT RadioRect(const RECT& window, LONG_PTR style, int dpi) {
    const int size = RadioSize(dpi);
    const int top = BoxTop(window, style, CheckBoxSize(dpi), dpi) + (CheckBoxSize(dpi) - size) / 2;
    const int left =
        (style & BS_RIGHTBUTTON) ? window.right - size : window.left + ScaleForDpi(1, dpi);
    return {left, top, left + size, top + size};
}

std::vector<POINT> RadioArcPixels(RadioArc arc) {
    // Rows of the outer ring (12 across) and the inner ring (10 across, one
    // pixel in): for each row, bit x set where the ring has a pixel.
    static const unsigned short outer[12] = {0x0F0, 0x30C, 0x402, 0x402, 0x801, 0x801,
                                             0x801, 0x801, 0x402, 0x402, 0x30C, 0x0F0};
    static const unsigned short inner[12] = {0x000, 0x0F0, 0x30C, 0x204, 0x402, 0x402,
                                             0x402, 0x402, 0x204, 0x30C, 0x0F0, 0x000};
    const bool isOuter = arc == RadioArc::OuterUpperLeft || arc == RadioArc::OuterLowerRight;
    const bool upperLeft = arc == RadioArc::OuterUpperLeft || arc == RadioArc::InnerUpperLeft;
    const unsigned short* rows = isOuter ? outer : inner;
    std::vector<POINT> out;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            // The diagonal from the lower left to the upper right divides
            // the two halves.
            if ((rows[y] >> x & 1) && (x + y < 11) == upperLeft) out.push_back({x, y});
    return out;
}

int RadioArcColor(RadioArc arc, bool hot, bool enabled) {
    switch (arc) {
        case RadioArc::OuterUpperLeft:
            return COLOR_BTNSHADOW;
        case RadioArc::InnerUpperLeft:
            return hot ? COLOR_3DDKSHADOW : enabled ? COLOR_WINDOW : COLOR_BTNFACE;
        case RadioArc::InnerLowerRight:
            return COLOR_BTNFACE;
        case RadioArc::OuterLowerRight:
        default:
            return hot || enabled ? COLOR_WINDOW : COLOR_BTNHIGHLIGHT;
    }
}

ThumbSpan FlatThumbSpan(int min, int max, UINT page, int pos, int track, int defaultLength,
                        int minLength) {
    ThumbSpan t;
    if (max <= min || track <= 0) return t;
    const int range = max - min + 1;
    int length = page == 0 ? defaultLength
                           : MulDiv(static_cast<int>(std::min<UINT>(page, range)), track, range);
    length = std::max(length, minLength);
    if (length > track) return t;
    // A thumb as long as the track would hide the track's end.
    if (length >= track) length = track - 1;
    const int travel = range - static_cast<int>(std::min<UINT>(page, range));
    int offset = travel > 0 ? MulDiv(pos - min, track - length, travel) : 0;
    offset = std::clamp(offset, 0, track - length);
    t.shown = length > 0;
    t.offset = offset;
    t.length = length;
    return t;
}

int ArrowLength(int barLength, int thickness) {
    return barLength < 2 * thickness ? barLength / 2 : thickness;
}

}  // namespace vt::flat
