// A menu drawing style: CMenuTheme bundles the measure and draw functions of
// owner-drawn items with the style's handling of the popup window's frame.
// The base class is the classic style, which leaves the frame to the system;
// CMenuThemeXP (menuthemexp.h) is the flat one.
#pragma once
#include <windows.h>

namespace vt {

class CNewMenu;

using MenuMeasureFn = void (*)(CNewMenu* menu, MEASUREITEMSTRUCT* mis);
using MenuDrawFn = void (*)(CNewMenu* menu, DRAWITEMSTRUCT* dis);

// The keys the styles are registered under.
enum MenuStyleKey {
    kClassicMenuStyle = 1,
    kFlatMenuStyle = 2,
};

class CMenuTheme {
public:
    enum { kDrawsOwnFrame = 1 };
    CMenuTheme(int key, MenuMeasureFn measure, MenuDrawFn draw, int flags = 0);
    virtual ~CMenuTheme() = default;
    CMenuTheme(const CMenuTheme&) = delete;
    CMenuTheme& operator=(const CMenuTheme&) = delete;

    // Takes the style bits off a freshly subclassed menu window so that the
    // style can paint the frame; TRUE when it did.
    virtual BOOL OnInitWindow(HWND window);
    virtual void OnUninitWindow(HWND window);
    virtual BOOL DrawsOwnFrame() const { return (flags_ & kDrawsOwnFrame) != 0; }
    // The base style paints no frame and returns FALSE.
    virtual BOOL PaintFrame(HWND window, HDC windowDC, BOOL afterSystem);
    virtual BOOL EraseWindow(HWND window, HDC dc);
    virtual BOOL AdjustClientArea(HWND window, RECT* rect);
    virtual BOOL AdjustWindowPos(HWND window, WINDOWPOS* pos);
    virtual BOOL GetContentRect(HWND window, RECT* rect);

    int Key() const { return key_; }
    // The style's item functions, for an item of this menu.
    void MeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis) const { measureItem_(menu, mis); }
    void DrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis) const { drawItem_(menu, dis); }

private:
    const int key_;
    const int flags_;
    const MenuMeasureFn measureItem_;
    const MenuDrawFn drawItem_;
};

}  // namespace vt
