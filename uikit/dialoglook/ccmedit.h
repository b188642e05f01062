// An edit with a client edge; its frame reaches over an attached up-down control.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcontrol.h"

namespace vt {

class CCoolControlsManager::CCMEdit : public CCoolControlsManager::CCMControl {
public:
    using CCMControl::CCMControl;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    void DrawFrame(HDC dc, const RECT& rect) override;
};

}  // namespace vt
