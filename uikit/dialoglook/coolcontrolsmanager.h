// Flat-look dialog controls for the classic look (no visual styles). Every
// dialog created on a hooked thread, the system's folder browser included,
// has its recognised controls subclassed; after a control paints itself its
// border is drawn again: a thin flat frame while idle, the full 3-D frame
// while the mouse is over it or it has the focus. One thread timer (100 ms)
// follows the mouse.
//
// One process-wide instance; its maps and hot window are used only from
// the GUI thread. Frame colours and geometry come from uikit/dialoglook/flatframes.h.
#pragma once
#include <windows.h>

#include <map>
#include <memory>

#include "uikit/theme.h"

namespace vt {

class CCoolControlsManager {
public:
    // Mode 1: controls are collected when a dialog gets WM_INITDIALOG; any
    // other mode collects every new child window at WM_CREATE.
    enum { kDialogMode = 1 };
    static constexpr DWORD kCurrentThread = static_cast<DWORD>(-1);

    static CCoolControlsManager& Instance();
    virtual ~CCoolControlsManager();
    CCoolControlsManager(const CCoolControlsManager&) = delete;
    CCoolControlsManager& operator=(const CCoolControlsManager&) = delete;

    void Install(DWORD threadId = kCurrentThread, int mode = kDialogMode);
    void Uninstall(DWORD threadId = kCurrentThread);
    // Installs on the current thread in dialog mode unless theme reports
    // visual styles; true when installed.
    bool InstallUnlessThemed(const CThemeAccess& theme);

    void AddDialog(HWND dialog);
    // 1 when the window became a managed control, 0 otherwise.
    int AddControl(HWND window, const char* className = nullptr);
    void RemoveControl(HWND window);

    // For tests and diagnosis (call on the GUI thread).
    bool IsInstalled(DWORD threadId = kCurrentThread) const;
    bool IsManaged(HWND window) const { return controls_.count(window) != 0; }
    bool IsDialogManaged(HWND dialog) const { return dialogs_.count(dialog) != 0; }
    size_t ControlCount() const { return controls_.size(); }
    HWND HotWindow() const { return hotWindow_; }
    bool TimerRunning() const { return timerId_ != 0; }
    // The control's state bits (flat::StateBits), -1 when not managed.
    int StateOf(HWND window) const;

    // The subclassing objects.
    class CCMCore {
    public:
        CCMCore(HWND window, WNDPROC previous) : window_(window), previous_(previous) {}
        virtual ~CCMCore() = default;
        HWND Window() const { return window_; }
        WNDPROC Previous() const { return previous_; }
        LRESULT CallPrevious(UINT msg, WPARAM w, LPARAM l) const {
            return CallWindowProcA(previous_, window_, msg, w, l);
        }

    protected:
        HWND window_;       // not owned
        WNDPROC previous_;  // the procedure replaced by the manager's
    };

    class CCMControl : public CCMCore {
    public:
        using CCMCore::CCMCore;
        virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
        // True when the point (screen) should make this control the hot one.
        virtual bool IsNewHotSpot(POINT screen);
        // The window's device context (released by the caller) and the
        // window rectangle at 0,0.
        virtual HDC GetDrawDC(RECT& rect);
        virtual void DrawFrame(HDC dc, const RECT& rect);
        virtual bool HasFocus();

        // Redraws the border after a change of state, or (painted) after the
        // control painted itself over it.
        void Update(bool painted = false);
        int state = 0;
        WORD previousState = 0;

    protected:
        LRESULT PreviousThenUpdate(UINT msg, WPARAM w, LPARAM l);
        int Dpi() const;
        // The generic frame, then the control's own scroll bars, flat.
        void DrawGenericFrame(HDC dc, const RECT& rect);
        void DrawScrollBars(HDC dc, const RECT& rect);
    };

    class CCMDialog : public CCMCore {
    public:
        using CCMCore::CCMCore;
        virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    };

    class CCMPushButton : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMCheckBox : public CCMPushButton {
    public:
        using CCMPushButton::CCMPushButton;
        void DrawFrame(HDC dc, const RECT& rect) override;
        bool HasFocus() override { return false; }
    };
    class CCMRadioButton : public CCMPushButton {
    public:
        using CCMPushButton::CCMPushButton;
        void DrawFrame(HDC dc, const RECT& rect) override;
        bool HasFocus() override { return false; }
    };
    class CCMEdit : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMEditCombo : public CCMEdit {
    public:
        using CCMEdit::CCMEdit;
        HDC GetDrawDC(RECT& rect) override;
    };
    class CCMComboBox : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
        bool HasFocus() override;
    };
    class CCMDateTime : public CCMComboBox {
    public:
        using CCMComboBox::CCMComboBox;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMUpDown : public CCMControl {
    public:
        using CCMControl::CCMControl;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMScrollBar : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMIPAddress : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        bool HasFocus() override;
    };
    class CCMTrackbar : public CCMControl {
    public:
        using CCMControl::CCMControl;
        void DrawFrame(HDC dc, const RECT& rect) override;
    };
    class CCMHeaderCtrl : public CCMControl {
    public:
        using CCMControl::CCMControl;
        bool IsNewHotSpot(POINT screen) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
        int hotItem = -1;
    };
    class CCMToolbar : public CCMControl {
    public:
        using CCMControl::CCMControl;
        LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
        bool IsNewHotSpot(POINT screen) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
        int hotItem = -1;
    };
    class CCMTabControl : public CCMToolbar {
    public:
        using CCMToolbar::CCMToolbar;
        bool IsNewHotSpot(POINT screen) override;
        void DrawFrame(HDC dc, const RECT& rect) override;
        bool HasFocus() override { return false; }
    };

private:
    CCoolControlsManager() = default;

    static LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ControlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
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
    static std::unique_ptr<CCMControl> MakeControl(Kind kind, HWND window, WNDPROC previous);
    void StartTimer();
    void StopTimerIfIdle();
    CCMControl* Find(HWND window) const;

    int mode_ = kDialogMode;
    UINT_PTR timerId_ = 0;
    DWORD timerThread_ = 0;
    std::map<DWORD, HHOOK> hooks_;  // thread -> hook, owned
    std::map<HWND, std::unique_ptr<CCMControl>> controls_;
    std::map<HWND, std::unique_ptr<CCMDialog>> dialogs_;
    HWND hotWindow_ = nullptr;  // a managed control, not owned
    int enabled_ = 1;
};

}  // namespace vt
