// Pixels for a DPI. The program is per-monitor DPI aware (its manifest says
// so): everything it measures in pixels is measured for the DPI of the
// monitor it draws on, which may differ from the system DPI and from one
// monitor to the next. The newer system calls are bound at run time; on
// systems without them every monitor has the system DPI.
#pragma once
#include <windows.h>

namespace vt {

// The DPI that pixel sizes written in the code refer to (100 %).
inline constexpr int kBaseDpi = 96;

// value pixels at 96 DPI, at dpi (rounded to nearest).
inline int ScaleForDpi(int value, int dpi) { return MulDiv(value, dpi, kBaseDpi); }

// The system DPI (that of the primary monitor at log-on).
int SystemDpi();
// The DPI of the monitor under a point of the screen (the nearest monitor
// when the point is on none).
int DpiForPoint(POINT screen);
// The DPI a window is drawn for: its monitor's. The system DPI for a null or
// vanished window.
int DpiForWindow(HWND window);

// A system metric (SM_...) at a DPI.
int SystemMetricForDpi(int index, int dpi);
// The small-icon size at a DPI: 16 at 96, 20 at 120, 24 at 144, 32 at 192.
int SmallIconSizeForDpi(int dpi);
// The system's non-client metrics (the menu font among them) for a DPI.
// False when the system gives none.
bool NonClientMetricsForDpi(NONCLIENTMETRICSA& ncm, int dpi);

}  // namespace vt
