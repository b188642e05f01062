#include "framework/dpi.h"

namespace vt {

namespace {
template <class Fn>
Fn Entry(const char* module, const char* name) {
    HMODULE m = GetModuleHandleA(module);
    return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name))) : nullptr;
}
}  // namespace

int SystemDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : kBaseDpi;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : kBaseDpi;
}

int DpiForWindow(HWND window) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn forWindow = Entry<Fn>("user32.dll", "GetDpiForWindow");
    if (window && IsWindow(window) && forWindow) {
        const UINT dpi = forWindow(window);
        if (dpi) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int SmallIconSizeForDpi(int dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn forDpi = Entry<Fn>("user32.dll", "GetSystemMetricsForDpi");
    if (forDpi) return forDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    return MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, SystemDpi());
}

}  // namespace vt
