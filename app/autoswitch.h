// "Auto Switch": when a file dialog comes to the front straight from an
// Explorer window that shows a folder of the file system, the dialog goes to
// that folder by itself, once per dialog; after that the user is in charge
// of it. The foreground is watched from outside (an out-of-context event
// hook, delivered to this thread's message loop): nothing is injected into
// other programs.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vt {

// The decision, with no window of its own: fed every change of the
// foreground window, it says which dialog to drive where.
class CForegroundFollower {
public:
    struct World {
        std::function<bool(HWND)> isFileDialog;           // a dialog Vantrel drives
        std::function<std::string(HWND)> explorerFolder;  // "" unless Explorer on a folder
        std::function<bool(HWND)> exists;                 // the window still exists
    };
    explicit CForegroundFollower(World world) : world_(std::move(world)) {}

    struct Move {
        HWND dialog = nullptr;  // null: nothing to do
        std::string folder;
    };
    // The window now in front. A dialog moved once is never moved again by
    // this object; dialogs that are gone are forgotten.
    Move ForegroundChanged(HWND front);
    // Forgets the window in front before (the watching paused).
    void Reset() { previous_ = nullptr; }
    size_t RememberedDialogs() const { return moved_.size(); }

private:
    World world_;
    HWND previous_ = nullptr;
    std::vector<HWND> moved_;  // dialogs already moved, not owned
};

// The watch itself: the event hook on the thread that calls Start, a check of
// the foreground at a low rate on a timer of the given window (Wine delivers
// no EVENT_SYSTEM_FOREGROUND to an out-of-context hook), and the navigation
// of a dialog through drive. Both report to the same follower, which takes a
// window reported twice for one change.
class CAutoSwitch {
public:
    using Drive = std::function<void(HWND dialog, const std::string& folder)>;
    CAutoSwitch() = default;
    ~CAutoSwitch() { Stop(); }
    CAutoSwitch(const CAutoSwitch&) = delete;
    CAutoSwitch& operator=(const CAutoSwitch&) = delete;

    // How often the timer looks at the foreground, and its id on the window.
    static constexpr UINT kCheckMs = 200;
    static constexpr UINT_PTR kTimerId = 0x5A17;

    // Watches the foreground (again) with these parts, the timer on window
    // (which calls OnTimer for kTimerId). False when neither the hook nor the
    // timer could be set.
    bool Start(HWND window, CForegroundFollower::World world, Drive drive);
    void Stop();
    bool Watching() const { return follower_ != nullptr; }
    // One change of the foreground, as the hook reports it; windows of this
    // process (the menu, Setup) are passed over.
    void OnForeground(HWND front);
    void OnTimer() { OnForeground(GetForegroundWindow()); }

private:
    static void CALLBACK EventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                   LONG child, DWORD thread, DWORD time);

    HWINEVENTHOOK hook_ = nullptr;  // owned; unhooked by Stop
    HWND timerWindow_ = nullptr;    // not owned; holds the timer until Stop
    std::unique_ptr<CForegroundFollower> follower_;
    Drive drive_;
};

}  // namespace vt
