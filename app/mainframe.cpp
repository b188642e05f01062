#include "app/mainframe.h"

#include <iterator>

#include "app/vantrelapp.h"
#include "shell/iconsources.h"
#include "framework/dpi.h"
#include "navigation/navigate.h"
#include "navigation/recognise.h"
#include "navigation/sendwindow.h"
#include "resources/resource.h"
#include "uikit/menu/menutheme.h"
#include "uikit/theme.h"

namespace vt {

bool RegisterNonRepeatingHotKey(HWND window, int id, UINT modifiers, UINT vk) {
    // A held key repeats, and every repeat would be another activation; a
    // system that does not know MOD_NOREPEAT refuses the registration, and
    // then the plain one has to do.
    return RegisterHotKey(window, id, modifiers | MOD_NOREPEAT, vk) ||
           RegisterHotKey(window, id, modifiers, vk);
}

namespace {
constexpr UINT_PTR kNoticeTimer = 1;
constexpr UINT kNoticeRetryMs = 500;
const char kAcceleratorFailedText[] =
    "Vantrel failed to initialize the global keyboard accelerator.";

int MenuStyleForTheme() { return Theme().IsAppThemed() ? kFlatMenuStyle : kClassicMenuStyle; }

// The recognisers, for the window in front.
std::function<bool(FrontWindowKind)> FrontWindowKindTest(CWnd front) {
    return [front](FrontWindowKind kind) {
        switch (kind) {
            case FrontWindowKind::Explorer:
                return nav::IsExplorerWindow(front);
            case FrontWindowKind::FileDialog:
                return nav::IsFileDialog(front);
            case FrontWindowKind::BrowseForFolder:
                return nav::IsBrowseForFolderDialog(front);
            case FrontWindowKind::SnakeList:
                return nav::IsSnakeListDialog(front);
        }
        return false;
    };
}
}  // namespace

CMainFrame::CMainFrame(CRegProfile profile) : store_(std::move(profile)) {
    UsePictureSize(SmallIconSizeForDpi(SystemDpi()));
    CNewMenu::SetUsePreparedImages(FALSE);
    CNewMenu::SetMenuStyle(MenuStyleForTheme());
    store_.deferSystemIcons = true;
    LoadSettings();

    auto& t = Table();
    t.OnMessage(WM_CREATE, [this](WPARAM, LPARAM l) { return OnCreate(l); });
    t.OnCommand(ID_SETUP, [this](UINT) { OnSetup(); });
    t.OnCommand(ID_ADD_FOLDER, [this](UINT) { OnAddFolder(); });
    t.OnCommand(ID_POP_MENU, [this](UINT) { OnPopMenu(); });
    t.OnUpdateCommand(ID_SETUP, [](CCmdUI& ui) { ui.Enable(true); });
    t.OnMessage(WM_HOTKEY, [this](WPARAM w, LPARAM l) { return OnHotKey(w, l); });
    t.OnMessage(WM_SETTINGCHANGE, [this](WPARAM w, LPARAM l) { return OnSettingChange(w, l); });
    t.OnCommandRange(ID_FOLDER_FIRST, ID_FOLDER_LAST, [this](UINT id) { NavigateTo(id); });
    t.OnUpdateCommandRange(ID_FOLDER_FIRST, ID_FOLDER_LAST, [](CCmdUI& ui) { ui.Enable(true); });
    t.OnCommandRange(ID_OPEN_FOLDER_FIRST, ID_OPEN_FOLDER_LAST,
                     [this](UINT id) { NavigateToOpenFolder(id); });
    t.OnUpdateCommandRange(ID_OPEN_FOLDER_FIRST, ID_OPEN_FOLDER_LAST,
                           [](CCmdUI& ui) { ui.Enable(true); });
    t.OnMessage(kTrayCallbackMessage, [this](WPARAM w, LPARAM l) { return OnTrayNotify(w, l); });
    t.OnMessage(HookRightButtonMessage(), [this](WPARAM, LPARAM) { return OnHookRightButton(); });
    t.OnMessage(HookWheelMessage(), [this](WPARAM, LPARAM) { return OnHookWheel(); });
    t.OnMessage(WM_MENUCHAR, [this](WPARAM w, LPARAM l) { return OnMenuChar(w, l); });
    t.OnMessage(WM_MENU_SELECTION_CHECK, [this](WPARAM, LPARAM) { return OnMenuSelectionCheck(); });
    t.OnMessage(WM_FINISH_STARTUP, [this](WPARAM, LPARAM) -> LRESULT {
        FinishStartup();
        // The first showing then costs what any other does.
        ForgetPreparedMenu();
        return 0;
    });
    t.OnMessage(WM_PREPARE_MENU, [this](WPARAM, LPARAM) -> LRESULT {
        PrepareMenuAtIdle();
        return 0;
    });
    // What the kept menu was measured and drawn for has changed.
    for (UINT m : {UINT(WM_SYSCOLORCHANGE), UINT(WM_THEMECHANGED), UINT(WM_DISPLAYCHANGE)})
        t.OnMessage(m, [this, m](WPARAM w, LPARAM l) -> LRESULT {
            const LRESULT r = CallPrevious(m, w, l);
            ForgetPreparedMenu();
            return r;
        });
    t.OnMessage(WM_STARTUP_NOTICES, [this](WPARAM, LPARAM) -> LRESULT {
        ShowStartupNotices();
        return 0;
    });
    t.OnMessage(WM_TIMER, [this](WPARAM id, LPARAM l) -> LRESULT {
        if (id == CAutoSwitch::kTimerId) {
            autoSwitch_.OnTimer();
            return 0;
        }
        if (id != kNoticeTimer) return CallPrevious(WM_TIMER, id, l);
        KillTimer(hwnd_, kNoticeTimer);
        ShowStartupNotices();
        return 0;
    });
    t.OnMessage(WM_NAVIGATION_PROBLEM, [this](WPARAM w, LPARAM) -> LRESULT {
        OnNavigationProblem(w);
        return 0;
    });
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
    return CreateEx(0, "STATIC", "Vantrel", 0, 0, 0, 0, 0, nullptr, nullptr);
}

void CMainFrame::FinishStartup() { store_.ResolveSystemIcons(); }

void CMainFrame::Report(const std::string& text) {
    ModalScope modal(*this);
    if (reportMessage)
        reportMessage(text);
    else
        MessageBoxA(hwnd_, text.c_str(), "Vantrel", MB_OK);
}

namespace {
struct FindOwned {
    HWND owner;
    HWND found;
};
BOOL CALLBACK FindVisibleOwned(HWND w, LPARAM p) {
    auto* f = reinterpret_cast<FindOwned*>(p);
    if (GetWindow(w, GW_OWNER) == f->owner && IsWindowVisible(w)) {
        f->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

CWnd CMainFrame::OpenModalDialog() const {
    if (!activation_.DialogOpen()) return CWnd();
    // A dialog of the hidden main window is owned by it; the last active
    // popup of that dialog is the one on top when dialogs nest.
    FindOwned f{hwnd_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleOwned, reinterpret_cast<LPARAM>(&f));
    if (!f.found) return CWnd();
    return CWnd(f.found).GetLastActivePopup();
}

bool CMainFrame::RaiseOpenDialog() {
    if (!activation_.DialogOpen()) return false;
    if (CWnd dialog = OpenModalDialog()) dialog.SetForegroundWindow();
    return true;
}

bool CMainFrame::AcceptActivation(ActivationTrigger trigger) {
    switch (activation_.Decide(trigger, store_.settings)) {
        case ActivationVerdict::PopMenu:
            return true;
        case ActivationVerdict::RaiseDialog:
            RaiseOpenDialog();
            return false;
        case ActivationVerdict::Ignore:
            break;
    }
    return false;
}

LRESULT CMainFrame::OnCreate(LPARAM) {
    if (Default() == -1) return -1;
    if (store_.FirstRun())
        ChooseFirstRunShortcut();
    else
        RegisterShortcut();
    UpdateTrayIcon();
    UpdateAutoSwitch();
    auto* app = dynamic_cast<CVantrelApp*>(GetApp());
    HICON icon = app ? app->AppIcon() : nullptr;
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    hookLibrary_.Load(hwnd_, [this](const std::string& text) { Report(text); });
    return 0;
}

void CMainFrame::QueueNotice(const std::string& text, bool balloon) {
    // Nothing told may hold up the creation or the publishing of the window:
    // a notice queued while the window is made waits until start-up is over.
    notices_.push_back({text, balloon});
    if (hwnd_ && notices_.size() == 1) PostMessage(WM_STARTUP_NOTICES);
}

void CMainFrame::ShowStartupNotices() {
    if (notices_.empty()) return;
    // Not over the menu (a first start with "/pop") nor over a dialog: later.
    if (activation_.Busy()) {
        SetTimer(hwnd_, kNoticeTimer, kNoticeRetryMs, nullptr);
        return;
    }
    std::vector<Notice> pending;
    pending.swap(notices_);
    for (const Notice& n : pending) {
        if (n.balloon && trayIcon_.ShowBalloon("Vantrel", n.text.c_str())) continue;
        Report(n.text);
    }
}

bool CMainFrame::RegisterCombination(const Shortcut& k) {
    UnregisterHotKey(hwnd_, kHotKeyId);
    if (k.vk == 0) return true;
    return RegisterNonRepeatingHotKey(hwnd_, kHotKeyId, k.modifiers, k.vk);
}

void CMainFrame::ShortcutRefused(const Shortcut& k) {
    // The tray icon stays as a way in for this run; the saved setting is kept.
    store_.settings.showTray = true;
    UpdateTrayIcon();
    // Said once per combination: a program that holds it at every logon
    // would otherwise greet the user with the same message every time.
    const DWORD packed = PackShortcut(k);
    if (store_.ReadTakenShortcutTold() == packed) return;
    store_.WriteTakenShortcutTold(packed);
    QueueNotice(std::string(kAcceleratorFailedText) + "\n\nAnother program uses " +
                    DescribeShortcut(k) +
                    ". Choose another keyboard shortcut in Setup; until then, click the "
                    "tray icon to pop up the menu.",
                false);
}

void CMainFrame::ChooseFirstRunShortcut() {
    const Shortcut wanted = ShortcutOf(store_.settings);
    if (wanted.vk == 0) {
        RegisterCombination(wanted);  // preset to none: nothing to tell
        return;
    }
    Shortcut chosen = wanted;
    bool ok = RegisterCombination(wanted);
    for (size_t i = 0; !ok && i < std::size(kFirstRunShortcuts); ++i) {
        if (kFirstRunShortcuts[i] == wanted) continue;
        if (RegisterCombination(kFirstRunShortcuts[i])) {
            ok = true;
            chosen = kFirstRunShortcuts[i];
            StoreShortcut(store_.settings, chosen);
            store_.SaveShortcut();
        }
    }
    if (!ok) {
        ShortcutRefused(wanted);
        return;
    }
    QueueNotice("Vantrel is running. Press " + DescribeShortcut(chosen) +
                    " to pop up your menu of folders. Setup (in that menu) changes the "
                    "shortcut.",
                true);
}

bool CMainFrame::ShortcutAvailable(const AppSettings& candidate) {
    const Shortcut k = ShortcutOf(candidate);
    if (k.vk == 0) return true;
    // Our own registration of the same combination would refuse it.
    UnregisterHotKey(hwnd_, kHotKeyId);
    const bool free = RegisterHotKey(hwnd_, kHotKeyId, k.modifiers, k.vk) != FALSE;
    UnregisterHotKey(hwnd_, kHotKeyId);
    const Shortcut current = ShortcutOf(store_.settings);
    if (current.vk) RegisterNonRepeatingHotKey(hwnd_, kHotKeyId, current.modifiers, current.vk);
    return free;
}

void CMainFrame::RegisterShortcut() {
    const Shortcut wanted = ShortcutOf(store_.settings);
    if (!RegisterCombination(wanted)) ShortcutRefused(wanted);
}

void CMainFrame::UpdateTrayIcon() {
    if (store_.settings.showTray) {
        if (!trayIconHandle_) {
            trayIconHandle_ = LoadTrayIcon(IDR_MAINFRAME);  // at the system DPI's size
            trayIcon_.Create(*this, kTrayIconId, "Vantrel", trayIconHandle_, kTrayCallbackMessage,
                             0, FALSE);
        }
        trayIcon_.ShowIcon();
    } else if (trayIconHandle_) {
        trayIcon_.HideIcon();
    }
}

void CMainFrame::UpdateAutoSwitch() {
    if (!store_.settings.autoSwitch) {
        autoSwitch_.Stop();
        return;
    }
    if (autoSwitch_.Watching()) return;
    CForegroundFollower::World world;
    world.isFileDialog = [](HWND w) {
        nav::DescendantClasses tree{CWnd(w)};
        return nav::IsFileDialog(tree) || nav::IsSnakeListDialog(tree);
    };
    world.explorerFolder = [this](HWND w) { return openFolders_.FolderOf(w); };
    world.exists = [](HWND w) { return ::IsWindow(w) != FALSE; };
    autoSwitch_.Start(hwnd_, std::move(world), [this](HWND dialog, const std::string& folder) {
        // As a pick with no keys held: the dialog shows the folder and keeps
        // the file name the user typed.
        nav::NavigationRequest request;
        request.path = folder;
        request.isDirectory = true;
        request.reuseExplorer = true;
        request.action = store_.settings.action == 2 ? 0 : store_.settings.action;
        request.target = dialog;
        StartNavigation(request);
    });
}

LRESULT CMainFrame::OnHotKey(WPARAM id, LPARAM) {
    if (!AcceptActivation(ActivationTrigger::HotKey)) return 0;
    TargetWindow = CWnd();
    if (id != static_cast<WPARAM>(kHotKeyId)) return 0;
    TargetWindow = CWnd::GetForegroundWindow();
    ShowFolderMenu(TargetWindow);
    return 0;
}

void CMainFrame::OnPopMenu() {
    if (!AcceptActivation(ActivationTrigger::PopCommand)) return;
    TargetWindow = CWnd::GetForegroundWindow();
    ShowFolderMenu(TargetWindow);
}

LRESULT CMainFrame::OnTrayNotify(WPARAM w, LPARAM l) {
    if (l == WM_LBUTTONUP || l == WM_RBUTTONUP) {
        if (!AcceptActivation(ActivationTrigger::TrayIcon)) return 1;
        // A folder chosen from the tray's menu is opened by the shell: a
        // window recorded by an earlier, dismissed menu is no target any more.
        TargetWindow = CWnd();
        ShowFolderMenu(CWnd());
        return 1;
    }
    trayIcon_.OnTrayNotification(w, l);
    return 0;
}

LRESULT CMainFrame::OnHookRightButton() {
    if (!AcceptActivation(ActivationTrigger::HookRightButton)) return 0;
    CWnd front = CWnd::GetForegroundWindow();
    if (!CActivationRule::AcceptsFrontWindow(ActivationTrigger::HookRightButton,
                                             FrontWindowKindTest(front)))
        return 0;
    POINT pt = {};
    GetCursorPos(&pt);
    // Another program's window: a hung one must not freeze Vantrel.
    LRESULT hit = nav::SendForResult(front.hwnd_, WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y));
    if (!IsCaptionButtonHit(hit)) return 0;
    TargetWindow = front;
    ShowFolderMenu(TargetWindow);
    return 0;
}

LRESULT CMainFrame::OnHookWheel() {
    if (!AcceptActivation(ActivationTrigger::HookWheel)) return 0;
    CWnd front = CWnd::GetForegroundWindow();
    if (!CActivationRule::AcceptsFrontWindow(ActivationTrigger::HookWheel,
                                             FrontWindowKindTest(front)))
        return 0;
    TargetWindow = front;
    ShowFolderMenu(TargetWindow);
    return 0;
}

LRESULT CMainFrame::OnSettingChange(WPARAM w, LPARAM l) {
    LRESULT r = CallPrevious(WM_SETTINGCHANGE, w, l);
    CNewMenu::SetMenuStyle(MenuStyleForTheme());
    // The next menu loads every folder picture afresh; the pictures already
    // added stay in the collection.
    pictureCache_.Clear();
    ForgetSpecialFolderPaths();
    ForgetPreparedMenu();
    return r;
}

void CMainFrame::NavigateTo(UINT id) {
    // The keys held and the target are taken now; the target is driven on a
    // thread of its own, so that a slow or hung program cannot freeze Vantrel.
    nav::NavigationRequest request;
    if (!nav::PrepareNavigation(id, store_.folders, store_.settings, TargetWindow, {}, request))
        return;
    StartNavigation(request);
}

void CMainFrame::StartNavigation(const nav::NavigationRequest& request) {
    nav::NavigationServices services;
    // The navigation's thread tells this one, which owns the message boxes.
    services.reportProblem = [window = hwnd_](nav::NavigationProblem p) {
        ::PostMessageA(window, WM_NAVIGATION_PROBLEM, static_cast<WPARAM>(p), 0);
    };
    navigator_.Start(request, hwnd_, std::move(services));
}

void CMainFrame::OnNavigationProblem(WPARAM problem) {
    if (problem == static_cast<WPARAM>(nav::NavigationProblem::TargetElevated))
        Report(
            "The window in front runs as administrator, so Vantrel cannot reach it. "
            "Start Vantrel as administrator to use it there.");
}

bool CMainFrame::DestroyWindow() {
    autoSwitch_.Stop();
    hookLibrary_.Unload();
    UnregisterHotKey(hwnd_, kHotKeyId);
    if (trayIconHandle_) trayIcon_.RemoveIcon();
    return CFrameWnd::DestroyWindow();
}

}  // namespace vt
