// The menu toolkit's process-wide state and the popup-menu window hook.
// CNewMenuHook is one object, built on first use by any menu operation (so a
// program that links the toolkit but never shows a menu installs nothing) and
// destroyed at exit. It owns the style registry, the shared icon collections,
// the optional libraries, and a hook on the GUI thread through which every
// popup-menu window ("#32768") gets a link in its subclassing chain
// (uikit/hookwnd.h) when it is made; the link takes the window over on its
// WM_CREATE or on the system's "size the menu" message, so that the current
// style can size and paint its frame, until the window is hidden or moved
// and resized.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <vector>

#include "framework/handles.h"
#include "uikit/gradientaccess.h"
#include "uikit/menu/menuframe.h"

namespace vt {

class CMenuTheme;
class CNewMenuIcons;

class CNewMenuHook {
public:
    // One per subclassed menu window.
    struct CMenuHookData {
        enum { kOnSizeMessage = 1, kStyleChanged = 2, kInPrint = 8 };
        LONG_PTR savedStyle_ = 0;    // saved style
        LONG_PTR savedExStyle_ = 0;  // saved extended style
        int lastX_ = 0;              // last position seen
        int lastY_ = 0;
        int flags_ = 0;
        BOOL framePainted_ = FALSE;  // frame painted once
        HMENU hmenu_ = nullptr;
        UniqueBitmap snapshot_;                  // screen behind the window, owned
        const DWORD* snapshotPixels_ = nullptr;  // its pixels (a DIB's own memory)
        menu::ShadowBands shadow_;               // composed from the snapshot
        BOOL ownFrame_ = TRUE;                   // frame and shadow handled here
    };

    // The menu window's link in its subclassing chain (menuwindowlink.h).
    class CMenuWindowLink;

    // The one instance: constructed (hook installed) on first call.
    static CNewMenuHook& Instance();
    ~CNewMenuHook();
    CNewMenuHook(const CNewMenuHook&) = delete;
    CNewMenuHook& operator=(const CNewMenuHook&) = delete;

    static CMenuHookData* GetMenuHookData(HWND window);
    // Takes a "#32768" window over (no-op when done already); the window
    // gets its link first if it has none. While taken over, the window has
    // data and the property "OldMenuProc" (holding its link).
    static BOOL CheckSubclassing(HWND window, BOOL onSizeMessage);
    // Lets the window go: the data is dropped, its link stays.
    static void UnsubClassMenu(HWND window);

    // Adds a style unless the same object is registered; takes ownership.
    BOOL RegisterMenuTheme(CMenuTheme* theme);
    CMenuTheme* FindTheme(int key) const;
    CMenuTheme* CurrentTheme() const { return currentTheme_; }
    // Makes the style with this key current; previous key or -1.
    int SetMenuStyle(int key);

    // Cached screen colour count (NUMCOLORS; -1 counts as 64000).
    int ScreenColorCount();
    // Test seam: 0 = read from the screen again on next use.
    void SetScreenColorCount(int count) { colorCount_ = count; }
    bool HighContrast() const { return highContrast_; }
    void SetHighContrast(bool on) { highContrast_ = on; }
    int Version() const { return version_; }
    bool IsThemeActive() const;

    // The collections that menus made for themselves; each leaves (and is
    // deleted) when its count drops to zero.
    const std::vector<std::unique_ptr<CNewMenuIcons>>& SharedIcons() const { return sharedIcons_; }
    CNewMenuIcons* AddSharedIcons(std::unique_ptr<CNewMenuIcons> icons);
    // Deletes the collection if it is a shared one; false for any other.
    bool DeleteSharedIcons(const CNewMenuIcons* icons);
    // Draw the stored dimmed and disabled copies instead of effects.
    BOOL UsePreparedImages() const { return usePreparedImages_; }
    BOOL SetUsePreparedImages(BOOL use);

    // The process-wide gradient access (not owned); null on Windows 98.
    const CGradientAccess* gradient_ = nullptr;

private:
    CNewMenuHook();
    static LRESULT CALLBACK NewMenuHook(int code, WPARAM w, LPARAM l);
    // Gives a menu window its link; null when it cannot be hooked.
    static CMenuWindowLink* LinkMenuWindow(HWND w);
    // The window is gone: lets it go and deletes its link.
    static void DropMenuWindow(HWND w);
    // Every message of a menu window, as its link received it.
    static LRESULT SubClassMenu(CMenuWindowLink& link, HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT OnNcPaint(CMenuWindowLink& link, HWND w, CMenuHookData* data, WPARAM wp,
                             LPARAM lp);
    static LRESULT OnPrint(CMenuWindowLink& link, HWND w, CMenuHookData* data, WPARAM wp,
                           LPARAM lp);
    static bool NeedsSnapshot();
    static void TakeSnapshot(HWND w, CMenuHookData* data, const RECT* where);

    int version_ = 7;
    bool highContrast_ = false;
    int colorCount_ = 0;
    std::vector<std::unique_ptr<CMenuTheme>> themes_;
    CMenuTheme* currentTheme_ = nullptr;  // points into the list
    HHOOK hook_ = nullptr;                // owned (WH_CBT), removed in the destructor
    std::map<HWND, std::unique_ptr<CMenuHookData>> menuHookData_;
    std::vector<std::unique_ptr<CNewMenuIcons>> sharedIcons_;
    BOOL usePreparedImages_ = TRUE;
};

}  // namespace vt
