// Windows: CWnd is a non-owning view of any window (ours or another
// program's); CWindowImpl is a window this program implements, with a message
// table; CFrameWnd and CDialog (dialog.h) build on it.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vt {

// The class name of any window, read into a buffer of bufChars characters
// (the system allows 256); empty for a null or vanished window.
std::string WindowClassName(HWND window, int bufChars = 256);
// Whether the window's class name is exactly name (case counts: the system's
// own classes, such as "#32770", have one spelling).
bool HasWindowClass(HWND window, const char* name);

// Base of framework objects that have no other base.
class CObject {
public:
    virtual ~CObject() = default;
};

// A view of a window handle plus helpers. Copyable; never owns or destroys the
// window. Every helper tolerates a handle that is null or no longer valid.
class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND h) : hwnd_(h) {}
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = default;
    CWnd& operator=(const CWnd&) = default;

    static CWnd FromHandle(HWND h) { return CWnd(h); }
    HWND GetSafeHwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    bool operator==(const CWnd& o) const { return hwnd_ == o.hwnd_; }
    bool operator!=(const CWnd& o) const { return hwnd_ != o.hwnd_; }

    bool IsWindow() const { return hwnd_ && ::IsWindow(hwnd_); }
    // Class name read into a buffer of bufChars characters.
    std::string GetClassName(int bufChars = 256) const;
    std::string GetWindowText(int bufChars = 1024) const;
    int GetDlgCtrlID() const { return hwnd_ ? ::GetDlgCtrlID(hwnd_) : 0; }
    LONG_PTR GetStyle() const { return hwnd_ ? GetWindowLongPtrA(hwnd_, GWL_STYLE) : 0; }
    bool IsWindowEnabled() const { return hwnd_ && ::IsWindowEnabled(hwnd_); }
    bool IsWindowVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

    CWnd GetDlgItem(int id) const { return CWnd(hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr); }
    CWnd GetParent() const { return CWnd(hwnd_ ? ::GetParent(hwnd_) : nullptr); }
    CWnd GetWindow(UINT cmd) const { return CWnd(hwnd_ ? ::GetWindow(hwnd_, cmd) : nullptr); }
    CWnd GetTopWindow() const { return CWnd(hwnd_ ? ::GetTopWindow(hwnd_) : nullptr); }
    CWnd GetLastActivePopup() const { return CWnd(hwnd_ ? ::GetLastActivePopup(hwnd_) : nullptr); }
    // Thread that owns the window; 0 if none. pid receives the process id.
    DWORD GetWindowThreadProcessId(DWORD* pid = nullptr) const;

    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return hwnd_ ? ::SendMessageA(hwnd_, msg, w, l) : 0;
    }
    bool PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) const {
        return hwnd_ && ::PostMessageA(hwnd_, msg, w, l);
    }
    bool SetWindowText(const std::string& text) const {
        return hwnd_ && ::SetWindowTextA(hwnd_, text.c_str());
    }
    bool SetForegroundWindow() const { return hwnd_ && ::SetForegroundWindow(hwnd_); }
    CWnd SetActiveWindow() const { return CWnd(hwnd_ ? ::SetActiveWindow(hwnd_) : nullptr); }
    CWnd SetFocus() const { return CWnd(hwnd_ ? ::SetFocus(hwnd_) : nullptr); }
    bool ShowWindow(int cmd) const { return hwnd_ && ::ShowWindow(hwnd_, cmd); }
    bool EnableWindow(bool enable) const { return hwnd_ && ::EnableWindow(hwnd_, enable); }
    bool IsIconic() const { return hwnd_ && ::IsIconic(hwnd_); }
    RECT GetWindowRect() const;
    RECT GetClientRect() const;

    static CWnd GetForegroundWindow() { return CWnd(::GetForegroundWindow()); }

    HWND hwnd_ = nullptr;  // not owned
};

// What a command-enabling handler gets for one menu item.
class CCmdUI {
public:
    CCmdUI(HMENU menu, UINT index, UINT id) : menu_(menu), index_(index), id_(id) {}
    UINT GetID() const { return id_; }
    void Enable(bool on = true);
    void SetCheck(bool on = true);
    bool Handled() const { return handled_; }

private:
    HMENU menu_;
    UINT index_;
    UINT id_;
    bool handled_ = false;
};

// Maps messages, command ids (single and ranges), control notifications and
// command-enabling requests to handlers. Each window builds its own table in
// its constructor; the first matching entry wins, in the order of insertion
// for ranges.
class CMessageTable {
public:
    using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;
    using CommandHandler = std::function<void(UINT id)>;
    using NotifyHandler = std::function<LRESULT(NMHDR*)>;
    using UpdateHandler = std::function<void(CCmdUI&)>;

    void OnMessage(UINT msg, MessageHandler h) { messages_[msg] = std::move(h); }
    // WM_COMMAND from a menu, an accelerator or a control with notification 0.
    void OnCommand(UINT id, CommandHandler h) { OnCommandRange(id, id, std::move(h)); }
    void OnCommandRange(UINT first, UINT last, CommandHandler h);
    // WM_COMMAND with a given notification code from a control.
    void OnControl(UINT id, UINT code, CommandHandler h);
    void OnNotify(UINT id, UINT code, NotifyHandler h);
    void OnUpdateCommand(UINT id, UpdateHandler h) { OnUpdateCommandRange(id, id, std::move(h)); }
    void OnUpdateCommandRange(UINT first, UINT last, UpdateHandler h);

    bool DispatchMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) const;
    // WM_COMMAND parts: the control id and the notification code.
    bool DispatchCommand(UINT id, UINT code) const;
    bool DispatchNotify(NMHDR* hdr, LRESULT& result) const;
    bool DispatchUpdate(CCmdUI& ui) const;
    bool HasCommand(UINT id) const;

private:
    struct CommandEntry {
        UINT first, last, code;
        CommandHandler handler;
    };
    struct NotifyEntry {
        UINT id, code;
        NotifyHandler handler;
    };
    struct UpdateEntry {
        UINT first, last;
        UpdateHandler handler;
    };
    std::map<UINT, MessageHandler> messages_;
    std::vector<CommandEntry> commands_;
    std::vector<NotifyEntry> notifies_;
    std::vector<UpdateEntry> updates_;
};

// A window implemented by this program: created through CreateEx (any class,
// system classes included: the window is subclassed before its first message)
// or attached to an existing window with SubclassWindow. Owns its window:
// the destructor destroys a window that still exists. One static window
// procedure finds the object and never lets an exception reach the system.
class CWindowImpl : public CWnd {
public:
    CWindowImpl() = default;
    ~CWindowImpl() override;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;

    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x,
                  int y, int cx, int cy, HWND parent, HMENU menuOrId, void* createParam = nullptr);
    // Takes over an existing window (for example a dialog control), then
    // calls PreSubclassWindow.
    bool SubclassWindow(HWND w);
    // SubclassWindow on the parent's control with this id.
    bool SubclassDlgItem(UINT id, const CWnd& parent);
    HWND UnsubclassWindow();
    virtual bool DestroyWindow();

    // The object attached to a window of this thread, or null.
    static CWindowImpl* FromHandlePermanent(HWND w);

    CMessageTable& Table() { return table_; }

    // Registers a window class whose procedure is DefWindowProc (CreateEx
    // subclasses the window anyway). Returns false only on real failure.
    static bool RegisterClass(const char* name, UINT style = CS_DBLCLKS,
                              HBRUSH background = nullptr, HICON icon = nullptr,
                              HCURSOR cursor = nullptr);

    // A control's owner-draw request (WM_DRAWITEM, WM_MEASUREITEM,
    // WM_DELETEITEM, WM_COMPAREITEM) or colour request (WM_CTLCOLOR...)
    // that its parent passed on to it. False when the control does not take
    // it; the parent then handles it.
    virtual bool OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT& result);

protected:
    // Table first, then Default(). Overrides may handle messages before the table.
    virtual LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l);
    // Called once an existing window has been taken over.
    virtual void PreSubclassWindow() {}
    // The next window this thread creates is attached to this object before
    // its first message (used by CreateEx and by dialogs).
    void HookNextCreation();
    static void UnhookCreation();
    // WM_COMMAND / WM_NOTIFY that the table did not take; false = not handled.
    virtual bool OnUnhandledCommand(UINT id, UINT code);
    // Called after WM_NCDESTROY, when the object is no longer attached.
    virtual void PostNcDestroy() {}
    // The previous window procedure for the message being handled.
    LRESULT Default();
    LRESULT CallPrevious(UINT msg, WPARAM w, LPARAM l);

    static LRESULT CALLBACK StaticWndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
    void Attach(HWND w, WNDPROC previous);
    void Detach();

    WNDPROC prevProc_ = nullptr;
    MSG current_ = {};

private:
    static LRESULT CALLBACK CbtCreateProc(int code, WPARAM w, LPARAM l);
    // Passes a control's owner-draw request to the control's object, and a
    // menu item's to the menu object that made it.
    bool RouteOwnerDraw(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    // Passes a control's colour request (lParam is the control) to its object.
    bool RouteControlColour(UINT msg, WPARAM w, LPARAM l, LRESULT& result);
    LRESULT Dispatch(UINT msg, WPARAM w, LPARAM l);
    CMessageTable table_;
};

// The main window of an application: commands it does not handle go to the
// application object; closing it destroys it; when the application's main
// window is destroyed the message loop ends.
class CFrameWnd : public CWindowImpl {
public:
    CFrameWnd();

protected:
    bool OnUnhandledCommand(UINT id, UINT code) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    // Runs the command-enabling entries over a popup menu about to open.
    void UpdateMenuItems(HMENU menu);
};

}  // namespace vt
