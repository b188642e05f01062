#include "app/folderchecker.h"

#include <shlwapi.h>

#include <algorithm>
#include <deque>

#include "app/folderpresence.h"
#include "framework/handles.h"
#include "framework/longpath.h"
#include "framework/sync.h"

namespace vt {

namespace {
// Enough for a few slow folders at once; a worker only ends with the checker.
constexpr int kMaxWorkers = 6;
// A wait without progress this long while checks are queued and every worker
// is busy means a worker is stuck in a slow check: one more is started.
constexpr DWORD kStallMs = 20;
// Lists at least this long are checked by two workers at once.
constexpr size_t kSharedListSize = 200;

FolderProbe g_defaultProbe = nullptr;
}  // namespace

namespace {
// A drive without a medium must answer "absent", not ask the user to insert
// one. Per thread: the process-wide switch that PathFileExists flips twice
// per call is a server round trip each time under Wine, most of what a
// check cost.
bool QuietThreadErrors() {
    return SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, nullptr) != FALSE;
}
thread_local bool t_quiet = false;
}  // namespace

bool PathExistsOnDisk(const std::string& path) {
    if (!t_quiet) t_quiet = QuietThreadErrors();
    if (t_quiet) return vt::PathExists(path);  // any length
    const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    const bool exists = vt::PathExists(path);
    SetErrorMode(old);
    return exists;
}

void SetDefaultFolderProbe(FolderProbe probe) { g_defaultProbe = probe; }

struct CFolderChecker::Shared {
    CCriticalSection lock;
    CFolderPresenceCache cache;
    std::deque<std::string> queue;  // paths waiting for a worker
    FolderProbe probe = PathExistsOnDisk;
    int workers = 0;
    int busy = 0;          // workers inside a probe
    unsigned answers = 0;  // answers so far, to tell a stall from progress
    bool waiting = false;  // a showing waits: tell it when all have answered
    bool stopping = false;
    UniqueKernelHandle work{CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // queue filled
    UniqueKernelHandle done{CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // showing answered
};

namespace {
DWORD WINAPI Worker(void* param) {
    // The thread's own reference: the checker may be gone when a slow probe returns.
    std::unique_ptr<std::shared_ptr<CFolderChecker::Shared>> own(
        static_cast<std::shared_ptr<CFolderChecker::Shared>*>(param));
    CFolderChecker::Shared& s = **own;
    for (;;) {
        std::string path;
        bool have = false, wakeAnother = false;
        {
            CSingleLock hold(s.lock);
            if (s.stopping) break;
            if (!s.queue.empty()) {
                path = std::move(s.queue.front());
                s.queue.pop_front();
                ++s.busy;
                have = true;
                // One wake-up reaches one worker: an idle one is passed the
                // rest of the queue to share.
                wakeAnother = !s.queue.empty() && s.busy < s.workers;
            }
        }
        if (wakeAnother) SetEvent(s.work.Get());
        if (!have) {
            WaitForSingleObject(s.work.Get(), INFINITE);
            continue;
        }
        const bool exists = s.probe(path);
        bool tell = false;
        {
            CSingleLock hold(s.lock);
            --s.busy;
            ++s.answers;
            s.cache.Record(path, exists);
            // One signal per showing, not per answer: each is a server call.
            tell = s.waiting && s.cache.AllAnswered();
            if (tell) s.waiting = false;
        }
        if (tell) SetEvent(s.done.Get());
    }
    {
        CSingleLock hold(s.lock);
        --s.workers;
    }
    // The wake-up is one event: passed on to the next idle worker.
    SetEvent(s.work.Get());
    return 0;
}
}  // namespace

CFolderChecker::CFolderChecker(FolderProbe probe) : shared_(std::make_shared<Shared>()) {
    if (probe)
        shared_->probe = probe;
    else if (g_defaultProbe)
        shared_->probe = g_defaultProbe;
}

CFolderChecker::~CFolderChecker() {
    int workers = 0;
    {
        CSingleLock hold(shared_->lock);
        shared_->stopping = true;
        shared_->queue.clear();
        workers = shared_->workers;
    }
    // An idle worker wakes, ends and wakes the next; a busy one ends after its probe.
    if (workers > 0) SetEvent(shared_->work.Get());
}

void CFolderChecker::AddWorkerLocked() {
    if (shared_->workers >= kMaxWorkers) return;
    auto* param = new std::shared_ptr<Shared>(shared_);
    HANDLE thread = CreateThread(nullptr, 0, Worker, param, 0, nullptr);
    if (!thread) {
        delete param;
        return;
    }
    CloseHandle(thread);
    ++shared_->workers;
}

void CFolderChecker::Warm() {
    CSingleLock hold(shared_->lock);
    if (shared_->workers == 0) AddWorkerLocked();
}

void CFolderChecker::Start(const std::vector<std::string>& paths) {
    Shared& s = *shared_;
    started_ = GetTickCount();
    paths_ = paths;
    bool answered = false;
    {
        CSingleLock hold(s.lock);
        std::vector<std::string> fresh = s.cache.BeginShowing(paths_);
        for (std::string& p : fresh) s.queue.push_back(std::move(p));
        answered = s.cache.AllAnswered();
        s.waiting = !answered;
        if (!s.queue.empty() && s.busy == s.workers) AddWorkerLocked();
        // A long list is shared by two workers, on two processors where
        // there are: a check costs some tens of microseconds under Wine.
        if (s.queue.size() >= kSharedListSize && s.workers < 2) AddWorkerLocked();
        seen_ = s.answers;
    }
    if (!answered) SetEvent(s.work.Get());
}

std::vector<bool> CFolderChecker::Finish(DWORD budgetMs) {
    Shared& s = *shared_;
    unsigned seen = seen_;
    for (;;) {
        {
            CSingleLock hold(s.lock);
            if (s.cache.AllAnswered()) break;
            // Queued checks behind a worker that does not come back: an idle
            // worker is woken (one wake-up reaches one worker), or a new one
            // started when all are busy.
            if (s.answers == seen && !s.queue.empty() && GetTickCount() - started_ >= kStallMs) {
                if (s.busy == s.workers) AddWorkerLocked();
                SetEvent(s.work.Get());
            }
            seen = s.answers;
        }
        const DWORD elapsed = GetTickCount() - started_;
        if (elapsed >= budgetMs) break;
        // A signal may be left over from a showing that stopped waiting just
        // before it came: the answers themselves decide, at the loop's top.
        WaitForSingleObject(s.done.Get(), std::min(budgetMs - elapsed, kStallMs));
    }
    CSingleLock hold(s.lock);
    s.waiting = false;
    std::vector<bool> shown;
    shown.reserve(paths_.size());
    for (const std::string& p : paths_) shown.push_back(s.cache.Shown(p));
    paths_.clear();
    return shown;
}

std::vector<bool> CFolderChecker::Check(const std::vector<std::string>& paths, DWORD budgetMs) {
    Start(paths);
    return Finish(budgetMs);
}

}  // namespace vt
