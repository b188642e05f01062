#include "navigation/sendwindow.h"

namespace vt::nav {

SendStatus SendToWindow(HWND w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result, UINT timeoutMs,
                        MessageForm form, IfHung ifHung) {
    if (result) *result = 0;
    if (!w || !::IsWindow(w)) return SendStatus::NoWindow;
    DWORD_PTR answer = 0;
    SetLastError(0);
    const UINT flags = SMTO_NORMAL | (ifHung == IfHung::GiveUp ? SMTO_ABORTIFHUNG : 0);
    const auto send = form == MessageForm::Wide ? SendMessageTimeoutW : SendMessageTimeoutA;
    if (send(w, msg, wp, lp, flags, timeoutMs, &answer)) {
        if (result) *result = static_cast<LRESULT>(answer);
        return SendStatus::Answered;
    }
    // Only a handle refused up front is certain never to reach a window
    // procedure; in every other case the message may be handled later.
    return GetLastError() == ERROR_INVALID_WINDOW_HANDLE ? SendStatus::NoWindow
                                                         : SendStatus::TimedOut;
}

LRESULT SendForResult(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
    LRESULT r = 0;
    SendToWindow(w, msg, wp, lp, &r, timeoutMs);
    return r;
}

}  // namespace vt::nav
