#include "uikit/dialoglook/coolcontrolsmanager.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "framework/dpi.h"
#include "framework/trace.h"
#include "uikit/dialoglook/flatframes.h"

namespace vt {

namespace {

constexpr UINT kTimerMs = 100;
// What a combo box receives from its edit child when the edit gets the focus.
constexpr UINT kEditGotFocus = EN_SETFOCUS;

using CCM = CCoolControlsManager;

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}
bool Is(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }
LONG_PTR StyleOf(HWND w) { return GetWindowLongPtrA(w, GWL_STYLE); }
bool HasClientEdge(HWND w) { return (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0; }

// One level of the frame primitive: top and left lines in one colour, right
// and bottom lines in the other, each `line` pixels wide.
void DrawLevel(HDC dc, const RECT& r, int topLeft, int bottomRight, int line) {
    if (r.right - r.left < 2 * line || r.bottom - r.top < 2 * line) return;
    auto fill = [dc](int l, int t, int rr, int b, int color) {
        RECT x = {l, t, rr, b};
        FillRect(dc, &x, GetSysColorBrush(color));
    };
    fill(r.left, r.top, r.right - line, r.top + line, topLeft);     // top
    fill(r.left, r.top, r.left + line, r.bottom - line, topLeft);   // left
    fill(r.right - line, r.top, r.right, r.bottom, bottomRight);    // right
    fill(r.left, r.bottom - line, r.right, r.bottom, bottomRight);  // bottom
}

void DrawPlan(HDC dc, const RECT& r, const flat::FramePlan& plan, int line) {
    for (int i = 0; i < plan.count; ++i) {
        RECT level = r;
        InflateRect(&level, -i * line, -i * line);
        DrawLevel(dc, level, plan.levels[i].topLeft, plan.levels[i].bottomRight, line);
    }
}

// A flat scroll bar in bar (window coordinates): two arrow buttons and the
// thumb, each drawn like a combo box's button.
void DrawFlatBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& si, int state,
                 bool enabled, int dpi) {
    const int line = flat::FrameLine(dpi);
    const int length = vertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int thickness = vertical ? bar.right - bar.left : bar.bottom - bar.top;
    const int arrow = flat::ArrowLength(length, thickness);
    const auto plan = flat::ComboButtonPlan(state, enabled);
    RECT first = bar, second = bar;
    if (vertical) {
        first.bottom = bar.top + arrow;
        second.top = bar.bottom - arrow;
    } else {
        first.right = bar.left + arrow;
        second.left = bar.right - arrow;
    }
    DrawPlan(dc, first, plan, line);
    DrawPlan(dc, second, plan, line);
    const int track = length - 2 * arrow;
    const int minThumb = ScaleForDpi(8, dpi);
    const auto thumb = flat::FlatThumbSpan(si.nMin, si.nMax, si.nPage, si.nPos, track,
                                           SystemMetricForDpi(SM_CXHTHUMB, dpi), minThumb);
    if (!thumb.shown) return;
    RECT t = bar;
    if (vertical) {
        t.top = bar.top + arrow + thumb.offset;
        t.bottom = t.top + thumb.length;
    } else {
        t.left = bar.left + arrow + thumb.offset;
        t.right = t.left + thumb.length;
    }
    DrawPlan(dc, t, plan, line);
}

SCROLLINFO FullScrollInfo() {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    return si;
}

// The screen rectangle of child in parent's window coordinates.
RECT RectIn(HWND child, HWND parent) {
    RECT r = {}, p = {};
    GetWindowRect(child, &r);
    GetWindowRect(parent, &p);
    OffsetRect(&r, -p.left, -p.top);
    return r;
}

// The up-down control that follows an edit and is attached to it, if any.
HWND BuddyUpDown(HWND edit) {
    HWND next = GetWindow(edit, GW_HWNDNEXT);
    if (!next || !Is(ClassOf(next), UPDOWN_CLASSA)) return nullptr;
    if (reinterpret_cast<HWND>(SendMessageA(next, UDM_GETBUDDY, 0, 0)) != edit) return nullptr;
    return next;
}

}  // namespace

// ---- the manager --------------------------------------------------------------

CCoolControlsManager& CCoolControlsManager::Instance() {
    static CCoolControlsManager manager;
    return manager;
}

CCoolControlsManager::~CCoolControlsManager() {
    for (auto& h : hooks_) UnhookWindowsHookEx(h.second);
    hooks_.clear();
    for (auto& c : controls_)
        if (IsWindow(c.first) &&
            GetWindowLongPtrA(c.first, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ControlProc))
            SetWindowLongPtrA(c.first, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(c.second->Previous()));
    controls_.clear();
    for (auto& d : dialogs_)
        if (IsWindow(d.first) &&
            GetWindowLongPtrA(d.first, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(DialogProc))
            SetWindowLongPtrA(d.first, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(d.second->Previous()));
    dialogs_.clear();
}

void CCoolControlsManager::Install(DWORD threadId, int mode) {
    mode_ = mode;
    if (threadId == kCurrentThread) threadId = GetCurrentThreadId();
    if (hooks_.count(threadId)) return;
    if (HHOOK h = SetWindowsHookExA(WH_CALLWNDPROC, HookProc, nullptr, threadId))
        hooks_[threadId] = h;
}

void CCoolControlsManager::Uninstall(DWORD threadId) {
    if (threadId == kCurrentThread) threadId = GetCurrentThreadId();
    auto it = hooks_.find(threadId);
    if (it != hooks_.end()) {
        UnhookWindowsHookEx(it->second);
        hooks_.erase(it);
    }
    if (hooks_.empty() && timerId_ && timerThread_ == GetCurrentThreadId()) {
        KillTimer(nullptr, timerId_);
        timerId_ = 0;
    }
}

bool CCoolControlsManager::InstallUnlessThemed(const CThemeAccess& theme) {
    if (theme.IsAppThemed()) return false;
    Install(kCurrentThread, kDialogMode);
    return IsInstalled();
}

bool CCoolControlsManager::IsInstalled(DWORD threadId) const {
    if (threadId == kCurrentThread) threadId = GetCurrentThreadId();
    return hooks_.count(threadId) != 0;
}

int CCoolControlsManager::StateOf(HWND window) const {
    const CCMControl* c = Find(window);
    return c ? c->state : -1;
}

CCM::CCMControl* CCoolControlsManager::Find(HWND window) const {
    auto it = controls_.find(window);
    return it == controls_.end() ? nullptr : it->second.get();
}

void CCoolControlsManager::AddDialog(HWND dialog) {
    if (!dialog || dialogs_.count(dialog)) return;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((StyleOf(c) & WS_CHILD) && !Is(ClassOf(c), "#32770")) AddControl(c);
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogProc)));
    if (previous) dialogs_[dialog] = std::make_unique<CCMDialog>(dialog, previous);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (CCMControl* control = Find(c)) control->Update();
}

int CCoolControlsManager::AddControl(HWND window, const char* className) {
    if (!window || controls_.count(window)) return 0;
    const Kind kind = Classify(window, className);
    if (kind == Kind::Skip) return 0;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    if (!previous) return 0;
    auto control = MakeControl(kind, window, previous);
    if (kind == Kind::TabControl) static_cast<CCMTabControl*>(control.get())->hotItem = -1;
    controls_[window] = std::move(control);
    StartTimer();
    return 1;
}

void CCoolControlsManager::RemoveControl(HWND window) {
    auto it = controls_.find(window);
    if (it == controls_.end()) return;
    // Someone who subclassed the control after us keeps the chain: the
    // window is going anyway when this comes from its WM_NCDESTROY.
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(ControlProc))
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second->Previous()));
    if (hotWindow_ == window) hotWindow_ = nullptr;
    controls_.erase(it);
    StopTimerIfIdle();
}

CCM::Kind CCoolControlsManager::Classify(HWND window, const char* className) {
    const std::string cls = className ? className : ClassOf(window);
    const LONG_PTR style = StyleOf(window);
    const bool edge = HasClientEdge(window);
    auto firstChild = [window] { return GetWindow(window, GW_CHILD); };

    if (Is(cls, "Button")) {
        const LONG_PTR type = style & BS_TYPEMASK;
        if (type == BS_OWNERDRAW || type == BS_GROUPBOX || (style & BS_FLAT)) return Kind::Skip;
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
            type == BS_AUTO3STATE)
            return Kind::CheckBox;
        if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) return Kind::RadioButton;
        return Kind::PushButton;
    }
    if (Is(cls, "ComboBox")) {
        if ((style & 3) == CBS_SIMPLE) {
            for (HWND c = firstChild(); c; c = GetWindow(c, GW_HWNDNEXT)) AddControl(c);
            return Kind::Skip;
        }
        return Kind::ComboBox;
    }
    if (Is(cls, "Edit")) {
        HWND parent = GetParent(window);
        if (parent && Is(ClassOf(parent), "ComboBox") && (StyleOf(parent) & 3) == CBS_SIMPLE)
            return Kind::EditCombo;
        return edge ? Kind::Edit : Kind::Skip;
    }
    for (const char* c :
         {"ListBox", "SysTreeView32", "ComboLBox", "msctls_hotkey32", "RichEdit", "RichEdit20W"})
        if (Is(cls, c)) return edge ? Kind::Generic : Kind::Skip;
    if (Is(cls, "SysMonthCal32")) return Kind::Generic;
    if (Is(cls, "SysListView32")) {
        if (!edge) return Kind::Skip;
        // The header is created with the list view, before the dialog's
        // WM_INITDIALOG.
        if (HWND header = firstChild()) AddControl(header);
        return Kind::Generic;
    }
    if (Is(cls, "SHELLDLL_DefView") || Is(cls, "ComboBoxEx32")) {
        if (HWND c = firstChild()) AddControl(c);
        return Kind::Skip;
    }
    if (Is(cls, "SysDateTimePick32")) {
        if (!edge) return Kind::Skip;
        if (style & DTS_UPDOWN)
            if (HWND c = firstChild()) AddControl(c);
        return Kind::DateTime;
    }
    if (Is(cls, "msctls_updown32")) return Kind::UpDown;
    if (Is(cls, "ScrollBar"))
        return (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) ? Kind::Skip : Kind::ScrollBar;
    if (Is(cls, "SysIPAddress32")) return edge ? Kind::IPAddress : Kind::Skip;
    if (Is(cls, "msctls_trackbar32")) return Kind::Trackbar;
    if (Is(cls, "SysHeader32")) return (style & HDS_BUTTONS) ? Kind::Header : Kind::Skip;
    if (Is(cls, "ToolbarWindow32")) {
        if (style & TBSTYLE_FLAT) return Kind::Skip;
        for (HWND c = firstChild(); c; c = GetWindow(c, GW_HWNDNEXT)) AddControl(c);
        return Kind::Toolbar;
    }
    if (Is(cls, "SysTabControl32")) {
        if (HWND c = firstChild()) AddControl(c);
        return Kind::TabControl;
    }
    return Kind::Skip;
}

std::unique_ptr<CCM::CCMControl> CCoolControlsManager::MakeControl(Kind kind, HWND w, WNDPROC p) {
    switch (kind) {
        case Kind::PushButton:
            return std::make_unique<CCMPushButton>(w, p);
        case Kind::CheckBox:
            return std::make_unique<CCMCheckBox>(w, p);
        case Kind::RadioButton:
            return std::make_unique<CCMRadioButton>(w, p);
        case Kind::Edit:
            return std::make_unique<CCMEdit>(w, p);
        case Kind::EditCombo:
            return std::make_unique<CCMEditCombo>(w, p);
        case Kind::ComboBox:
            return std::make_unique<CCMComboBox>(w, p);
        case Kind::DateTime:
            return std::make_unique<CCMDateTime>(w, p);
        case Kind::UpDown:
            return std::make_unique<CCMUpDown>(w, p);
        case Kind::ScrollBar:
            return std::make_unique<CCMScrollBar>(w, p);
        case Kind::IPAddress:
            return std::make_unique<CCMIPAddress>(w, p);
        case Kind::Trackbar:
            return std::make_unique<CCMTrackbar>(w, p);
        case Kind::Header:
            return std::make_unique<CCMHeaderCtrl>(w, p);
        case Kind::Toolbar:
            return std::make_unique<CCMToolbar>(w, p);
        case Kind::TabControl:
            return std::make_unique<CCMTabControl>(w, p);
        case Kind::Generic:
        case Kind::Skip:
        default:
            return std::make_unique<CCMControl>(w, p);
    }
}

void CCoolControlsManager::StartTimer() {
    if (timerId_) return;
    timerId_ = SetTimer(nullptr, 0, kTimerMs, TimerProc);
    timerThread_ = GetCurrentThreadId();
}

void CCoolControlsManager::StopTimerIfIdle() {
    if (!controls_.empty() || !timerId_) return;
    // A thread timer can be killed only by the thread that set it; another
    // thread's timer finds the map empty and does nothing.
    if (timerThread_ == GetCurrentThreadId()) KillTimer(nullptr, timerId_);
    timerId_ = 0;
}

LRESULT CALLBACK CCoolControlsManager::HookProc(int code, WPARAM w, LPARAM l) {
    auto& self = Instance();
    auto it = self.hooks_.find(GetCurrentThreadId());
    if (it == self.hooks_.end()) return 0;
    const HHOOK hook = it->second;
    try {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
        if (code == HC_ACTION && call && self.enabled_) {
            if (self.mode_ == kDialogMode) {
                if (call->message == WM_INITDIALOG) self.AddDialog(call->hwnd);
            } else if (call->message == WM_CREATE && (StyleOf(call->hwnd) & WS_CHILD) &&
                       !Is(ClassOf(call->hwnd), "ScrollBar")) {
                self.AddControl(call->hwnd);
            }
        }
    } catch (...) {
        TraceCurrentException("CCoolControlsManager hook");
    }
    return CallNextHookEx(hook, code, w, l);
}

LRESULT CALLBACK CCoolControlsManager::ControlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    CCMControl* control = Instance().Find(w);
    if (!control) return DefWindowProcA(w, msg, wp, lp);
    const WNDPROC previous = control->Previous();
    try {
        return control->WindowProc(msg, wp, lp);
    } catch (...) {
        TraceCurrentException("CCoolControlsManager control");
        return Instance().Find(w) ? CallWindowProcA(previous, w, msg, wp, lp) : 0;
    }
}

LRESULT CALLBACK CCoolControlsManager::DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto& self = Instance();
    auto it = self.dialogs_.find(w);
    if (it == self.dialogs_.end()) return DefWindowProcA(w, msg, wp, lp);
    try {
        return it->second->WindowProc(msg, wp, lp);
    } catch (...) {
        TraceCurrentException("CCoolControlsManager dialog");
        return 0;
    }
}

void CALLBACK CCoolControlsManager::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
    try {
        Instance().OnTimer();
    } catch (...) {
        TraceCurrentException("CCoolControlsManager timer");
    }
}

void CCoolControlsManager::OnTimer() {
    if (controls_.empty()) return;
    // A button being pressed (or any drag) holds the capture: nothing
    // changes under it until it is released.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (GetCapture() || (GetGUIThreadInfo(0, &gui) && gui.hwndCapture)) return;
    POINT pt;
    if (!GetCursorPos(&pt)) return;
    HWND under = WindowFromPoint(pt);
    CCMControl* found = Find(under);
    if (!found && under) found = Find(GetParent(under));
    CCMControl* previous = Find(hotWindow_);
    if (found) {
        if (!found->IsNewHotSpot(pt)) return;
        if (previous && previous != found) {
            previous->state &= ~flat::kHot;
            previous->Update();
        }
        found->state |= flat::kHot;
        found->Update();
        hotWindow_ = found->Window();
    } else if (previous) {
        previous->state &= ~flat::kHot;
        hotWindow_ = nullptr;
        previous->Update();
    } else {
        hotWindow_ = nullptr;
    }
}

// ---- CCMDialog ------------------------------------------------------------------

LRESULT CCM::CCMDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCDESTROY) {
        const HWND dialog = window_;
        const LRESULT r = CallPrevious(msg, w, l);
        auto& dialogs = Instance().dialogs_;
        auto it = dialogs.find(dialog);
        if (it != dialogs.end()) {
            if (GetWindowLongPtrA(dialog, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(DialogProc))
                SetWindowLongPtrA(dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
            dialogs.erase(it);  // deletes this object
        }
        return r;
    }
    if (msg == WM_PARENTNOTIFY && LOWORD(w) == WM_CREATE)
        Instance().AddControl(reinterpret_cast<HWND>(l));
    return CallPrevious(msg, w, l);
}

// ---- CCMControl -----------------------------------------------------------------

int CCM::CCMControl::Dpi() const { return DpiForWindow(window_); }

LRESULT CCM::CCMControl::PreviousThenUpdate(UINT msg, WPARAM w, LPARAM l) {
    CallPrevious(msg, w, l);
    Update(true);
    return 0;
}

LRESULT CCM::CCMControl::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            Update();
            return CallPrevious(msg, w, l);
        case WM_ENABLE:
        case WM_PAINT:
        case WM_NCPAINT:
            return PreviousThenUpdate(msg, w, l);
        case WM_NCDESTROY: {
            const HWND self = window_;
            const LRESULT r = CallPrevious(msg, w, l);
            Instance().RemoveControl(self);  // deletes this object
            return r;
        }
        default:
            return CallPrevious(msg, w, l);
    }
}

bool CCM::CCMControl::IsNewHotSpot(POINT) { return Instance().hotWindow_ != window_; }

HDC CCM::CCMControl::GetDrawDC(RECT& rect) {
    GetWindowRect(window_, &rect);
    OffsetRect(&rect, -rect.left, -rect.top);
    return GetWindowDC(window_);
}

bool CCM::CCMControl::HasFocus() { return GetFocus() == window_; }

void CCM::CCMControl::Update(bool painted) {
    if (!IsWindow(window_)) return;
    RECT rect = {};
    HDC dc = GetDrawDC(rect);
    if (!dc) return;
    const int dpi = Dpi();
    // A client edge sits inside a one-line border: the frame goes on the
    // edge, not on the border around it.
    if (HasClientEdge(window_)) {
        RECT client = {}, win = {};
        GetWindowRect(window_, &win);
        GetClientRect(window_, &client);
        MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
        const int edge = SystemMetricForDpi(SM_CXEDGE, dpi) + SystemMetricForDpi(SM_CXBORDER, dpi);
        if (client.left - win.left == edge)
            InflateRect(&rect, -flat::FrameLine(dpi), -flat::FrameLine(dpi));
    }
    if (HasFocus())
        state |= flat::kFocused;
    else
        state &= ~flat::kFocused;
    if (rect.bottom - rect.top < flat::SmallHeight(dpi))
        state |= flat::kSmall;
    else
        state &= ~flat::kSmall;
    // An unchanged hot or focused look needs no drawing, unless the control
    // has just painted its own border over it (the system's border is not
    // the same on every system).
    const bool stillHot = (previousState & flat::kHot) && (state & flat::kHot);
    const bool stillFocused = (previousState & flat::kFocused) && (state & flat::kFocused);
    if (painted || (!stillHot && !stillFocused)) DrawFrame(dc, rect);
    previousState = static_cast<WORD>(state);
    ReleaseDC(WindowFromDC(dc), dc);
}

void CCM::CCMControl::DrawFrame(HDC dc, const RECT& rect) { DrawGenericFrame(dc, rect); }

void CCM::CCMControl::DrawGenericFrame(HDC dc, const RECT& rect) {
    DrawPlan(dc, rect, flat::GenericFramePlan(state, IsWindowEnabled(window_) != FALSE),
             flat::FrameLine(Dpi()));
    DrawScrollBars(dc, rect);
}

void CCM::CCMControl::DrawScrollBars(HDC dc, const RECT& rect) {
    const LONG_PTR style = StyleOf(window_);
    if (!(style & (WS_VSCROLL | WS_HSCROLL))) return;
    const int dpi = Dpi();
    const int edge = SystemMetricForDpi(SM_CXEDGE, dpi);
    const int cx = SystemMetricForDpi(SM_CXVSCROLL, dpi);
    const int cy = SystemMetricForDpi(SM_CYHSCROLL, dpi);
    RECT inner = rect;
    InflateRect(&inner, -edge, -edge);
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    if (style & WS_VSCROLL) {
        RECT bar = {inner.right - cx, inner.top, inner.right,
                    inner.bottom - ((style & WS_HSCROLL) ? cy : 0)};
        SCROLLINFO si = FullScrollInfo();
        if (GetScrollInfo(window_, SB_VERT, &si))
            DrawFlatBar(dc, bar, true, si, state, enabled, dpi);
    }
    if (style & WS_HSCROLL) {
        RECT bar = {inner.left, inner.bottom - cy, inner.right - ((style & WS_VSCROLL) ? cx : 0),
                    inner.bottom};
        SCROLLINFO si = FullScrollInfo();
        if (GetScrollInfo(window_, SB_HORZ, &si))
            DrawFlatBar(dc, bar, false, si, state, enabled, dpi);
    }
}

// ---- push, check and radio buttons -------------------------------------------------

LRESULT CCM::CCMPushButton::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_SETTEXT || msg == BM_SETCHECK) {
        // The caller learns whether the text was taken: the result stays.
        const LRESULT r = CallPrevious(msg, w, l);
        Update();
        return r;
    }
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMPushButton::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = StyleOf(window_);
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    const bool isDefault = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && enabled;
    const bool pushed = SendMessageA(window_, BM_GETCHECK, 0, 0) != 0;
    DrawPlan(dc, rect, flat::PushButtonPlan(state, isDefault, pushed), flat::FrameLine(Dpi()));
}

void CCM::CCMCheckBox::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = StyleOf(window_);
    if (style & BS_PUSHLIKE) return CCMPushButton::DrawFrame(dc, rect);
    const int dpi = Dpi();
    const RECT box = flat::CheckBoxRect(rect, style, dpi);
    const int check = static_cast<int>(SendMessageA(window_, BM_GETCHECK, 0, 0));
    DrawPlan(dc, box, flat::CheckBoxPlan(state, IsWindowEnabled(window_) != FALSE, check),
             flat::FrameLine(dpi));
}

void CCM::CCMRadioButton::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = StyleOf(window_);
    if (style & BS_PUSHLIKE) return CCMPushButton::DrawFrame(dc, rect);
    const int dpi = Dpi();
    const RECT circle = flat::RadioRect(rect, style, dpi);
    const bool hot = (state & flat::kHot) != 0;
    const bool enabled = IsWindowEnabled(window_) != FALSE;
    using flat::RadioArc;
    for (RadioArc arc : {RadioArc::OuterUpperLeft, RadioArc::InnerUpperLeft,
                         RadioArc::InnerLowerRight, RadioArc::OuterLowerRight}) {
        HBRUSH brush = GetSysColorBrush(flat::RadioArcColor(arc, hot, enabled));
        // Each pixel of the 12-pixel design covers its share of the circle
        // at this DPI.
        for (const POINT& p : flat::RadioArcPixels(arc)) {
            RECT px = {circle.left + MulDiv(p.x, dpi, kBaseDpi),
                       circle.top + MulDiv(p.y, dpi, kBaseDpi),
                       circle.left + MulDiv(p.x + 1, dpi, kBaseDpi),
                       circle.top + MulDiv(p.y + 1, dpi, kBaseDpi)};
            FillRect(dc, &px, brush);
        }
    }
}

// ---- edits ------------------------------------------------------------------------

LRESULT CCM::CCMEdit::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_ENABLE) {
        const HWND self = window_;
        CallPrevious(msg, w, l);
        Update();
        if (HWND updown = BuddyUpDown(self)) SendMessageA(updown, WM_PAINT, 0, 0);
        return 0;
    }
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMEdit::DrawFrame(HDC dc, const RECT& rect) {
    const LONG_PTR style = StyleOf(window_);
    if (style & ES_READONLY)
        state |= flat::kReadOnly;
    else
        state &= ~flat::kReadOnly;
    RECT frame = rect;
    HWND updown = BuddyUpDown(window_);
    const LONG_PTR udStyle = updown ? StyleOf(updown) : 0;
    const bool right = (udStyle & UDS_ALIGNRIGHT) != 0, left = (udStyle & UDS_ALIGNLEFT) != 0;
    const int dpi = Dpi();
    const int edge = SystemMetricForDpi(SM_CXEDGE, dpi);
    RECT ud = {};
    if (updown && (right || left)) {
        ud = RectIn(updown, window_);
        if (right)
            frame.right += (ud.right - ud.left) - edge;
        else
            frame.left -= (ud.right - ud.left) - edge;
    }
    // The up-down control lies outside the edit's window: draw on its
    // parent's surface for the widened frame.
    HDC target = dc;
    HDC parentDC = nullptr;
    POINT shift = {0, 0};
    if (updown && (right || left)) {
        HWND parent = GetParent(window_);
        parentDC = GetDCEx(parent, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
        RECT me = RectIn(window_, parent);
        RECT pc = {};
        GetClientRect(parent, &pc);
        POINT origin = {0, 0};
        ClientToScreen(parent, &origin);
        RECT pw = {};
        GetWindowRect(parent, &pw);
        shift = {me.left - (origin.x - pw.left), me.top - (origin.y - pw.top)};
        OffsetRect(&frame, shift.x, shift.y);
        OffsetRect(&ud, shift.x, shift.y);
        target = parentDC ? parentDC : dc;
        if (!parentDC) {
            OffsetRect(&frame, -shift.x, -shift.y);
            OffsetRect(&ud, -shift.x, -shift.y);
        }
    }
    DrawPlan(target, frame, flat::GenericFramePlan(state, IsWindowEnabled(window_) != FALSE),
             flat::FrameLine(dpi));
    if (updown && (right || left)) {
        const int color = !IsWindowEnabled(window_)                      ? COLOR_BTNFACE
                          : (state & (flat::kHot | flat::kFocused)) != 0 ? COLOR_3DDKSHADOW
                                                                         : COLOR_BTNHIGHLIGHT;
        const int line = flat::FrameLine(dpi);
        RECT top = {ud.left, ud.top + line, ud.right - line, ud.top + 2 * line};
        FillRect(target, &top, GetSysColorBrush(color));
        if (left) {
            RECT side = {ud.left + line, ud.top + line, ud.left + 2 * line, ud.bottom - line};
            FillRect(target, &side, GetSysColorBrush(color));
        }
    }
    if (parentDC) ReleaseDC(GetParent(window_), parentDC);
    DrawScrollBars(dc, rect);
}

HDC CCM::CCMEditCombo::GetDrawDC(RECT& rect) {
    HWND combo = GetParent(window_);
    rect = RectIn(window_, combo);
    const int grow = ScaleForDpi(3, DpiForWindow(combo));
    InflateRect(&rect, grow, grow);
    return GetWindowDC(combo);
}

// ---- combo boxes and date-time pickers ----------------------------------------------

LRESULT CCM::CCMComboBox::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if ((msg == WM_COMMAND && HIWORD(w) == kEditGotFocus) || (msg == WM_LBUTTONUP && l == -1))
        Update();
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMComboBox::HasFocus() {
    HWND focus = GetFocus();
    if (focus == window_) return true;
    // A drop-down combo box's edit child holds the focus for it.
    return focus && GetParent(focus) == window_ && Is(ClassOf(focus), "Edit");
}

void CCM::CCMComboBox::DrawFrame(HDC dc, const RECT& rect) {
    DrawGenericFrame(dc, rect);
    const int dpi = Dpi();
    const int line = flat::FrameLine(dpi);
    RECT button = rect;
    InflateRect(&button, -2 * line, -2 * line);
    button.left = button.right - SystemMetricForDpi(SM_CXHSCROLL, dpi);
    DrawPlan(dc, button, flat::ComboButtonPlan(state, IsWindowEnabled(window_) != FALSE), line);
}

void CCM::CCMDateTime::DrawFrame(HDC dc, const RECT& rect) {
    // With up-down arrows the arrows are a managed control of their own.
    if (StyleOf(window_) & DTS_UPDOWN) return DrawGenericFrame(dc, rect);
    CCMComboBox::DrawFrame(dc, rect);
}

// ---- the controls Vantrel's dialogs do not have ---------------------------------------

void CCM::CCMUpDown::DrawFrame(HDC dc, const RECT& rect) {
    const bool horizontal = (StyleOf(window_) & UDS_HORZ) != 0;
    RECT first = rect, second = rect;
    if (horizontal)
        first.right = second.left = (rect.left + rect.right) / 2;
    else
        first.bottom = second.top = (rect.top + rect.bottom) / 2;
    const auto plan = flat::ComboButtonPlan(state, IsWindowEnabled(window_) != FALSE);
    DrawPlan(dc, first, plan, flat::FrameLine(Dpi()));
    DrawPlan(dc, second, plan, flat::FrameLine(Dpi()));
}

LRESULT CCM::CCMScrollBar::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == SBM_SETSCROLLINFO || msg == SBM_SETPOS || msg == SBM_SETRANGE ||
        msg == SBM_SETRANGEREDRAW) {
        const LRESULT r = CallPrevious(msg, w, l);
        Update();
        return r;
    }
    return CCMControl::WindowProc(msg, w, l);
}

void CCM::CCMScrollBar::DrawFrame(HDC dc, const RECT& rect) {
    SCROLLINFO si = FullScrollInfo();
    if (!GetScrollInfo(window_, SB_CTL, &si)) return;
    const bool vertical = (StyleOf(window_) & SBS_VERT) != 0;
    DrawFlatBar(dc, rect, vertical, si, state, IsWindowEnabled(window_) != FALSE, Dpi());
}

LRESULT CCM::CCMIPAddress::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COMMAND && (HIWORD(w) == EN_SETFOCUS || HIWORD(w) == EN_KILLFOCUS)) {
        const LRESULT r = CallPrevious(msg, w, l);
        Update();
        return r;
    }
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMIPAddress::HasFocus() {
    HWND focus = GetFocus();
    return focus && (focus == window_ || IsChild(window_, focus));
}

void CCM::CCMTrackbar::DrawFrame(HDC dc, const RECT&) {
    RECT channel = {};
    SendMessageA(window_, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    // Client coordinates to window coordinates.
    RECT win = {}, client = {};
    GetWindowRect(window_, &win);
    GetClientRect(window_, &client);
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&client), 2);
    OffsetRect(&channel, client.left - win.left, client.top - win.top);
    DrawPlan(dc, channel,
             flat::GenericFramePlan(state | flat::kSmall, IsWindowEnabled(window_) != FALSE),
             flat::FrameLine(Dpi()));
}

namespace {
// Client-coordinate item rectangles to the window rectangle's coordinates.
POINT ClientOffset(HWND w) {
    RECT win = {}, client = {};
    GetWindowRect(w, &win);
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return {client.left - win.left, client.top - win.top};
}
const flat::FramePlan kIdleItem = [] {
    flat::FramePlan p;
    p.levels[0] = {COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    p.levels[1] = {COLOR_BTNFACE, COLOR_BTNFACE};
    p.count = 2;
    return p;
}();
const flat::FramePlan kHotItem = [] {
    flat::FramePlan p;
    p.levels[0] = {COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW};
    p.levels[1] = {COLOR_3DLIGHT, COLOR_BTNSHADOW};
    p.count = 2;
    return p;
}();
}  // namespace

bool CCM::CCMHeaderCtrl::IsNewHotSpot(POINT screen) {
    HDHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(window_, &hit.pt);
    const int item =
        static_cast<int>(SendMessageA(window_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item != hotItem || Instance().hotWindow_ != window_;
}

void CCM::CCMHeaderCtrl::DrawFrame(HDC dc, const RECT& rect) {
    HWND parent = GetParent(window_);
    int hovered = -1;
    if (state & flat::kHot) {
        POINT pt;
        GetCursorPos(&pt);
        RECT pc = {};
        GetClientRect(parent, &pc);
        POINT inParent = pt;
        ScreenToClient(parent, &inParent);
        if (PtInRect(&pc, inParent)) {
            HDHITTESTINFO hit = {};
            hit.pt = pt;
            ScreenToClient(window_, &hit.pt);
            hovered = static_cast<int>(
                SendMessageA(window_, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        }
    }
    if (hovered != hotItem) {
        hotItem = hovered;
        // The list view under the header looks hot with it.
        if (CCMControl* list = Instance().Find(parent)) {
            if (hovered >= 0)
                list->state |= flat::kHot;
            else
                list->state &= ~flat::kHot;
            list->Update();
        }
    }
    const int line = flat::FrameLine(Dpi());
    const POINT off = ClientOffset(window_);
    const int count = static_cast<int>(SendMessageA(window_, HDM_GETITEMCOUNT, 0, 0));
    int right = rect.left;
    for (int i = 0; i < count; ++i) {
        RECT item = {};
        if (!SendMessageA(window_, HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        DrawPlan(dc, item, i == hovered ? kHotItem : kIdleItem, line);
        right = std::max(right, static_cast<int>(item.right));
    }
    if (right < rect.right) {
        RECT rest = {right, rect.top, rect.right, rect.bottom};
        DrawPlan(dc, rest, kIdleItem, line);
    }
}

LRESULT CCM::CCMToolbar::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    // Pressing and releasing a button changes its look.
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP) {
        const LRESULT r = CallPrevious(msg, w, l);
        Update();
        return r;
    }
    return CCMControl::WindowProc(msg, w, l);
}

bool CCM::CCMToolbar::IsNewHotSpot(POINT screen) {
    ScreenToClient(window_, &screen);
    const int item =
        static_cast<int>(SendMessageA(window_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&screen)));
    return item != hotItem || Instance().hotWindow_ != window_;
}

void CCM::CCMToolbar::DrawFrame(HDC dc, const RECT&) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(window_, &pt);
    hotItem =
        (state & flat::kHot)
            ? static_cast<int>(SendMessageA(window_, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&pt)))
            : -1;
    const int line = flat::FrameLine(Dpi());
    const POINT off = ClientOffset(window_);
    const int count = static_cast<int>(SendMessageA(window_, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b = {};
        if (!SendMessageA(window_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b))) continue;
        if (b.fsStyle & BTNS_SEP) continue;
        RECT item = {};
        if (!SendMessageA(window_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        // Pressed and checked buttons keep the system's sunken look.
        if (b.fsState & (TBSTATE_PRESSED | TBSTATE_CHECKED)) continue;
        DrawPlan(dc, item, i == hotItem ? kHotItem : kIdleItem, line);
    }
}

bool CCM::CCMTabControl::IsNewHotSpot(POINT screen) {
    TCHITTESTINFO hit = {};
    hit.pt = screen;
    ScreenToClient(window_, &hit.pt);
    const int item =
        static_cast<int>(SendMessageA(window_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return item != hotItem || Instance().hotWindow_ != window_;
}

void CCM::CCMTabControl::DrawFrame(HDC dc, const RECT&) {
    TCHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(window_, &hit.pt);
    hotItem = (state & flat::kHot) ? static_cast<int>(SendMessageA(window_, TCM_HITTEST, 0,
                                                                   reinterpret_cast<LPARAM>(&hit)))
                                   : -1;
    const int line = flat::FrameLine(Dpi());
    const POINT off = ClientOffset(window_);
    const int selected = static_cast<int>(SendMessageA(window_, TCM_GETCURSEL, 0, 0));
    const int count = static_cast<int>(SendMessageA(window_, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        if (i == selected) continue;  // the selected tab is joined to the page
        RECT item = {};
        if (!SendMessageA(window_, TCM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
        OffsetRect(&item, off.x, off.y);
        // A tab has no bottom line: it stands on the page.
        item.bottom += line;
        DrawPlan(dc, item, i == hotItem ? kHotItem : kIdleItem, line);
    }
}

}  // namespace vt
