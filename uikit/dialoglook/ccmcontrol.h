// A managed control of any recognised kind: redraws its border after it
// painted itself and when its hot or focus state changes.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcore.h"

namespace vt {

class CCoolControlsManager::CCMControl : public CCoolControlsManager::CCMCore {
public:
    using CCMCore::CCMCore;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    // True when the point (screen) should make this control the hot one.
    virtual bool IsNewHotSpot(POINT screen);
    // The window's device context (released by the caller) and the
    // window rectangle at 0,0.
    virtual HDC GetDrawDC(RECT& rect);
    virtual void DrawFrame(HDC dc, const RECT& rect);
    virtual bool HasFocus();

    // Redraws the border after a change of state, or (painted) after the
    // control painted itself over it.
    void Update(bool painted = false);
    int state = 0;
    WORD previousState = 0;

protected:
    // The previous procedure, then the border; returns what the procedure did.
    LRESULT PreviousThenUpdate(UINT msg, WPARAM w, LPARAM l, bool painted = false);
    int Dpi() const;
    // The generic frame, then the control's own scroll bars, flat.
    void DrawGenericFrame(HDC dc, const RECT& rect);
    void DrawScrollBars(HDC dc, const RECT& rect);

private:
    // The control is gone: the manager lets go of it (and deletes this).
    void OnNcDestroy(HWND window) override;
};

}  // namespace vt
