// The hidden main window: owns the options and the folder list, receives the
// commands that second starts forward, and ends the program on "Exit".
#pragma once
#include <string>

#include "app/settings.h"
#include "framework/wnd.h"

namespace vt {

class CMainFrame : public CFrameWnd {
public:
    // Loads the options and the folder list from profile (the window itself
    // does not exist yet).
    explicit CMainFrame(CRegProfile profile);
    ~CMainFrame() override;

    // The hidden window: class "STATIC", name "Vantrel", no style, no size.
    bool Create();

    void LoadSettings() { store_.LoadSettings(); }
    void LoadFolderList() { store_.LoadFolderList(); }
    void SaveSettings() { store_.SaveSettings(); }
    void AddDefaultFolder(int csidl, const char* value) { store_.AddDefaultFolder(csidl, value); }

    // The slow icon work of start-up, done right after the window has been
    // published (and at the latest before the first menu): the icon reference
    // values and the system image indices of the loaded folders.
    void FinishStartup();
    static constexpr UINT WM_FINISH_STARTUP = WM_APP + 1;

    CSettingsStore& Store() { return store_; }
    FolderList& Folders() { return store_.folders; }
    AppSettings& Settings() { return store_.settings; }

    // The window in front when the folder menu was activated; null when none.
    CWnd TargetWindow;

private:
    CSettingsStore store_;
};

}  // namespace vt
