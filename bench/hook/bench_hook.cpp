// hook_overhead_ratio: the time this thread needs to retrieve an ordinary
// (non-gesture) message while VTHook's hook is installed, divided by the same
// while a hook that only calls CallNextHookEx is installed. Both hooks are
// installed the same way, repetitions alternate between them, and the median
// of the per-pair ratios is reported.
#include <windows.h>

#include <cstdio>

#include "hooklib/vthook.h"
#include "support/benchsupport.h"

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

// Microseconds per message to retrieve a batch of posted ordinary messages with
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
    return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / freq.QuadPart /
           kMessagesPerBatch;
}

}  // namespace

int main() {
    HookLibrary vthook, passOn;
    if (!vthook.Load("VTHook.dll") || !passOn.Load("VTHookPassOn.dll")) {
        std::fprintf(stderr, "bench_hook: cannot load the hook libraries\n");
        return 1;
    }
    HWND window =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window) return 1;

    TimeRetrieval(vthook, window);  // warm-up: maps and touches everything once
    TimeRetrieval(passOn, window);
    bool failed = false;
    auto timed = [&](const HookLibrary& hook) {
        const double us = TimeRetrieval(hook, window);
        failed |= us <= 0;
        return us;
    };
    const vt::bench::Paired p = vt::bench::Interleave(
        kRepetitions, [&] { return timed(vthook); }, [&] { return timed(passOn); });
    if (failed) {
        std::fprintf(stderr, "bench_hook: cannot install a hook\n");
        return 1;
    }
    vt::bench::PrintRatio("hook_message_time_vthook", "hook_message_time_passon",
                          "hook_overhead_ratio", p, "us", 3);
    DestroyWindow(window);
    return 0;
}
