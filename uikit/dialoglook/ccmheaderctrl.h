// A list view's header with buttons: the item under the mouse is raised.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMHeaderCtrl : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    bool IsNewHotSpot(POINT screen) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
    int hotItem = -1;
};

}  // namespace vt
