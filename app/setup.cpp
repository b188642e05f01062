// "Setup...": the Setup dialog on copies of the folder list and the options.
#include "app/mainframe.h"

#include "dialogs/setupdlg.h"

namespace vt {

const char kSaveFailedText[] = "Vantrel could not save its settings.";

void CMainFrame::OnSetup() {
    // One dialog at a time: with one already open, that one comes to the front.
    if (modalDialogs_ > 0) {
        if (CWnd open = OpenModalDialog()) open.SetForegroundWindow();
        return;
    }
    FinishStartup();  // the rows show the system images of special folders
    {
        CSetupDlg dlg(m_hWnd);
        dlg.m_folders = store_.folders;
        dlg.m_settings = store_.settings;
        INT_PTR result = IDCANCEL;
        {
            ModalScope modal(*this);
            result = dlg.DoModal();
        }
        if (result == IDOK) {
            store_.folders = dlg.m_folders;
            store_.settings = dlg.m_settings;
            // The edited list stays in memory for this run either way.
            if (!SaveSettings()) Report(kSaveFailedText);
            RegisterShortcut();
            UpdateTrayIcon();
        }
    }
    if (TargetWindow) {
        TargetWindow.SetForegroundWindow();
        TargetWindow.SetActiveWindow();
        TargetWindow = CWnd();
    }
}

}  // namespace vt
