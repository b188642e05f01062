// A chainable window subclassing: several independent CHookWnd objects can
// subclass one window without knowing of each other. The chain's first link
// lives in the window property "HookWnd_P"; the window procedure is replaced
// only by the first link and restored only when the last link leaves.
// Coexists with CWindowImpl's subclassing of the same window, in either order.
#pragma once
#include <windows.h>

#include "framework/wnd.h"

namespace vt {

class CHookWnd : public CObject {
public:
    CHookWnd() = default;
    // Leaves the chain if still hooked, so that no window keeps a pointer to
    // a destroyed link.
    ~CHookWnd() override;
    CHookWnd(const CHookWnd&) = delete;
    CHookWnd& operator=(const CHookWnd&) = delete;

    // Puts this link at the head of the window's chain. A link hooked to
    // another window leaves that one first. Fails for a null window, a window
    // of another process, or when the system refuses the subclassing.
    BOOL HookWindow(HWND hwnd);
    // Takes this link out of its window's chain; does nothing when not hooked.
    void UnhookWindow();

    BOOL IsHooked() const { return hookedWnd_.GetSafeHwnd() != nullptr; }
    // True while this link's WindowProc runs on the calling thread.
    bool IsHandlingMessage() const;
    CWnd GetHookedWnd() const { return hookedWnd_; }

    // The message as it reached this link. The default passes it on to the
    // next link, or from the last link to the window's previous procedure.
    // A link that leaves the chain while it handles a message still passes
    // that message on to what was below it.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Called once the window's own procedure has handled WM_NCDESTROY, for
    // every link that was in the chain then (first link first); the link is
    // already out of the chain and may delete itself here. Links never see
    // WM_NCDESTROY in WindowProc.
    virtual void OnNcDestroy(HWND window);

protected:
    // Passes the message being handled on, as the default WindowProc does.
    LRESULT Default();

private:
    struct Dispatch;
    static const Dispatch*& CurrentDispatch();
    static LRESULT CALLBACK HookWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CallLink(CHookWnd* link, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void UnhookLocked();

    CWnd hookedWnd_;                // not owned; empty while not hooked
    WNDPROC oldWndProc_ = nullptr;  // the procedure before the chain's first link
    CHookWnd* next_ = nullptr;      // the link installed before this one
};

}  // namespace vt
