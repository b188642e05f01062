// Navigations on threads of their own. Driving another program's window
// means waiting for it: a busy one may take many seconds over a folder, a hung
// one may never answer. On a thread of its own that wait holds up nothing
// else: the user interface stays responsive whatever the target does.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/handles.h"
#include "navigation/navigate.h"

namespace vt::nav {

class BackgroundNavigator {
public:
    BackgroundNavigator() = default;
    // Does not wait: a navigation still running ends by itself, within its
    // patience, and owns everything it uses.
    ~BackgroundNavigator() = default;
    BackgroundNavigator(const BackgroundNavigator&) = delete;
    BackgroundNavigator& operator=(const BackgroundNavigator&) = delete;

    // Runs the request on a new thread and returns at once. Navigations of
    // one target window run one after another, in the order they were
    // started, so that two sequences never interleave in one dialog; those of
    // other windows do not wait for them. services.shellExecute, if set, is
    // called on that thread.
    void Start(const NavigationRequest& request, HWND owner, NavigationServices services = {});
    // How many navigations are still running.
    size_t Running();

private:
    struct Job;
    static DWORD WINAPI ThreadMain(void* job);
    void Forget();  // drops the navigations that have ended

    struct Entry {
        UniqueKernelHandle thread;  // owned; signalled when the navigation ends
        HWND target;                // not owned
    };
    std::vector<Entry> running_;  // touched only by the thread that calls Start
};

}  // namespace vt::nav
