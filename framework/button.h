// A push button, check box or radio button taken over by an object.
#pragma once
#include "framework/wnd.h"

namespace vt {

class CButton : public CWindowImpl {
public:
    // The picture of a button with the icon style; the icon stays the caller's.
    HICON SetIcon(HICON icon) const {
        return reinterpret_cast<HICON>(
            SendMessage(BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
    }
    HICON GetIcon() const { return reinterpret_cast<HICON>(SendMessage(BM_GETIMAGE, IMAGE_ICON)); }
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int state) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

}  // namespace vt
