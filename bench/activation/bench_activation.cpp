// Activation and memory figures, each against its floor in the same run:
//   activation_warm_ratio  command 32777 arriving at a real main window with
//                          50 folders to the last of its folder items painted
//                          (pictures cached), over a bare owner-drawn popup of
//                          50 items (a 16 x 16 icon and a text each) from
//                          building it to its 50th item painted
//   activation_cold_ms     the first showing of a main window in a fresh
//                          process, after start-up and the idle time a user
//                          leaves before the first press (until nothing has
//                          been queued for 100 ms); median of fresh processes
//   activation_cold_ratio  that over the warm showing
//   activation_first_size_request_ms  the warm showing's first size request
//                          after the trigger (the menu built, tracking begun),
//                          beside the bare menu's (..._bare_ms)
//   activation_1000_ratio  the same command with 1,000 existing folders until
//                          the menu is shown and idle (its modal loop has
//                          nothing left to do: every visible item painted),
//                          over the bare popup of 1,000 items to the same point
//   activation_open_folders_ratio  the warm showing of 50 folders with 10 of
//                          Wine's Explorer windows open (their folders listed
//                          first) over the same showing with none open (half
//                          of them before the windows are opened, half after
//                          they are closed)
//   idle_private_over_floor_mb  private bytes of an idle Vantrel.exe with 50
//                          folders minus those of the smallest Windows program
//                          (a hidden window and a message loop) under the
//                          same system
#include <windows.h>
#include <psapi.h>
#include <shlwapi.h>
#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/mainframe.h"
#include "app/settings.h"
#include "framework/handles.h"
#include "resources/resource.h"
#include "support/benchsupport.h"

using namespace vt;
using namespace vt::bench;

namespace {

constexpr int kFolders = 50;
constexpr int kManyFolders = 1000;
constexpr int kWarmPairs = 121;
constexpr int kColdShowings = 7;
constexpr int kColdProcesses = 7;
constexpr int kManyPairs = 31;
constexpr int kOpenFolderShowings = 41;
constexpr UINT kFirstFolderId = ID_FOLDER_FIRST;

// --- the menu clock ---------------------------------------------------------
// One showing at a time: when the menu asked for its first and last item
// sizes, when it painted its first item, and when it is done. Done is either
// the moment the last of the expected items was painted, or (with no item
// count expected) the first time the menu's modal loop went idle. The menu is
// ended as soon as it is done.
struct MenuClock {
    size_t expected = 0;  // items to be painted; 0: wait for the idle loop
    std::set<UINT> painted;
    double measured = 0, lastMeasured = 0, first = 0, done = 0;
    // The owner's side of the showing: its activation begun and ended (the
    // foreground change), and the menu loop entered (the menu window made).
    double activated = 0, focused = 0, loop = 0;
    void Start(size_t items) {
        expected = items;
        painted.clear();
        measured = lastMeasured = first = done = 0;
        activated = focused = loop = 0;
    }
    void Owner(UINT msg, WPARAM wp) {
        double* at = nullptr;
        if (msg == WM_ACTIVATEAPP && wp)
            at = &activated;
        else if (msg == WM_SETFOCUS)
            at = &focused;
        else if (msg == WM_ENTERMENULOOP)
            at = &loop;
        if (at && *at == 0) *at = NowMs();
    }
    void Measured() {
        lastMeasured = NowMs();
        if (measured == 0) measured = lastMeasured;
    }
    void Saw(UINT id) {
        if (done != 0 || id < kFirstFolderId || id >= kFirstFolderId + kManyFolders) return;
        if (first == 0) first = NowMs();
        painted.insert(id);
        if (expected && painted.size() == expected) Finish();
    }
    void Idle() {
        if (done == 0 && !expected) Finish();
    }
    void Finish() {
        done = NowMs();
        EndMenu();
    }
} g_clock;

HWND g_frame = nullptr;
WNDPROC g_frameProc = nullptr;  // the main window's own procedure

// Watches what the tracked menu sends the main window, from a subclass on top
// of the window's own procedure: a message hook would cost every message sent
// on the thread, the bare menu's as well, a server round trip under Wine.
LRESULT CALLBACK WatchFrame(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    g_clock.Owner(msg, wp);
    if (msg == WM_MEASUREITEM) g_clock.Measured();
    if (msg == WM_ENTERIDLE && wp == MSGF_MENU) g_clock.Idle();
    const LRESULT r = CallWindowProcA(g_frameProc, w, msg, wp, lp);
    if (msg == WM_DRAWITEM) {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (dis && dis->CtlType == ODT_MENU) g_clock.Saw(dis->itemID);
    }
    return r;
}

// Ends a menu that never gets done (too tall for the screen, say).
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
    if (msg == WM_ENTERIDLE && wp == MSGF_MENU) {
        g_clock.Idle();
        return 0;
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

// Where the time of the showings went: to the first size request (the menu
// built and tracking begun), to the last, to the first item painted, and to
// done.
struct Phases {
    std::vector<double> measure, lastMeasure, first, done, activated, focused, loop;
    void Add(double t0) {
        if (!g_clock.done) return;
        if (g_clock.activated) activated.push_back(g_clock.activated - t0);
        if (g_clock.focused) focused.push_back(g_clock.focused - t0);
        if (g_clock.loop) loop.push_back(g_clock.loop - t0);
        measure.push_back(g_clock.measured - t0);
        lastMeasure.push_back(g_clock.lastMeasured - t0);
        first.push_back(g_clock.first - t0);
        done.push_back(g_clock.done - t0);
    }
    void Print(const char* name) const {
        Comment(
            "%s: first size request %.1f ms, last %.1f ms, first item painted %.1f ms, "
            "done %.1f ms (medians)",
            name, Median(measure), Median(lastMeasure), Median(first), Median(done));
        // The bare menu's owner is in front already: no foreground change.
        if (!activated.empty() && !loop.empty())
            Comment("%s: activation begun %.1f ms, focus %.1f ms, menu loop entered %.1f ms", name,
                    Median(activated), Median(focused), Median(loop));
    }
};

double BareMenuMs(HWND owner, int items, Phases& phases) {
    g_clock.Start(items <= kFolders ? static_cast<size_t>(items) : 0);
    const double t0 = NowMs();
    UniqueMenuHandle menu(CreatePopupMenu());
    for (int i = 0; i < items; ++i)
        AppendMenuA(menu.Get(), MF_OWNERDRAW, kFirstFolderId + i, nullptr);
    SetForegroundWindow(owner);
    POINT pt = {};
    GetCursorPos(&pt);
    const UINT_PTR timer = SetTimer(nullptr, 0, 5000, GiveUp);
    TrackPopupMenu(menu.Get(), TPM_RIGHTBUTTON, pt.x, pt.y, 0, owner, nullptr);
    KillTimer(nullptr, timer);
    Pump();
    phases.Add(t0);
    return g_clock.done ? g_clock.done - t0 : -1;
}

// The bare menus run on a thread of their own, as in a program without
// Vantrel's toolkit: the main thread carries the toolkit's menu hook.
constexpr UINT WM_BARE_SHOW = WM_APP + 10;
struct BareRequest {
    int items;
    Phases* phases;
};

LRESULT CALLBACK BareThreadOwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_BARE_SHOW) {
        auto* r = reinterpret_cast<BareRequest*>(lp);
        const double ms = BareMenuMs(w, r->items, *r->phases);
        return static_cast<LRESULT>(ms * 1000.0);  // microseconds, negative on failure
    }
    return BareOwnerProc(w, msg, wp, lp);
}

struct BareThread {
    HANDLE thread = nullptr;
    HWND owner = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    static DWORD WINAPI Run(void* param) {
        auto* self = static_cast<BareThread*>(param);
        self->owner =
            CreateWindowExA(0, "VtBenchBareOwner", "Bare", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500,
                            10, 300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetEvent(self->ready);
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        return 0;
    }
    bool Start() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = BareThreadOwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = "VtBenchBareOwner";
        RegisterClassA(&wc);
        thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        return thread && WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0 && owner;
    }
    double Show(int items, Phases& phases) {
        BareRequest r{items, &phases};
        const LRESULT us = SendMessageA(owner, WM_BARE_SHOW, 0, reinterpret_cast<LPARAM>(&r));
        return static_cast<double>(us) / 1000.0;
    }
    void Stop() {
        if (owner) PostMessageA(owner, WM_CLOSE, 0, 0);
        if (thread) {
            PostThreadMessageA(GetThreadId(thread), WM_QUIT, 0, 0);
            WaitForSingleObject(thread, 10000);
            CloseHandle(thread);
        }
        CloseHandle(ready);
    }
};

double FrameMenuMs(CMainFrame& frame, size_t expected, Phases& phases) {
    g_clock.Start(expected);
    const UINT_PTR timer = SetTimer(nullptr, 0, 5000, GiveUp);
    const double t0 = NowMs();
    frame.SendMessage(WM_COMMAND, ID_POP_MENU);
    KillTimer(nullptr, timer);
    Pump();
    phases.Add(t0);
    return g_clock.done ? g_clock.done - t0 : -1;
}

std::string FolderPath(const std::string& base, int i) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\Folder %04d", base.c_str(), i);
    return path;
}

// count existing folders with a mix of icons: four in five from shell32.dll
// (20 distinct), the fifth with the default folder picture.
FolderList MakeFolders(const std::string& base, int count) {
    FolderList folders;
    for (int i = 0; i < count; ++i) {
        const std::string path = FolderPath(base, i);
        CreateDirectoryA(path.c_str(), nullptr);
        FolderEntry e;
        e.path = path;
        e.title = "Favourite folder number " + std::to_string(i);
        if (i % 5 != 4) {
            e.iconFile = "C:\\windows\\system32\\shell32.dll";
            e.iconIndex = i % 20;
        }
        folders[i] = e;
    }
    return folders;
}

void RemoveFolders(const std::string& base) {
    for (int i = 0; i < kManyFolders; ++i) RemoveDirectoryA(FolderPath(base, i).c_str());
    RemoveDirectoryA(base.c_str());
}

std::string ScratchBase() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    std::string base = std::string(temp) + "vtbench-activation";
    CreateDirectoryA(base.c_str(), nullptr);
    return base;
}

// What the menu of many folders spends outside the menu system: the
// existence checks alone, timed apart.
void ExistenceCheckComment(const FolderList& folders) {
    std::vector<double> times;
    int present = 0;
    for (int r = 0; r < 5; ++r) {
        const double t0 = NowMs();
        present = 0;
        for (const auto& kv : folders) present += PathFileExistsA(kv.second.path.c_str()) != FALSE;
        times.push_back(NowMs() - t0);
    }
    Comment("existence checks of %d folders alone: %.1f ms (%d exist)",
            static_cast<int>(folders.size()), Median(times), present);
}

// Handles what is queued until nothing more has come for quietMs (at most
// 10 s): the idle time after start-up before a user's first press.
void PumpUntilQuiet(DWORD quietMs) {
    const double t0 = NowMs();
    while (NowMs() - t0 < 10000) {
        Pump();
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, quietMs, QS_ALLINPUT) == WAIT_TIMEOUT)
            return;
    }
}

const char kProfileCompany[] = "VantrelBench";

// A window in front, as a user's dialog would be, with the pointer at the
// top of the screen, so that as many items as possible fit below.
HWND MakeFrontWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "VtBenchOwner";
    RegisterClassA(&wc);
    HWND front = CreateWindowExA(0, "VtBenchOwner", "Front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50,
                                 10, 400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(front);
    SetCursorPos(100, 5);
    Pump();
    return front;
}

// In a fresh process ("--cold"): the main window made as start-up makes it,
// its start-up finished by the posted message as in the program, the idle
// time, then one showing. The exit code carries its microseconds (0 failed).
int RunColdShowing() {
    CRegProfile profile(kProfileCompany, "Vantrel");
    HWND front = MakeFrontWindow();
    CMainFrame frame(profile);
    frame.reportMessage = [](const std::string& text) { fprintf(stderr, "%s\n", text.c_str()); };
    if (!frame.Create()) return 0;
    g_frame = frame.hwnd_;
    g_frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchFrame)));
    frame.PostMessage(CMainFrame::WM_FINISH_STARTUP);
    PumpUntilQuiet(100);
    Phases phases;
    const double ms = FrameMenuMs(frame, kFolders, phases);
    SetWindowLongPtrA(g_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_frameProc));
    frame.DestroyWindow();
    DestroyWindow(front);
    return ms > 0 ? static_cast<int>(ms * 1000.0) : 0;
}

// The cold showings, each in a process of its own; milliseconds.
std::vector<double> ColdShowings() {
    std::vector<double> cold;
    for (int r = 0; r < kColdProcesses; ++r) {
        UniqueKernelHandle p(Launch(BinPath("bench_activation.exe"), "--cold"));
        DWORD code = 0;
        if (!p || WaitForSingleObject(p.Get(), 60000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(p.Get(), &code) || code == 0) {
            if (p) TerminateProcess(p.Get(), 1);
            continue;
        }
        cold.push_back(code / 1000.0);
    }
    return cold;
}

// Ten Explorer windows of their own processes, on ten of the folders.
class ExplorerWindows {
public:
    explicit ExplorerWindows(const std::string& base) {
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, sizeof windows);
        for (int i = 0; i < kOpenWindows; ++i) {
            std::string cmd =
                std::string("\"") + windows + "\\explorer.exe\" \"" + FolderPath(base, i) + "\"";
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                                &pi))
                continue;
            CloseHandle(pi.hThread);
            processes_.push_back(pi.hProcess);
            pids_.push_back(pi.dwProcessId);
        }
        const double deadline = NowMs() + 60000;
        while (frames_.size() < pids_.size() && NowMs() < deadline) {
            frames_.clear();
            EnumWindows(Collect, reinterpret_cast<LPARAM>(this));
            Pump();
            Sleep(50);
        }
    }
    ~ExplorerWindows() {
        for (HWND w : frames_) PostMessageA(w, WM_CLOSE, 0, 0);
        for (HANDLE p : processes_) {
            if (WaitForSingleObject(p, 5000) != WAIT_OBJECT_0) TerminateProcess(p, 1);
            CloseHandle(p);
        }
    }
    ExplorerWindows(const ExplorerWindows&) = delete;
    ExplorerWindows& operator=(const ExplorerWindows&) = delete;
    size_t Count() const { return frames_.size(); }
    const std::vector<HWND>& Frames() const { return frames_; }

    static constexpr int kOpenWindows = 10;

private:
    static BOOL CALLBACK Collect(HWND w, LPARAM p) {
        auto* self = reinterpret_cast<ExplorerWindows*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (IsWindowVisible(w) && strcmp(cls, "ExplorerWClass") == 0 &&
            std::find(self->pids_.begin(), self->pids_.end(), pid) != self->pids_.end())
            self->frames_.push_back(w);
        return TRUE;
    }
    std::vector<HANDLE> processes_;  // owned
    std::vector<DWORD> pids_;
    std::vector<HWND> frames_;
};

// Every window answers a message sent to it: it has caught up with showing
// its folder.
bool AllAnswer(const std::vector<HWND>& windows) {
    for (HWND w : windows) {
        DWORD_PTR r = 0;
        if (!SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r)) return false;
    }
    return true;
}

void OpenFolderFigures(CMainFrame& frame, const std::string& base) {
    // Before and after the windows are open, around the showings with them
    // (the same number of each), so that a drift of the machine's load
    // weighs on both sides alike.
    Phases withPhases, nonePhases;
    std::vector<double> none, with;
    auto showings = [&](std::vector<double>& into, Phases& phases, int n) {
        for (int i = 0; i < n; ++i) {
            const double t = FrameMenuMs(frame, kFolders, phases);
            if (t > 0) into.push_back(t);
        }
    };
    FrameMenuMs(frame, kFolders, nonePhases);
    nonePhases = Phases();
    showings(none, nonePhases, kOpenFolderShowings / 2);
    {
        ExplorerWindows explorer(base);
        if (explorer.Count() < static_cast<size_t>(ExplorerWindows::kOpenWindows)) {
            fprintf(stderr, "only %zu Explorer windows opened\n", explorer.Count());
            return;
        }
        const double deadline = NowMs() + 30000;
        while (!AllAnswer(explorer.Frames()) && NowMs() < deadline) Pump();
        FrameMenuMs(frame, kFolders, withPhases);  // the reader learns the windows
        withPhases = Phases();
        showings(with, withPhases, kOpenFolderShowings);
    }
    showings(none, nonePhases, kOpenFolderShowings - kOpenFolderShowings / 2);
    Paired p;
    for (size_t i = 0; i < std::min(with.size(), none.size()); ++i) {
        p.work.push_back(with[i]);
        p.floor.push_back(none[i]);
        p.ratios.push_back(with[i] / none[i]);
    }
    PrintRatio("activation_open_folders_ms", "activation_no_open_folders_ms",
               "activation_open_folders_ratio", p, "ms", 1);
    withPhases.Print("warm showing of 50 with 10 open folders");
    nonePhases.Print("warm showing of 50 with no Explorer window");
}

void ActivationFigures(const std::string& base) {
    CRegProfile profile(kProfileCompany, "Vantrel");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
    {
        CSettingsStore seed(profile);
        seed.settings.showTray = false;
        seed.settings.shortcutType =
            ShortcutType::None;  // no hot key: a running Vantrel may hold it
        seed.folders = MakeFolders(base, kFolders);
        seed.SaveSettings();
        profile.WriteProfileInt("", regname::kAlreadyRun, 1);
    }

    // The first showings of fresh processes, before this one warms anything.
    const std::vector<double> cold = ColdShowings();
    HWND front = MakeFrontWindow();

    g_bareIcon = static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, 16, 16, 0));
    CMainFrame frame(profile);
    frame.reportMessage = [](const std::string& text) { fprintf(stderr, "%s\n", text.c_str()); };
    if (!frame.Create()) {
        fprintf(stderr, "the main window was not created\n");
        return;
    }
    g_frame = frame.hwnd_;
    g_frameProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchFrame)));
    BareThread bare;
    if (!bare.Start()) {
        fprintf(stderr, "the bare menus' thread did not start\n");
        return;
    }
    frame.FinishStartup();

    // 50 folders, warm: the warm-up showing fills the picture cache and the
    // system's own caches.
    Phases warmPhases, barePhases, coldPhases;
    FrameMenuMs(frame, kFolders, warmPhases);
    bare.Show(kFolders, barePhases);
    warmPhases = barePhases = Phases();
    const Paired warm = Interleave(
        kWarmPairs, [&] { return FrameMenuMs(frame, kFolders, warmPhases); },
        [&] { return bare.Show(kFolders, barePhases); });
    // After a change of the system's settings, with the idle time a user
    // leaves before the next press.
    std::vector<double> changed;
    for (int r = 0; r < kColdShowings; ++r) {
        frame.SendMessage(WM_SETTINGCHANGE, 0, 0);
        PumpUntilQuiet(100);
        const double c = FrameMenuMs(frame, kFolders, coldPhases);
        if (c > 0) changed.push_back(c);
    }
    if (warm.Pairs() < static_cast<size_t>(kWarmPairs) || changed.size() < kColdShowings ||
        cold.size() < kColdProcesses)
        fprintf(stderr,
                "some menus did not paint all items (pairs %zu, cold %zu; the last painted "
                "%zu, fresh processes %zu): is the screen tall enough?\n",
                warm.Pairs(), changed.size(), g_clock.painted.size(), cold.size());
    PrintRatio("activation_warm_ms", "activation_bare_ms", "activation_warm_ratio", warm, "ms", 1);
    PrintFigure("activation_first_size_request_ms", Median(warmPhases.measure), "ms", 1);
    PrintFigure("activation_first_size_request_bare_ms", Median(barePhases.measure), "ms", 1);
    if (!cold.empty()) {
        PrintFigure("activation_cold_ms", Median(cold), "ms", 1);
        const double warmMs = Median(warmPhases.done);
        if (warmMs > 0) PrintFigure("activation_cold_ratio", Median(cold) / warmMs, "ratio", 3);
        Comment("cold showings of %zu fresh processes: %.1f to %.1f ms", cold.size(),
                *std::min_element(cold.begin(), cold.end()),
                *std::max_element(cold.begin(), cold.end()));
    }
    PrintFigure("activation_after_setting_change_ms", Median(changed), "ms", 1);
    warmPhases.Print("warm showing of 50");
    barePhases.Print("bare showing of 50");
    coldPhases.Print("showing of 50 after a settings change");
    OpenFolderFigures(frame, base);

    // 1,000 folders, warm, against the bare menu of 1,000 items.
    frame.Folders() = MakeFolders(base, kManyFolders);
    Phases manyPhases, manyBarePhases;
    FrameMenuMs(frame, 0, manyPhases);
    bare.Show(kManyFolders, manyBarePhases);
    manyPhases = manyBarePhases = Phases();
    const Paired many = Interleave(
        kManyPairs, [&] { return FrameMenuMs(frame, 0, manyPhases); },
        [&] { return bare.Show(kManyFolders, manyBarePhases); });
    if (many.Pairs() < static_cast<size_t>(kManyPairs))
        fprintf(stderr, "%zu of %d showings of 1,000 items were done\n", many.Pairs(), kManyPairs);
    PrintRatio("activation_1000_ms", "activation_1000_bare_ms", "activation_1000_ratio", many, "ms",
               1);
    manyPhases.Print("showing of 1000");
    manyBarePhases.Print("bare showing of 1000");
    Comment("items painted in the last showing of 1000: %zu", g_clock.painted.size());
    ExistenceCheckComment(frame.Folders());

    bare.Stop();
    SetWindowLongPtrA(g_frame, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_frameProc));
    frame.DestroyWindow();
    DestroyWindow(front);
    Pump();
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
}

// --- memory ---------------------------------------------------------------------
struct Memory {
    double workingSet = -1, privateBytes = -1;
};

// The settled memory of a process whose idle window is found by find(); the
// window is then closed with closeCommand (0: WM_CLOSE).
template <typename Find>
Memory IdleMemory(const std::string& exe, const std::string& args, Find find, UINT closeCommand) {
    UniqueKernelHandle p(Launch(exe, args));
    if (!p) return {};
    HWND w = nullptr;
    const double t0 = NowMs();
    while (!(w = find())) {
        if (WaitForSingleObject(p.Get(), 10) == WAIT_OBJECT_0 || NowMs() - t0 > 20000) return {};
    }
    DWORD_PTR r = 0;
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    Sleep(1500);  // the deferred start-up work and anything else it schedules
    SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r);
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    const bool ok = K32GetProcessMemoryInfo(p.Get(), &pmc, sizeof pmc) != 0;
    if (closeCommand)
        PostMessageA(w, WM_COMMAND, closeCommand, 0);
    else
        PostMessageA(w, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(p.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(p.Get(), 1);
    if (!ok) return {};
    Memory m;
    m.workingSet = pmc.WorkingSetSize / 1048576.0;
    m.privateBytes = pmc.PagefileUsage / 1048576.0;
    return m;
}

HWND FindIdleBaseline() { return FindWindowA("VtBenchIdle", nullptr); }
HWND FindIdleFloor() { return FindWindowA("VtTrivial", nullptr); }

struct MemorySeries {
    std::vector<double> workingSet, privateBytes;
    void Add(const Memory& m) {
        if (m.workingSet < 0) return;
        workingSet.push_back(m.workingSet);
        privateBytes.push_back(m.privateBytes);
    }
};

void MemoryFigures(const std::string& base) {
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
        seed.folders = MakeFolders(base, kFolders);
        seed.SaveSettings();
        real.WriteProfileInt("", regname::kAlreadyRun, 1);
    }
    MemorySeries vantrel, baseline, shell, floor;
    std::vector<double> overFloor;
    for (int r = 0; r < 3; ++r) {
        const Memory v = IdleMemory(BinPath("Vantrel.exe"), "", PublishedWindow, 57665);
        while (PublishedWindow()) Sleep(10);
        const Memory f = IdleMemory(BinPath("trivial.exe"), "stay", FindIdleFloor, 0);
        vantrel.Add(v);
        floor.Add(f);
        if (v.privateBytes >= 0 && f.privateBytes >= 0)
            overFloor.push_back(v.privateBytes - f.privateBytes);
        baseline.Add(IdleMemory(BinPath("bench_activation.exe"), "--idle", FindIdleBaseline, 0));
        shell.Add(IdleMemory(BinPath("bench_activation.exe"), "--idle shell", FindIdleBaseline, 0));
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
    if (overFloor.empty()) {
        fprintf(stderr, "the memory of Vantrel.exe or of the trivial program could not be read\n");
        return;
    }
    PrintFigure("idle_private_mb", Median(vantrel.privateBytes), "MB");
    PrintFigure("idle_floor_private_mb", Median(floor.privateBytes), "MB");
    PrintFigure("idle_private_over_floor_mb", Median(overFloor), "MB");
    if (!baseline.privateBytes.empty() && !shell.privateBytes.empty()) {
        Comment(
            "of which the shell's system image lists: %.2f MB (a program with Vantrel's "
            "libraries and a hidden window: %.2f MB private, %.2f MB once it has built them)",
            Median(shell.privateBytes) - Median(baseline.privateBytes),
            Median(baseline.privateBytes), Median(shell.privateBytes));
    }
    PrintFigure("idle_working_set_mb", Median(vantrel.workingSet), "MB");
    if (!baseline.workingSet.empty())
        PrintFigure("idle_baseline_working_set_mb", Median(baseline.workingSet), "MB");
    if (!shell.workingSet.empty())
        PrintFigure("idle_baseline_shell_working_set_mb", Median(shell.workingSet), "MB");
    PrintFigure("idle_floor_working_set_mb", Median(floor.workingSet), "MB");
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
    if (argc > 1 && strcmp(argv[1], "--cold") == 0) return RunColdShowing();
    if (argc > 1 && strcmp(argv[1], "--idle") == 0)
        return RunIdle(argc > 2 && strcmp(argv[2], "shell") == 0);
    const std::string base = ScratchBase();
    // "--menu" or "--memory" runs one half only.
    const bool all = argc < 2;
    if (all || strcmp(argv[1], "--menu") == 0) ActivationFigures(base);
    if (all || strcmp(argv[1], "--memory") == 0) MemoryFigures(base);
    RemoveFolders(base);
    return 0;
}
