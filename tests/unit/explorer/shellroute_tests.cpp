// The shell-window route: which entry of the shell's list is the window (and
// on Windows 11 the tab) in front, what it is asked, and that a list that
// stalls or fails never holds the navigation. The lists are made here; the
// system's own list is checked as far as Wine has one.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/cominit.h"
#include "framework/text.h"
#include "navigation/explorer.h"
#include "navigation/shellwindowscom.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::nav;

namespace {

HWND H(uintptr_t v) { return reinterpret_cast<HWND>(v); }

const HWND kFront = H(0x1010);
const HWND kOther = H(0x2020);
const HWND kTab1 = H(0x1011);
const HWND kTab2 = H(0x1012);
const HWND kTab3 = H(0x1013);

struct Entry {
    HWND top;
    HWND tab;
    bool refuses = false;
};

// What a list saw and did; shared with the list, which lives on another thread.
struct ShellState {
    std::vector<Entry> entries;
    bool available = true;
    HANDLE stallBrowse = nullptr;  // Browse waits for it (not owned)
    HANDLE stallCount = nullptr;   // Count waits for it (not owned)
    std::mutex m;
    std::vector<std::pair<int, std::string>> browsed;
    DWORD madeOnThread = 0;
    HRESULT apartmentProbe = S_OK;
    std::atomic<int> alive{0};
    std::atomic<int> ended{0};  // lists destroyed so far
};

class CListedShell : public CShellWindowList {
public:
    explicit CListedShell(std::shared_ptr<ShellState> s) : s_(std::move(s)) { ++s_->alive; }
    ~CListedShell() override {
        --s_->alive;
        ++s_->ended;
    }
    bool Open() override { return s_->available; }
    int Count() override {
        if (s_->stallCount) WaitForSingleObject(s_->stallCount, INFINITE);
        return static_cast<int>(s_->entries.size());
    }
    HWND TopWindow(int i) override { return s_->entries.at(static_cast<size_t>(i)).top; }
    HWND TabWindow(int i) override { return s_->entries.at(static_cast<size_t>(i)).tab; }
    bool Browse(int i, const std::string& path) override {
        {
            std::lock_guard<std::mutex> lock(s_->m);
            s_->browsed.emplace_back(i, path);
        }
        if (s_->stallBrowse) WaitForSingleObject(s_->stallBrowse, INFINITE);
        return !s_->entries.at(static_cast<size_t>(i)).refuses;
    }

private:
    std::shared_ptr<ShellState> s_;
};

ShellWindowListFactory FactoryOf(const std::shared_ptr<ShellState>& s) {
    return [s]() -> std::unique_ptr<CShellWindowList> {
        s->madeOnThread = GetCurrentThreadId();
        // A thread already in a single-threaded apartment cannot join the
        // multi-threaded one.
        s->apartmentProbe = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(s->apartmentProbe)) CoUninitialize();
        return std::make_unique<CListedShell>(s);
    };
}

int Choose(std::vector<Entry> entries, HWND target, HWND activeTab) {
    auto s = std::make_shared<ShellState>();
    s->entries = std::move(entries);
    CListedShell list(s);
    return ChooseShellBrowser(list, target, activeTab);
}

class Event {
public:
    Event() : h_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Event() {
        Set();
        CloseHandle(h_);
    }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    HANDLE Get() const { return h_; }
    void Set() const { SetEvent(h_); }

private:
    HANDLE h_;
};

}  // namespace

TEST(ShellWindowChoice, TheTargetsOwnEntryAmongOtherWindows) {
    // Other windows' entries, and one that no longer answers, come first.
    EXPECT_EQ(Choose({{kOther, H(0x2021)}, {nullptr, nullptr}, {kFront, kTab1}}, kFront, kTab1), 2);
    // An older window: one entry, whose tab the shell cannot name.
    EXPECT_EQ(Choose({{kOther, nullptr}, {kFront, nullptr}}, kFront, kTab1), 1);
    EXPECT_EQ(Choose({{kFront, nullptr}}, kFront, nullptr), 0);
    // Not listed at all (Wine's explorer), or no target.
    EXPECT_EQ(Choose({{kOther, kTab1}}, kFront, kTab1), -1);
    EXPECT_EQ(Choose({}, kFront, kTab1), -1);
    EXPECT_EQ(Choose({{kFront, kTab1}}, nullptr, kTab1), -1);
}

TEST(ShellWindowChoice, WithTabsOnlyTheActiveTabsEntry) {
    const std::vector<Entry> tabs{{kFront, kTab1}, {kFront, kTab2}, {kFront, kTab3}};
    EXPECT_EQ(Choose(tabs, kFront, kTab1), 0);
    EXPECT_EQ(Choose(tabs, kFront, kTab3), 2);
    // The active tab is none of them (it opened a moment ago): no guess.
    EXPECT_EQ(Choose(tabs, kFront, H(0x1099)), -1);
    // Several entries and no tab window to tell them by: no guess either.
    EXPECT_EQ(Choose(tabs, kFront, nullptr), -1);
    // One tab whose entry names another tab: that is not the one in view.
    EXPECT_EQ(Choose({{kFront, kTab2}}, kFront, kTab1), -1);
    // A busy tab (no window named) does not hide the active one.
    EXPECT_EQ(Choose({{kFront, nullptr}, {kFront, kTab2}}, kFront, kTab2), 1);
}

TEST(ShellWindowRoute, BrowsesTheChosenEntryOnAnApartmentThreadOfItsOwn) {
    auto s = std::make_shared<ShellState>();
    s->entries = {{kOther, H(0x2021)}, {kFront, kTab1}, {kFront, kTab2}};
    // A folder name with "#" and "%23" must arrive as it is, never as a URL.
    const std::string path = "C:\\Users\\me\\C# notes\\100%23 done";
    EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab2, path, 5000),
              ShellRoute::Navigated);
    ASSERT_EQ(s->browsed.size(), 1u);
    EXPECT_EQ(s->browsed[0].first, 2);
    EXPECT_EQ(s->browsed[0].second, path);
    EXPECT_NE(s->madeOnThread, GetCurrentThreadId());
    EXPECT_EQ(s->apartmentProbe, RPC_E_CHANGED_MODE) << "the list's thread is not an STA";
    EXPECT_EQ(s->alive.load(), 0) << "the list is released before the thread ends";

    // A virtual folder's parsing name goes the same way.
    const std::string thisPc = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab1, thisPc, 5000),
              ShellRoute::Navigated);
    ASSERT_EQ(s->browsed.size(), 2u);
    EXPECT_EQ(s->browsed[1], std::make_pair(1, thisPc));
}

TEST(ShellWindowRoute, NoListNoEntryOrARefusalLeaveItToTheAddressBar) {
    auto s = std::make_shared<ShellState>();
    s->entries = {{kFront, kTab1, true}};
    EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab1, "C:\\x", 5000),
              ShellRoute::Refused);
    EXPECT_EQ(s->browsed.size(), 1u);

    s->browsed.clear();
    EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kOther, nullptr, "C:\\x", 5000),
              ShellRoute::NotListed);
    s->available = false;
    EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab1, "C:\\x", 5000),
              ShellRoute::NotListed);
    EXPECT_TRUE(s->browsed.empty()) << "nothing is browsed without a listed entry";

    const ShellWindowListFactory none = [] { return std::unique_ptr<CShellWindowList>(); };
    EXPECT_EQ(BrowseThroughShellWindows(none, kFront, kTab1, "C:\\x", 5000), ShellRoute::NotListed);
    const ShellWindowListFactory throws = []() -> std::unique_ptr<CShellWindowList> {
        throw std::runtime_error("no shell");
    };
    EXPECT_EQ(BrowseThroughShellWindows(throws, kFront, kTab1, "C:\\x", 5000),
              ShellRoute::NotListed);
}

TEST(ShellWindowRoute, AStalledShellIsGivenUpInTime) {
    // Long enough for the list's thread to start on a loaded machine.
    constexpr DWORD kPatience = 1500;
    auto s = std::make_shared<ShellState>();
    s->entries = {{kFront, kTab1}};
    {
        // Stalled while it is being asked for the folder: it may still go
        // there, so the navigation must try nothing else.
        Event stall;
        s->stallBrowse = stall.Get();
        const DWORD start = GetTickCount();
        EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab1, "C:\\x", kPatience),
                  ShellRoute::NoAnswer);
        const DWORD took = GetTickCount() - start;
        EXPECT_GE(took, kPatience - 100);
        EXPECT_LT(took, kPatience + 3000);
        stall.Set();
        EXPECT_TRUE(test::WaitUntil([&] { return s->ended.load() == 1; }, 5000));
        s->stallBrowse = nullptr;
    }
    {
        // Stalled before any folder was asked for: the address bar may go on.
        Event stall;
        s->stallCount = stall.Get();
        s->browsed.clear();
        EXPECT_EQ(BrowseThroughShellWindows(FactoryOf(s), kFront, kTab1, "C:\\x", kPatience),
                  ShellRoute::NotListed);
        stall.Set();
        EXPECT_TRUE(test::WaitUntil([&] { return s->ended.load() == 2; }, 5000));
        // The late answer finds the entry and browses, but nobody waits for it.
        EXPECT_EQ(s->browsed.size(), 1u);
    }
}

TEST(SystemShellWindows, WinesListNamesNoneOfItsExplorerWindows) {
    // Wine 8 makes the list but answers its count and items with E_NOTIMPL:
    // Wine's Explorer is never found there and goes by its address bar.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    test::ScratchDir dir("shellwin");
    test::ChildProcess explorer;
    ASSERT_TRUE(explorer.Start(std::string(windows) + "\\explorer.exe", "\"" + dir.Path() + "\""));
    const HWND window = test::WaitForTopWindow(explorer.Pid(), "ExplorerWClass", 30000);
    ASSERT_TRUE(window);
    {
        CComInit com;
        CShellWindowsCom list;
        if (list.Open()) {
            EXPECT_EQ(ChooseShellBrowser(list, window, ActiveTabOf(window)), -1);
            EXPECT_LT(list.Count(), 0) << "a list that cannot count says so";
            EXPECT_FALSE(list.Browse(list.Count(), dir.Path())) << "an index past the end";
        }
    }
    EXPECT_EQ(BrowseThroughShellWindows(MakeSystemShellWindowList, window, ActiveTabOf(window),
                                        "C:\\windows", 5000),
              ShellRoute::NotListed);
}

TEST(SystemShellWindows, PathsBecomeItemIdListsWithoutURLRules) {
    CComInit com;
    test::ScratchDir dir("shellpidl");
    const std::string hashed = dir.MakeDir("C# #1 100%23");
    UniqueItemIdList pidl = ItemIdListFromPath(hashed);
    ASSERT_TRUE(pidl);
    wchar_t back[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDListW(pidl.get(), back));
    EXPECT_TRUE(EqualsIgnoreCase(ToNarrow(back, MAX_PATH), hashed)) << ToNarrow(back, MAX_PATH);

    // A virtual folder has an item id list but no file system path.
    UniqueItemIdList thisPc = ItemIdListFromPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}");
    ASSERT_TRUE(thisPc);
    EXPECT_FALSE(SHGetPathFromIDListW(thisPc.get(), back));
    EXPECT_FALSE(ItemIdListFromPath(""));
}
