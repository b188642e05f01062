// Stand-ins for VTHook.dll that carry the right version resource but not the
// right code: without VT_FAKE_INSTALL_FAILS the library exports nothing;
// with it, InstallHook always fails.
#include <windows.h>

#ifdef VT_FAKE_INSTALL_FAILS
extern "C" __declspec(dllexport) int __cdecl InstallHook(HWND) { return 0; }
extern "C" __declspec(dllexport) void __cdecl UninstallHook() {}
#endif

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
