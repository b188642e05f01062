// Pixels for a DPI. The newer system calls are bound at run time; on systems
// without them every monitor has the system DPI.
#pragma once
#include <windows.h>

namespace vt {

// The DPI that pixel sizes written in the code refer to (100 %).
inline constexpr int kBaseDpi = 96;

// The system DPI (that of the primary monitor at log-on).
int SystemDpi();
// The DPI a window is drawn for: its monitor's. The system DPI for a null or
// vanished window.
int DpiForWindow(HWND window);
// The small-icon size at a DPI: 16 at 96, 20 at 120, 24 at 144, 32 at 192.
int SmallIconSizeForDpi(int dpi);

}  // namespace vt
