// Sending messages to windows that may belong to another program. Such a
// program can stop responding at any time; Vantrel must not freeze with it, so
// every message goes out with a time-out and hung windows are given up on.
#pragma once
#include <windows.h>

namespace vt::nav {

// Long enough for a dialog to change folder, short enough for a user to wait.
inline constexpr UINT kDefaultSendTimeoutMs = 3000;

enum class SendStatus {
    Answered,  // the window procedure returned; *result holds its answer
    NoWindow,  // the window does not exist (any more); nothing was delivered
    TimedOut,  // no answer in time, or the owner is hung; the message may
               // still be handled later, so anything its parameters point
               // to must stay valid
    Refused,   // the system would not deliver it (access denied: the window
               // belongs to a program running with higher rights); nothing
               // was delivered, and nothing else will be
};

// What a failed SendMessageTimeout means, from its GetLastError. Only a
// handle refused up front or a message the system would not let through is
// certain never to reach a window procedure.
SendStatus StatusOfFailedSend(DWORD lastError);

// What to do when the system reports the window's thread as hung (it has not
// taken a message for some seconds) at the moment of sending.
enum class IfHung {
    GiveUp,  // return TimedOut at once
    Wait,    // send all the same and wait up to the time-out
};

// Which form of a message goes out. Text in the parameters of a Wide message
// (WM_SETTEXT, WM_GETTEXT) is UTF-16, so it reaches the other program whole
// whatever code page either side runs in: every text exchanged with another
// program's window goes out Wide.
enum class MessageForm { Ansi, Wide };

// SendMessageTimeoutA (or W), with SMTO_ABORTIFHUNG unless ifHung says Wait.
// result (optional) receives the window's answer, 0 unless Answered.
SendStatus SendToWindow(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr,
                        UINT timeoutMs = kDefaultSendTimeoutMs,
                        MessageForm form = MessageForm::Ansi, IfHung ifHung = IfHung::GiveUp);

// The window's answer, or 0 when it gave none.
LRESULT SendForResult(HWND w, UINT msg, WPARAM wp = 0, LPARAM lp = 0,
                      UINT timeoutMs = kDefaultSendTimeoutMs);

}  // namespace vt::nav
