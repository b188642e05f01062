#include "uikit/hookwnd.h"

#include <unordered_map>
#include <vector>

#include "framework/sync.h"
#include "framework/trace.h"

namespace vt {

namespace {

// The chain's first link, published on the window for anyone who looks.
const char kChainProp[] = "HookWnd_P";

// What the subclass procedure needs per window, kept in the process as well:
// reading the property costs a server call per message on some systems.
struct Chain {
    CHookWnd* first = nullptr;
    // The procedure to forward to while the chain is empty but our procedure
    // cannot leave the window, because another subclasser installed itself
    // on top of it and still calls it.
    WNDPROC passTo = nullptr;
};

// One lock for every chain of the process, and the chains it guards. Never
// destroyed: links held by static objects may still unhook while the process
// ends.
CCriticalSection& ChainLock() {
    static CCriticalSection* lock = new CCriticalSection;
    return *lock;
}
std::unordered_map<HWND, Chain>& Chains() {
    static auto* chains = new std::unordered_map<HWND, Chain>;
    return *chains;
}

// The chain of a window; the lock must be held.
Chain ChainOf(HWND hwnd) {
    auto it = Chains().find(hwnd);
    return it == Chains().end() ? Chain{} : it->second;
}

void SetChain(HWND hwnd, const Chain& chain) {
    if (chain.first)
        SetPropA(hwnd, kChainProp, chain.first);
    else
        RemovePropA(hwnd, kChainProp);
    if (chain.first || chain.passTo)
        Chains()[hwnd] = chain;
    else
        Chains().erase(hwnd);
}

// The message the subclass procedure is handling on this thread, for Default().
thread_local MSG t_current = {};

// The links notified after a window's WM_NCDESTROY on this thread; a link
// destroyed meanwhile (by the window's own handling, or by a link notified
// before it) blanks its entry.
thread_local std::vector<CHookWnd*>* t_toNotify = nullptr;

WNDPROC CurrentProc(HWND hwnd) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

}  // namespace

// A link handling a message on this thread, with what was below it when the
// message reached it: a link that leaves the chain meanwhile still knows
// where to pass the message on. Nested sends stack up.
struct CHookWnd::Dispatch {
    const CHookWnd* link;
    HWND hwnd;
    CHookWnd* next;
    WNDPROC previous;
    const Dispatch* outer;
};

const CHookWnd::Dispatch*& CHookWnd::CurrentDispatch() {
    thread_local const Dispatch* current = nullptr;
    return current;
}

CHookWnd::~CHookWnd() {
    UnhookWindow();
    if (t_toNotify)
        for (CHookWnd*& link : *t_toNotify)
            if (link == this) link = nullptr;
}

void CHookWnd::OnNcDestroy(HWND) {}

bool CHookWnd::IsHandlingMessage() const {
    for (const Dispatch* d = CurrentDispatch(); d; d = d->outer)
        if (d->link == this) return true;
    return false;
}

BOOL CHookWnd::HookWindow(HWND hwnd) {
    if (!hwnd || !::IsWindow(hwnd)) return FALSE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid != GetCurrentProcessId()) return FALSE;

    CSingleLock lock(ChainLock());
    if (IsHooked()) UnhookLocked();

    const Chain chain = ChainOf(hwnd);
    if (chain.first) {
        next_ = chain.first;
        oldWndProc_ = chain.first->oldWndProc_;
    } else if (chain.passTo) {
        // Our procedure is still in the window's procedure chain.
        oldWndProc_ = chain.passTo;
    } else {
        auto installed = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookWndProc)));
        if (!installed) return FALSE;
        oldWndProc_ = installed;
    }
    SetChain(hwnd, Chain{this, nullptr});
    hookedWnd_ = CWnd(hwnd);
    return TRUE;
}

void CHookWnd::UnhookWindow() {
    if (!IsHooked()) return;
    CSingleLock lock(ChainLock());
    UnhookLocked();
}

void CHookWnd::UnhookLocked() {
    HWND hwnd = hookedWnd_.GetSafeHwnd();
    if (!hwnd) return;
    const Chain chain = ChainOf(hwnd);
    if (chain.first == this) {
        if (next_) {
            SetChain(hwnd, Chain{next_, nullptr});
        } else if (CurrentProc(hwnd) == &HookWndProc) {
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldWndProc_));
            SetChain(hwnd, Chain{});
        } else {
            // Someone subclassed the window after us and will keep calling
            // our procedure: putting ours back would cut them off.
            SetChain(hwnd, Chain{nullptr, oldWndProc_});
        }
    } else {
        for (CHookWnd* p = chain.first; p; p = p->next_) {
            if (p->next_ == this) {
                p->next_ = next_;
                break;
            }
        }
    }
    hookedWnd_ = CWnd();
    oldWndProc_ = nullptr;
    next_ = nullptr;
}

LRESULT CHookWnd::CallLink(CHookWnd* link, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    struct Frame {
        Dispatch d;
        explicit Frame(const Dispatch& dispatch) : d(dispatch) { CurrentDispatch() = &d; }
        ~Frame() { CurrentDispatch() = d.outer; }
    } frame(Dispatch{link, hwnd, link->next_, link->oldWndProc_, CurrentDispatch()});
    return link->WindowProc(msg, wParam, lParam);
}

LRESULT CHookWnd::PassOn(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (IsHooked()) {
        if (next_) return CallLink(next_, hwnd, msg, wParam, lParam);
        return CallWindowProcA(oldWndProc_, hwnd, msg, wParam, lParam);
    }
    // Unhooked while handling this message: on to the link that was below
    // this one if it is still in the chain, else to the procedure that was
    // there before the chain (which every link of a window shares).
    const Dispatch* d = CurrentDispatch();
    while (d && d->link != this) d = d->outer;
    if (d) {
        bool nextHooked = false;
        if (d->next) {
            CSingleLock lock(ChainLock());
            for (CHookWnd* p = ChainOf(d->hwnd).first; p && !nextHooked; p = p->next_)
                nextHooked = p == d->next;
        }
        if (nextHooked) return CallLink(d->next, d->hwnd, msg, wParam, lParam);
        if (d->previous) return CallWindowProcA(d->previous, d->hwnd, msg, wParam, lParam);
    }
    // Called outside any message of its window.
    return hwnd ? DefWindowProcA(hwnd, msg, wParam, lParam) : 0;
}

LRESULT CHookWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = IsHooked() ? hookedWnd_.GetSafeHwnd() : t_current.hwnd;
    return PassOn(hwnd, msg, wParam, lParam);
}

LRESULT CHookWnd::Default() {
    const MSG m = t_current;
    return PassOn(m.hwnd, m.message, m.wParam, m.lParam);
}

LRESULT CALLBACK CHookWnd::HookWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Chain chain;
    {
        CSingleLock lock(ChainLock());
        chain = ChainOf(hwnd);
        if (!chain.first && chain.passTo) {
            if (msg == WM_NCDESTROY) {
                SetChain(hwnd, Chain{});
            } else if (CurrentProc(hwnd) == &HookWndProc) {
                // The subclasser above us has left: step out as well.
                SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(chain.passTo));
                SetChain(hwnd, Chain{});
            }
        }
    }
    if (!chain.first) {
        if (chain.passTo) return CallWindowProcA(chain.passTo, hwnd, msg, wParam, lParam);
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    const MSG saved = t_current;
    t_current = MSG{hwnd, msg, wParam, lParam, 0, {0, 0}};
    LRESULT result = 0;
    try {
        if (msg == WM_NCDESTROY) {
            // The window is going: every link leaves before the window's own
            // handling of its last message, and hears of it afterwards.
            WNDPROC previous = chain.first->oldWndProc_;
            std::vector<CHookWnd*> links;
            {
                CSingleLock lock(ChainLock());
                for (CHookWnd* link = ChainOf(hwnd).first; link;) {
                    CHookWnd* next = link->next_;
                    links.push_back(link);
                    link->UnhookLocked();
                    link = next;
                }
                SetChain(hwnd, Chain{});
            }
            std::vector<CHookWnd*>* const outer = t_toNotify;
            t_toNotify = &links;
            try {
                result = CallWindowProcA(previous, hwnd, msg, wParam, lParam);
                for (CHookWnd*& link : links) {
                    CHookWnd* notified = link;
                    link = nullptr;
                    if (notified) notified->OnNcDestroy(hwnd);
                }
            } catch (...) {
                t_toNotify = outer;
                throw;
            }
            t_toNotify = outer;
        } else {
            result = CallLink(chain.first, hwnd, msg, wParam, lParam);
        }
    } catch (...) {
        // Never let an exception unwind through the system's code.
        TraceCurrentException("subclassed window procedure");
        result = 0;
    }
    t_current = saved;
    return result;
}

}  // namespace vt
