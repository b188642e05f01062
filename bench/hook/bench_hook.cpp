// hook_overhead_ratio: the time this thread needs to retrieve an ordinary
// (non-gesture) message while VTHook's hook is installed, divided by the same
// while a hook that only calls CallNextHookEx is installed. Both hooks are
// installed the same way, repetitions alternate between them, and the median
// of the per-repetition ratios is reported.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "hooklib/vthook.h"

namespace {

constexpr int kMessagesPerBatch = 1000;
constexpr int kRepetitions = 41;

struct HookLibrary {
    HMODULE module = nullptr;
    vthook::InstallHookFn install = nullptr;
    vthook::UninstallHookFn uninstall = nullptr;

    bool Load(const char* name) {
        module = LoadLibraryA(name);
        if (!module) return false;
        install = reinterpret_cast<vthook::InstallHookFn>(
            reinterpret_cast<void*>(GetProcAddress(module, vthook::kInstallHookExport)));
        uninstall = reinterpret_cast<vthook::UninstallHookFn>(
            reinterpret_cast<void*>(GetProcAddress(module, vthook::kUninstallHookExport)));
        return install && uninstall;
    }
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Seconds per message to retrieve a batch of posted ordinary messages with
// the given hook installed (posting is not timed).
double TimeRetrieval(const HookLibrary& hook, HWND window) {
    if (!hook.install(window)) return -1;
    for (int i = 0; i < kMessagesPerBatch; ++i) PostMessageA(window, WM_APP + 1, i, 0);
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    MSG msg;
    for (int i = 0; i < kMessagesPerBatch; ++i) {
        GetMessageA(&msg, nullptr, 0, 0);
        DispatchMessageA(&msg);
    }
    QueryPerformanceCounter(&end);
    hook.uninstall();
    return static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart / kMessagesPerBatch;
}

}  // namespace

int main() {
    HookLibrary vthook, passOn;
    if (!vthook.Load("VTHook.dll") || !passOn.Load("VTHookPassOn.dll")) {
        std::fprintf(stderr, "bench_hook: cannot load the hook libraries\n");
        return 1;
    }
    HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    if (!window) return 1;

    TimeRetrieval(vthook, window);  // warm-up: maps and touches everything once
    TimeRetrieval(passOn, window);
    std::vector<double> withVthook, withPassOn, ratios;
    for (int rep = 0; rep < kRepetitions; ++rep) {
        double a, b;
        if (rep % 2 == 0) {
            a = TimeRetrieval(vthook, window);
            b = TimeRetrieval(passOn, window);
        } else {
            b = TimeRetrieval(passOn, window);
            a = TimeRetrieval(vthook, window);
        }
        if (a <= 0 || b <= 0) {
            std::fprintf(stderr, "bench_hook: cannot install a hook\n");
            return 1;
        }
        withVthook.push_back(a);
        withPassOn.push_back(b);
        ratios.push_back(a / b);
    }
    std::printf("hook_message_time_vthook: %.3f us\n", Median(withVthook) * 1e6);
    std::printf("hook_message_time_passon: %.3f us\n", Median(withPassOn) * 1e6);
    std::printf("hook_overhead_ratio: %.3f ratio\n", Median(ratios));
    DestroyWindow(window);
    return 0;
}
