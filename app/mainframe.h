// The hidden main window: owns the options and the folder list, the tray
// icon, the menu pictures and the hook library; receives the hot key, the
// tray icon's and the hook library's messages and the commands that second
// starts forward, and pops the folder menu for the window in front.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/activationrule.h"
#include "app/folderchecker.h"
#include "app/hookbinding.h"
#include "app/settings.h"
#include "framework/wnd.h"
#include "model/picturecache.h"
#include "model/shortcut.h"
#include "app/autoswitch.h"
#include "navigation/background.h"
#include "navigation/openfolders.h"
#include "uikit/menu/newmenu.h"
#include "uikit/trayicon.h"

namespace vt {

// Identifiers of the main window's world.
inline constexpr int kHotKeyId = 100;
inline constexpr UINT kTrayIconId = 128;
inline constexpr UINT kTrayCallbackMessage = WM_USER + 100;
// RegisterHotKey so that holding the keys does not repeat it, where the
// system can; otherwise as it is.
bool RegisterNonRepeatingHotKey(HWND window, int id, UINT modifiers, UINT vk);

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

    // (Re)registers the keyboard shortcut. A combination another program
    // holds keeps the tray icon on for this run and is told after start-up,
    // once per combination (not again at later starts).
    void RegisterShortcut();
    // The first run's shortcut: the stored one (the Windows key + A unless
    // preset) if the system gives it, else the first of kFirstRunShortcuts
    // that registers, which is then stored. The user is told which it is
    // after start-up, in the tray icon's balloon where there is one.
    void ChooseFirstRunShortcut();
    // Whether the system would give the shortcut of these options now (our
    // own registration does not count against it); true for no shortcut.
    bool ShortcutAvailable(const AppSettings& candidate);
    // Shows or hides the tray icon according to "Show Tray".
    void UpdateTrayIcon();
    // Watches the foreground or stops according to "Auto Switch".
    void UpdateAutoSwitch();
    bool AutoSwitchWatching() const { return autoSwitch_.Watching(); }
    // Builds, tracks and destroys the folder menu; target may be null.
    void ShowFolderMenu(CWnd target);
    // A letter typed in the folder menu or one of its submenus.
    LRESULT OnMenuChar(WPARAM w, LPARAM l);
    LRESULT OnMenuSelectionCheck();

    // Marks a modal dialog of Vantrel (a message box, Setup, the folder
    // editor) as open for the lifetime of the object: activations meanwhile
    // bring that dialog to the front instead of popping the menu over it.
    class ModalScope {
    public:
        explicit ModalScope(CMainFrame& frame) : frame_(frame) {
            frame_.activation_.DialogOpened();
        }
        ~ModalScope() { frame_.activation_.DialogClosed(); }
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        CMainFrame& frame_;
    };

    // Offers a folder for adding in the folder editor; OK appends it to the
    // list and saves the list at once.
    void AddFolderFromPath(const std::string& path);
    // Command 32772: the folder a second start left in "Dir To Add".
    void OnAddFolder();
    // Command 32771 ("Setup..."): the Setup dialog on copies of the list and
    // the options; OK saves them and applies the hot key and the tray icon.
    void OnSetup();

    // The slow icon work of start-up, done right after the window has been
    // published (and at the latest before the first menu): the system image
    // indices of the loaded folders. The icon reference values wait for
    // their first use (adding a folder): computing them builds the shell's
    // image lists, some megabytes that a list without system images never
    // needs.
    void FinishStartup();
    static constexpr UINT WM_FINISH_STARTUP = WM_APP + 1;
    // Posted at creation when there is something to tell: shown once the
    // window is published and nothing modal is open.
    static constexpr UINT WM_STARTUP_NOTICES = WM_APP + 2;
    // Posted by a navigation's thread: wParam is the nav::NavigationProblem.
    static constexpr UINT WM_NAVIGATION_PROBLEM = WM_APP + 3;
    // Posted after a typed letter asked the menu to select an item: checks
    // that the selection is there (see OnMenuSelectionCheck).
    static constexpr UINT WM_MENU_SELECTION_CHECK = WM_APP + 4;
    // Posted when what the menu keeps went stale (and after start-up): makes
    // it again while nothing else is to be done.
    static constexpr UINT WM_PREPARE_MENU = WM_APP + 5;

    // The favourites' part of the menu as a showing needs it, kept from one
    // showing to the next until the folder list, the DPI, the monitor's width,
    // the theme or the system colours change. A showing adds what it builds
    // for itself (before the favourites or after them) around these items.
    struct PreparedItem {
        UINT id;            // ID_FOLDER_FIRST + key
        std::string title;  // as the menu shows it (cut to fit)
        int picture;        // in the menu pictures
    };
    struct PreparedFavourites {
        bool valid = false;
        FolderList folders;  // what it was made from
        int dpi = 0;
        int maxWidth = 0;                 // of a title, a third of the work area
        std::vector<PreparedItem> items;  // one per folder, in key order
        std::vector<std::string> paths;   // the items' paths, for the existence checks
        int setupPicture = -1, exitPicture = -1;
    };
    // The kept favourites for a menu at pt drawn at dpi, made again if stale.
    const PreparedFavourites& PrepareFavourites(POINT pt, int dpi);
    // Marks the kept favourites stale and has them made again at idle.
    void ForgetPreparedMenu();
    // The idle work: the favourites for the cursor's monitor, the first
    // existence-check thread.
    void PrepareMenuAtIdle();

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
    // An open folder's command (ID_OPEN_FOLDER_FIRST + its place in the menu).
    void NavigateToOpenFolder(UINT id);
    // Hands a prepared request to the background navigator.
    void StartNavigation(const nav::NavigationRequest& request);
    // The menu's first section: the open Explorer folders under their
    // heading, then a separator; nothing with none (or "Show Open Folders"
    // off). fit shortens a title as the favourites' are.
    void AppendOpenFolders(CNewMenu& menu, CWnd target,
                           const std::function<std::string(const std::string&)>& fit);
    void OnNavigationProblem(WPARAM problem);
    void Report(const std::string& text);
    // Registers a combination under the hot-key id (none: nothing, true).
    bool RegisterCombination(const Shortcut& k);
    // A combination the system refused: tray icon on, told once.
    void ShortcutRefused(const Shortcut& k);
    // Queues a notice for after start-up; in a balloon where allowed and
    // there is a tray icon, else a message box.
    void QueueNotice(const std::string& text, bool balloon);
    void ShowStartupNotices();
    // Whether this activation may pop the menu now (CActivationRule); an
    // open dialog of Vantrel comes to the front instead.
    bool AcceptActivation(ActivationTrigger trigger);
    // Brings the open modal dialog to the front; false when there is none.
    bool RaiseOpenDialog();
    // The open modal dialog of this program, or null.
    CWnd OpenModalDialog() const;
    // The picture index for a folder's icon in the menu pictures, loaded once
    // per cache lifetime.
    int PictureFor(const FolderEntry& entry);
    // Makes the menu pictures size x size pixels (the small-icon size of the
    // DPI the menu is drawn at); a new size starts an empty collection.
    void UsePictureSize(int size);
    // A picture of the program's own: at 16 pixels its bitmap, at other
    // sizes its icon drawn for that size.
    int ResourcePicture(UINT bitmapId, UINT iconId);

private:
    CSettingsStore store_;
    HICON trayIconHandle_ = nullptr;  // not owned (resource icon); null until first needed
    CTrayNotifyIcon trayIcon_;
    // Every folder and command picture at the current size; owned, with one
    // reference of its own for as long as it is the current collection.
    std::unique_ptr<CNewMenuBitmaps> menuPictures_;
    int pictureSize_ = 0;
    CPictureCache pictureCache_;  // of the menu pictures, also "#id" of the program's icons
    PreparedFavourites favourites_;
    bool prepareQueued_ = false;  // a WM_PREPARE_MENU is on its way
    // Which folders exist, asked at every showing within a bound.
    CFolderChecker folderChecker_;
    CHookLibrary hookLibrary_;
    // Drives the targets of chosen folders, each on a thread of its own.
    nav::BackgroundNavigator navigator_;
    // Reads the open Explorer windows' folders for the menu.
    nav::COpenFolderReader openFolders_;
    // The open folders of the last showing, in menu order: a pick's command
    // arrives after the menu has closed.
    std::vector<std::string> shownOpenFolders_;
    // The shell's name and system icon of each open folder shown so far.
    struct FolderLook {
        std::string title;
        int iconIndex;  // in the system image list; -1: none
    };
    std::map<std::string, FolderLook> openFolderLooks_;
    // Moves a file dialog to the folder of the Explorer window the user just
    // left ("Auto Switch").
    CAutoSwitch autoSwitch_;
    // The item a typed letter selects, until the menu shows it selected.
    struct PendingSelection {
        HMENU menu = nullptr;  // not owned: the open menu or one of its submenus
        int index = -1;
        int stepsLeft = 0;
    } pendingSelection_;
    // Whether the menu is open or a dialog, and so what an activation does.
    CActivationRule activation_;
    struct Notice {
        std::string text;
        bool balloon;
    };
    std::vector<Notice> notices_;  // told after start-up, in order
};

}  // namespace vt
