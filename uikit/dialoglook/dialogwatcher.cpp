#include "uikit/dialoglook/dialogwatcher.h"

#include <algorithm>

#include "framework/trace.h"

namespace vt {

namespace {

// One hook per thread, shared by every watcher of that thread: two services
// on one thread are told of each dialog once each.
struct ThreadHook {
    HHOOK hook = nullptr;  // owned
    std::vector<CDialogWatcher*> watchers;
};

// Never destroyed: watchers held by static objects still uninstall while
// the process ends.
CCriticalSection& HookLock() {
    static auto* lock = new CCriticalSection;
    return *lock;
}
std::map<DWORD, ThreadHook>& ThreadHooks() {
    static auto* hooks = new std::map<DWORD, ThreadHook>;
    return *hooks;
}

}  // namespace

void CDialogWatcher::CFollowed::OnNcDestroy(HWND) {
    CDialogWatcher* watcher = watcher_;
    if (!watcher) return;
    std::unique_ptr<CFollowed> self;
    {
        CSingleLock lock(watcher->lock_);
        auto it = watcher->followed_.find(dialog_);
        if (it == watcher->followed_.end() || it->second.get() != this) return;
        self = std::move(it->second);
        watcher->followed_.erase(it);
    }
    OnGone();
    // The chain has done with this link: it goes now.
}

CDialogWatcher::CDialogWatcher(InitDialogFn initDialog, MakeFn make)
    : initDialog_(std::move(initDialog)), make_(std::move(make)) {}

CDialogWatcher::~CDialogWatcher() {
    {
        CSingleLock lock(HookLock());
        auto& hooks = ThreadHooks();
        for (auto it = hooks.begin(); it != hooks.end();) {
            auto& list = it->second.watchers;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
            if (list.empty()) {
                UnhookWindowsHookEx(it->second.hook);
                it = hooks.erase(it);
            } else {
                ++it;
            }
        }
    }
    LetGoAll();
    CSingleLock lock(lock_);
    for (auto& r : retired_) {
        // Still busy on another thread: left to the process's end.
        if (r.first != GetCurrentThreadId() || r.second->IsHandlingMessage())
            static_cast<void>(r.second.release());
    }
    retired_.clear();
}

bool CDialogWatcher::Install(DWORD threadId) {
    CSingleLock lock(HookLock());
    ThreadHook& entry = ThreadHooks()[threadId];
    if (!entry.hook) {
        entry.hook = SetWindowsHookExA(WH_CALLWNDPROC, HookProc, nullptr, threadId);
        if (!entry.hook) {
            ThreadHooks().erase(threadId);
            return false;
        }
    }
    if (std::find(entry.watchers.begin(), entry.watchers.end(), this) == entry.watchers.end())
        entry.watchers.push_back(this);
    return true;
}

void CDialogWatcher::Uninstall(DWORD threadId) {
    CSingleLock lock(HookLock());
    auto& hooks = ThreadHooks();
    auto it = hooks.find(threadId);
    if (it == hooks.end()) return;
    auto& list = it->second.watchers;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (list.empty()) {
        UnhookWindowsHookEx(it->second.hook);
        hooks.erase(it);
    }
}

bool CDialogWatcher::IsInstalled(DWORD threadId) const {
    CSingleLock lock(HookLock());
    auto it = ThreadHooks().find(threadId);
    if (it == ThreadHooks().end()) return false;
    const auto& list = it->second.watchers;
    return std::find(list.begin(), list.end(), this) != list.end();
}

bool CDialogWatcher::AnyInstalled() const {
    CSingleLock lock(HookLock());
    for (const auto& entry : ThreadHooks()) {
        const auto& list = entry.second.watchers;
        if (std::find(list.begin(), list.end(), this) != list.end()) return true;
    }
    return false;
}

LRESULT CALLBACK CDialogWatcher::HookProc(int code, WPARAM w, LPARAM l) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(l);
    // Every message sent on the thread passes here: only a dialog's
    // WM_INITDIALOG needs the list of watchers.
    const bool initDialog = code == HC_ACTION && call && call->message == WM_INITDIALOG;
    HHOOK hook = nullptr;
    std::vector<CDialogWatcher*> watchers;
    {
        CSingleLock lock(HookLock());
        auto it = ThreadHooks().find(GetCurrentThreadId());
        if (it == ThreadHooks().end()) return 0;
        hook = it->second.hook;
        if (initDialog) watchers = it->second.watchers;
    }
    if (initDialog) {
        for (CDialogWatcher* watcher : watchers) {
            try {
                watcher->DeleteRetired();
                if (watcher->initDialog_) watcher->initDialog_(call->hwnd);
            } catch (...) {
                TraceCurrentException("dialog watcher");
            }
        }
    }
    return CallNextHookEx(hook, code, w, l);
}

bool CDialogWatcher::Follow(HWND dialog) {
    if (!dialog || !make_) return false;
    DeleteRetired();
    std::unique_ptr<CFollowed> made = make_(dialog);
    if (!made) return false;
    CFollowed* link = made.get();
    link->dialog_ = dialog;
    link->watcher_ = this;
    {
        // Recorded before it is hooked, so that a dialog destroyed at once
        // finds its record.
        CSingleLock lock(lock_);
        if (followed_.count(dialog)) return false;
        followed_[dialog] = std::move(made);
    }
    if (link->HookWindow(dialog)) return true;
    CSingleLock lock(lock_);
    followed_.erase(dialog);
    return false;
}

bool CDialogWatcher::IsFollowed(HWND dialog) const {
    CSingleLock lock(lock_);
    return followed_.count(dialog) != 0;
}

CDialogWatcher::CFollowed* CDialogWatcher::Find(HWND dialog) const {
    CSingleLock lock(lock_);
    auto it = followed_.find(dialog);
    return it == followed_.end() ? nullptr : it->second.get();
}

size_t CDialogWatcher::Count() const {
    CSingleLock lock(lock_);
    return followed_.size();
}

void CDialogWatcher::LetGo(HWND dialog) {
    std::unique_ptr<CFollowed> link;
    {
        CSingleLock lock(lock_);
        auto it = followed_.find(dialog);
        if (it == followed_.end()) return;
        link = std::move(it->second);
        followed_.erase(it);
    }
    link->UnhookWindow();
    link->OnGone();
    Retire(std::move(link));
}

void CDialogWatcher::LetGoAll() {
    std::map<HWND, std::unique_ptr<CFollowed>> all;
    {
        CSingleLock lock(lock_);
        all.swap(followed_);
    }
    const DWORD self = GetCurrentThreadId();
    for (auto& entry : all) {
        CFollowed* link = entry.second.get();
        const HWND dialog = entry.first;
        if (!IsWindow(dialog) || GetWindowThreadProcessId(dialog, nullptr) == self) {
            link->UnhookWindow();
            link->OnGone();
            Retire(std::move(entry.second));
            continue;
        }
        // The dialog's thread may be inside this link right now: the link
        // leaves the chain (under the chain's lock) and is never deleted, and
        // the watcher is no longer told of the dialog's end.
        link->watcher_ = nullptr;
        link->UnhookWindow();
        static_cast<void>(entry.second.release());
    }
}

void CDialogWatcher::Retire(std::unique_ptr<CFollowed> link) {
    if (!link->IsHandlingMessage()) return;  // deleted here
    CSingleLock lock(lock_);
    retired_.emplace_back(GetCurrentThreadId(), std::move(link));
}

void CDialogWatcher::DeleteRetired() {
    std::vector<std::unique_ptr<CFollowed>> done;
    {
        CSingleLock lock(lock_);
        const DWORD self = GetCurrentThreadId();
        for (auto it = retired_.begin(); it != retired_.end();) {
            if (it->first == self && !it->second->IsHandlingMessage()) {
                done.push_back(std::move(it->second));
                it = retired_.erase(it);
            } else {
                ++it;
            }
        }
    }
}

}  // namespace vt
