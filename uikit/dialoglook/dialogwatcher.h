// Follows the dialogs of hooked threads for a dialog drawing service. A
// thread hook (WH_CALLWNDPROC, one per thread for every watcher of the
// process) reports each dialog's WM_INITDIALOG to the service, before the
// dialog handles it; the service may then follow the dialog with a link of
// its own in the dialog's subclassing chain. A followed dialog is let go when
// its last message has been handled, or when the service (or the watcher's
// end) lets it go.
//
// The watcher's records may be read and changed from any thread; each
// followed dialog's messages arrive on its own thread.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "framework/sync.h"
#include "uikit/hookwnd.h"

namespace vt {

class CDialogWatcher {
public:
    // One followed dialog: the service's link in the dialog's chain.
    class CFollowed : public CHookWnd {
    public:
        HWND Dialog() const { return dialog_; }
        // The dialog's last message has been handled, or the watcher let the
        // dialog go: the service drops what it kept for it.
        virtual void OnGone() {}

    protected:
        CFollowed() = default;

    private:
        friend class CDialogWatcher;
        void OnNcDestroy(HWND window) final;

        HWND dialog_ = nullptr;  // not owned
        // Not owned; cleared when the watcher lets go of a busy link.
        std::atomic<CDialogWatcher*> watcher_{nullptr};
    };

    // The service's answer to a dialog's WM_INITDIALOG (it may call Follow).
    using InitDialogFn = std::function<void(HWND dialog)>;
    // Makes the link that follows a dialog.
    using MakeFn = std::function<std::unique_ptr<CFollowed>(HWND dialog)>;

    CDialogWatcher(InitDialogFn initDialog, MakeFn make);
    // Removes its hooks and lets every dialog go.
    ~CDialogWatcher();
    CDialogWatcher(const CDialogWatcher&) = delete;
    CDialogWatcher& operator=(const CDialogWatcher&) = delete;

    // Watches the dialogs of a thread of this process; false when the
    // system refuses the hook.
    bool Install(DWORD threadId);
    void Uninstall(DWORD threadId);
    bool IsInstalled(DWORD threadId) const;
    bool AnyInstalled() const;

    // Puts a new link of the service on the dialog; false when it is
    // followed already or cannot be subclassed.
    bool Follow(HWND dialog);
    bool IsFollowed(HWND dialog) const;
    // The link that follows a dialog, or null; for the dialog's own thread.
    CFollowed* Find(HWND dialog) const;
    // Takes the link off the dialog (OnGone runs); also from inside the
    // link's own handling of a message, which then still reaches the dialog.
    void LetGo(HWND dialog);
    // Lets every dialog go. A dialog of another thread may be handling a
    // message through its link at this moment: its link leaves the chain
    // but is kept, and hears nothing more.
    void LetGoAll();
    size_t Count() const;

private:
    static LRESULT CALLBACK HookProc(int code, WPARAM w, LPARAM l);
    // Takes a link that has left its dialog: deleted at once unless it is
    // handling a message on this thread, then at the next chance.
    void Retire(std::unique_ptr<CFollowed> link);
    void DeleteRetired();

    InitDialogFn initDialog_;
    MakeFn make_;
    mutable CCriticalSection lock_;  // guards followed_ and retired_
    std::map<HWND, std::unique_ptr<CFollowed>> followed_;
    // Links let go while busy, with the thread that let them go.
    std::vector<std::pair<DWORD, std::unique_ptr<CFollowed>>> retired_;
};

}  // namespace vt
