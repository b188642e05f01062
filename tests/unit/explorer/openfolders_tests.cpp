// The open folders of the menu: which sightings make the list (file system
// folders only, each once, most recent window first, the target's own folder
// left out, at most ten), and the reading of the windows: the shell's list
// where it names a window, the classic address bar where it does not, and a
// list or a window that does not answer skipped within the bound.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "framework/text.h"
#include "navigation/openfolders.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::nav;

namespace {

TEST(OpenFolderPaths, OnlyDrivePathsAndSharesAreFileSystemFolders) {
    EXPECT_TRUE(IsFileSystemFolderPath("C:\\"));
    EXPECT_TRUE(IsFileSystemFolderPath("d:/work/x"));
    EXPECT_TRUE(IsFileSystemFolderPath("\\\\server\\share"));
    EXPECT_TRUE(IsFileSystemFolderPath("\\\\server\\share\\deep"));
    EXPECT_FALSE(IsFileSystemFolderPath("C:"));  // a drive's current folder, not a folder
    EXPECT_FALSE(IsFileSystemFolderPath("C:relative"));
    EXPECT_FALSE(IsFileSystemFolderPath("\\\\server"));
    EXPECT_FALSE(IsFileSystemFolderPath("\\\\server\\"));
    EXPECT_FALSE(IsFileSystemFolderPath("\\\\?\\C:\\x"));
    EXPECT_FALSE(IsFileSystemFolderPath("\\\\.\\PhysicalDrive0"));
    EXPECT_FALSE(IsFileSystemFolderPath("::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"));
    EXPECT_FALSE(IsFileSystemFolderPath("My Computer"));
    EXPECT_FALSE(IsFileSystemFolderPath("search-ms:query=x"));
    EXPECT_FALSE(IsFileSystemFolderPath("file:///C:/x"));
    EXPECT_FALSE(IsFileSystemFolderPath(""));
}

TEST(OpenFolderPaths, NormalisedPathsCompareWhateverTheirCaseAndSeparators) {
    EXPECT_EQ(NormaliseFolderPath("C:\\a\\b\\"), "C:\\a\\b");
    EXPECT_EQ(NormaliseFolderPath("c:/a/b//"), "c:\\a\\b");
    EXPECT_EQ(NormaliseFolderPath("C:\\"), "C:\\");
    EXPECT_EQ(NormaliseFolderPath("C:"), "C:\\");
    EXPECT_EQ(NormaliseFolderPath("\\\\srv\\share\\"), "\\\\srv\\share");
    EXPECT_TRUE(SameFolder("C:\\Users\\Ann\\", "c:/users/ann"));
    // Case of other scripts, as the file system ignores it.
    EXPECT_TRUE(SameFolder("C:\\\xC3\x84rger", "C:\\\xC3\xA4RGER"));
    EXPECT_FALSE(SameFolder("C:\\a", "C:\\a b"));
    EXPECT_FALSE(SameFolder("C:\\a", "D:\\a"));
}

TEST(OpenFolderChoice, EachFolderOnceMostRecentFirstWithoutVirtualOrOwn) {
    const std::vector<SeenFolder> seen = {
        {"C:\\Later", 4},
        {"C:\\Front", 0},
        {"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", 1},  // This PC
        {"c:\\front\\", 2},                               // the same folder again
        {"C:\\Own", 3},
        {"C:\\Tie1", 5},
        {"C:\\Tie2", 5},
        {"", 6},  // a window that did not answer
    };
    EXPECT_EQ(ChooseOpenFolders(seen, "c:\\OWN"),
              (std::vector<std::string>{"C:\\Front", "C:\\Later", "C:\\Tie1", "C:\\Tie2"}));
    // No own folder (the target is no Explorer window, or a virtual one).
    EXPECT_EQ(ChooseOpenFolders(seen, "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}").size(), 5u);
    EXPECT_TRUE(ChooseOpenFolders({}, "").empty());
}

TEST(OpenFolderChoice, AtMostTenAndTheCapCountsFoldersNotSightings) {
    std::vector<SeenFolder> seen;
    for (int i = 0; i < 14; ++i) {
        seen.push_back({"C:\\f" + std::to_string(i), i * 2});
        seen.push_back({"C:\\F" + std::to_string(i), i * 2 + 1});  // a duplicate each
    }
    const std::vector<std::string> chosen = ChooseOpenFolders(seen, "");
    ASSERT_EQ(chosen.size(), kMostOpenFolders);
    EXPECT_EQ(chosen.front(), "C:\\f0");
    EXPECT_EQ(chosen.back(), "C:\\f9");
}

// ---- Reading windows --------------------------------------------------------

// Frames of Explorer's class made here, with a classic address bar (combo box
// and edit) or with tabs; the reader is told that exactly these are Explorer's.
class Frames {
public:
    Frames() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CabinetWClass";
        RegisterClassA(&wc);
        wc.lpszClassName = "ShellTabWindowClass";
        RegisterClassA(&wc);
        wc.lpszClassName = "ExplorerWClass";  // the frame's class before Windows 7
        RegisterClassA(&wc);
    }
    ~Frames() {
        for (HWND w : made_) DestroyWindow(w);
    }
    // A visible frame in front of the ones made before.
    HWND Frame(const char* cls = "CabinetWClass", DWORD visible = WS_VISIBLE) {
        HWND w =
            CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, cls, "frame", WS_POPUP | visible,
                            0, 0, 60, 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        made_.push_back(w);
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return w;
    }
    HWND FrameWithBar(const std::string& text) {
        HWND f = Frame();
        HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0,
                                     50, 100, f, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowTextW(FindWindowExA(combo, nullptr, "Edit", nullptr), ToWide(text).c_str());
        return f;
    }
    static HWND Tab(HWND frame) {
        return CreateWindowExA(0, "ShellTabWindowClass", "", WS_CHILD, 0, 0, 10, 10, frame, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    bool Mine(HWND w) const { return std::find(made_.begin(), made_.end(), w) != made_.end(); }

private:
    std::vector<HWND> made_;
};

struct ListEntry {
    HWND top, tab;
    std::string path;
};

struct ListState {
    std::vector<ListEntry> entries;
    HANDLE stall = nullptr;  // Count waits for it (not owned)
    std::atomic<int> made{0};
};

class FakeList : public CShellWindowList {
public:
    explicit FakeList(std::shared_ptr<ListState> s) : s_(std::move(s)) {}
    bool Open() override { return true; }
    int Count() override {
        if (s_->stall) WaitForSingleObject(s_->stall, INFINITE);
        return static_cast<int>(s_->entries.size());
    }
    HWND TopWindow(int i) override { return s_->entries.at(i).top; }
    HWND TabWindow(int i) override { return s_->entries.at(i).tab; }
    bool Browse(int, const std::string&) override { return false; }
    std::string FolderPath(int i) override { return s_->entries.at(i).path; }

private:
    std::shared_ptr<ListState> s_;
};

class OpenFolderReading : public ::testing::Test {
protected:
    void TearDown() override {
        if (stall_) {
            SetEvent(stall_);  // a stalled list ends with the test
            CloseHandle(stall_);
        }
    }
    COpenFolderReader Reader() {
        auto s = state_;
        return COpenFolderReader(
            [s]() -> std::unique_ptr<CShellWindowList> {
                ++s->made;
                return std::make_unique<FakeList>(s);
            },
            [this](HWND w) { return frames_.Mine(w); });
    }
    Frames frames_;
    std::shared_ptr<ListState> state_ = std::make_shared<ListState>();
    HANDLE stall_ = nullptr;
};

TEST_F(OpenFolderReading, TheShellListGoesByWindowOrderAndTheTabInView) {
    HWND back = frames_.Frame();
    HWND tabInView = Frames::Tab(back);
    HWND tabBehind = Frames::Tab(back);
    SetWindowPos(tabInView, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND front = frames_.Frame();
    // Listed in another order than the windows': the back window's tabs
    // first, the tab behind before the one in view.
    state_->entries = {{back, tabBehind, "C:\\Behind"},
                       {back, tabInView, "C:\\InView"},
                       {front, nullptr, ""},  // a virtual folder has no path
                       {front, nullptr, "C:\\Front"}};
    COpenFolderReader reader = Reader();
    EXPECT_EQ(reader.Read(nullptr),
              (std::vector<std::string>{"C:\\Front", "C:\\InView", "C:\\Behind"}));
    // Over the back window, the tab in view is its own folder; the other tab
    // is still offered.
    EXPECT_EQ(reader.Read(back), (std::vector<std::string>{"C:\\Front", "C:\\Behind"}));
    EXPECT_EQ(reader.FolderOf(back), "C:\\InView");
}

TEST_F(OpenFolderReading, FramesOfBothClassesKeepTheirPlacesFrontToBackAndHiddenOnesAreLeftOut) {
    HWND back = frames_.Frame("ExplorerWClass");
    HWND middle = frames_.Frame("CabinetWClass");
    HWND hidden = frames_.Frame("CabinetWClass", 0);
    HWND front = frames_.Frame("ExplorerWClass");
    state_->entries = {{middle, nullptr, "C:\\Middle"},
                       {hidden, nullptr, "C:\\Hidden"},
                       {front, nullptr, "C:\\Front"},
                       {back, nullptr, "C:\\Back"}};
    COpenFolderReader reader = Reader();
    EXPECT_EQ(reader.Read(nullptr),
              (std::vector<std::string>{"C:\\Front", "C:\\Middle", "C:\\Back"}));
    // The older class alone, then the newer alone: each in its own order.
    SetWindowPos(back, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(middle, SW_HIDE);
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\Back", "C:\\Front"}));
    ShowWindow(middle, SW_SHOWNA);
    ShowWindow(back, SW_HIDE);
    ShowWindow(front, SW_HIDE);
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\Middle"}));
}

TEST_F(OpenFolderReading, WindowsTheListDoesNotNameAreReadFromTheirAddressBars) {
    HWND listed = frames_.Frame();
    HWND unlisted = frames_.FrameWithBar("C:\\users\\Public\\");
    HWND virtualOne = frames_.FrameWithBar("My Computer");
    state_->entries = {{listed, nullptr, "C:\\Listed"}};
    COpenFolderReader reader = Reader();
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\users\\Public", "C:\\Listed"}));
    EXPECT_EQ(reader.Read(unlisted), (std::vector<std::string>{"C:\\Listed"}));
    EXPECT_EQ(reader.FolderOf(unlisted), "C:\\users\\Public");
    EXPECT_EQ(reader.FolderOf(virtualOne), "");
}

TEST_F(OpenFolderReading, NoExplorerWindowAsksNothing) {
    COpenFolderReader reader = Reader();
    EXPECT_TRUE(reader.Read(nullptr).empty());
    EXPECT_EQ(state_->made, 0) << "the shell's list was made with no Explorer window open";
}

TEST_F(OpenFolderReading, AListThatStallsIsLeftAndTheBarsAnswerInstead) {
    stall_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    state_->stall = stall_;
    HWND frame = frames_.FrameWithBar("C:\\Bar");
    state_->entries = {{frame, nullptr, "C:\\FromList"}};
    COpenFolderReader reader = Reader();
    const DWORD start = GetTickCount();
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\Bar"}));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took + 20, kShellListAnswerMs);  // the list had its time
    EXPECT_LT(took, kShellListAnswerMs + 400) << "the menu waited for a stalled list";
    // While that list is still late, the next showings neither wait for a
    // list nor make another one.
    for (int i = 0; i < 3; ++i) {
        const DWORD again = GetTickCount();
        EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\Bar"}));
        EXPECT_LT(GetTickCount() - again, kShellListAnswerMs / 2);
    }
    EXPECT_EQ(state_->made.load(), 1);
    // Once it has answered, the list is asked again and named the window.
    SetEvent(stall_);
    EXPECT_TRUE(vt::test::WaitUntil(
        [&] { return reader.Read(nullptr) == std::vector<std::string>{"C:\\FromList"}; }, 5000));
    EXPECT_EQ(state_->made.load(), 2);
}

// A frame whose thread stops taking messages once its bar is made.
struct HungFrame {
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND frame = nullptr;
    HANDLE thread = nullptr;
    ~HungFrame() {
        SetEvent(release);
        if (thread) WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(ready);
        CloseHandle(release);
    }
    static DWORD WINAPI Run(void* p) {
        auto* h = static_cast<HungFrame*>(p);
        h->frame = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "CabinetWClass", "hung",
                                   WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 50, 100,
                        h->frame, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowPos(h->frame, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetEvent(h->ready);
        WaitForSingleObject(h->release, INFINITE);  // busy: no messages taken
        DestroyWindow(h->frame);
        return 0;
    }
};

TEST_F(OpenFolderReading, AWindowThatDoesNotAnswerIsSkippedWithinItsBound) {
    HWND answering = frames_.FrameWithBar("C:\\Answers");
    HungFrame hung;
    hung.thread = CreateThread(nullptr, 0, HungFrame::Run, &hung, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(hung.ready, 10000), WAIT_OBJECT_0);
    COpenFolderReader reader(
        [s = state_]() -> std::unique_ptr<CShellWindowList> {
            return std::make_unique<FakeList>(s);
        },
        [&](HWND w) { return w == hung.frame || w == answering; });
    const DWORD start = GetTickCount();
    // The hung window is in front, so it is asked first; the other one is
    // still read after it.
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\Answers"}));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took + 20, kOpenFolderAnswerMs) << "the hung window was not asked";
    EXPECT_LT(took, kOpenFoldersTotalMs + 200);
}

}  // namespace
