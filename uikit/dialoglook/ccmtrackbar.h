// A trackbar: its channel gets the small generic frame.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMTrackbar : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    void DrawFrame(HDC dc, const RECT& rect) override;
};

}  // namespace vt
