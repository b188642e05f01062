// A drop-down combo box: the generic frame and a flat drop-down button.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMComboBox : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
    bool HasFocus() override;
};

}  // namespace vt
