// Start-up and settings figures:
//   startup_ratio  time from process start to the published main window,
//                  divided by the start-and-exit time of a trivial program
//   load_1000_ms   LoadSettings with 1,000 stored entries
//   save_1000_ms   SaveSettings of the same
#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/instancechecker.h"
#include "app/settings.h"
#include "framework/handles.h"

using namespace vt;

namespace {

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

std::string BinPath(const char* name) {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    PathRemoveFileSpecA(buf);
    return std::string(buf) + "\\" + name;
}

HANDLE Launch(const std::string& exe, const std::string& args = "") {
    std::string cmd = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

HWND PublishedWindow() {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, "CInstanceChecker_MMF_Vantrel"));
    if (!m) return nullptr;
    UniqueMapView v(MapViewOfFile(m.Get(), FILE_MAP_READ, 0, 0, 4));
    return v ? CInstanceChecker::UnpackWindow(*static_cast<const DWORD*>(v.Get())) : nullptr;
}

// Time to the published window, or a negative number on failure.
double VantrelStartMs() {
    double t0 = Now();
    UniqueKernelHandle p(Launch(BinPath("Vantrel.exe")));
    if (!p) return -1;
    HWND w = nullptr;
    while (!(w = PublishedWindow())) {
        if (WaitForSingleObject(p.Get(), 0) == WAIT_OBJECT_0 || Now() - t0 > 20000) return -1;
        Sleep(0);
    }
    double ms = Now() - t0;
    PostMessageA(w, WM_COMMAND, 57665, 0);
    if (WaitForSingleObject(p.Get(), 10000) != WAIT_OBJECT_0) TerminateProcess(p.Get(), 1);
    while (PublishedWindow()) Sleep(1);
    return ms;
}

double TrivialStartMs() {
    double t0 = Now();
    UniqueKernelHandle p(Launch(BinPath("trivial.exe")));
    if (!p) return -1;
    WaitForSingleObject(p.Get(), 20000);
    return Now() - t0;
}

void StartupFigures() {
    VantrelStartMs();  // the first run seeds the registry; not measured
    std::vector<double> v, t;
    for (int i = 0; i < 9; ++i) {
        double a = VantrelStartMs(), b = TrivialStartMs();
        if (a > 0) v.push_back(a);
        if (b > 0) t.push_back(b);
    }
    double mv = Median(v), mt = Median(t);
    printf("startup_ms: %.1f ms\n", mv);
    printf("startup_trivial_ms: %.1f ms\n", mt);
    printf("startup_ratio: %.2f ratio\n", mt > 0 ? mv / mt : 0.0);
}

void SettingsFigures() {
    CRegProfile profile("VantrelBench", "Vantrel");
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
    profile.WriteProfileInt("", "Already Run", 1);
    CSettingsStore seed(profile);
    for (int i = 0; i < 1000; ++i) {
        char path[64];
        snprintf(path, sizeof path, "C:\\Bench\\Folder %04d", i);
        seed.folders[i] = {path, std::string("Folder ") + std::to_string(i),
                           "C:\\Windows\\system32\\shell32.dll", i % 40};
    }
    seed.SaveSettings();
    std::vector<double> load, save;
    for (int r = 0; r < 7; ++r) {
        CSettingsStore s(profile);
        double t0 = Now();
        s.LoadSettings();
        load.push_back(Now() - t0);
        if (s.folders.size() != 1000) fprintf(stderr, "loaded %zu entries\n", s.folders.size());
        t0 = Now();
        s.SaveSettings();
        save.push_back(Now() - t0);
    }
    printf("load_1000_ms: %.2f ms\n", Median(load));
    printf("save_1000_ms: %.2f ms\n", Median(save));
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\VantrelBench");
}

}  // namespace

int main() {
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane.");
    SettingsFigures();
    StartupFigures();
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quorvane.");
    return 0;
}
