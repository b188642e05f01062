// Adding a folder handed over from outside: by a second start (command 32772
// with the path in "Dir To Add"), by a first start with a path, or again by
// the tray icon's double-click.
#include "app/mainframe.h"

#include "dialogs/foldereditdlg.h"
#include "shell/iconsources.h"

namespace vt {

void CMainFrame::AddFolderFromPath(const std::string& path) {
    FinishStartup();  // a first start with a path gets here before the message loop
    CFolderEditDlg dlg(hwnd_);
    dlg.path_ = path;
    dlg.title_ = path;
    FindDefaultIcon(path, dlg.iconFile_, dlg.iconIndex_);
    INT_PTR result = IDCANCEL;
    {
        ModalScope modal(*this);
        result = dlg.DoModal();
    }
    if (result != IDOK) return;
    store_.folders[NextFolderKey(store_.folders)] =
        FolderEntry{dlg.path_, dlg.title_, dlg.iconFile_, dlg.iconIndex_};
    SaveSettings();
    ForgetPreparedMenu();
}

void CMainFrame::OnAddFolder() {
    // One dialog at a time: a second hand-over while the editor (or any
    // other dialog) is open brings that dialog to the front. The path stays
    // in "Dir To Add", so the tray icon's double-click offers it later.
    if (RaiseOpenDialog()) return;
    const std::string path = store_.ReadDirToAdd();
    if (!path.empty()) AddFolderFromPath(path);
}

}  // namespace vt
