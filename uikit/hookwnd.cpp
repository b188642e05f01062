#include "uikit/hookwnd.h"

#include "framework/sync.h"

namespace vt {

namespace {

// The chain's first link.
const char kChainProp[] = "HookWnd_P";
// The procedure to forward to while the chain is empty but our procedure
// cannot leave the window, because another subclasser installed itself on
// top of it and still calls it.
const char kPassProp[] = "HookWnd_Prev";

// One lock for every chain of the process. Never destroyed: links held by
// static objects may still unhook while the process ends.
CCriticalSection& ChainLock() {
    static CCriticalSection* lock = new CCriticalSection;
    return *lock;
}

// The message the subclass procedure is handling on this thread, for Default().
thread_local MSG t_current = {};

CHookWnd* FirstLink(HWND hwnd) { return static_cast<CHookWnd*>(GetPropA(hwnd, kChainProp)); }

WNDPROC CurrentProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

}  // namespace

CHookWnd::~CHookWnd() { UnhookWindow(); }

BOOL CHookWnd::HookWindow(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) return FALSE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return FALSE;

    CSingleLock lock(ChainLock());
    if (IsHooked()) UnhookLocked();

    WNDPROC installed = nullptr;  // set when this call replaced the procedure
    if (CHookWnd* first = FirstLink(hwnd)) {
        m_pNext = first;
        m_pOldWndProc = first->m_pOldWndProc;
    } else if (HANDLE kept = GetPropA(hwnd, kPassProp)) {
        // Our procedure is still in the window's procedure chain.
        m_pOldWndProc = reinterpret_cast<WNDPROC>(kept);
        RemovePropA(hwnd, kPassProp);
    } else {
        installed = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWndProc)));
        if (!installed) return FALSE;
        m_pOldWndProc = installed;
    }
    if (!SetPropA(hwnd, kChainProp, this)) {
        if (installed)
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(installed));
        else if (!m_pNext)
            SetPropA(hwnd, kPassProp, reinterpret_cast<HANDLE>(m_pOldWndProc));
        m_pNext = nullptr;
        m_pOldWndProc = nullptr;
        return FALSE;
    }
    m_wndHooked = CWnd(hwnd);
    return TRUE;
}

void CHookWnd::UnhookWindow() {
    if (!IsHooked()) return;
    CSingleLock lock(ChainLock());
    UnhookLocked();
}

void CHookWnd::UnhookLocked() {
    HWND hwnd = m_wndHooked.GetSafeHwnd();
    if (!hwnd) return;
    CHookWnd* first = FirstLink(hwnd);
    if (first == this) {
        if (m_pNext) {
            SetPropA(hwnd, kChainProp, m_pNext);
        } else {
            RemovePropA(hwnd, kChainProp);
            if (CurrentProc(hwnd) == &HookWndProc) {
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pOldWndProc));
            } else {
                // Someone subclassed the window after us and will keep calling
                // our procedure: putting ours back would cut them off.
                SetPropA(hwnd, kPassProp, reinterpret_cast<HANDLE>(m_pOldWndProc));
            }
        }
    } else {
        for (CHookWnd* p = first; p; p = p->m_pNext) {
            if (p->m_pNext == this) {
                p->m_pNext = m_pNext;
                break;
            }
        }
    }
    m_wndHooked = CWnd();
    m_pOldWndProc = nullptr;
    m_pNext = nullptr;
}

LRESULT CHookWnd::PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (m_pNext) return m_pNext->WindowProc(msg, wParam, lParam);
    if (m_pOldWndProc) return CallWindowProcA(m_pOldWndProc, hwnd, msg, wParam, lParam);
    // Unhooked while handling this message: the window's own procedure has
    // already been given back, so the default handling is all that is left.
    return hwnd ? DefWindowProcA(hwnd, msg, wParam, lParam) : 0;
}

LRESULT CHookWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = IsHooked() ? m_wndHooked.GetSafeHwnd() : t_current.hwnd;
    return PassOn(hwnd, msg, wParam, lParam);
}

LRESULT CHookWnd::Default() {
    const MSG m = t_current;
    return PassOn(m.hwnd, m.message, m.wParam, m.lParam);
}

LRESULT CALLBACK CHookWnd::HookWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CHookWnd* first = FirstLink(hwnd);
    if (!first) {
        auto kept = reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPassProp));
        if (!kept) return DefWindowProcA(hwnd, msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            RemovePropA(hwnd, kPassProp);
        } else if (CurrentProc(hwnd) == &HookWndProc) {
            // The subclasser above us has left: step out as well.
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kept));
            RemovePropA(hwnd, kPassProp);
        }
        return CallWindowProcA(kept, hwnd, msg, wParam, lParam);
    }

    const MSG saved = t_current;
    t_current = MSG{hwnd, msg, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        if (msg == WM_NCDESTROY) {
            // The window is going: every link leaves before the window's own
            // handling of its last message.
            WNDPROC previous = first->m_pOldWndProc;
            {
                CSingleLock lock(ChainLock());
                for (CHookWnd* link = FirstLink(hwnd); link;) {
                    CHookWnd* next = link->m_pNext;
                    link->UnhookLocked();
                    link = next;
                }
                RemovePropA(hwnd, kPassProp);
            }
            result = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
        } else {
            result = first->WindowProc(msg, wParam, lParam);
        }
    } catch (...) {
        // Never let an exception unwind through the system's code.
        result = 0;
    }
    t_current = saved;
    return result;
}

}  // namespace vt
