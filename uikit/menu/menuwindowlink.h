// A popup-menu window's link in its subclassing chain, from the window's
// creation to its WM_NCDESTROY: hands every message to CNewMenuHook, which
// takes the window over while it is shown.
#pragma once
#include <windows.h>

#include "uikit/hookwnd.h"
#include "uikit/menu/menuhook.h"

namespace vt {

class CNewMenuHook::CMenuWindowLink : public CHookWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // Passes a message on below this link, with the parameters given.
    LRESULT PassOn(UINT msg, WPARAM wp, LPARAM lp) { return CHookWnd::WindowProc(msg, wp, lp); }

private:
    // Lets the window go and deletes this link.
    void OnNcDestroy(HWND window) override;
};

}  // namespace vt
