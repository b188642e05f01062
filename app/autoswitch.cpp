#include "app/autoswitch.h"

#include <algorithm>

namespace vt {

namespace {
// The watch of this thread, found by the hook's callback (one per program).
CAutoSwitch* g_watch = nullptr;
}  // namespace

CForegroundFollower::Move CForegroundFollower::ForegroundChanged(HWND front) {
    moved_.erase(std::remove_if(moved_.begin(), moved_.end(),
                                [this](HWND w) { return !world_.exists || !world_.exists(w); }),
                 moved_.end());
    const HWND before = previous_;
    previous_ = front;
    Move move;
    if (!front || front == before) return move;
    if (std::find(moved_.begin(), moved_.end(), front) != moved_.end()) return move;
    if (!before || !world_.isFileDialog || !world_.isFileDialog(front)) return move;
    const std::string folder = world_.explorerFolder ? world_.explorerFolder(before) : "";
    if (folder.empty()) return move;
    moved_.push_back(front);
    move.dialog = front;
    move.folder = folder;
    return move;
}

bool CAutoSwitch::Start(HWND window, CForegroundFollower::World world, Drive drive) {
    Stop();
    follower_ = std::make_unique<CForegroundFollower>(std::move(world));
    drive_ = std::move(drive);
    // Out of context: the system posts each event to this thread's queue.
    hook_ = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, EventProc, 0,
                            0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook_) g_watch = this;
    if (window && SetTimer(window, kTimerId, kCheckMs, nullptr)) timerWindow_ = window;
    if (!hook_ && !timerWindow_) {
        follower_.reset();
        return false;
    }
    follower_->ForegroundChanged(GetForegroundWindow());
    return true;
}

void CAutoSwitch::Stop() {
    if (hook_) UnhookWinEvent(hook_);
    hook_ = nullptr;
    if (timerWindow_) KillTimer(timerWindow_, kTimerId);
    timerWindow_ = nullptr;
    if (g_watch == this) g_watch = nullptr;
    follower_.reset();
}

void CAutoSwitch::OnForeground(HWND front) {
    if (!follower_ || !front) return;
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    if (pid == GetCurrentProcessId()) return;
    const CForegroundFollower::Move move = follower_->ForegroundChanged(front);
    if (move.dialog && drive_) drive_(move.dialog, move.folder);
}

void CALLBACK CAutoSwitch::EventProc(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                                     LONG, DWORD, DWORD) {
    // Nothing may escape into the system's dispatch.
    try {
        if (event != EVENT_SYSTEM_FOREGROUND || object != OBJID_WINDOW) return;
        if (g_watch && g_watch->hook_ == hook) g_watch->OnForeground(window);
    } catch (...) {}
}

}  // namespace vt
