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

// The height (negative: character height) of a font of tenthsOfPoint
// tenths of a point on a device of logPixelsY pixels per inch; rounded
// down, as the point fonts of dialogs are.
inline int PointFontHeight(int tenthsOfPoint, int logPixelsY) {
    return -(tenthsOfPoint * logPixelsY / 720);
}

// A font of tenthsOfPoint tenths of a point in face, for the screen's
// vertical resolution. The caller owns it.
inline HFONT CreatePointFont(int tenthsOfPoint, const char* face) {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    LOGFONTA lf = {};
    lf.lfHeight = PointFontHeight(tenthsOfPoint, dpi);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirectA(&lf);
}

}  // namespace vt
