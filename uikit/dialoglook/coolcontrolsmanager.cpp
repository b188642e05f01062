#include "uikit/dialoglook/coolcontrolsmanager.h"

#include <commctrl.h>

#include <string>

#include "framework/trace.h"
#include "framework/wnd.h"
#include "uikit/dialoglook/ccmcheckbox.h"
#include "uikit/dialoglook/ccmcombobox.h"
#include "uikit/dialoglook/ccmcontrol.h"
#include "uikit/dialoglook/ccmdatetime.h"
#include "uikit/dialoglook/ccmdialog.h"
#include "uikit/dialoglook/ccmedit.h"
#include "uikit/dialoglook/ccmeditcombo.h"
#include "uikit/dialoglook/ccmheaderctrl.h"
#include "uikit/dialoglook/ccmipaddress.h"
#include "uikit/dialoglook/ccmpushbutton.h"
#include "uikit/dialoglook/ccmradiobutton.h"
#include "uikit/dialoglook/ccmscrollbar.h"
#include "uikit/dialoglook/ccmtabcontrol.h"
#include "uikit/dialoglook/ccmtoolbar.h"
#include "uikit/dialoglook/ccmtrackbar.h"
#include "uikit/dialoglook/ccmupdown.h"
#include "uikit/dialoglook/flatdrawing.h"

namespace vt {

namespace {

constexpr UINT kTimerMs = 100;

using CCM = CCoolControlsManager;

bool Is(const std::string& a, const char* b) { return lstrcmpiA(a.c_str(), b) == 0; }

DWORD ThreadOf(DWORD threadId) {
    return threadId == CCM::kCurrentThread ? GetCurrentThreadId() : threadId;
}

}  // namespace

CCoolControlsManager& CCoolControlsManager::Instance() {
    static CCoolControlsManager manager;
    return manager;
}

CCoolControlsManager::CCoolControlsManager()
    : dialogs_([this](HWND dialog) { AddDialog(dialog); },
               [](HWND) { return std::make_unique<CCMDialog>(); }) {}

CCoolControlsManager::~CCoolControlsManager() {
    // The dialogs first: a dialog's link adds controls while it lives.
    dialogs_.LetGoAll();
    controls_.clear();  // each control leaves its chain
}

void CCoolControlsManager::Install(DWORD threadId) { dialogs_.Install(ThreadOf(threadId)); }

void CCoolControlsManager::Uninstall(DWORD threadId) {
    dialogs_.Uninstall(ThreadOf(threadId));
    if (!dialogs_.AnyInstalled() && timerId_ && timerThread_ == GetCurrentThreadId()) {
        KillTimer(nullptr, timerId_);
        timerId_ = 0;
    }
}

bool CCoolControlsManager::InstallUnlessThemed(const CThemeAccess& theme) {
    if (theme.IsAppThemed()) return false;
    Install(kCurrentThread);
    return IsInstalled();
}

bool CCoolControlsManager::IsInstalled(DWORD threadId) const {
    return dialogs_.IsInstalled(ThreadOf(threadId));
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
    if (!dialog || dialogs_.IsFollowed(dialog)) return;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if ((flat::StyleOf(c) & WS_CHILD) && !flat::ClassIs(c, "#32770")) AddControl(c);
    dialogs_.Follow(dialog);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (CCMControl* control = Find(c)) control->Update();
}

int CCoolControlsManager::AddControl(HWND window, const char* className) {
    if (!window || controls_.count(window)) return 0;
    const Kind kind = Classify(window, className);
    if (kind == Kind::Skip) return 0;
    auto control = MakeControl(kind, window);
    if (!control->HookWindow(window)) return 0;
    controls_[window] = std::move(control);
    StartTimer();
    return 1;
}

void CCoolControlsManager::RemoveControl(HWND window) {
    auto it = controls_.find(window);
    if (it == controls_.end()) return;
    it->second->UnhookWindow();
    if (hotWindow_ == window) hotWindow_ = nullptr;
    controls_.erase(it);
    StopTimerIfIdle();
}

CCM::Kind CCoolControlsManager::Classify(HWND window, const char* className) {
    const std::string cls = className ? className : WindowClassName(window);
    const LONG_PTR style = flat::StyleOf(window);
    const bool edge = flat::HasClientEdge(window);
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
        if (parent && flat::ClassIs(parent, "ComboBox") &&
            (flat::StyleOf(parent) & 3) == CBS_SIMPLE)
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

std::unique_ptr<CCM::CCMControl> CCoolControlsManager::MakeControl(Kind kind, HWND w) {
    switch (kind) {
        case Kind::PushButton:
            return std::make_unique<CCMPushButton>(w);
        case Kind::CheckBox:
            return std::make_unique<CCMCheckBox>(w);
        case Kind::RadioButton:
            return std::make_unique<CCMRadioButton>(w);
        case Kind::Edit:
            return std::make_unique<CCMEdit>(w);
        case Kind::EditCombo:
            return std::make_unique<CCMEditCombo>(w);
        case Kind::ComboBox:
            return std::make_unique<CCMComboBox>(w);
        case Kind::DateTime:
            return std::make_unique<CCMDateTime>(w);
        case Kind::UpDown:
            return std::make_unique<CCMUpDown>(w);
        case Kind::ScrollBar:
            return std::make_unique<CCMScrollBar>(w);
        case Kind::IPAddress:
            return std::make_unique<CCMIPAddress>(w);
        case Kind::Trackbar:
            return std::make_unique<CCMTrackbar>(w);
        case Kind::Header:
            return std::make_unique<CCMHeaderCtrl>(w);
        case Kind::Toolbar:
            return std::make_unique<CCMToolbar>(w);
        case Kind::TabControl:
            return std::make_unique<CCMTabControl>(w);  // its hot item starts at -1
        case Kind::Generic:
        case Kind::Skip:
        default:
            return std::make_unique<CCMControl>(w);
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

}  // namespace vt
