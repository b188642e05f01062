#include "uikit/dialoglook/ccmtabcontrol.h"

#include <commctrl.h>
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

bool CCM::CCMTabControl::IsNewHotSpot(POINT screen) {
    return flat::ItemAt<TCHITTESTINFO>(window_, TCM_HITTEST, screen) != hotItem ||
           Instance().hotWindow_ != window_;
}

void CCM::CCMTabControl::DrawFrame(HDC dc, const RECT&) {
    POINT pt = {};
    GetCursorPos(&pt);
    hotItem = (state & flat::kHot) ? flat::ItemAt<TCHITTESTINFO>(window_, TCM_HITTEST, pt) : -1;
    const int line = flat::FrameLine(Dpi());
    const POINT off = flat::ClientOffset(window_);
    const int selected = static_cast<int>(SendMessageA(window_, TCM_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageA(window_, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (i == selected) continue;  // the selected tab is joined to the page
        RECT item = {};
        if (!SendMessageA(window_, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        // A tab has no bottom line: it stands on the page.
        item.bottom += line;
        flat::DrawPlan(dc, item, flat::ItemPlan(i == hotItem), line);
    }
}

}  // namespace vt
