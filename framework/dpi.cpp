#include "framework/dpi.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "framework/systemlibrary.h"
#include "framework/text.h"

namespace vt {

namespace {

// Windows 10 1607 (user32) and Windows 8.1 (shcore) calls, null before.
struct DpiCalls {
    using ForSystemFn = UINT(WINAPI*)();
    using ForWindowFn = UINT(WINAPI*)(HWND);
    using MetricsFn = int(WINAPI*)(int, UINT);
    using ParametersFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
    using ForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

    ForSystemFn forSystem = nullptr;
    ForWindowFn forWindow = nullptr;
    MetricsFn metrics = nullptr;
    ParametersFn parameters = nullptr;
    ForMonitorFn forMonitor = nullptr;

    DpiCalls() {
        HMODULE user = GetModuleHandleA("user32.dll");
        forSystem = Bind<ForSystemFn>(user, "GetDpiForSystem");
        forWindow = Bind<ForWindowFn>(user, "GetDpiForWindow");
        metrics = Bind<MetricsFn>(user, "GetSystemMetricsForDpi");
        parameters = Bind<ParametersFn>(user, "SystemParametersInfoForDpi");
        // Kept loaded for the life of the process: the pointer is kept too.
        forMonitor = Bind<ForMonitorFn>(LoadSystemLibrary("shcore.dll"), "GetDpiForMonitor");
    }

    template <class F>
    static F Bind(HMODULE module, const char* name) {
        return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                      : nullptr;
    }
};

const DpiCalls& Calls() {
    static const DpiCalls calls;
    return calls;
}

constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

int MonitorDpi(HMONITOR monitor) {
    UINT x = 0, y = 0;
    if (monitor && Calls().forMonitor &&
        SUCCEEDED(Calls().forMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0)
        return static_cast<int>(x);
    return SystemDpi();
}

LOGFONTA NarrowFont(const LOGFONTW& w) {
    // The two structures agree up to the face name, which alone is text.
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
    LOGFONTA a = {};
    std::memcpy(&a, &w, offsetof(LOGFONTA, lfFaceName));
    const std::string face =
        CutAtCharBoundary(ToNarrow(w.lfFaceName, LF_FACESIZE), LF_FACESIZE - 1);
    std::memcpy(a.lfFaceName, face.c_str(), face.size() + 1);
    return a;
}

}  // namespace

int SystemDpi() {
    // Fixed until the user logs on again.
    static const int dpi = [] {
        if (Calls().forSystem)
            if (const UINT d = Calls().forSystem()) return static_cast<int>(d);
        int d = 0;
        if (HDC screen = GetDC(nullptr)) {
            d = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
        }
        return d > 0 ? d : kBaseDpi;
    }();
    return dpi;
}

int DpiForPoint(POINT screen) {
    return MonitorDpi(MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST));
}

int DpiForWindow(HWND window) {
    if (!window || !IsWindow(window)) return SystemDpi();
    if (Calls().forWindow)
        if (const UINT d = Calls().forWindow(window)) return static_cast<int>(d);
    return MonitorDpi(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int SystemMetricForDpi(int index, int dpi) {
    if (Calls().metrics) return Calls().metrics(index, static_cast<UINT>(dpi));
    const int value = GetSystemMetrics(index);
    const int system = SystemDpi();
    return dpi == system ? value : MulDiv(value, dpi, system);
}

int SmallIconSizeForDpi(int dpi) { return SystemMetricForDpi(SM_CXSMICON, dpi); }

bool NonClientMetricsForDpi(NONCLIENTMETRICSA& ncm, int dpi) {
    if (Calls().parameters) {
        // This call knows the UTF-16 record only.
        NONCLIENTMETRICSW w = {};
        w.cbSize = sizeof w;
        if (Calls().parameters(SPI_GETNONCLIENTMETRICS, sizeof w, &w, 0, static_cast<UINT>(dpi))) {
            ncm = NONCLIENTMETRICSA{};
            ncm.cbSize = sizeof ncm;
            ncm.iBorderWidth = w.iBorderWidth;
            ncm.iScrollWidth = w.iScrollWidth;
            ncm.iScrollHeight = w.iScrollHeight;
            ncm.iCaptionWidth = w.iCaptionWidth;
            ncm.iCaptionHeight = w.iCaptionHeight;
            ncm.lfCaptionFont = NarrowFont(w.lfCaptionFont);
            ncm.iSmCaptionWidth = w.iSmCaptionWidth;
            ncm.iSmCaptionHeight = w.iSmCaptionHeight;
            ncm.lfSmCaptionFont = NarrowFont(w.lfSmCaptionFont);
            ncm.iMenuWidth = w.iMenuWidth;
            ncm.iMenuHeight = w.iMenuHeight;
            ncm.lfMenuFont = NarrowFont(w.lfMenuFont);
            ncm.lfStatusFont = NarrowFont(w.lfStatusFont);
            ncm.lfMessageFont = NarrowFont(w.lfMessageFont);
            ncm.iPaddedBorderWidth = w.iPaddedBorderWidth;
            return true;
        }
    }
    ncm = NONCLIENTMETRICSA{};
    ncm.cbSize = sizeof ncm;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) return false;
    const int system = SystemDpi();
    if (dpi == system) return true;
    auto scale = [&](int& v) { v = MulDiv(v, dpi, system); };
    auto scaleFont = [&](LOGFONTA& f) { f.lfHeight = MulDiv(f.lfHeight, dpi, system); };
    scale(ncm.iBorderWidth);
    scale(ncm.iScrollWidth);
    scale(ncm.iScrollHeight);
    scale(ncm.iCaptionWidth);
    scale(ncm.iCaptionHeight);
    scale(ncm.iSmCaptionWidth);
    scale(ncm.iSmCaptionHeight);
    scale(ncm.iMenuWidth);
    scale(ncm.iMenuHeight);
    scale(ncm.iPaddedBorderWidth);
    scaleFont(ncm.lfCaptionFont);
    scaleFont(ncm.lfSmCaptionFont);
    scaleFont(ncm.lfMenuFont);
    scaleFont(ncm.lfStatusFont);
    scaleFont(ncm.lfMessageFont);
    return true;
}

}  // namespace vt
