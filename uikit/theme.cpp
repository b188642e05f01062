#include "uikit/theme.h"

#include "framework/systemlibrary.h"

namespace vt {

namespace {
using IsAppThemedFn = BOOL(WINAPI*)();
using IsThemeActiveFn = BOOL(WINAPI*)();
using OpenThemeDataFn = HTHEME(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME, HDC, int, int, const RECT*, const RECT*);

// GetProcAddress returns a generic pointer; the cast to the real signature
// goes through void* to keep the compiler's function-cast check quiet.
template <class Fn>
Fn As(FARPROC p) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
}
}  // namespace

CThemeAccess::CThemeAccess(const char* libraryName)
    : module_(libraryName ? LoadSystemLibrary(libraryName) : nullptr) {}

FARPROC CThemeAccess::Entry(const char* name) const {
    return module_ ? GetProcAddress(module_.Get(), name) : nullptr;
}

BOOL CThemeAccess::IsAppThemed() const {
    auto fn = As<IsAppThemedFn>(Entry("IsAppThemed"));
    return fn ? fn() : FALSE;
}

BOOL CThemeAccess::IsThemeActive() const {
    auto fn = As<IsThemeActiveFn>(Entry("IsThemeActive"));
    return fn ? fn() : FALSE;
}

HTHEME CThemeAccess::OpenThemeData(HWND hwnd, LPCWSTR classList) const {
    auto fn = As<OpenThemeDataFn>(Entry("OpenThemeData"));
    return fn ? fn(hwnd, classList) : nullptr;
}

HRESULT CThemeAccess::CloseThemeData(HTHEME theme) const {
    auto fn = As<CloseThemeDataFn>(Entry("CloseThemeData"));
    return fn ? fn(theme) : E_FAIL;
}

HRESULT CThemeAccess::DrawThemeBackground(HTHEME theme, HDC dc, int part, int state,
                                          const RECT* rect, const RECT* clip) const {
    auto fn = As<DrawThemeBackgroundFn>(Entry("DrawThemeBackground"));
    return fn ? fn(theme, dc, part, state, rect, clip) : E_FAIL;
}

CThemeAccess& Theme() {
    static CThemeAccess theme("UxTheme.dll");
    return theme;
}

namespace {
// Binds the library before the program's main code runs.
[[maybe_unused]] const bool g_themeBound = (Theme(), true);
}  // namespace

}  // namespace vt
