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
    return StatusOfFailedSend(GetLastError());
}

SendStatus StatusOfFailedSend(DWORD lastError) {
    // A program of higher rights (run as administrator) is shielded from
    // ours: the system refuses the message with access denied, which must
    // not pass for a busy target that may still answer.
    if (lastError == ERROR_ACCESS_DENIED) return SendStatus::Refused;
    if (lastError == ERROR_INVALID_WINDOW_HANDLE) return SendStatus::NoWindow;
    return SendStatus::TimedOut;
}

LRESULT SendForResult(HWND w, UINT msg, WPARAM wp, LPARAM lp, UINT timeoutMs) {
    LRESULT r = 0;
    SendToWindow(w, msg, wp, lp, &r, timeoutMs);
    return r;
}

}  // namespace vt::nav
