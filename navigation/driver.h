// Sending one sequence of messages to another program's window as a user's
// typing and clicking would. A target that is busy (a folder of many files to
// list) is waited for, message by message, as long as the whole sequence
// stays within its patience; a target that the system reports as hung when a
// message is due gets nothing more. Once the target has failed to answer,
// the rest of the sequence is skipped. A control that vanished makes its
// messages no-ops.
#pragma once
#include <windows.h>

#include <string>

#include "framework/wnd.h"
#include "navigation/sendwindow.h"

namespace vt::nav {

// lParam of key-down and character messages (repeat 1, scan code 0x1C) and of
// key-up messages (previous state down, transition up).
inline constexpr LPARAM kKeyDownLParam = 0x001C0001;
inline constexpr LPARAM kKeyUpLParam = static_cast<LPARAM>(0xC01C0001u);
// GetKeyState's bits: the key is down, the key's toggle state.
inline constexpr SHORT kKeyIsDown = static_cast<SHORT>(0x8000);
inline constexpr SHORT kKeyToggled = 0x0001;
// WM_GETTEXT capacity (UTF-16 units) for text saved from a box.
inline constexpr int kSavedTextChars = 1024;
// How long one sequence may wait for its target in all: generous, since a
// busy target gets the whole sequence however long its folder takes to list.
inline constexpr UINT kNavigationPatienceMs = 60000;
// The system reports a thread as hung once it has not taken a message for
// this long.
inline constexpr DWORD kSystemHungAfterMs = 5000;

class TargetDriver {
public:
    // The patience counts from construction.
    explicit TargetDriver(UINT patienceMs = kNavigationPatienceMs)
        : patienceMs_(patienceMs), start_(GetTickCount()) {}

    // Sends unless the target already failed to answer, waiting at most for
    // what is left of the patience.
    SendStatus Send(CWnd w, UINT msg, WPARAM wp = 0, LPARAM lp = 0, LRESULT* result = nullptr,
                    MessageForm form = MessageForm::Ansi);
    // WM_KEYDOWN, WM_CHAR, WM_KEYUP with the fixed lParam values.
    void PressKey(CWnd w, WPARAM key);
    // The other program's text goes both ways as UTF-16 (WM_GETTEXT and
    // WM_SETTEXT in their W form), so that it does not depend on its code
    // page or ours. GetText reads up to kSavedTextChars - 1 units.
    std::string GetText(CWnd w);
    void SetText(CWnd w, const std::string& text);
    // SetForegroundWindow, then SetActiveWindow.
    void Activate(CWnd w);
    void Focus(CWnd w);
    bool GaveUp() const { return gaveUp_; }
    // The system refused a message to the target (it runs with higher
    // rights); the rest of the sequence was skipped.
    bool Refused() const { return refused_; }
    // What is left of the patience, 0 once it is spent.
    UINT RemainingMs() const;

private:
    UINT patienceMs_;
    DWORD start_;
    bool gaveUp_ = false;
    bool refused_ = false;
    bool answered_ = false;  // the target has answered one of our messages
    DWORD answeredAt_ = 0;   // when it last did
};

// Attaches the target window's input to this thread for the lifetime of the
// object, so that focus and activation can be set on the other program's
// windows; always detached again, leaving the same window in front.
class InputAttachment {
public:
    explicit InputAttachment(CWnd target);
    ~InputAttachment();
    InputAttachment(const InputAttachment&) = delete;
    InputAttachment& operator=(const InputAttachment&) = delete;

private:
    DWORD targetThread_ = 0;
    DWORD ownThread_ = 0;
    bool attached_ = false;
};

}  // namespace vt::nav
