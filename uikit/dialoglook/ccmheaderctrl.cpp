#include "uikit/dialoglook/ccmheaderctrl.h"

#include <commctrl.h>

#include <algorithm>

#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

using CCM = CCoolControlsManager;

bool CCM::CCMHeaderCtrl::IsNewHotSpot(POINT screen) {
    return flat::ItemAt<HDHITTESTINFO>(window_, HDM_HITTEST, screen) != hotItem ||
           Instance().hotWindow_ != window_;
}

void CCM::CCMHeaderCtrl::DrawFrame(HDC dc, const RECT& rect) {
    HWND parent = GetParent(window_);
    int hovered = -1;
    if (state & flat::kHot) {
        POINT pt;
        GetCursorPos(&pt);
        RECT pc = {};
        GetClientRect(parent, &pc);
        POINT inParent = pt;
        ScreenToClient(parent, &inParent);
        if (PtInRect(&pc, inParent))
            hovered = flat::ItemAt<HDHITTESTINFO>(window_, HDM_HITTEST, pt);
    }
    if (hovered != hotItem) {
        hotItem = hovered;
        // The list view under the header looks hot with it.
        if (CCMControl* list = Instance().Find(parent)) {
            if (hovered >= 0)
                list->state |= flat::kHot;
            else
                list->state &= ~flat::kHot;
            list->Update();
        }
    }
    const int line = flat::FrameLine(Dpi());
    const POINT off = flat::ClientOffset(window_);
    const int count = static_cast<int>(SendMessageA(window_, HDM_GETITEMCOUNT, 0, 0));
    int right = rect.left;
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        if (!SendMessageA(window_, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        flat::DrawPlan(dc, item, flat::ItemPlan(i == hovered), line);
        right = std::max(right, static_cast<int>(item.right));
    }
    if (right < rect.right) {
        RECT rest = {right, rect.top, rect.right, rect.bottom};
        flat::DrawPlan(dc, rest, flat::ItemPlan(false), line);
    }
}

}  // namespace vt
