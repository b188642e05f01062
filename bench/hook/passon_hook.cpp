// The benchmark's reference: a desktop-wide WH_GETMESSAGE hook installed the
// same way as VTHook's, whose procedure only passes every message on.
#include <windows.h>

namespace {
HINSTANCE g_module = nullptr;
HHOOK g_hook = nullptr;

LRESULT CALLBACK PassOnProc(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(g_hook, code, wParam, lParam);
}
}  // namespace

extern "C" {

__declspec(dllexport) int __cdecl InstallHook(HWND) {
    g_hook = SetWindowsHookExA(WH_GETMESSAGE, PassOnProc, g_module, 0);
    return g_hook ? 1 : 0;
}

__declspec(dllexport) void __cdecl UninstallHook() {
    if (g_hook) UnhookWindowsHookEx(g_hook);
    g_hook = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

}  // extern "C"
