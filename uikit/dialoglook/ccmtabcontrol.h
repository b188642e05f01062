// A tab control: the tab under the mouse is raised, the selected one stands on its page.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmtoolbar.h"

namespace vt {

class CCoolControlsManager::CCMTabControl : public CCoolControlsManager::CCMToolbar {
public:
    using CCMToolbar::CCMToolbar;
    bool IsNewHotSpot(POINT screen) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
    bool HasFocus() override { return false; }
};

}  // namespace vt
