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
        if (m_pTrayIcon) m_pTrayIcon->OnTaskbarCreated();
        return 0;
    }
    return Default();
}

// ---- CTrayNotifyIcon --------------------------------------------------------

CTrayNotifyIcon::CTrayNotifyIcon() : m_hooker(this) { memset(&m_nid, 0, sizeof m_nid); }

CTrayNotifyIcon::~CTrayNotifyIcon() {
    RemoveIcon();
    // The menu goes with m_menu; the hooker normally left the chain at the
    // owner's WM_NCDESTROY, else its own destructor unhooks it.
}

BOOL CTrayNotifyIcon::Create(const CWnd& owner, UINT iconId, const char* tip, HICON icon,
                             UINT callbackMessage, UINT menuId, BOOL largeStructure) {
    if (!owner.IsWindow()) return FALSE;
    // A second Create starts over with the new data.
    RemoveIcon();
    m_bAddPending = FALSE;

    HINSTANCE module = GetModuleHandleA(nullptr);
    UniqueMenuHandle menu(LoadMenuA(module, MAKEINTRESOURCEA(menuId ? menuId : iconId)));
    if (!menu) return FALSE;
    HMENU sub = ::GetSubMenu(menu.Get(), 0);
    if (!sub) return FALSE;
    SetMenuDefaultItem(sub, 0, TRUE);
    m_menu = std::move(menu);

    // "TaskbarCreated" is broadcast to top-level windows only.
    HWND top = GetAncestor(owner.GetSafeHwnd(), GA_ROOT);
    m_hooker.HookWindow(top ? top : owner.GetSafeHwnd());

    m_wndOwner = CWnd(owner.GetSafeHwnd());
    memset(&m_nid, 0, sizeof m_nid);
    m_nid.cbSize = largeStructure ? kLargeSize : kSmallSize;
    m_nid.hWnd = owner.GetSafeHwnd();
    m_nid.uID = iconId;
    m_nid.hIcon = icon;
    m_nid.uFlags = kShownFlags;
    m_nid.uCallbackMessage = callbackMessage;
    // The small structure's tip field is 64 characters, the large one's 128.
    lstrcpynA(m_nid.szTip, tip ? tip : "", largeStructure ? 128 : 64);
    m_bHidden = FALSE;

    m_bCreated = Shell_NotifyIconA(NIM_ADD, &m_nid) ? TRUE : FALSE;
    m_bAddPending = !m_bCreated;
    return m_bCreated;
}

void CTrayNotifyIcon::HideIcon() {
    if (m_bHidden || !m_wndOwner) return;
    m_nid.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bHidden = TRUE;
}

void CTrayNotifyIcon::ShowIcon() {
    if (!m_bHidden || !m_wndOwner) return;
    m_nid.uFlags = kShownFlags;
    if (Shell_NotifyIconA(NIM_ADD, &m_nid)) {
        // Whatever was in the tray is removed again at the end.
        m_bCreated = TRUE;
        m_bAddPending = FALSE;
    }
    m_bHidden = FALSE;
}

void CTrayNotifyIcon::RemoveIcon() {
    // A removed icon must not come back with the next "TaskbarCreated".
    m_bAddPending = FALSE;
    if (!m_bCreated) return;
    m_nid.uFlags = 0;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bCreated = FALSE;
}

void CTrayNotifyIcon::OnTaskbarCreated() {
    // A hidden icon stays hidden until ShowIcon; a removed one stays removed.
    if (m_bHidden || !(m_bCreated || m_bAddPending)) return;
    m_nid.uFlags = NIF_ICON;
    Shell_NotifyIconA(NIM_DELETE, &m_nid);
    m_bHidden = TRUE;
    m_nid.uFlags = kShownFlags;
    m_bCreated = Shell_NotifyIconA(NIM_ADD, &m_nid) ? TRUE : FALSE;
    m_bAddPending = !m_bCreated;
    m_bHidden = FALSE;
}

LRESULT CTrayNotifyIcon::OnTrayNotification(WPARAM wParam, LPARAM lParam) {
    if (wParam != m_nid.uID) return 0;
    HMENU sub = GetSubMenu();
    if (!sub) return 1;
    switch (static_cast<UINT>(lParam)) {
    case WM_RBUTTONUP: {
        POINT pt = {};
        GetCursorPos(&pt);
        // Without the foreground the menu would not close when the user
        // clicks elsewhere.
        m_wndOwner.SetForegroundWindow();
        TrackPopupMenu(sub, TPM_LEFTBUTTON, pt.x, pt.y, 0, m_wndOwner.GetSafeHwnd(), nullptr);
        // Lets the owner's thread leave the menu's modal state cleanly.
        m_wndOwner.PostMessage(WM_NULL);
        break;
    }
    case WM_LBUTTONDBLCLK: {
        m_wndOwner.SetForegroundWindow();
        UINT id = GetMenuItemID(sub, 0);
        if (id != static_cast<UINT>(-1)) m_wndOwner.SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0);
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
    auto icon = static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                              size, size, LR_DEFAULTCOLOR));
    if (!icon) icon = LoadIconA(module, MAKEINTRESOURCEA(resourceId));
    return icon;
}

}  // namespace vt
