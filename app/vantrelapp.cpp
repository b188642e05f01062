#include "app/vantrelapp.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/commandline.h"
#include "uikit/dialoglook/dialogfonthook.h"
#include "shell/iconsources.h"
#include "framework/text.h"
#include "uikit/dialoglook/coolcontrolsmanager.h"
#include "uikit/menu/menuerror.h"
#include "uikit/theme.h"
#include "resources/resource.h"

namespace vt {

BOOL CqvApp::InitInstance() {
    com_.emplace();
    return TRUE;
}

int CqvApp::ExitInstance() {
    com_.reset();
    return CWinApp::ExitInstance();
}

namespace {
// The menu toolkit reports its failures through this; only the application
// shows message boxes.
void ShowMenuError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

CVantrelApp::CVantrelApp() = default;

std::string ProgramFolder() {
    char path[kPathBufferBytes] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string p(path, n < sizeof path ? n : 0);
    auto slash = p.find_last_of('\\');
    return slash == std::string::npos ? std::string() : p.substr(0, slash);
}

BOOL CVantrelApp::InitInstance() {
    menu::SetErrorReporter(ShowMenuError);

    CVantrelCommandLineInfo info;
    ParseCommandLine(info);
    command_ = info.fileName_;

    SetRegistryKey("Quorvane.");

    checker_ = std::make_unique<CInstanceChecker>("vantrel instance checker", appName_);
    // A start made while the first is still starting waits here until the
    // first has published its main window.
    checker_->LockStartup();
    // However start-up ends, later starts must not wait for this one.
    struct StartupLockRelease {
        CInstanceChecker& checker;
        ~StartupLockRelease() { checker.ReleaseStartupLock(); }
    } release{*checker_};

    if (checker_->IsPreviousInstanceRunning()) {
        // "/pop" must not activate the running instance: that would make its
        // hidden window the window in front, and the menu would pop with
        // Vantrel itself as the target instead of the user's dialog.
        HWND previous = command_ != kCmdPop ? checker_->ActivatePreviousInstance() : nullptr;
        UINT id = ForwardedCommandId(command_);
        if (id == ID_ADD_FOLDER) {
            CSettingsStore(Profile()).WriteDirToAdd(command_);
            // The folder editor that opens for the path answers what the
            // user just did: the running instance may bring it to the front.
            DWORD pid = 0;
            if (previous && GetWindowThreadProcessId(previous, &pid)) AllowSetForegroundWindow(pid);
        }
        if (id) checker_->PostCommandToPrevious(id);
        return FALSE;
    }
    if (command_ == kCmdQuit) return FALSE;

    // Drawing services for every dialog of this thread: the flat look where
    // the classic look is in use, and the uniform dialog font on systems
    // that need it.
    CCoolControlsManager::Instance().InstallUnlessThemed(Theme());
    InstallDialogFontHook("Tahoma", 85);

    // The reference values are computed at their first use.
    SetIconReferenceFolder(ProgramFolder());
    appIcon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDR_MAINFRAME));

    frame_ = std::make_unique<CMainFrame>(Profile());
    SetMainWnd(frame_.get());
    if (!frame_->Create()) {
        SetMainWnd(nullptr);
        return FALSE;
    }
    // If the window cannot be published (something else holds the record's
    // name), later starts find no running instance and become instances of
    // their own: the lock must go all the same, before the own command runs.
    if (!checker_->PublishMainWindow()) checker_->ReleaseStartupLock();
    // COM and the common controls are bound at their first call, and nothing
    // of ours before this point calls them: the window is published (and a
    // second start can reach it) without waiting for COM's libraries, and
    // neither a second start nor a first one with "/quit" loads them at all.
    // (The common controls may come earlier all the same: under the manifest
    // the "STATIC" class of the hidden window can be theirs.) Everything that
    // follows (the own command's dialog or menu, the preparation at idle) has
    // them.
    CqvApp::InitInstance();
    InitCommonControls();
    frame_->PostMessage(CMainFrame::WM_FINISH_STARTUP);

    if (command_ == kCmdPop) {
        frame_->FinishStartup();
        frame_->SendMessage(WM_COMMAND, ID_POP_MENU);
    } else if (!command_.empty()) {
        // A folder path: offered at once, without going through "Dir To Add".
        frame_->AddFolderFromPath(command_);
    }
    return TRUE;
}

}  // namespace vt
