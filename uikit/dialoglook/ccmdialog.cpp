#include "uikit/dialoglook/ccmdialog.h"

namespace vt {

LRESULT CCoolControlsManager::CCMDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_PARENTNOTIFY && LOWORD(w) == WM_CREATE)
        Instance().AddControl(reinterpret_cast<HWND>(l));
    return CHookWnd::WindowProc(msg, w, l);
}

}  // namespace vt
