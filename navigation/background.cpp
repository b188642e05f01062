#include "navigation/background.h"

#include <memory>

#include "framework/cominit.h"

namespace vt::nav {

namespace {
// How long a navigation waits for an earlier one of the same target: that one
// ends within its patience unless a call without a time-out holds it (moving
// the focus in a program that hangs), and then the target is hung anyway.
constexpr DWORD kQueueSlackMs = 5000;
}  // namespace

struct BackgroundNavigator::Job {
    NavigationRequest request;
    HWND owner;
    NavigationServices services;
    UniqueKernelHandle previous;  // the earlier navigation of the same target, if running
};

DWORD WINAPI BackgroundNavigator::ThreadMain(void* p) {
    std::unique_ptr<Job> job(static_cast<Job*>(p));
    try {
        if (job->previous)
            WaitForSingleObject(job->previous.Get(), job->services.patienceMs + kQueueSlackMs);
        // Attaching input to the target needs a message queue on this thread
        // too; the shell fallback needs COM.
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        CComInit com;
        RunNavigation(job->request, job->owner, job->services);
    } catch (...) {
        // Nothing may leave a thread procedure; the navigation simply ends.
    }
    return 0;
}

void BackgroundNavigator::Forget() {
    std::vector<Entry> still;
    for (Entry& e : running_)
        if (WaitForSingleObject(e.thread.Get(), 0) == WAIT_TIMEOUT) still.push_back(std::move(e));
    running_ = std::move(still);
}

void BackgroundNavigator::Start(const NavigationRequest& request, HWND owner,
                                NavigationServices services) {
    Forget();
    auto job = std::make_unique<Job>(Job{request, owner, std::move(services), {}});
    if (request.target) {
        for (auto it = running_.rbegin(); it != running_.rend(); ++it) {
            if (it->target != request.target) continue;
            HANDLE dup = nullptr;
            if (DuplicateHandle(GetCurrentProcess(), it->thread.Get(), GetCurrentProcess(), &dup,
                                SYNCHRONIZE, FALSE, 0))
                job->previous.Reset(dup);
            break;
        }
    }
    Job* raw = job.get();
    HANDLE thread = CreateThread(nullptr, 0, ThreadMain, raw, 0, nullptr);
    if (!thread) {
        // No thread to be had: drive it here rather than not at all.
        RunNavigation(job->request, job->owner, job->services);
        return;
    }
    job.release();  // the thread owns it now
    running_.push_back(Entry{UniqueKernelHandle(thread), request.target});
}

size_t BackgroundNavigator::Running() {
    Forget();
    return running_.size();
}

}  // namespace vt::nav
