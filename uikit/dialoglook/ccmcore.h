// The base of the flat-look controls' subclassing objects: a link in the
// control's subclassing chain that knows its window.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/coolcontrolsmanager.h"
#include "uikit/hookwnd.h"

namespace vt {

class CCoolControlsManager::CCMCore : public CHookWnd {
public:
    explicit CCMCore(HWND window) : window_(window) {}
    HWND Window() const { return window_; }
    // Passes a message on to what was there before this object.
    LRESULT CallPrevious(UINT msg, WPARAM w, LPARAM l) { return CHookWnd::WindowProc(msg, w, l); }

protected:
    HWND window_;  // not owned
};

}  // namespace vt
