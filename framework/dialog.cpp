#include "framework/dialog.h"

#include "framework/app.h"
#include "framework/ddx.h"
#include "framework/dlginit.h"
#include "framework/trace.h"

namespace vt {

INT_PTR CDialog::DoModal() {
    if (hwnd_) return -1;
    CWinApp* app = GetApp();
    HINSTANCE inst = app && app->instance_ ? app->instance_ : GetModuleHandleA(nullptr);
    // The dialog window is the first window the call creates: attached from
    // its first message on, it sees the measuring of its owner-drawn controls.
    HookNextCreation();
    INT_PTR result = DialogBoxParamA(inst, MAKEINTRESOURCEA(templateId_), parent_, StaticDlgProc,
                                     reinterpret_cast<LPARAM>(this));
    // A template that could not be loaded made no window: the next window
    // of the thread must not be taken for this dialog.
    UnhookCreation();
    return result;
}

void CDialog::EndDialog(INT_PTR result) {
    if (hwnd_) ::EndDialog(hwnd_, result);
}

bool CDialog::UpdateData(bool saveAndValidate) {
    if (!hwnd_) return false;
    CDataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

BOOL CDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void CDialog::CenterWindow() const {
    if (!hwnd_) return;
    HWND owner = ::GetWindow(hwnd_, GW_OWNER);
    RECT area = {};
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        MONITORINFO mi = {};
        mi.cbSize = sizeof mi;
        HMONITOR monitor = MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY);
        if (!GetMonitorInfoA(monitor, &mi)) return;
        area = mi.rcWork;
    }
    const RECT me = GetWindowRect();
    const int w = me.right - me.left, h = me.bottom - me.top;
    int x = area.left + (area.right - area.left - w) / 2;
    int y = area.top + (area.bottom - area.top - h) / 2;
    // Never above or left of the area: the caption must stay reachable.
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::OnUnhandledCommand(UINT id, UINT code) {
    if (code == BN_CLICKED || code == 1) {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}

LRESULT CDialog::WindowProc(UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_INITDIALOG) {
        LRESULT r = 0;
        if (Table().DispatchMessage(msg, w, l, r)) return r;
        // The template's initial control data (drop-down list strings) comes
        // before the first exchange, which selects among them.
        CWinApp* app = GetApp();
        ExecuteDlgInit(hwnd_, app && app->instance_ ? app->instance_ : GetModuleHandleA(nullptr),
                       templateId_);
        r = OnInitDialog();
        // Dialogs open where the user looks, not at the owner's corner.
        if (hwnd_ && !(GetStyle() & WS_CHILD)) CenterWindow();
        return r;
    }
    return CWindowImpl::WindowProc(msg, w, l);
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    // The dialog window was attached when it was created, so its messages
    // reach the object through the window procedure and the system's dialog
    // procedure only asks this one for what the object left alone. Should the
    // attaching have failed, the object takes the window over here.
    if (msg != WM_INITDIALOG || FromHandlePermanent(h)) return FALSE;
    auto* dlg = reinterpret_cast<CDialog*>(l);
    if (!dlg || dlg->hwnd_) return FALSE;
    auto prev = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticWndProc)));
    dlg->Attach(h, prev);
    dlg->current_ = MSG{h, msg, w, l, 0, {0, 0}};
    try {
        return dlg->WindowProc(msg, w, l);
    } catch (...) {
        // Never let an exception unwind through the system's code.
        TraceCurrentException("WM_INITDIALOG");
        return TRUE;
    }
}

}  // namespace vt
