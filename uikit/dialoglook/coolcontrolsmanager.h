// Flat-look dialog controls for the classic look (no visual styles). Every
// dialog created on a hooked thread, the system's folder browser included,
// has its recognised controls subclassed; after a control paints itself its
// border is drawn again: a thin flat frame while idle, the full 3-D frame
// while the mouse is over it or it has the focus. One thread timer (100 ms)
// follows the mouse.
//
// One process-wide instance; its maps and hot window are used only from
// the GUI thread. The controls are links of their windows' subclassing
// chains (uikit/hookwnd.h), the dialogs are followed by a CDialogWatcher.
// Frame colours and geometry come from uikit/dialoglook/flatframes.h; each
// kind of control has its own header (ccm*.h).
#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "uikit/dialoglook/dialogwatcher.h"
#include "uikit/theme.h"

namespace vt {

class CCoolControlsManager {
public:
    static constexpr DWORD kCurrentThread = static_cast<DWORD>(-1);

    static CCoolControlsManager& Instance();
    virtual ~CCoolControlsManager();
    CCoolControlsManager(const CCoolControlsManager&) = delete;
    CCoolControlsManager& operator=(const CCoolControlsManager&) = delete;

    // Collects the controls of every dialog of the thread at its
    // WM_INITDIALOG.
    void Install(DWORD threadId = kCurrentThread);
    void Uninstall(DWORD threadId = kCurrentThread);
    // Installs on the current thread unless theme reports visual styles;
    // true when installed.
    bool InstallUnlessThemed(const CThemeAccess& theme);

    void AddDialog(HWND dialog);
    // 1 when the window became a managed control, 0 otherwise.
    int AddControl(HWND window, const char* className = nullptr);
    void RemoveControl(HWND window);

    // For tests and diagnosis (call on the GUI thread).
    bool IsInstalled(DWORD threadId = kCurrentThread) const;
    bool IsManaged(HWND window) const { return controls_.count(window) != 0; }
    bool IsDialogManaged(HWND dialog) const { return dialogs_.IsFollowed(dialog); }
    size_t ControlCount() const { return controls_.size(); }
    HWND HotWindow() const { return hotWindow_; }
    bool TimerRunning() const { return timerId_ != 0; }
    // The control's state bits (flat::StateBits), -1 when not managed.
    int StateOf(HWND window) const;

    // The subclassing objects, each in its own header.
    class CCMCore;
    class CCMControl;
    class CCMDialog;
    class CCMPushButton;
    class CCMCheckBox;
    class CCMRadioButton;
    class CCMEdit;
    class CCMEditCombo;
    class CCMComboBox;
    class CCMDateTime;
    class CCMUpDown;
    class CCMScrollBar;
    class CCMIPAddress;
    class CCMTrackbar;
    class CCMHeaderCtrl;
    class CCMToolbar;
    class CCMTabControl;

private:
    CCoolControlsManager();

    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
    void OnTimer();
    enum class Kind {
        Skip,
        Generic,
        PushButton,
        CheckBox,
        RadioButton,
        Edit,
        EditCombo,
        ComboBox,
        DateTime,
        UpDown,
        ScrollBar,
        IPAddress,
        Trackbar,
        Header,
        Toolbar,
        TabControl
    };
    // What a window is managed as; children to collect are added meanwhile.
    Kind Classify(HWND window, const char* className);
    static std::unique_ptr<CCMControl> MakeControl(Kind kind, HWND window);
    void StartTimer();
    void StopTimerIfIdle();
    CCMControl* Find(HWND window) const;

    UINT_PTR timerId_ = 0;
    DWORD timerThread_ = 0;
    std::map<HWND, std::unique_ptr<CCMControl>> controls_;
    HWND hotWindow_ = nullptr;  // a managed control, not owned
    // The hooks of the threads and the dialogs, each followed by a CCMDialog.
    CDialogWatcher dialogs_;
};

}  // namespace vt
