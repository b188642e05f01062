// Activation figures:
//   activation_warm_ms     command 32777 arriving at a real main window to the
//                          last of its 50 folder items painted, pictures cached
//   activation_cold_ms     the same right after WM_SETTINGCHANGE emptied the cache
//   activation_bare_ms     a bare owner-drawn popup of 50 items (a 16 x 16 icon
//                          and a text each), from building it to its 50th item painted
//   activation_warm_ratio  warm / bare, both tracked in this run
//   idle_working_set_mb    working set of an idle Vantrel.exe with 50 folders
//   idle_baseline_working_set_mb  the same for a program with Vantrel's
//                          libraries that only has a hidden window and a message
//                          loop (what Wine itself costs)
//   idle_baseline_shell_working_set_mb  the baseline after it has also built
//                          the shell's system image lists
//   idle_floor_working_set_mb  the smallest Windows program (a hidden window
//                          and a message loop, no other libraries) under the
//                          same system: nothing can go below it
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/instancechecker.h"
#include "app/mainframe.h"
#include "app/settings.h"
#include "framework/handles.h"
#include "resources/resource.h"

using namespace vt;

namespace {

constexpr int kFolders = 50;
constexpr size_t kRounds = 25;  // warm and bare showings, interleaved
constexpr UINT kFirstFolderId = ID_FOLDER_FIRST;

double Now() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::string BinPath(const char* name) {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    PathRemoveFileSpecA(buf);
    return std::string(buf) + "\\" + name;
}

// --- the menu clock ---------------------------------------------------------
// One measurement at a time: the folder items painted so far, and the moment
// the last of them was. The menu is ended as soon as all are painted.
struct PaintClock {
    std::set<UINT> painted;
    double measured = 0, lastMeasured = 0, first = 0, done = 0;
    void Reset() {
        painted.clear();
        measured = lastMeasured = first = done = 0;
    }
    void Measured() {
        lastMeasured = Now();
        if (measured == 0) measured = lastMeasured;
    }
    void Saw(UINT id) {
        if (done != 0 || id < kFirstFolderId || id >= kFirstFolderId + kFolders) return;
        if (first == 0) first = Now();
        painted.insert(id);
        if (painted.size() == static_cast<size_t>(kFolders)) {
            done = Now();
            EndMenu();
        }
    }
} g_clock;

HWND g_frame = nullptr;

// Watches the draw requests that the tracked menu sends the main window.
LRESULT CALLBACK WatchDrawItem(int code, WPARAM w, LPARAM l) {
    if (code == HC_ACTION) {
        const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(l);
        if (cwp->hwnd == g_frame && cwp->message == WM_MEASUREITEM) g_clock.Measured();
        if (cwp->hwnd == g_frame && cwp->message == WM_DRAWITEM) {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(cwp->lParam);
            if (dis && dis->CtlType == ODT_MENU) g_clock.Saw(dis->itemID);
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

// Ends a menu that never paints all its items (too tall for the screen).
void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

// --- the bare menu ------------------------------------------------------------
HICON g_bareIcon = nullptr;

LRESULT CALLBACK BareOwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MEASUREITEM) {
        auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        mis->itemWidth = 160;
        mis->itemHeight = 20;
        g_clock.Measured();
        return TRUE;
    }
    if (msg == WM_DRAWITEM) {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        const bool selected = (dis->itemState & ODS_SELECTED) != 0;
        FillRect(dis->hDC, &dis->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
        DrawIconEx(dis->hDC, dis->rcItem.left + 2, dis->rcItem.top + 2, g_bareIcon, 16, 16, 0,
                   nullptr, DI_NORMAL);
        char text[32];
        snprintf(text, sizeof text, "Folder %u", dis->itemID - kFirstFolderId);
        RECT r = dis->rcItem;
        r.left += 24;
        SetBkMode(dis->hDC, TRANSPARENT);
        SetTextColor(dis->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        DrawTextA(dis->hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        g_clock.Saw(dis->itemID);
        return TRUE;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// Where the time of one showing went: to the first measure request (the
// menu built and tracking begun), to the first item painted, to the last.
struct Phases {
    std::vector<double> measure, lastMeasure, first;
    void Add(double t0) {
        if (!g_clock.done) return;
        measure.push_back(g_clock.measured - t0);
        lastMeasure.push_back(g_clock.lastMeasured - t0);
        first.push_back(g_clock.first - t0);
    }
    void Print(const char* name) const {
        fprintf(stderr, "# %s showing: first measure request %.1f ms, last %.1f ms, "
                        "first item painted %.1f ms\n",
                name, Median(measure), Median(lastMeasure), Median(first));
    }
};
Phases g_barePhases, g_framePhases;

double BareMenuMs(HWND owner) {
    g_clock.Reset();
    const double t0 = Now();
    UniqueMenuHandle menu(CreatePopupMenu());
    for (int i = 0; i < kFolders; ++i)
        AppendMenuA(menu.Get(), MF_OWNERDRAW, kFirstFolderId + i, nullptr);
    SetForegroundWindow(owner);
    POINT pt = {};
    GetCursorPos(&pt);
    UINT_PTR timer = SetTimer(nullptr, 0, 3000, GiveUp);
    TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr);
    KillTimer(nullptr, timer);
    Pump();
    g_barePhases.Add(t0);
    return g_clock.done ? g_clock.done - t0 : -1;
}

double FrameMenuMs(CMainFrame& frame) {
    g_clock.Reset();
    UINT_PTR timer = SetTimer(nullptr, 0, 3000, GiveUp);
    const double t0 = Now();
    frame.SendMessage(WM_COMMAND, ID_POP_MENU);
    KillTimer(nullptr, timer);
    Pump();
    g_framePhases.Add(t0);
    return g_clock.done ? g_clock.done - t0 : -1;
}

// 50 existing folders with a mix of icons: 40 from shell32.dll (20 distinct)
// and 10 with the default folder picture.
void SeedFolders(CSettingsStore& store, const std::string& base) {
    store.folders.clear();
    for (int i = 0; i < kFolders; ++i) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%s\\Folder %02d", base.c_str(), i);
        CreateDirectoryA(path, nullptr);
        FolderEntry e;
        e.path = path;
        e.title = "Favourite folder number " + std::to_string(i);
        if (i % 5 != 4) {
            e.iconFile = "C:\\windows\\system32\\shell32.dll";
            e.iconIndex = i % 20;
        }
        store.folders[i] = e;
    }
}

void RemoveFolders(const std::string& base) {
    for (int i = 0; i < kFolders; ++i) {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "%s\\Folder %02d", base.c_str(), i);
        RemoveDirectoryA(path);
    }
    RemoveDirectoryA(base.c_str());
}

std::string ScratchBase() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string base = std::string(temp) + "vtbench-activation";
    CreateDirectoryA(base.c_str(), nullptr);
    return base;
}

void ActivationFigures(const std::string& base) {
    CRegProfile profile("VantrelBench", "Vantrel");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
    {
        CSettingsStore seed(profile);
        seed.settings.showTray = false;
        seed.settings.shortcutType = 0;  // no hot key: a running Vantrel may hold it
        SeedFolders(seed, base);
        seed.SaveSettings();
        profile.WriteProfileInt("", regname::kAlreadyRun, 1);
    }

    // A window in front, as a user's dialog would be.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BareOwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VtBenchOwner";
    RegisterClassA(&wc);
    HWND front = CreateWindowExA(0, "VtBenchOwner", "Front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 10,
                                 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(front);
    // The menus pop at the top of the screen, so that all items fit below.
    SetCursorPos(100, 5);
    Pump();

    g_bareIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME),
                                               IMAGE_ICON, 16, 16, 0));
    CMainFrame frame(profile);
    frame.reportMessage = [](const std::string& text) { fprintf(stderr, "%s\n", text.c_str()); };
    if (!frame.Create()) {
        fprintf(stderr, "the main window was not created\n");
        return;
    }
    g_frame = frame.m_hWnd;
    UniqueHook hook(SetWindowsHookExA(WH_CALLWNDPROC, WatchDrawItem, nullptr, GetCurrentThreadId()));
    frame.FinishStartup();

    // Warm-up: fills the cache and the system's own caches.
    FrameMenuMs(frame);
    BareMenuMs(front);

    std::vector<double> warm, bare, cold;
    for (size_t r = 0; r < kRounds; ++r) {
        double a = FrameMenuMs(frame), b = BareMenuMs(front);
        if (a > 0) warm.push_back(a);
        if (b > 0) bare.push_back(b);
    }
    g_framePhases.Print("warm");
    g_barePhases.Print("bare");
    for (int r = 0; r < 7; ++r) {
        frame.SendMessage(WM_SETTINGCHANGE, 0, 0);
        double c = FrameMenuMs(frame);
        if (c > 0) cold.push_back(c);
    }
    if (warm.size() < kRounds || bare.size() < kRounds || cold.size() < 7)
        fprintf(stderr,
                "some menus did not paint all items (warm %zu, bare %zu, cold %zu; the last "
                "painted %zu): is the screen tall enough?\n",
                warm.size(), bare.size(), cold.size(), g_clock.painted.size());
    const double mw = Median(warm), mb = Median(bare), mc = Median(cold);
    printf("activation_warm_ms: %.1f ms\n", mw);
    printf("activation_cold_ms: %.1f ms\n", mc);
    printf("activation_bare_ms: %.1f ms\n", mb);
    printf("activation_warm_ratio: %.2f ratio\n", mb > 0 ? mw / mb : 0.0);
    fflush(stdout);

    hook.Reset();
    frame.DestroyWindow();
    DestroyWindow(front);
    Pump();
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
}

// --- working set ----------------------------------------------------------------
HWND PublishedWindow() {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, "CInstanceChecker_MMF_Vantrel"));
    if (!m) return nullptr;
    UniqueMapView v(MapViewOfFile(m.Get(), FILE_MAP_READ, 0, 0, 4));
    return v ? CInstanceChecker::UnpackWindow(*static_cast<const DWORD*>(v.Get())) : nullptr;
}

HANDLE Launch(const std::string& exe, const std::string& args) {
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

// The settled working set of a process whose idle window is found by find();
// the window is then closed with closeCommand (0: WM_CLOSE). Negative on failure.
template <typename Find>
double IdleWorkingSetMb(const std::string& exe, const std::string& args, Find find, UINT closeCommand) {
    UniqueKernelHandle p(Launch(exe, args));
    if (!p) return -1;
    HWND w = nullptr;
    const double t0 = Now();
    while (!(w = find())) {
        if (WaitForSingleObject(p.Get(), 10) == WAIT_OBJECT_0 || Now() - t0 > 20000) return -1;
    }
    DWORD_PTR r = 0;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    Sleep(1500);  // the deferred start-up work and anything else it schedules
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    const bool ok = K32GetProcessMemoryInfo(p.Get(), &pmc, sizeof pmc) != 0;
    if (closeCommand) PostMessageA(w, WM_COMMAND, closeCommand, 0);
    else PostMessageA(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(p.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(p.Get(), 1);
    if (!ok) return -1;
    fprintf(stderr, "# %s: working set %.2f MB, peak %.2f MB, private %.2f MB\n", exe.c_str(),
            pmc.WorkingSetSize / 1048576.0, pmc.PeakWorkingSetSize / 1048576.0,
            pmc.PagefileUsage / 1048576.0);
    return pmc.WorkingSetSize / 1048576.0;
}

HWND FindIdleBaseline() { return FindWindowA("VtBenchIdle", nullptr); }
HWND FindIdleFloor() { return FindWindowA("VtTrivial", nullptr); }

void WorkingSetFigures(const std::string& base) {
    // The real program's own profile, restored afterwards.
    // A profile that never ran would seed itself on loading: it is removed
    // afterwards instead of restored.
    CRegProfile real("Quorvane.", "Vantrel");
    const bool hadAlreadyRun = real.GetProfileInt("", regname::kAlreadyRun, -1) != -1;
    CSettingsStore saved(real);
    if (hadAlreadyRun) saved.LoadSettings();
    {
        CSettingsStore seed(real);
        seed.settings = saved.settings;
        seed.storedCount = saved.storedCount;
        SeedFolders(seed, base);
        seed.SaveSettings();
        real.WriteProfileInt("", regname::kAlreadyRun, 1);
    }
    std::vector<double> vantrel, baseline, shell, floor;
    for (int r = 0; r < 3; ++r) {
        double v = IdleWorkingSetMb(BinPath("Vantrel.exe"), "", PublishedWindow, 57665);
        while (PublishedWindow()) Sleep(10);
        double b = IdleWorkingSetMb(BinPath("bench_activation.exe"), "--idle", FindIdleBaseline, 0);
        double s = IdleWorkingSetMb(BinPath("bench_activation.exe"), "--idle shell", FindIdleBaseline, 0);
        if (v > 0) vantrel.push_back(v);
        if (b > 0) baseline.push_back(b);
        if (s > 0) shell.push_back(s);
        double f = IdleWorkingSetMb(BinPath("trivial.exe"), "stay", FindIdleFloor, 0);
        if (f > 0) floor.push_back(f);
    }
    if (hadAlreadyRun) {
        CSettingsStore restore(real);
        restore.settings = saved.settings;
        restore.folders = saved.folders;
        restore.storedCount = kFolders;
        restore.SaveSettings();
    } else {
        SHDeleteKeyA(HKEY_CURRENT_USER, real.KeyPath().c_str());
    }
    if (vantrel.empty()) {
        fprintf(stderr, "the working set of Vantrel.exe could not be read\n");
        return;
    }
    printf("idle_working_set_mb: %.2f MB\n", Median(vantrel));
    if (!baseline.empty()) printf("idle_baseline_working_set_mb: %.2f MB\n", Median(baseline));
    if (!shell.empty()) printf("idle_baseline_shell_working_set_mb: %.2f MB\n", Median(shell));
    if (!floor.empty()) printf("idle_floor_working_set_mb: %.2f MB\n", Median(floor));
}

LRESULT CALLBACK IdleProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

// The baseline: this program loads the same system libraries as Vantrel
// (it links the same code), but only makes a hidden window and pumps.
// With shell, it also builds the shell's system image lists, as Vantrel's
// start-up does to find its folders' icons.
int RunIdle(bool shell) {
    if (shell) {
        SHFILEINFOA info = {};
        SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    }
    WNDCLASSA wc = {};
    wc.lpfnWndProc = IdleProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtBenchIdle";
    RegisterClassA(&wc);
    CreateWindowExA(0, "VtBenchIdle", "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && strcmp(argv[1], "--idle") == 0) return RunIdle(argc > 2 && strcmp(argv[2], "shell") == 0);
    const std::string base = ScratchBase();
    // "--menu" or "--memory" runs one half only.
    const bool all = argc < 2;
    if (all || strcmp(argv[1], "--menu") == 0) ActivationFigures(base);
    if (all || strcmp(argv[1], "--memory") == 0) WorkingSetFigures(base);
    RemoveFolders(base);
    return 0;
}
