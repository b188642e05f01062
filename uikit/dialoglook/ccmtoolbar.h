// A toolbar that is not flat: the button under the mouse is raised.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMToolbar : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    bool IsNewHotSpot(POINT screen) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
    int hotItem = -1;
};

}  // namespace vt
