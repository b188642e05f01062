// Menu drawing styles: a CMenuTheme bundles the measure and draw functions of
// owner-drawn items with the style's handling of the popup window's frame.
// Key 1 is the classic style, key 2 the flat one (CMenuThemeXP).
#pragma once
#include <windows.h>

#include "framework/dpi.h"
#include "framework/handles.h"

namespace vt {

class CNewMenu;

using MenuMeasureFn = void (*)(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL menuBar);
using MenuDrawFn = void (*)(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);

class CMenuTheme {
public:
    enum { kDrawsOwnFrame = 1 };
    CMenuTheme(int key, MenuMeasureFn measure, MenuDrawFn draw, MenuDrawFn drawTitle,
               int flags = 0);
    virtual ~CMenuTheme() = default;
    CMenuTheme(const CMenuTheme&) = delete;
    CMenuTheme& operator=(const CMenuTheme&) = delete;

    // Takes the style bits off a freshly subclassed menu window so that the
    // style can paint the frame; TRUE when it did.
    virtual BOOL OnInitWindow(HWND window);
    virtual void OnUninitWindow(HWND window);
    virtual BOOL DrawsOwnFrame() const { return (m_dwFlags & kDrawsOwnFrame) != 0; }
    // The base style paints no frame and returns FALSE.
    virtual BOOL PaintFrame(HWND window, HDC windowDC, BOOL afterSystem);
    virtual BOOL EraseWindow(HWND window, HDC dc);
    virtual BOOL AdjustClientArea(HWND window, RECT* rect);
    virtual BOOL AdjustWindowPos(HWND window, WINDOWPOS* pos);
    virtual BOOL GetContentRect(HWND window, RECT* rect);

    int m_dwThemeId;
    int m_dwFlags;
    MenuMeasureFn m_pMeasureItem;
    MenuDrawFn m_pDrawItem;
    MenuDrawFn m_pDrawTitle;
    SIZE m_BorderTopLeft;      // frame margins as read at construction
    SIZE m_BorderBottomRight;
};

// The flat style: paints a one-pixel frame that continues the icon strip,
// and its own drop shadow where the system draws none.
class CMenuThemeXP : public CMenuTheme {
public:
    using CMenuTheme::CMenuTheme;
    BOOL PaintFrame(HWND window, HDC windowDC, BOOL afterSystem) override;
    BOOL EraseWindow(HWND window, HDC dc) override;
};

// Off-screen surface for one item: drawing uses the target's coordinates and
// the result is copied back in one BitBlt on destruction, unless cancelled.
class CNewMemDC {
public:
    CNewMemDC(HDC target, const RECT& rect);
    ~CNewMemDC();
    CNewMemDC(const CNewMemDC&) = delete;
    CNewMemDC& operator=(const CNewMemDC&) = delete;
    // The memory surface, or the target itself when none could be made.
    HDC GetSafeHdc() const { return m_hDc ? m_hDc : m_hDcTarget; }
    void SetNoCopyBack() { m_bCancel = TRUE; }

private:
    RECT m_rect;
    HDC m_hDc = nullptr;      // m_ownDc's, or the reused one of the drawing cache
    UniqueMemDC m_ownDc;      // owned, when the reused one is busy or unusable
    bool m_reused = false;
    UniqueBitmap m_bitmap;    // owned, selected while alive
    HGDIOBJ m_oldBitmap = nullptr;
    BOOL m_bCancel = FALSE;
    HDC m_hDcTarget;          // not owned
};

namespace menu {
// The registered styles' item functions.
void FlatMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL menuBar);
void FlatDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);
void ClassicMeasureItem(CNewMenu* menu, MEASUREITEMSTRUCT* mis, BOOL menuBar);
void ClassicDrawItem(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);
void NoTitle(CNewMenu* menu, DRAWITEMSTRUCT* dis, BOOL menuBar);

// The menu font of the system for a DPI, bold on request.
UniqueFont ItemFont(bool bold, int dpi);
inline UniqueFont ItemFont(bool bold) { return ItemFont(bold, SystemDpi()); }
// The item fonts and the measuring surface are made once and kept: making
// them for every item cost most of an item's drawing time. Dropped when the
// style is set again (which the program does when system settings change),
// and the fonts when a menu of another DPI is measured or drawn.
void DropDrawingCache();
// Background colour of a menu (its own brush, else the system's menu colour).
COLORREF MenuBack(HMENU menu);
// COLOR_MENUBAR on XP and later with flat menus on, else COLOR_MENU.
int FlatMenuColorIndex();
inline COLORREF FlatMenuColor() { return GetSysColor(FlatMenuColorIndex()); }
bool SystemDropShadow();
// Draws one "Marlett" character centred in rect shrunk by 2 (at 96 DPI).
void DrawMarlettGlyph(HDC dc, RECT rect, char glyph, bool bold, COLORREF color,
                      int dpi = kBaseDpi);
// The "Marlett" character of a system command, 0 for others.
char SystemCommandGlyph(UINT id);
}  // namespace menu

}  // namespace vt
