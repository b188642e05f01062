// Small GDI helpers that need no window.
#pragma once
#include <windows.h>

namespace vt {

// The header of a 32-bit, top-down, uncompressed DIB of w x h pixels: the
// format every pixel read and every off-screen surface here uses.
inline BITMAPINFO TopDown32BitInfo(int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

}  // namespace vt
