#include "uikit/dialoglook/ccmipaddress.h"

namespace vt {

using CCM = CCoolControlsManager;

LRESULT CCM::CCMIPAddress::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COMMAND && (HIWORD(w) == EN_SETFOCUS || HIWORD(w) == EN_KILLFOCUS))
        return PreviousThenUpdate(msg, w, l);
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMIPAddress::HasFocus() {
    HWND focus = GetFocus();
    return focus && (focus == window_ || IsChild(window_, focus));
}

}  // namespace vt
