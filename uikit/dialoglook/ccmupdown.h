// An up-down control: two flat buttons.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMUpDown : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    void DrawFrame(HDC dc, const RECT& rect) override;
};

}  // namespace vt
