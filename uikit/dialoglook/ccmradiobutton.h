// A radio button: its circle is drawn flat (a push-like one is a push button).
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmpushbutton.h"

namespace vt {

class CCoolControlsManager::CCMRadioButton : public CCoolControlsManager::CCMPushButton {
public:
    using CCMPushButton::CCMPushButton;
    void DrawFrame(HDC dc, const RECT& rect) override;
    bool HasFocus() override { return false; }
};

}  // namespace vt
