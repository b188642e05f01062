// A push button: raised under the mouse, a default button more so.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMPushButton : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
};

}  // namespace vt
