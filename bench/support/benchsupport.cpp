#include "support/benchsupport.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "app/instancechecker.h"
#include "framework/handles.h"

namespace vt::bench {

double NowMs() {
    static const LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Quantile(std::vector<double> v, double share) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const double at = share * static_cast<double>(v.size() - 1);
    const size_t lo = static_cast<size_t>(at);
    const size_t hi = std::min(lo + 1, v.size() - 1);
    return v[lo] + (v[hi] - v[lo]) * (at - static_cast<double>(lo));
}

double Median(std::vector<double> v) { return Quantile(std::move(v), 0.5); }

std::string BinPath(const std::string& name) {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    PathRemoveFileSpecA(buf);
    return std::string(buf) + "\\" + name;
}

HANDLE Launch(const std::string& exe, const std::string& args) {
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

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

Paired Interleave(int rounds, const std::function<double()>& work,
                  const std::function<double()>& floor) {
    Paired p;
    for (int i = 0; i < rounds; ++i) {
        double a, b;
        if (i % 2 == 0) {
            a = work();
            b = floor();
        } else {
            b = floor();
            a = work();
        }
        if (a < 0 || b <= 0) continue;
        p.work.push_back(a);
        p.floor.push_back(b);
        p.ratios.push_back(a / b);
    }
    return p;
}

void PrintFigure(const std::string& name, double value, const char* unit, int decimals) {
    std::printf("%s: %.*f %s\n", name.c_str(), decimals, value, unit);
    std::fflush(stdout);
}

void PrintRatio(const std::string& workName, const std::string& floorName,
                const std::string& ratioName, const Paired& p, const char* unit, int decimals) {
    PrintFigure(workName, p.WorkMedian(), unit, decimals);
    PrintFigure(floorName, p.FloorMedian(), unit, decimals);
    PrintFigure(ratioName, p.Ratio(), "ratio", 3);
    if (std::getenv("VT_BENCH_PAIRS"))
        for (size_t i = 0; i < p.Pairs(); ++i)
            Comment("%s pair %zu: %.3f / %.3f = %.3f", ratioName.c_str(), i + 1, p.work[i],
                    p.floor[i], p.ratios[i]);
    Comment("%s: median of %zu interleaved pairs, middle half of the pairs %.3f to %.3f",
            ratioName.c_str(), p.Pairs(), Quantile(p.ratios, 0.25), Quantile(p.ratios, 0.75));
}

void Comment(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::fputs("# ", stdout);
    std::vprintf(format, args);
    std::fputc('\n', stdout);
    va_end(args);
    std::fflush(stdout);
}

namespace {
double g_dialogStart = 0;
double g_dialogIdle = -1;

LRESULT CALLBACK DialogIdleOwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ENTERIDLE && wp == MSGF_DIALOGBOX) {
        if (g_dialogIdle < 0) g_dialogIdle = NowMs() - g_dialogStart;
        EndDialog(reinterpret_cast<HWND>(lp), IDCANCEL);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}
}  // namespace

DialogIdleTimer::DialogIdleTimer() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DialogIdleOwnerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtBenchDialogIdleOwner";
    RegisterClassA(&wc);
    owner_ = CreateWindowA(wc.lpszClassName, "owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                           wc.hInstance, nullptr);
}

DialogIdleTimer::~DialogIdleTimer() {
    if (owner_) DestroyWindow(owner_);
}

double DialogIdleTimer::TimeToFirstIdle(const std::function<void()>& openModal) {
    g_dialogIdle = -1;
    g_dialogStart = NowMs();
    openModal();
    return g_dialogIdle;
}

}  // namespace vt::bench
