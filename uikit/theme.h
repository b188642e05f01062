// Access to the optional theme library. The library is bound at run time so
// that the program runs where it is missing; every entry point is looked up
// by name on each call, and a missing library or entry point gives the
// answer of a system without visual styles.
#pragma once
#include <windows.h>
#include <uxtheme.h>

#include "framework/handles.h"

namespace vt {

class CThemeAccess {
public:
    // Loads the named library (normally "UxTheme.dll"); a missing library is
    // not an error.
    explicit CThemeAccess(const char* libraryName = "UxTheme.dll");
    CThemeAccess(const CThemeAccess&) = delete;
    CThemeAccess& operator=(const CThemeAccess&) = delete;

    bool IsLibraryLoaded() const { return static_cast<bool>(module_); }

    // 0 when the library or the entry point is missing.
    BOOL IsAppThemed() const;
    // Whether visual styles are on for the session (the menus' colour
    // choice); 0 when the library or the entry point is missing.
    BOOL IsThemeActive() const;
    HTHEME OpenThemeData(HWND hwnd, LPCWSTR classList) const;
    // E_FAIL when the library or the entry point is missing.
    HRESULT CloseThemeData(HTHEME theme) const;
    HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* rect,
                                const RECT* clip) const;

private:
    FARPROC Entry(const char* name) const;

    UniqueModule module_;  // owned; null when the library is missing
};

// The process-wide theme access on "UxTheme.dll". It exists before main runs
// and lives until the process ends.
CThemeAccess& Theme();

}  // namespace vt
