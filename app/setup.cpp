// "Setup...": the Setup dialog on copies of the folder list and the options.
#include "app/mainframe.h"

#include "dialogs/setupdlg.h"

namespace vt {

const char kSaveFailedText[] = "Vantrel could not save its settings.";

void CMainFrame::OnSetup() {
    // One dialog at a time: with one already open, that one comes to the front.
    if (RaiseOpenDialog()) return;
    FinishStartup();  // the rows show the system images of special folders
    {
        CSetupDlg dlg(hwnd_);
        dlg.folders_ = store_.folders;
        dlg.settings_ = store_.settings;
        dlg.programKey_ = "HKEY_CURRENT_USER\\" + store_.Profile().KeyPath();
        dlg.shortcutAvailable = [this](const AppSettings& s) { return ShortcutAvailable(s); };
        INT_PTR result = IDCANCEL;
        {
            ModalScope modal(*this);
            result = dlg.DoModal();
        }
        if (result == IDOK) {
            // A new combination that fails later is told anew.
            if (ShortcutOf(dlg.settings_) != ShortcutOf(store_.settings))
                store_.ForgetTakenShortcutTold();
            store_.folders = dlg.folders_;
            store_.settings = dlg.settings_;
            // The edited list stays in memory for this run either way.
            if (!SaveSettings()) Report(kSaveFailedText);
            RegisterShortcut();
            UpdateTrayIcon();
            ForgetPreparedMenu();
            UpdateAutoSwitch();
        }
    }
    if (TargetWindow) {
        TargetWindow.SetForegroundWindow();
        TargetWindow.SetActiveWindow();
        TargetWindow = CWnd();
    }
}

}  // namespace vt
