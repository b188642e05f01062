// The hidden main window: owns the options and the folder list, the tray
// icon, the menu pictures and the hook library; receives the hot key, the
// tray icon's and the hook library's messages and the commands that second
// starts forward, and pops the folder menu for the window in front.
#pragma once
#include <map>
#include <string>

#include "app/hookbinding.h"
#include "app/settings.h"
#include "framework/wnd.h"
#include "uikit/newmenu.h"
#include "uikit/trayicon.h"

namespace vt {

// Identifiers of the main window's world.
inline constexpr int kHotKeyId = 100;
inline constexpr UINT kTrayIconId = 128;
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;
inline constexpr COLORREF kMenuMaskColor = 0x8000FF;  // RGB(255, 0, 128)

// System hot-key modifiers from the hot-key control's bits: 1 Shift,
// 2 Control, 4 Alt; 8 (extended key) is dropped.
UINT HotKeyModifiersFromControl(WORD controlModifiers);
// The picture cache key of a folder's icon: "DEFAULT", or "file,index" in lower case.
std::string IconCacheKey(const FolderEntry& entry);
// Hit-test codes of the caption buttons that the right-click gesture accepts.
bool IsCaptionButtonHit(LRESULT hit);

class CMainFrame : public CFrameWnd {
public:
    // Loads the options and the folder list from profile (the window itself
    // does not exist yet).
    explicit CMainFrame(CRegProfile profile);
    ~CMainFrame() override;

    // The hidden window: class "STATIC", name "Vantrel", no style, no size.
    bool Create();
    // Teardown: hook library, hot key, tray icon, then the window.
    bool DestroyWindow() override;

    void LoadSettings() { store_.LoadSettings(); }
    void LoadFolderList() { store_.LoadFolderList(); }
    bool SaveSettings() { return store_.SaveSettings(); }
    void AddDefaultFolder(int csidl, const char* value) { store_.AddDefaultFolder(csidl, value); }

    // (Re)registers the keyboard shortcut; on failure tells the user once and
    // keeps the tray icon on for this run.
    void RegisterShortcut();
    // Shows or hides the tray icon according to "Show Tray".
    void UpdateTrayIcon();
    // Builds, tracks and destroys the folder menu; target may be null.
    void ShowFolderMenu(CWnd target);

    // The slow icon work of start-up, done right after the window has been
    // published (and at the latest before the first menu): the icon reference
    // values and the system image indices of the loaded folders.
    void FinishStartup();
    static constexpr UINT WM_FINISH_STARTUP = WM_APP + 1;

    CSettingsStore& Store() { return store_; }
    FolderList& Folders() { return store_.folders; }
    AppSettings& Settings() { return store_.settings; }
    const CTrayNotifyIcon& TrayIcon() const { return trayIcon_; }
    const CHookLibrary& HookLibrary() const { return hookLibrary_; }

    // How failures are told to the user; a plain OK message box by default.
    std::function<void(const std::string&)> reportMessage;

    // The window in front when the folder menu was activated; null when none.
    CWnd TargetWindow;

protected:
    LRESULT OnCreate(LPARAM createStruct);
    LRESULT OnHotKey(WPARAM id, LPARAM);
    void OnPopMenu();
    LRESULT OnTrayNotify(WPARAM w, LPARAM l);
    LRESULT OnHookRightButton();
    LRESULT OnHookWheel();
    LRESULT OnSettingChange(WPARAM w, LPARAM l);
    void NavigateTo(UINT id);
    void Report(const std::string& text);
    // The picture index for a folder's icon in the menu pictures, loaded once
    // per cache lifetime.
    int PictureFor(const FolderEntry& entry);

private:
    CSettingsStore store_;
    HICON trayIconHandle_ = nullptr;  // not owned (resource icon); null until first needed
    CTrayNotifyIcon trayIcon_;
    CNewMenuBitmaps menuPictures_;    // every folder picture, for the life of the window
    std::map<std::string, int> pictureCache_;  // icon key -> picture index
    CHookLibrary hookLibrary_;
};

}  // namespace vt
