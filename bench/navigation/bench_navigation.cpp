// Navigation timings, each against its floor in the same run: the whole
// NavigateTo into Wine's Explorer-style Open dialog of another process (the
// navtargets test fixture) against the bare minimum that changes its folder,
// the same into the imitated Open item dialog of current Windows (the
// itemdialog fixture) against its bare minimum on that dialog,
// and the dispatch's recognition work over a window with 500 children that
// matches no kind against one walk of those children reading each class name
// once, in this process and in another (where every read is a server round
// trip).
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "framework/text.h"
#include "navigation/itemdialog.h"
#include "navigation/navigate.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"
#include "support/benchsupport.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::nav;
using vt::bench::NowMs;

namespace {

std::string DialogFolder(HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    RemoteBlock block = RemoteBlock::Allocate(pid, MAX_PATH);
    char buf[MAX_PATH + 1] = {};
    if (block &&
        SendToWindow(dialog, CDM_GETFOLDERPATH, MAX_PATH, block.AsLParam()) == SendStatus::Answered)
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
    bool Start(const std::string& args, const char* cls,
               const std::string& program = "navtargets.exe") {
        const std::string cmd = args.substr(0, args.find(' ')) + " \"" + logDir.Path() +
                                "\\log.txt\"" + args.substr(args.find(' '));
        if (!child.Start(test::BinPath(program), cmd)) return false;
        window = test::WaitForTopWindow(child.Pid(), cls);
        return window != nullptr;
    }
};

NavigationServices QuietServices(int& shellCalls) {
    NavigationServices s;
    s.shellExecute = [&shellCalls](HWND, const std::string&, const std::string&) { ++shellCalls; };
    return s;
}

// The names one ratio prints: the pick, its floor, their ratio.
struct RatioNames {
    const char* work;
    const char* floor;
    const char* ratio;
};

// Vantrel's whole navigation from recognition on against the bare minimum
// (the folder into the box, OK clicked), each moving the dialog to the other
// of two folders and waiting (not timed) until shows(folder index) says it
// arrived. Returns nonzero when a move went missing or the shell was asked.
int PairedNavigationRatio(HWND dialog, HWND box, HWND ok, const std::string (&folders)[2],
                          const std::function<bool(int)>& shows, const RatioNames& names) {
    int shellCalls = 0;
    const NavigationServices services = QuietServices(shellCalls);
    AppSettings settings;
    FolderList list;
    list[0].path = folders[0];
    list[1].path = folders[1];
    const std::wstring wide[2] = {ToWide(folders[0]), ToWide(folders[1])};
    int shown = 0;  // the folder the dialog shows
    int failures = 0;
    auto arrived = [&](int to) {
        failures += !test::WaitUntil([&] { return shows(to); }, 3000);
        shown = to;
    };
    auto bare = [&] {
        const int to = 1 - shown;
        const double t = NowMs();
        SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide[to].c_str()));
        SendMessageW(ok, BM_CLICK, 0, 0);
        const double ms = NowMs() - t;
        arrived(to);
        return ms;
    };
    auto full = [&] {
        const int to = 1 - shown;
        CWnd target(dialog);
        const double t = NowMs();
        NavigateTo(kFirstFolderCommand + to, list, settings, target, nullptr, services);
        const double ms = NowMs() - t;
        arrived(to);
        return ms;
    };
    bare();  // warm-up
    full();
    const bench::Paired r = bench::Interleave(81, full, bare);
    bench::PrintRatio(names.work, names.floor, names.ratio, r);
    if (failures || shellCalls)
        fprintf(stderr, "%d folder changes missing, %d shell calls\n", failures, shellCalls);
    return failures || shellCalls;
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
    return PairedNavigationRatio(
        p.window, c.fileNameBox.GetSafeHwnd(), c.okButton.GetSafeHwnd(), folders,
        [&](int to) { return SameFolder(p.window, folders[to]); },
        {"navigate_file_dialog_ms", "navigate_file_dialog_bare_ms", "navigate_file_dialog_ratio"});
}

// The item dialog's breadcrumb: "Address: <folder shown>".
std::string ItemDialogShown(HWND dialog) {
    CWnd crumb = FindDescendantByClass(CWnd(dialog), "Breadcrumb Parent");
    CWnd bar = FindDescendantByClass(crumb, "ToolbarWindow32");
    wchar_t buf[1024] = {};
    SendMessageTimeoutW(bar.GetSafeHwnd(), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf),
                        SMTO_ABORTIFHUNG, 3000, nullptr);
    return ToNarrow(buf, 1024);
}

int ModernDialogRatio() {
    test::ScratchDir dir("navbenchitem");
    const std::string folders[2] = {dir.MakeDir("left"), dir.MakeDir("right")};
    Process p;
    if (!p.Start("open \"" + folders[0] + "\" name report.docx", "#32770", "itemdialog.exe")) {
        fprintf(stderr, "no item dialog\n");
        return 1;
    }
    test::WaitUntil([&] { return LocateItemDialog(CWnd(p.window)).found; }, 5000);
    const ItemDialogControls c = LocateItemDialog(CWnd(p.window));
    if (!c.found || c.form != ItemDialogForm::Open) {
        fprintf(stderr, "item dialog not recognised\n");
        return 1;
    }
    return PairedNavigationRatio(
        p.window, c.fileNameBox.GetSafeHwnd(), c.okButton.GetSafeHwnd(), folders,
        [&](int to) { return ItemDialogShown(p.window) == "Address: " + folders[to]; },
        {"navigate_modern_dialog_ms", "navigate_modern_dialog_bare_ms",
         "navigate_modern_dialog_ratio"});
}

// One dispatch against the window, which ends in the shell (not called).
double DispatchMs(HWND window, int& shellCalls) {
    const NavigationServices services = QuietServices(shellCalls);
    AppSettings settings;
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    FolderList list;
    list[0].path = windows;
    CWnd target(window);
    const double t = NowMs();
    NavigateTo(kFirstFolderCommand, list, settings, target, nullptr, services);
    return NowMs() - t;
}

BOOL CALLBACK ReadClassOnce(HWND w, LPARAM count) {
    char name[256];
    if (GetClassNameA(w, name, sizeof name) > 0) ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The floor: one walk of the window's descendants reading each class name once.
double BareWalkMs(HWND window, int children) {
    int named = 0;
    const double t = NowMs();
    EnumChildWindows(window, ReadClassOnce, reinterpret_cast<LPARAM>(&named));
    const double ms = NowMs() - t;
    return named == children ? ms : -1;
}

// The same window as the fixture's "many" mode, made in this process.
HWND MakeManyWindow(int n) {
    HWND w = CreateWindowExA(0, "Static", "Many", WS_OVERLAPPEDWINDOW, 100, 100, 500, 300, nullptr,
                             nullptr, nullptr, nullptr);
    for (int i = 0; w && i < n; ++i)
        CreateWindowExA(0, i % 2 ? "Button" : "Static", "", WS_CHILD | WS_VISIBLE, (i % 50) * 10,
                        (i / 50) * 10, 5, 5, w,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(2000 + i)), nullptr, nullptr);
    return w;
}

bool RecognitionRatio(HWND window, const char* work, const char* floor, const char* ratio) {
    constexpr int kChildren = 500, kPairs = 41;
    int shellCalls = 0;
    DispatchMs(window, shellCalls);  // warm-up
    BareWalkMs(window, kChildren);
    const bench::Paired r = bench::Interleave(
        kPairs, [&] { return DispatchMs(window, shellCalls); },
        [&] { return BareWalkMs(window, kChildren); });
    bench::PrintRatio(work, floor, ratio, r);
    const bool ok = shellCalls == kPairs + 1 && r.Pairs() == static_cast<size_t>(kPairs);
    if (!ok) fprintf(stderr, "expected the shell fallback and a full walk every time\n");
    return ok;
}

int Recognise500() {
    HWND local = MakeManyWindow(500);
    if (!local) {
        fprintf(stderr, "no local window\n");
        return 1;
    }
    const bool localOk =
        RecognitionRatio(local, "recognise_500_children_ms", "recognise_500_children_floor_ms",
                         "recognise_500_children_ratio");
    DestroyWindow(local);

    Process p;
    if (!p.Start("many 500", "VtNavFixtureDialog")) {
        fprintf(stderr, "no window\n");
        return 1;
    }
    test::WaitUntil([&] { return GetDlgItem(p.window, 2000 + 499) != nullptr; }, 5000);
    const bool remoteOk = RecognitionRatio(p.window, "recognise_500_children_remote_ms",
                                           "recognise_500_children_remote_floor_ms",
                                           "recognise_500_children_remote_ratio");
    return !(localOk && remoteOk);
}

}  // namespace

int main() {
    const int a = FileDialogRatio();
    const int m = ModernDialogRatio();
    const int b = Recognise500();
    return a || m || b;
}
