// A check box: its box gets the flat frame (a push-like one is a push button).
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmpushbutton.h"

namespace vt {

class CCoolControlsManager::CCMCheckBox : public CCoolControlsManager::CCMPushButton {
public:
    using CCMPushButton::CCMPushButton;
    void DrawFrame(HDC dc, const RECT& rect) override;
    bool HasFocus() override { return false; }
};

}  // namespace vt
