// Shared between the stand-in theme library and the tests that load it.
#pragma once
#include <windows.h>

// The theme handle the stand-in library hands out.
inline HANDLE FakeThemeHandle() { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x5A5A)); }

struct FakeThemeCalls {
    HWND openWindow;
    LPCWSTR openClassList;
    HANDLE closedTheme;
    HANDLE drawTheme;
    HDC drawDC;
    const RECT* drawRect;
    const RECT* drawClip;
};
