#include "navigation/driver.h"

#include <vector>

#include "framework/text.h"

namespace vt::nav {

UINT TargetDriver::RemainingMs() const {
    const DWORD spent = GetTickCount() - start_;
    return spent < patienceMs_ ? patienceMs_ - spent : 0;
}

SendStatus TargetDriver::Send(CWnd w, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result,
                              MessageForm form) {
    if (result) *result = 0;
    const UINT left = RemainingMs();
    if (gaveUp_ || left == 0) {
        gaveUp_ = true;
        return SendStatus::TimedOut;
    }
    // A target that took longer than the hung threshold over our last message
    // still counts as hung until it is back in its message loop, which may be
    // a moment after its answer reached us: one that has just answered is
    // known to be alive.
    const bool justAnswered = answered_ && GetTickCount() - answeredAt_ < kSystemHungAfterMs;
    const SendStatus st = SendToWindow(w.GetSafeHwnd(), msg, wp, lp, result, left, form,
                                       justAnswered ? IfHung::Wait : IfHung::GiveUp);
    if (st == SendStatus::Answered) {
        answered_ = true;
        answeredAt_ = GetTickCount();
    }
    if (st == SendStatus::TimedOut) gaveUp_ = true;
    if (st == SendStatus::Refused) gaveUp_ = refused_ = true;
    return st;
}

void TargetDriver::PressKey(CWnd w, WPARAM key) {
    Send(w, WM_KEYDOWN, key, kKeyDownLParam);
    Send(w, WM_CHAR, key, kKeyDownLParam);
    Send(w, WM_KEYUP, key, kKeyUpLParam);
}

std::string TargetDriver::GetText(CWnd w) {
    std::vector<wchar_t> buf(kSavedTextChars, L'\0');
    Send(w, WM_GETTEXT, kSavedTextChars, reinterpret_cast<LPARAM>(buf.data()), nullptr,
         MessageForm::Wide);
    return ToNarrow(buf.data(), buf.size() - 1);
}

void TargetDriver::SetText(CWnd w, const std::string& text) {
    const std::wstring wide = ToWide(text);
    Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), nullptr, MessageForm::Wide);
}

void TargetDriver::Activate(CWnd w) {
    if (gaveUp_) return;
    w.SetForegroundWindow();
    w.SetActiveWindow();
}

void TargetDriver::Focus(CWnd w) {
    // Moving the focus sends WM_KILLFOCUS / WM_SETFOCUS to the target's
    // thread, which a hung target would never answer.
    if (!gaveUp_ && w.IsWindow()) w.SetFocus();
}

InputAttachment::InputAttachment(CWnd target)
    : targetThread_(target.GetWindowThreadProcessId()), ownThread_(GetCurrentThreadId()) {
    if (targetThread_ && targetThread_ != ownThread_)
        attached_ = AttachThreadInput(targetThread_, ownThread_, TRUE) != FALSE;
}

InputAttachment::~InputAttachment() {
    if (!attached_) return;
    const HWND front = GetForegroundWindow();
    AttachThreadInput(targetThread_, ownThread_, FALSE);
    // Wine keeps the foreground with the shared input, which stays with this
    // thread after the split, while the window in front moves with its own
    // thread: the desktop is then left with no window in front. Put it back.
    if (front && GetForegroundWindow() != front) SetForegroundWindow(front);
}

}  // namespace vt::nav
