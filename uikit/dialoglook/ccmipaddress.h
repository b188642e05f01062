// An IP address control: focused while any of its fields is.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMIPAddress : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    bool HasFocus() override;
};

}  // namespace vt
