// The flat drawing style (key 2): paints a one-pixel frame that continues
// the icon strip, and its own drop shadow where the system draws none.
#pragma once
#include <windows.h>

#include "uikit/menu/menutheme.h"

namespace vt {

class CMenuThemeXP : public CMenuTheme {
public:
    using CMenuTheme::CMenuTheme;
    BOOL PaintFrame(HWND window, HDC windowDC, BOOL afterSystem) override;
    BOOL EraseWindow(HWND window, HDC dc) override;
};

}  // namespace vt
