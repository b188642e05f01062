#include "navigation/explorer.h"

#include <objbase.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "framework/handles.h"
#include "navigation/explorerbar.h"
#include "navigation/shellwindowscom.h"

namespace vt::nav {

namespace {

// More entries than any desktop has windows and tabs: a list that says
// otherwise is not read to its end.
constexpr int kMostShellEntries = 1024;

// One look through the shell's list, shared by the thread that runs it and
// the navigation that waits for it; whichever lets go last frees it.
struct ShellRouteJob {
    ShellWindowListFactory makeList;
    HWND target = nullptr;
    HWND activeTab = nullptr;
    std::string path;
    std::atomic<bool> asked{false};  // Browse has been called
    ShellRoute result = ShellRoute::NotListed;
};

void RunShellRoute(ShellRouteJob& job) {
    std::unique_ptr<CShellWindowList> list = job.makeList ? job.makeList() : nullptr;
    if (!list || !list->Open()) return;
    const int index = ChooseShellBrowser(*list, job.target, job.activeTab);
    if (index < 0) return;
    job.asked = true;
    job.result = list->Browse(index, job.path) ? ShellRoute::Navigated : ShellRoute::Refused;
}

DWORD WINAPI ShellRouteThread(void* param) {
    std::unique_ptr<std::shared_ptr<ShellRouteJob>> holder(
        static_cast<std::shared_ptr<ShellRouteJob>*>(param));
    const std::shared_ptr<ShellRouteJob> job = *holder;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    try {
        RunShellRoute(*job);
    } catch (...) {
        // A list that threw found nothing; the address bar is tried next.
        job->result = job->asked ? ShellRoute::Refused : ShellRoute::NotListed;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return 0;
}

bool IsExplorerFrame(CWnd window) {
    const std::string cls = window.GetClassName();
    return ClassNameMatches(cls, kExplorerFrameClass) ||
           ClassNameMatches(cls, kExplorerFrameClassOlder);
}

}  // namespace

HWND ActiveTabOf(HWND explorer) {
    return explorer ? FindWindowExA(explorer, nullptr, "ShellTabWindowClass", nullptr) : nullptr;
}

int ChooseShellBrowser(CShellWindowList& list, HWND target, HWND activeTab) {
    if (!target) return -1;
    const int count = std::min(list.Count(), kMostShellEntries);
    std::vector<int> mine;
    for (int i = 0; i < count; ++i)
        if (list.TopWindow(i) == target) mine.push_back(i);
    if (mine.empty()) return -1;
    if (!activeTab) return mine.size() == 1 ? mine.front() : -1;
    std::vector<HWND> tabs;
    for (int i : mine) {
        tabs.push_back(list.TabWindow(i));
        if (tabs.back() == activeTab) return i;
    }
    // One entry that cannot name its tab is the window's only browser.
    return mine.size() == 1 && !tabs.front() ? mine.front() : -1;
}

ShellRoute BrowseThroughShellWindows(const ShellWindowListFactory& makeList, HWND target,
                                     HWND activeTab, const std::string& path, DWORD timeoutMs) {
    auto job = std::make_shared<ShellRouteJob>();
    job->makeList = makeList;
    job->target = target;
    job->activeTab = activeTab;
    job->path = path;
    auto* handOver = new std::shared_ptr<ShellRouteJob>(job);
    UniqueKernelHandle thread(CreateThread(nullptr, 0, ShellRouteThread, handOver, 0, nullptr));
    if (!thread) {
        delete handOver;
        return ShellRoute::NotListed;
    }
    if (WaitForSingleObject(thread.Get(), timeoutMs) != WAIT_OBJECT_0)
        // The thread ends when the shell answers and frees what it holds then.
        return job->asked ? ShellRoute::NoAnswer : ShellRoute::NotListed;
    return job->result;
}

bool DriveExplorerWindow(TargetDriver& driver, DescendantClasses& tree, const std::string& path,
                         const ShellWindowListFactory& makeList) {
    const CWnd target = tree.Root();
    const DWORD patience = std::min<DWORD>(kShellWindowsPatienceMs, driver.RemainingMs());
    const ShellRoute route = BrowseThroughShellWindows(
        makeList ? makeList : MakeSystemShellWindowList, target.GetSafeHwnd(),
        ActiveTabOf(target.GetSafeHwnd()), path, patience);
    if (route == ShellRoute::Navigated || route == ShellRoute::NoAnswer) return true;
    const AddressBar bar = FindAddressBar(tree);
    if (bar.kind == AddressBarKind::None) return IsExplorerFrame(target);
    DriveAddressBar(driver, target, bar, path);
    return true;
}

}  // namespace vt::nav
