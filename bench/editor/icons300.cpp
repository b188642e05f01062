// A resource-only library: 300 icon groups for the editor benchmark.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
