#include "uikit/menu/menumetrics.h"

#include <algorithm>

namespace vt::menu {

int VersionCode(DWORD platformId, DWORD major, DWORD minor) {
    if (platformId != VER_PLATFORM_WIN32_NT) return kVersionMe;
    if (major <= 4) return kVersionNt4;
    if (major == 5 && minor == 0) return kVersion2000;
    return kVersionXp;
}

std::string FlatMeasureText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 4);
    for (char ch : text) {
        if (ch == '\t')
            out += "nnn";
        else
            out += ch;
    }
    return out;
}

namespace {
int S(int v, int dpi) { return ScaleForDpi(v, dpi); }
}  // namespace

SIZE FlatItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text, int dpi) {
    SIZE s;
    s.cx = iconWidth + cyMenu / 2 + text.cx + S(6, dpi);
    s.cy = cyMenu > iconHeight + S(8, dpi) ? cyMenu : iconHeight + S(7, dpi);
    s.cy = std::max<LONG>(s.cy, text.cy);
    return s;
}

SIZE ClassicItemSize(int iconWidth, int iconHeight, int cyMenu, SIZE text, int dpi) {
    SIZE s;
    s.cx = text.cx + 2 * iconWidth + S(2, dpi);
    s.cy = std::max<LONG>(std::max(iconHeight + S(4, dpi), cyMenu), text.cy);
    return s;
}

SIZE SeparatorSize(int dpi) { return SIZE{S(kSeparatorSize.cx, dpi), S(kSeparatorSize.cy, dpi)}; }

int LineWidth(int dpi) { return std::max(1, S(1, dpi)); }

RECT FlatStripRect(const RECT& item, int iconWidth, int dpi) {
    return RECT{item.left, item.top, item.left + iconWidth + S(8, dpi), item.bottom};
}

RECT FlatTextRect(const RECT& item, int iconWidth, int dpi) {
    return RECT{item.left + iconWidth + S(12, dpi), item.top, item.right - S(15, dpi), item.bottom};
}

POINT FlatPictureOrigin(const RECT& item, int iconWidth, SIZE image, int dpi) {
    POINT p;
    p.x = item.left + S(3, dpi) + (iconWidth > image.cx ? (iconWidth - image.cx) / 2 : 0);
    p.y = item.top + (item.bottom - image.cy - item.top) / 2;
    return p;
}

void SplitItemText(const std::string& text, std::string* label, std::string* accel) {
    size_t first = text.find('\t');
    if (label) *label = text.substr(0, first);
    if (accel)
        *accel = first == std::string::npos ? std::string() : text.substr(text.rfind('\t') + 1);
}

FrameMargins FlatFrameMargins(bool systemDropShadow, int dpi) {
    return systemDropShadow ? FrameMargins{S(2, dpi), S(2, dpi), S(2, dpi), S(2, dpi)}
                            : FrameMargins{S(2, dpi), S(2, dpi), S(5, dpi), S(6, dpi)};
}

WindowPosDelta FlatWindowPosDelta(bool systemDropShadow, int dpi) {
    const int two = S(2, dpi);
    return systemDropShadow ? WindowPosDelta{-two, -two, -LineWidth(dpi)}
                            : WindowPosDelta{two, two, -LineWidth(dpi)};
}

RECT FlatContentRect(const RECT& window, bool systemDropShadow, int dpi) {
    int inset = S(systemDropShadow ? 3 : 7, dpi);
    return RECT{window.left + S(2, dpi), window.top + S(2, dpi), window.right - inset,
                window.bottom - inset};
}

int ShadowWidth(int dpi) { return S(4, dpi); }

RECT FlatFrameBox(int w, int h, bool systemDropShadow, int dpi) {
    const int sw = ShadowWidth(dpi);
    return systemDropShadow ? RECT{0, 0, w, h} : RECT{0, 0, w - sw, h - sw};
}

int ShadowStep(int d, int dpi) {
    const int sw = ShadowWidth(dpi);
    return std::min(4, std::max(1, (d * 4 + sw - 1) / sw));
}

// The ramps of the 96-DPI shadow (4 pixels wide, corners 4 pixels long)
// stretched over the scaled lengths: k is the position 0..3 within a ramp.
int RightShadowFactor(int d, int row, int h, int dpi) {
    const int step = ShadowStep(d, dpi);
    const int sw = ShadowWidth(dpi), corner = S(4, dpi), ramp = S(8, dpi) - corner;
    if (row < corner) return -1;
    if (row >= h - sw) {
        const int k = (row - (h - sw)) * 4 / sw;
        return 255 - 24 * step + 6 * step * k;
    }
    if (row < corner + ramp) {
        const int k = (row - corner) * 4 / ramp;
        return 249 - 6 * (step - 1) - 6 * step * k;
    }
    return 255 - 30 * step;
}

int BottomShadowFactor(int r, int col, int w, int dpi) {
    const int step = ShadowStep(r, dpi);
    const int sw = ShadowWidth(dpi), corner = S(4, dpi), ramp = S(8, dpi) - corner;
    if (col < corner || col >= w - sw) return -1;
    if (col < corner + ramp) {
        const int k = (col - corner) * 4 / ramp;
        return 249 - 6 * (step - 1) - 6 * step * k;
    }
    return 255 - 30 * step;
}

}  // namespace vt::menu
