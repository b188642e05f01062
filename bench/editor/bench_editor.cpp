// editor_open_ms: the folder editor for a folder whose icon file holds 300
// icons, from the start of the command to the moment the dialog has painted
// everything and waits for the user (its first idle). editor_open_ratio: the
// same against the same template opened bare (no initialisation, no
// headings, an empty picker) in the same run, interleaved.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "dialogs/foldereditdlg.h"
#include "dialogs/iconsources.h"
#include "framework/dialog.h"
#include "resources/resource.h"

using namespace vt;

namespace {

LARGE_INTEGER g_start;
double g_elapsed = 0;

double MsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

// The owner: the dialog's first idle (everything painted, queue empty) ends
// the measurement and the dialog.
LRESULT CALLBACK OwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ENTERIDLE && wp == MSGF_DIALOGBOX) {
        if (g_elapsed == 0) g_elapsed = MsSince(g_start);
        EndDialog(reinterpret_cast<HWND>(lp), IDCANCEL);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

std::string ExeFolder() {
    char buf[MAX_PATH * 3] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string p(buf);
    return p.substr(0, p.find_last_of('\\'));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

template <class Open>
double Measure(Open open) {
    g_elapsed = 0;
    QueryPerformanceCounter(&g_start);
    open();
    return g_elapsed;
}

}  // namespace

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = OwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtBenchEditorOwner";
    RegisterClassA(&wc);
    HWND owner = CreateWindowA(wc.lpszClassName, "owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               wc.hInstance, nullptr);
    const std::string folder = ExeFolder();
    const std::string iconFile = folder + "\\bench_icons300.dll";
    const UINT count = ExtractIconExA(iconFile.c_str(), -1, nullptr, nullptr, 0);
    if (!owner || count != 300) {
        fprintf(stderr, "benchmark setup failed (owner %p, %u icons)\n", static_cast<void*>(owner), count);
        return 1;
    }
    ComputeIconReferenceValues(folder);

    auto editor = [&] {
        CFolderEditDlg dlg(owner);
        dlg.m_path = folder;
        dlg.m_title = "Benchmark";
        dlg.m_iconFile = iconFile;
        dlg.m_iconIndex = 150;
        dlg.DoModal();
    };
    auto bare = [&] {
        CDialog dlg(IDD_ADDEDIT, owner);
        dlg.DoModal();
    };
    // One of each first: fonts, classes and the library's pages get loaded.
    Measure(editor);
    Measure(bare);
    std::vector<double> editorMs, bareMs;
    for (int i = 0; i < 15; ++i) {
        editorMs.push_back(Measure(editor));
        bareMs.push_back(Measure(bare));
    }
    const double e = Median(editorMs), b = Median(bareMs);
    fprintf(stderr, "# editor: %u icons in the file, 15 interleaved openings each; bare %.1f ms\n",
            count, b);
    printf("editor_open_ms: %.1f ms\n", e);
    printf("editor_open_ratio: %.2f ratio\n", b > 0 ? e / b : 0.0);
    DestroyWindow(owner);
    return 0;
}
