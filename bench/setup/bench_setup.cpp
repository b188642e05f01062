// setup_open_ms: the Setup dialog with 100 folders, from the dialog being made
// (registry flags read, the working copies filled) to the moment it has
// painted everything, row images included, and waits for the user (its first
// idle). setup_open_ratio: the same against the same template with the same
// 100 rows and no row images, in the same run, interleaved.
#include <windows.h>
#include <shlobj.h>
#include <stdio.h>

#include <string>

#include "shell/iconsources.h"
#include "dialogs/setupdlg.h"
#include "support/benchsupport.h"

using namespace vt;

namespace {

// The same dialog with rows but no row images.
class CPlainSetupDlg : public CSetupDlg {
public:
    using CSetupDlg::CSetupDlg;

protected:
    int AddRowImage(const FolderEntry&) override { return -1; }
};

// A realistic mix: special folders with system images, icons from the
// shell's library, plain folders with the default picture.
FolderList MakeFolders(int n) {
    FolderList list;
    const std::string shell32 = GetDefaultIconFile();
    const int specials[] = {CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_MYPICTURES,
                            CSIDL_MYMUSIC,  CSIDL_WINDOWS,          CSIDL_SYSTEM};
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    for (int i = 0; i < n; ++i) {
        FolderEntry e;
        e.title = "Folder number " + std::to_string(i);
        e.path = std::string(windows) + "\\Folder" + std::to_string(i) + "\\";
        if (i % 3 == 0) {
            char path[MAX_PATH] = {};
            SHGetFolderPathA(nullptr, specials[(i / 3) % 6], nullptr, 0, path);
            int index = -1;
            if (GetSystemIconIndex(path, index)) {
                e.path = path;
                e.iconFile = kSystemImageListMarker;
                e.iconIndex = index;
            }
        } else if (i % 3 == 1) {
            e.iconFile = shell32;
            e.iconIndex = i % 40;
        }
        list[i] = e;
    }
    return list;
}

template <class Dialog>
double OpenOnce(bench::DialogIdleTimer& timer, const FolderList& folders) {
    return timer.TimeToFirstIdle([&] {
        Dialog dlg(timer.Owner());
        dlg.folders_ = folders;
        dlg.DoModal();
    });
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    bench::DialogIdleTimer timer;
    HWND owner = timer.Owner();
    if (!owner) {
        fprintf(stderr, "benchmark setup failed: no owner window\n");
        return 1;
    }
    const FolderList folders = MakeFolders(100);
    auto withImages = [&] { return OpenOnce<CSetupDlg>(timer, folders); };
    auto plain = [&] { return OpenOnce<CPlainSetupDlg>(timer, folders); };
    // One of each first: the shell's image list, the library's pages, classes.
    withImages();
    plain();
    const bench::Paired p = bench::Interleave(11, withImages, plain);
    bench::Comment(
        "setup: 100 folders (a third each system images, library icons, the default "
        "picture); to the dialog's first idle");
    bench::PrintRatio("setup_open_ms", "setup_open_plain_ms", "setup_open_ratio", p);
    CoUninitialize();
    return p.Pairs() > 0 ? 0 : 1;
}
