#include "framework/wnd.h"

#include <string.h>

#include "framework/app.h"
#include "framework/menu.h"
#include "framework/threadmap.h"
#include "framework/trace.h"

namespace vt {

namespace {
// Objects attached to windows of this thread. All of the program's windows
// live on its one GUI thread; a per-thread map keeps lookups cheap (window
// properties would cost a server call per message under some systems).
using WindowMap = ThreadHandleMap<HWND, CWindowImpl>;

// The object whose window CreateEx is creating; taken by the CBT hook at the
// first window creation, before the window's first message.
thread_local CWindowImpl* t_creating = nullptr;
thread_local HHOOK t_cbtHook = nullptr;
}  // namespace

// ---- CWnd -----------------------------------------------------------------

std::string WindowClassName(HWND window, int bufChars) {
    if (!window || bufChars <= 0) return {};
    std::string buf(static_cast<size_t>(bufChars), '\0');
    const int n = ::GetClassNameA(window, &buf[0], bufChars);
    buf.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return buf;
}

bool HasWindowClass(HWND window, const char* name) {
    return name && WindowClassName(window) == name;
}

std::string CWnd::GetClassName(int bufChars) const {
    return IsWindow() ? WindowClassName(hwnd_, bufChars) : std::string();
}

std::string CWnd::GetWindowText(int bufChars) const {
    if (!IsWindow() || bufChars <= 0) return {};
    std::string buf(static_cast<size_t>(bufChars), '\0');
    ::GetWindowTextA(hwnd_, &buf[0], bufChars);
    buf.resize(strlen(buf.c_str()));
    return buf;
}

DWORD CWnd::GetWindowThreadProcessId(DWORD* pid) const {
    DWORD p = 0;
    DWORD tid = hwnd_ ? ::GetWindowThreadProcessId(hwnd_, &p) : 0;
    if (pid) *pid = p;
    return tid;
}

RECT CWnd::GetWindowRect() const {
    RECT r = {};
    if (hwnd_) ::GetWindowRect(hwnd_, &r);
    return r;
}

RECT CWnd::GetClientRect() const {
    RECT r = {};
    if (hwnd_) ::GetClientRect(hwnd_, &r);
    return r;
}

// ---- CCmdUI ---------------------------------------------------------------

void CCmdUI::Enable(bool on) {
    EnableMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    handled_ = true;
}

void CCmdUI::SetCheck(bool on) {
    CheckMenuItem(menu_, index_, MF_BYPOSITION | (on ? MF_CHECKED : MF_UNCHECKED));
    handled_ = true;
}

// ---- CMessageTable --------------------------------------------------------

void CMessageTable::OnCommandRange(UINT first, UINT last, CommandHandler h) {
    commands_.push_back({first, last, 0, std::move(h)});
}

void CMessageTable::OnControl(UINT id, UINT code, CommandHandler h) {
    commands_.push_back({id, id, code, std::move(h)});
}

void CMessageTable::OnNotify(UINT id, UINT code, NotifyHandler h) {
    notifies_.push_back({id, code, std::move(h)});
}

void CMessageTable::OnUpdateCommandRange(UINT first, UINT last, UpdateHandler h) {
    updates_.push_back({first, last, std::move(h)});
}

bool CMessageTable::DispatchMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) const {
    auto it = messages_.find(msg);
    if (it == messages_.end()) return false;
    result = it->second(w, l);
    return true;
}

bool CMessageTable::DispatchCommand(UINT id, UINT code) const {
    for (const auto& e : commands_) {
        // Menus send code 0, accelerators 1; both reach plain command entries.
        bool codeOk = e.code == code || (e.code == 0 && code == 1);
        if (codeOk && id >= e.first && id <= e.last) {
            e.handler(id);
            return true;
        }
    }
    return false;
}

bool CMessageTable::DispatchNotify(NMHDR* hdr, LRESULT& result) const {
    if (!hdr) return false;
    for (const auto& e : notifies_) {
        if (e.id == hdr->idFrom && e.code == hdr->code) {
            result = e.handler(hdr);
            return true;
        }
    }
    return false;
}

bool CMessageTable::DispatchUpdate(CCmdUI& ui) const {
    for (const auto& e : updates_) {
        if (ui.GetID() >= e.first && ui.GetID() <= e.last) {
            e.handler(ui);
            return true;
        }
    }
    return false;
}

bool CMessageTable::HasCommand(UINT id) const {
    for (const auto& e : commands_)
        if (e.code == 0 && id >= e.first && id <= e.last) return true;
    return false;
}

// ---- CWindowImpl ----------------------------------------------------------

CWindowImpl::~CWindowImpl() {
    HWND w = hwnd_;
    if (!w) return;
    // Detach first: the derived parts of this object are already gone, so the
    // window's last messages must not reach it.
    Detach();
    if (::IsWindow(w)) ::DestroyWindow(w);
}

CWindowImpl* CWindowImpl::FromHandlePermanent(HWND w) { return WindowMap::Find(w); }

void CWindowImpl::Attach(HWND w, WNDPROC previous) {
    hwnd_ = w;
    prevProc_ = previous;
    WindowMap::Set(w, this);
}

void CWindowImpl::Detach() {
    if (!hwnd_) return;
    if (prevProc_ &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd_, GWLP_WNDPROC)) == &StaticWndProc)
        SetWindowLongPtrA(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prevProc_));
    WindowMap::Erase(hwnd_, this);
    hwnd_ = nullptr;
    prevProc_ = nullptr;
}

LRESULT CALLBACK CWindowImpl::CbtCreateProc(int code, WPARAM w, LPARAM l) {
    HHOOK hook = t_cbtHook;
    if (code == HCBT_CREATEWND && t_creating) {
        CWindowImpl* obj = t_creating;
        // Only the first window is ours: a dialog's controls, created while
        // its creation call runs, keep their own procedures.
        UnhookCreation();
        HWND h = reinterpret_cast<HWND>(w);
        auto prev = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWndProc)));
        obj->Attach(h, prev);
    }
    return CallNextHookEx(hook, code, w, l);
}

void CWindowImpl::HookNextCreation() {
    UnhookCreation();
    t_creating = this;
    t_cbtHook = SetWindowsHookExA(WH_CBT, CbtCreateProc, nullptr, GetCurrentThreadId());
}

void CWindowImpl::UnhookCreation() {
    if (t_cbtHook) UnhookWindowsHookEx(t_cbtHook);
    t_cbtHook = nullptr;
    t_creating = nullptr;
}

bool CWindowImpl::CreateEx(DWORD exStyle, const char* className, const char* windowName,
                           DWORD style, int x, int y, int cx, int cy, HWND parent, HMENU menuOrId,
                           void* createParam) {
    if (hwnd_) return false;
    HookNextCreation();
    HWND w = CreateWindowExA(exStyle, className, windowName, style, x, y, cx, cy, parent, menuOrId,
                             GetModuleHandleA(nullptr), createParam);
    UnhookCreation();
    if (!w) {
        // Creation failed after the window was attached (WM_CREATE returned -1).
        if (hwnd_) Detach();
        return false;
    }
    return hwnd_ == w;
}

bool CWindowImpl::SubclassWindow(HWND w) {
    if (hwnd_ || !w || !::IsWindow(w) || FromHandlePermanent(w)) return false;
    auto prev = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWndProc)));
    if (!prev) return false;
    Attach(w, prev);
    PreSubclassWindow();
    return true;
}

bool CWindowImpl::SubclassDlgItem(UINT id, const CWnd& parent) {
    HWND item = parent.hwnd_ ? ::GetDlgItem(parent.hwnd_, static_cast<int>(id)) : nullptr;
    return item && SubclassWindow(item);
}

HWND CWindowImpl::UnsubclassWindow() {
    HWND w = hwnd_;
    Detach();
    return w;
}

bool CWindowImpl::DestroyWindow() { return hwnd_ && ::DestroyWindow(hwnd_); }

bool CWindowImpl::RegisterClass(const char* name, UINT style, HBRUSH background, HICON icon,
                                HCURSOR cursor) {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = icon;
    wc.hCursor = cursor ? cursor : LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CWindowImpl::CallPrevious(UINT msg, WPARAM w, LPARAM l) {
    if (!hwnd_) return 0;
    if (prevProc_) return CallWindowProcA(prevProc_, hwnd_, msg, w, l);
    return DefWindowProcA(hwnd_, msg, w, l);
}

LRESULT CWindowImpl::Default() {
    return CallPrevious(current_.message, current_.wParam, current_.lParam);
}

bool CWindowImpl::OnUnhandledCommand(UINT, UINT) { return false; }

bool CWindowImpl::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CWindowImpl::RouteOwnerDraw(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (!l) return false;
    UINT type = 0, id = 0;
    HWND item = nullptr;
    switch (msg) {
        case WM_DRAWITEM: {
            auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(l);
            type = d->CtlType, id = d->CtlID, item = d->hwndItem;
            break;
        }
        case WM_MEASUREITEM: {
            auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
            type = m->CtlType, id = m->CtlID;
            break;
        }
        case WM_DELETEITEM: {
            auto* d = reinterpret_cast<DELETEITEMSTRUCT*>(l);
            type = d->CtlType, id = d->CtlID, item = d->hwndItem;
            break;
        }
        case WM_COMPAREITEM: {
            auto* c = reinterpret_cast<COMPAREITEMSTRUCT*>(l);
            type = c->CtlType, id = c->CtlID, item = c->hwndItem;
            break;
        }
        default:
            return false;
    }
    if (type == ODT_MENU) {
        const bool done =
            msg == WM_MEASUREITEM
                ? CMenu::HandleMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(l))
                : msg == WM_DRAWITEM && CMenu::HandleDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
        if (done) result = TRUE;
        return done;
    }
    // A combo box's list may report itself rather than the combo box: the
    // control id finds the combo box then.
    CWindowImpl* control = item ? FromHandlePermanent(item) : nullptr;
    if (!control && hwnd_) control = FromHandlePermanent(::GetDlgItem(hwnd_, static_cast<int>(id)));
    return control && control != this && control->OnChildNotify(msg, w, l, result);
}

bool CWindowImpl::RouteControlColour(UINT msg, WPARAM w, LPARAM l, LRESULT& result) {
    if (msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC || !l) return false;
    CWindowImpl* control = FromHandlePermanent(reinterpret_cast<HWND>(l));
    return control && control != this && control->OnChildNotify(msg, w, l, result);
}

LRESULT CWindowImpl::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    LRESULT r = 0;
    if (msg == WM_COMMAND) {
        UINT id = LOWORD(w), code = HIWORD(w);
        if (table_.DispatchCommand(id, code) || OnUnhandledCommand(id, code)) return 0;
    } else if (msg == WM_NOTIFY) {
        if (table_.DispatchNotify(reinterpret_cast<NMHDR*>(l), r)) return r;
    }
    if (table_.DispatchMessage(msg, w, l, r)) return r;
    if (RouteOwnerDraw(msg, w, l, r)) return r;
    if (RouteControlColour(msg, w, l, r)) return r;
    return CallPrevious(msg, w, l);
}

LRESULT CWindowImpl::Dispatch(UINT msg, WPARAM w, LPARAM l) { return WindowProc(msg, w, l); }

LRESULT CALLBACK CWindowImpl::StaticWndProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    CWindowImpl* obj = FromHandlePermanent(h);
    if (!obj) return DefWindowProcA(h, msg, w, l);
    const MSG saved = obj->current_;
    obj->current_ = MSG{h, msg, w, l, 0, {0, 0}};
    LRESULT r = 0;
    try {
        r = obj->Dispatch(msg, w, l);
    } catch (...) {
        // Never let an exception unwind through the system's code.
        TraceCurrentException("window procedure");
        r = 0;
    }
    if (msg == WM_NCDESTROY) {
        // The window is gone: let go of it, then give the object its last call.
        if (FromHandlePermanent(h) == obj) obj->Detach();
        obj->PostNcDestroy();
        return r;
    }
    obj->current_ = saved;
    return r;
}

// ---- CFrameWnd ------------------------------------------------------------

CFrameWnd::CFrameWnd() = default;

bool CFrameWnd::OnUnhandledCommand(UINT id, UINT code) {
    CWinApp* app = GetApp();
    return app && app->Table().DispatchCommand(id, code);
}

void CFrameWnd::UpdateMenuItems(HMENU menu) {
    CWinApp* app = GetApp();
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(menu, i);
        if (id == 0 || id == static_cast<UINT>(-1)) continue;  // separator or submenu
        CCmdUI ui(menu, static_cast<UINT>(i), id);
        if (Table().DispatchUpdate(ui)) continue;
        if (app && app->Table().DispatchUpdate(ui)) continue;
        // Items that nothing would handle are greyed.
        bool handled = Table().HasCommand(id) || (app && app->Table().HasCommand(id));
        ui.Enable(handled);
    }
}

LRESULT CFrameWnd::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    LRESULT r = 0;
    switch (msg) {
        case WM_CLOSE:
            if (Table().DispatchMessage(msg, w, l, r)) return r;
            DestroyWindow();
            return 0;
        case WM_INITMENUPOPUP:
            if (!HIWORD(l)) UpdateMenuItems(reinterpret_cast<HMENU>(w));
            break;
        case WM_NCDESTROY: {
            r = CWindowImpl::WindowProc(msg, w, l);
            if (CWinApp* app = GetApp()) app->OnWindowDestroyed(this);
            return r;
        }
        default:
            break;
    }
    return CWindowImpl::WindowProc(msg, w, l);
}

}  // namespace vt
