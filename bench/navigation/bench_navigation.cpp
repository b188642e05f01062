// Navigation timings: the whole NavigateTo into Wine's Explorer-style Open
// dialog of another process (the navtargets test fixture) against the bare
// minimum that changes its folder, and the dispatch's recognition work over a
// window with 500 children that matches no kind, once in this process and
// once in another (where every class name read is a server round trip).
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "navigation/navigate.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::nav;

namespace {

double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string DialogFolder(HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    RemoteBlock block = RemoteBlock::Allocate(pid, MAX_PATH);
    char buf[MAX_PATH + 1] = {};
    if (block && SendToWindow(dialog, CDM_GETFOLDERPATH, MAX_PATH, block.AsLParam()) ==
                     SendStatus::Answered)
        block.Read(0, buf, MAX_PATH);
    return buf;
}

bool SameFolder(HWND dialog, const std::string& want) {
    return _stricmp(DialogFolder(dialog).c_str(), want.c_str()) == 0;
}

struct Process {
    test::ScratchDir logDir{"navbench"};
    test::ChildProcess child;
    HWND window = nullptr;
    bool Start(const std::string& args, const char* cls) {
        const std::string cmd = args.substr(0, args.find(' ')) + " \"" + logDir.Path() +
                                "\\log.txt\"" + args.substr(args.find(' '));
        if (!child.Start(test::BinPath("navtargets.exe"), cmd)) return false;
        window = test::WaitForTopWindow(child.Pid(), cls);
        return window != nullptr;
    }
};

NavigationServices QuietServices(int& shellCalls) {
    NavigationServices s;
    s.shellExecute = [&shellCalls](HWND, const std::string&, const std::string&) { ++shellCalls; };
    return s;
}

int FileDialogRatio() {
    test::ScratchDir dir("navbenchdirs");
    const std::string folders[2] = {dir.MakeDir("left"), dir.MakeDir("right")};
    dir.MakeFile("left\\a.txt");
    dir.MakeFile("right\\b.txt");
    Process p;
    if (!p.Start("open-explorer \"" + folders[0] + "\"", "#32770")) {
        fprintf(stderr, "no file dialog\n");
        return 1;
    }
    const FileDialogControls c = LocateFileDialogControls(CWnd(p.window));
    if (!c.fileNameBox || !SameFolder(p.window, folders[0])) {
        fprintf(stderr, "file dialog not ready\n");
        return 1;
    }
    int shellCalls = 0;
    const NavigationServices services = QuietServices(shellCalls);
    AppSettings settings;
    FolderList list;
    list[0].path = folders[1];
    list[1].path = folders[0];
    std::vector<double> bare, full;
    int failures = 0;
    for (int i = 0; i < 40; ++i) {
        // Bare minimum: the folder into the box, OK clicked; left -> right.
        double t = Now();
        SendMessageA(c.fileNameBox.GetSafeHwnd(), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(folders[1].c_str()));
        SendMessageA(c.okButton.GetSafeHwnd(), BM_CLICK, 0, 0);
        bare.push_back(Now() - t);
        failures += !test::WaitUntil([&] { return SameFolder(p.window, folders[1]); }, 3000);

        // Vantrel's whole navigation from recognition on; right -> left.
        CWnd target(p.window);
        t = Now();
        NavigateTo(kFirstFolderCommand + 1, list, settings, target, nullptr, services);
        full.push_back(Now() - t);
        failures += !test::WaitUntil([&] { return SameFolder(p.window, folders[0]); }, 3000);
    }
    const double mBare = Median(bare), mFull = Median(full);
    printf("navigate_file_dialog_ms: %.2f ms\n", mFull);
    printf("navigate_file_dialog_bare_ms: %.2f ms\n", mBare);
    printf("navigate_file_dialog_ratio: %.3f ratio\n", mFull / mBare);
    if (failures || shellCalls) fprintf(stderr, "%d folder changes missing, %d shell calls\n",
                                        failures, shellCalls);
    return failures || shellCalls;
}

// Median time of 40 dispatches against the window, each ending in the shell.
double MedianDispatchMs(HWND window, bool& ok) {
    int shellCalls = 0;
    const NavigationServices services = QuietServices(shellCalls);
    AppSettings settings;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    FolderList list;
    list[0].path = windows;
    std::vector<double> times;
    for (int i = 0; i < 40; ++i) {
        CWnd target(window);
        const double t = Now();
        NavigateTo(kFirstFolderCommand, list, settings, target, nullptr, services);
        times.push_back(Now() - t);
    }
    ok = shellCalls == 40;
    if (!ok) fprintf(stderr, "expected the shell fallback every time\n");
    return Median(times);
}

// The same window as the fixture's "many" mode, made in this process.
HWND MakeManyWindow(int n) {
    HWND w = CreateWindowExA(0, "Static", "Many", WS_OVERLAPPEDWINDOW, 100, 100, 500, 300,
                             nullptr, nullptr, nullptr, nullptr);
    for (int i = 0; w && i < n; ++i)
        CreateWindowExA(0, i % 2 ? "Button" : "Static", "", WS_CHILD | WS_VISIBLE,
                        (i % 50) * 10, (i / 50) * 10, 5, 5, w,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(2000 + i)), nullptr,
                        nullptr);
    return w;
}

int Recognise500() {
    bool localOk = false, remoteOk = false;
    HWND local = MakeManyWindow(500);
    if (!local) {
        fprintf(stderr, "no local window\n");
        return 1;
    }
    printf("recognise_500_children_ms: %.2f ms\n", MedianDispatchMs(local, localOk));
    DestroyWindow(local);

    Process p;
    if (!p.Start("many 500", "VtNavFixtureDialog")) {
        fprintf(stderr, "no window\n");
        return 1;
    }
    test::WaitUntil([&] { return GetDlgItem(p.window, 2000 + 499) != nullptr; }, 5000);
    printf("recognise_500_children_remote_ms: %.2f ms\n", MedianDispatchMs(p.window, remoteOk));
    return !(localOk && remoteOk);
}

}  // namespace

int main() {
    const int a = FileDialogRatio();
    const int b = Recognise500();
    return a || b;
}
