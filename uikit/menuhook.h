// The menu toolkit's process-wide state and the popup-menu window hook.
// CNewMenuHook is one object, built on first use by any menu operation (so a
// program that links the toolkit but never shows a menu installs nothing) and
// destroyed at exit. It owns the style registry, the shared icon collections,
// the optional libraries, and a hook on the GUI thread through which every
// popup-menu window ("#32768") is subclassed, on its WM_CREATE or on the
// system's "size the menu" message, so that the current style can size and
// paint its frame.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "framework/handles.h"
#include "uikit/menuframe.h"

namespace vt {

class CMenuTheme;
class CNewMenuIcons;

class CNewMenuHook {
public:
    // One per subclassed menu window.
    struct CMenuHookData {
        enum { kOnSizeMessage = 1, kStyleChanged = 2, kInPrint = 8 };
        LONG_PTR m_dwData = 0;        // saved style
        LONG_PTR m_dwDataEx = 0;      // saved extended style
        int m_Point_x = 0;            // last position seen
        int m_Point_y = 0;
        int m_dwFlags = 0;
        BOOL m_bDrawBorder = FALSE;   // frame painted once
        HMENU m_hMenu = nullptr;
        UniqueBitmap m_Screen;        // screen behind the window, owned
        const DWORD* m_ScreenPixels = nullptr;  // its pixels (a DIB's own memory)
        menu::ShadowBands m_shadow;   // composed from the snapshot
        BOOL m_bDoSubclass = TRUE;    // frame and shadow handled here
        // The replaced procedure, also in the window's "OldMenuProc"
        // property; kept here because reading a property costs a server
        // round trip under Wine, on every message of the menu window.
        WNDPROC m_oldProc = nullptr;
    };

    // The one instance: constructed (hook installed) on first call.
    static CNewMenuHook& Instance();
    ~CNewMenuHook();
    CNewMenuHook(const CNewMenuHook&) = delete;
    CNewMenuHook& operator=(const CNewMenuHook&) = delete;

    static CMenuHookData* GetMenuHookData(HWND window);
    // Subclasses a "#32768" window (no-op for others or when done already).
    static BOOL CheckSubclassing(HWND window, BOOL onSizeMessage);
    static void UnsubClassMenu(HWND window);

    // Adds a style unless the same object is registered; takes ownership.
    BOOL RegisterMenuTheme(CMenuTheme* theme);
    CMenuTheme* FindTheme(int key) const;
    CMenuTheme* CurrentTheme() const { return m_pActMenuDrawing; }
    // Makes the style with this key current; previous key or -1.
    int SetMenuStyle(int key);

    // Cached screen colour count (NUMCOLORS; -1 counts as 64000).
    int ScreenColorCount();
    // Test seam: 0 = read from the screen again on next use.
    void SetScreenColorCount(int count) { m_nColors = count; }
    bool HighContrast() const { return m_bHighContrast; }
    void SetHighContrast(bool on) { m_bHighContrast = on; }
    int Version() const { return m_dwVersion; }
    bool IsThemeActive() const;

    // The collections that menus made for themselves (owned; each leaves
    // when its count drops to zero).
    std::vector<CNewMenuIcons*> m_SharedMenuIcons;
    BOOL m_bUsePreparedImages = TRUE;

    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    GradientFillFn m_pGradientFill = nullptr;

private:
    CNewMenuHook();
    static LRESULT CALLBACK NewMenuHook(int code, WPARAM w, LPARAM l);
    static LRESULT CALLBACK WatchMenuWindow(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK SubClassMenu(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT OnNcPaint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp);
    static LRESULT OnPrint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp);
    static void TakeSnapshot(HWND w, CMenuHookData* data, const RECT* where);

    using IsThemeActiveFn = BOOL(WINAPI*)();
    int m_dwVersion = 7;
    bool m_bHighContrast = false;
    int m_nColors = 0;
    UniqueModule m_hThemeLibrary;      // owned
    UniqueModule m_hMsimg32;           // owned
    IsThemeActiveFn m_pIsThemeActive = nullptr;
    std::vector<std::unique_ptr<CMenuTheme>> m_pRegisteredThemesList;
    CMenuTheme* m_pActMenuDrawing = nullptr;  // points into the list
    HHOOK m_hHook = nullptr;                  // owned (WH_CBT), removed in the destructor
    std::map<HWND, std::unique_ptr<CMenuHookData>> m_MenuHookData;
};

}  // namespace vt
