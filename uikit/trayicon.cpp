#include "uikit/trayicon.h"

#include <string.h>

#include "framework/dpi.h"

namespace vt {

const UINT WM_TASKBARCREATED = RegisterWindowMessageA("TaskbarCreated");

namespace {
constexpr UINT kShownFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
// The structure sizes the shell knows: the small (first) and the large
// (second, with balloon fields) forms.
constexpr DWORD kSmallSize = NOTIFYICONDATAA_V1_SIZE;
constexpr DWORD kLargeSize = NOTIFYICONDATAA_V2_SIZE;
#ifndef _WIN64
static_assert(kSmallSize == 88 && kLargeSize == 488, "the shell's 32-bit structure sizes");
#endif
static_assert(sizeof(NOTIFYICONDATAA) >= kLargeSize, "room for the large form");
}  // namespace

// ---- CTrayIconHooker --------------------------------------------------------

LRESULT CTrayIconHooker::WindowProc(UINT msg, WPARAM, LPARAM) {
    if (WM_TASKBARCREATED != 0 && msg == WM_TASKBARCREATED) {
        if (trayIcon_) trayIcon_->OnTaskbarCreated();
        return 0;
    }
    return Default();
}

// ---- CTrayNotifyIcon --------------------------------------------------------

CTrayNotifyIcon::CTrayNotifyIcon() : hooker_(this) { memset(&iconData_, 0, sizeof iconData_); }

CTrayNotifyIcon::~CTrayNotifyIcon() {
    RemoveIcon();
    // The menu goes with menu_; the hooker normally left the chain at the
    // owner's WM_NCDESTROY, else its own destructor unhooks it.
}

BOOL CTrayNotifyIcon::Create(const CWnd& owner, UINT iconId, const char* tip, HICON icon,
                             UINT callbackMessage, UINT menuId, BOOL largeStructure) {
    if (!owner.IsWindow()) return FALSE;
    // A second Create starts over with the new data.
    RemoveIcon();
    addPending_ = FALSE;

    HINSTANCE module = GetModuleHandleA(nullptr);
    UniqueMenuHandle menu(LoadMenuA(module, MAKEINTRESOURCEA(menuId ? menuId : iconId)));
    if (!menu) return FALSE;
    HMENU sub = ::GetSubMenu(menu.Get(), 0);
    if (!sub) return FALSE;
    SetMenuDefaultItem(sub, 0, TRUE);
    menu_ = std::move(menu);

    // "TaskbarCreated" is broadcast to top-level windows only.
    HWND top = GetAncestor(owner.GetSafeHwnd(), GA_ROOT);
    hooker_.HookWindow(top ? top : owner.GetSafeHwnd());

    ownerWnd_ = CWnd(owner.GetSafeHwnd());
    memset(&iconData_, 0, sizeof iconData_);
    iconData_.cbSize = largeStructure ? kLargeSize : kSmallSize;
    iconData_.hWnd = owner.GetSafeHwnd();
    iconData_.uID = iconId;
    iconData_.hIcon = icon;
    iconData_.uFlags = kShownFlags;
    iconData_.uCallbackMessage = callbackMessage;
    // The small structure's tip field is 64 characters, the large one's 128.
    lstrcpynA(iconData_.szTip, tip ? tip : "", largeStructure ? 128 : 64);
    hidden_ = FALSE;

    created_ = Shell_NotifyIconA(NIM_ADD, &iconData_) ? TRUE : FALSE;
    addPending_ = !created_;
    return created_;
}

BOOL CTrayNotifyIcon::ShowBalloon(const char* title, const char* text) {
    if (!created_ || hidden_) return FALSE;
    // The balloon fields exist only in the large form; the icon itself may
    // have been added with the small one, which the shell keeps as it is.
    NOTIFYICONDATAA balloon;
    memset(&balloon, 0, sizeof balloon);
    balloon.cbSize = kLargeSize;
    balloon.hWnd = iconData_.hWnd;
    balloon.uID = iconData_.uID;
    balloon.uFlags = NIF_INFO;
    lstrcpynA(balloon.szInfoTitle, title ? title : "", sizeof balloon.szInfoTitle);
    lstrcpynA(balloon.szInfo, text ? text : "", sizeof balloon.szInfo);
    balloon.dwInfoFlags = NIIF_INFO;
    return Shell_NotifyIconA(NIM_MODIFY, &balloon) ? TRUE : FALSE;
}

void CTrayNotifyIcon::HideIcon() {
    if (hidden_ || !ownerWnd_) return;
    iconData_.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_DELETE, &iconData_);
    hidden_ = TRUE;
}

void CTrayNotifyIcon::ShowIcon() {
    if (!hidden_ || !ownerWnd_) return;
    iconData_.uFlags = kShownFlags;
    if (Shell_NotifyIconA(NIM_ADD, &iconData_)) {
        // Whatever was in the tray is removed again at the end.
        created_ = TRUE;
        addPending_ = FALSE;
    }
    hidden_ = FALSE;
}

void CTrayNotifyIcon::RemoveIcon() {
    // A removed icon must not come back with the next "TaskbarCreated".
    addPending_ = FALSE;
    if (!created_) return;
    iconData_.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &iconData_);
    created_ = FALSE;
}

void CTrayNotifyIcon::OnTaskbarCreated() {
    // A hidden icon stays hidden until ShowIcon; a removed one stays removed.
    if (hidden_ || !(created_ || addPending_)) return;
    iconData_.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_DELETE, &iconData_);
    hidden_ = TRUE;
    iconData_.uFlags = kShownFlags;
    created_ = Shell_NotifyIconA(NIM_ADD, &iconData_) ? TRUE : FALSE;
    addPending_ = !created_;
    hidden_ = FALSE;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != iconData_.uID) return 0;
    HMENU sub = GetSubMenu();
    if (!sub) return 1;
    switch (static_cast<UINT>(lParam)) {
        case WM_RBUTTONUP: {
            POINT pt = {};
            GetCursorPos(&pt);
            // Without the foreground the menu would not close when the user
            // clicks elsewhere.
            ownerWnd_.SetForegroundWindow();
            TrackPopupMenu(sub, TPM_LEFTBUTTON, pt.x, pt.y, 0, ownerWnd_.GetSafeHwnd(), nullptr);
            // Lets the owner's thread leave the menu's modal state cleanly.
            ownerWnd_.PostMessage(WM_NULL);
            break;
        }
        case WM_LBUTTONDBLCLK: {
            ownerWnd_.SetForegroundWindow();
            UINT id = GetMenuItemID(sub, 0);
            if (id != static_cast<UINT>(-1))
                ownerWnd_.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
            break;
        }
        default:
            break;
    }
    return 1;
}

// ---- LoadTrayIcon -----------------------------------------------------------

HICON LoadTrayIcon(UINT resourceId) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    // The notification area shows small icons of the system DPI.
    const int size = SmallIconSizeForDpi(SystemDpi());
    auto icon = static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon) icon = LoadIconA(module, MAKEINTRESOURCEA(resourceId));
    return icon;
}

}  // namespace vt
