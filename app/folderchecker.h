// Whether the menu's folders exist, found out without letting one slow
// folder (a server that is off, a VPN that is down: the system takes 20 s
// or more to answer for it) hold the menu. The checks run on worker
// threads; the menu waits for them at most a bound. A check that has not
// answered by then goes on in the background, and its answer is the last
// known state for the next showing; meanwhile the folder is shown as it was
// last known (never known: shown).
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace vt {

// How long a showing of the menu waits for its checks in all.
inline constexpr DWORD kFolderCheckBudgetMs = 300;

// Whether a path exists (a folder, or a file: an entry may name one).
using FolderProbe = bool (*)(const std::string& path);
// The file system's answer.
bool PathExistsOnDisk(const std::string& path);
// The probe of checkers made from now on without one of their own. Product
// code never calls this: it is the seam through which a test program,
// linked with the application, makes a folder slow before the main window
// exists. Null restores the file system's.
void SetDefaultFolderProbe(FolderProbe probe);

class CFolderChecker {
public:
    // probe null: the default probe.
    explicit CFolderChecker(FolderProbe probe = nullptr);
    // Does not wait for checks under way: their threads let go of the shared
    // state by themselves when their probe returns.
    ~CFolderChecker();
    CFolderChecker(const CFolderChecker&) = delete;
    CFolderChecker& operator=(const CFolderChecker&) = delete;

    // Which of paths the menu shows, in their order, after waiting at most
    // budgetMs for the checks. Never longer, whatever a probe does.
    std::vector<bool> Check(const std::vector<std::string>& paths,
                            DWORD budgetMs = kFolderCheckBudgetMs);
    // Check in two halves, so that the caller does other work while the
    // checks run: Start hands the paths to the workers, Finish waits for
    // them until budgetMs after Start (no longer, whatever happened between).
    void Start(const std::vector<std::string>& paths);
    std::vector<bool> Finish(DWORD budgetMs = kFolderCheckBudgetMs);
    // Starts the first worker thread ahead of the first showing.
    void Warm();

    struct Shared;

private:
    // Starts one more worker while fewer than the maximum exist; the lock is held.
    void AddWorkerLocked();
    std::shared_ptr<Shared> shared_;
    // Between Start and Finish (GUI thread only).
    std::vector<std::string> paths_;
    DWORD started_ = 0;
    unsigned seen_ = 0;  // answers at the last look, to tell a stall
};

}  // namespace vt
