// The etched or themed line of a separator: a static window that draws a
// horizontal line when it is wider than high, else a vertical one.
#pragma once
#include <windows.h>

#include "framework/static.h"
#include "uikit/theme.h"

namespace vt {

class CSeparator : public CStatic {
public:
    // theme: where visual styles are asked for (the process-wide access by default).
    explicit CSeparator(const CThemeAccess& theme = Theme());

    // A child window of its own: no text, transparent, class "STATIC".
    bool Create(DWORD style, const RECT& rect, HWND parent, UINT id);

    // Paints the background and the line into dc; printFlags as WM_PRINT gives them.
    virtual void DrawSeparator(HDC dc, LPARAM printFlags);

protected:
    // An existing static taken over loses its text and becomes transparent.
    void PreSubclassWindow() override;

private:
    void Redraw() const;
    const CThemeAccess& theme_;  // not owned; outlives every separator
};

// Whether a window is a dialog that is not a property page (a page is a
// child dialog inside another dialog).
bool IsPlainDialogWindow(HWND w);

}  // namespace vt
