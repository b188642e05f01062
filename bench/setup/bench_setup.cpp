// Opening the Setup dialog with 100 folders: from the dialog being made to the
// end of the folder list's first paint, row images included, against the same
// template with the same 100 rows and no images. Prints
// "setup_open_ms: <v> ms" and "setup_open_ratio: <v> ratio".
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <stdio.h>

#include <algorithm>
#include <vector>

#include "dialogs/iconsources.h"
#include "dialogs/setupdlg.h"
#include "framework/handles.h"

using namespace vt;

namespace {

LARGE_INTEGER g_freq;
LARGE_INTEGER g_painted;
HHOOK g_hook = nullptr;
bool g_done = false;

double Ms(LARGE_INTEGER a, LARGE_INTEGER b) {
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(g_freq.QuadPart);
}

// The end of the folder list's first paint closes the dialog.
LRESULT CALLBACK AfterMessage(int code, WPARAM w, LPARAM l) {
    auto* m = reinterpret_cast<CWPRETSTRUCT*>(l);
    if (code == HC_ACTION && !g_done && m->message == WM_PAINT) {
        char cls[32] = {};
        GetClassNameA(m->hwnd, cls, sizeof cls);
        if (lstrcmpiA(cls, WC_LISTVIEWA) == 0) {
            QueryPerformanceCounter(&g_painted);
            g_done = true;
            PostMessageA(GetParent(m->hwnd), WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(g_hook, code, w, l);
}

// The same dialog without row images.
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
                            CSIDL_MYMUSIC, CSIDL_WINDOWS, CSIDL_SYSTEM};
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
double OpenOnce(const FolderList& folders) {
    g_done = false;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    Dialog dlg(nullptr);
    dlg.m_folders = folders;
    dlg.DoModal();
    return g_done ? Ms(start, g_painted) : -1.0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

int main() {
    InitCommonControls();
    CoInitialize(nullptr);
    QueryPerformanceFrequency(&g_freq);
    g_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
    const FolderList folders = MakeFolders(100);
    // Warm-up: the shell's image list, the library files, the dialog class.
    OpenOnce<CSetupDlg>(folders);
    OpenOnce<CPlainSetupDlg>(folders);
    std::vector<double> withImages, plain;
    for (int round = 0; round < 9; ++round) {
        withImages.push_back(OpenOnce<CSetupDlg>(folders));
        plain.push_back(OpenOnce<CPlainSetupDlg>(folders));
    }
    UnhookWindowsHookEx(g_hook);
    const double mi = Median(withImages), mp = Median(plain);
    printf("setup_open_ms: %.1f ms\n", mi);
    printf("setup_open_ratio: %.2f ratio\n", mp > 0 ? mi / mp : 0.0);
    CoUninitialize();
    return mi > 0 && mp > 0 ? 0 : 1;
}
