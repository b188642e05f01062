// VTHook.dll: a desktop-wide WH_GETMESSAGE hook that tells Vantrel's main
// window about two mouse gestures made in any program. It runs inside every
// thread that retrieves messages, so the procedure only compares and posts.
#include "hooklib/vthook.h"

namespace {

// One copy for every process that maps the library. Handles are stored in
// 32 bits: window and hook handles fit in 32 bits on 64-bit Windows too, and
// the layout (HookTarget at 0, HookHandle at 4) is fixed.
struct SharedState {
    volatile LONG HookTarget;  // window that receives the posted messages; 0 when none
    volatile LONG HookHandle;  // the installed hook; 0 when none
};
__attribute__((section(".VT"), shared)) SharedState g_shared = {0, 0};

// Per-process: set by the entry point in each process that maps the library.
HINSTANCE g_module = nullptr;
UINT g_rightButtonMsg = 0;
UINT g_wheelMsg = 0;

HWND HookTargetWindow() { return static_cast<HWND>(LongToHandle(g_shared.HookTarget)); }
HHOOK InstalledHook() { return static_cast<HHOOK>(LongToHandle(g_shared.HookHandle)); }

// Called inside whatever thread is retrieving a message. Never sends (the
// hooked program would wait for Vantrel), never allocates, never swallows.
LRESULT CALLBACK GetMessageHookProc(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = reinterpret_cast<const MSG*>(lParam);
    if (msg) {
        UINT notify = 0;
        if (msg->message == WM_NCRBUTTONDOWN)
            notify = g_rightButtonMsg;
        else if (msg->message == WM_MOUSEWHEEL)
            notify = g_wheelMsg;
        if (notify) {
            if (HWND target = HookTargetWindow()) PostMessageA(target, notify, 0, 0);
        }
    }
    return CallNextHookEx(InstalledHook(), code, wParam, lParam);
}

void RemoveHook() {
    UnhookWindowsHookEx(InstalledHook());
    g_shared.HookTarget = 0;
    g_shared.HookHandle = 0;
}

}  // namespace

extern "C" {

// Installs the one desktop-wide hook (replacing an earlier one) and directs
// the messages to window. Returns 1 on success, 0 on failure.
__declspec(dllexport) int __cdecl InstallHook(HWND window) {
    if (g_shared.HookHandle != 0) RemoveHook();
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, GetMessageHookProc, g_module, 0);
    g_shared.HookHandle = HandleToLong(hook);
    if (!hook) return 0;
    g_shared.HookTarget = HandleToLong(window);
    return 1;
}

__declspec(dllexport) void __cdecl UninstallHook() {
    if (g_shared.HookHandle == 0) return;
    RemoveHook();
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        g_rightButtonMsg = RegisterWindowMessageA(vthook::kRightButtonMessageName);
        g_wheelMsg = RegisterWindowMessageA(vthook::kWheelMessageName);
    }
    return TRUE;
}

}  // extern "C"
