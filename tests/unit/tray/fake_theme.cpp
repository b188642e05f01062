// A stand-in theme library whose answers and recorded arguments show that the
// theme access forwards every call unchanged.
#include <windows.h>

#include "fake_theme.h"

namespace {
FakeThemeCalls g_calls;
}  // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI IsAppThemed() { return TRUE; }

// Not TRUE, so that a caller passing on its own TRUE would be seen.
__declspec(dllexport) BOOL WINAPI IsThemeActive() { return 7; }

__declspec(dllexport) HANDLE WINAPI OpenThemeData(HWND hwnd, LPCWSTR classList) {
    g_calls.openWindow = hwnd;
    g_calls.openClassList = classList;
    return FakeThemeHandle();
}

__declspec(dllexport) HRESULT WINAPI CloseThemeData(HANDLE theme) {
    g_calls.closedTheme = theme;
    return theme == FakeThemeHandle() ? S_OK : E_HANDLE;
}

__declspec(dllexport) HRESULT WINAPI DrawThemeBackground(HANDLE theme, HDC dc, int part, int state,
                                                         const RECT* rect, const RECT* clip) {
    g_calls.drawTheme = theme;
    g_calls.drawDC = dc;
    g_calls.drawRect = rect;
    g_calls.drawClip = clip;
    // Part and state come back in the result so that a swap would show.
    return MAKE_HRESULT(0, 0x77, part * 16 + state);
}

__declspec(dllexport) const FakeThemeCalls* WINAPI FakeThemeRecordedCalls() { return &g_calls; }

}  // extern "C"
