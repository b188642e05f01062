// The open folders of the menu: which sightings make the list (file system
// folders only, each once, most recent window first, the target's own folder
// left out, at most ten), and the reading of the windows: the shell's list
// where it names a window, the classic address bar where it does not, and a
// list or a window that does not answer skipped within the bound.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
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

// ---- Bars whose folder comes from the drop-down's item id lists ------------

// A frame as Wine's Explorer makes it: a ComboBoxEx32 whose items hold the item
// id lists of the folder and its parents, and whose edit shows the folder's
// name only. Made and served on a thread of its own, which can be told to stop
// taking messages.
class DropDownFrame {
public:
    explicit DropDownFrame(const std::string& folder) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready_, 10000);
        Show(folder);
    }
    ~DropDownFrame() {
        SetEvent(release_);
        if (frame_) PostMessageA(frame_, WM_CLOSE, 0, 0);
        PostThreadMessageA(GetThreadId(thread_), WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(ready_);
        CloseHandle(release_);
        for (PIDLIST_ABSOLUTE p : pidls_) CoTaskMemFree(p);
    }
    HWND Frame() const { return frame_; }
    // Goes to folder: the drop-down made again with it and its parents.
    void Show(const std::string& folder) {
        SendMessageA(frame_, kShow, 0, reinterpret_cast<LPARAM>(&folder));
    }
    // The frame's thread stops taking messages until the frame is destroyed.
    void Hang() { PostMessageA(frame_, kHang, 0, 0); }

private:
    static constexpr UINT kShow = WM_APP + 1, kHang = WM_APP + 2;
    static DWORD WINAPI Run(void* p) {
        auto* self = static_cast<DropDownFrame*>(p);
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_USEREX_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ExplorerWClass";
        RegisterClassA(&wc);  // the frame class of Wine's Explorer
        self->frame_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "ExplorerWClass",
                                       "frame", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr,
                                       nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(self->frame_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->combo_ =
            CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 180,
                            200, self->frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetWindowPos(self->frame_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetEvent(self->ready_);
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
        return 0;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<DropDownFrame*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (self && msg == kShow) {
            self->Fill(*reinterpret_cast<const std::string*>(lp));
            return 0;
        }
        if (self && msg == kHang) {
            WaitForSingleObject(self->release_, INFINITE);
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
    void Fill(const std::string& folder) {
        SendMessageW(combo_, CB_RESETCONTENT, 0, 0);
        std::vector<std::string> chain;
        for (std::string p = folder; p.size() > 3; p = p.substr(0, p.find_last_of('\\')))
            chain.insert(chain.begin(), p);
        chain.insert(chain.begin(), folder.substr(0, 3));
        for (const std::string& path : chain) {
            PIDLIST_ABSOLUTE pidl = nullptr;
            if (FAILED(SHParseDisplayName(ToWide(path).c_str(), nullptr, &pidl, 0, nullptr)))
                continue;
            pidls_.push_back(pidl);  // kept: the reader reads them out of this process
            COMBOBOXEXITEMW item = {};
            item.mask = CBEIF_TEXT | CBEIF_LPARAM;
            item.iItem = -1;
            std::wstring name = ToWide(path);
            item.pszText = &name[0];
            item.lParam = reinterpret_cast<LPARAM>(pidl);
            SendMessageW(combo_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        SHFILEINFOW info = {};
        SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidls_.back()), 0, &info, sizeof info,
                       SHGFI_PIDL | SHGFI_DISPLAYNAME);
        HWND edit = reinterpret_cast<HWND>(SendMessageW(combo_, CBEM_GETEDITCONTROL, 0, 0));
        SetWindowTextW(edit, info.szDisplayName);
    }
    HANDLE thread_ = nullptr;
    HANDLE ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND frame_ = nullptr;
    HWND combo_ = nullptr;
    std::vector<PIDLIST_ABSOLUTE> pidls_;  // owned; only the frame's thread adds
};

struct ScratchFolders {
    std::vector<std::string> made;
    explicit ScratchFolders(std::initializer_list<const char*> names) {
        CreateDirectoryA("C:\\vtbars", nullptr);
        for (const char* n : names) {
            made.push_back(std::string("C:\\vtbars\\") + n);
            CreateDirectoryA(made.back().c_str(), nullptr);
        }
    }
    ~ScratchFolders() {
        for (const std::string& m : made) RemoveDirectoryA(m.c_str());
        RemoveDirectoryA("C:\\vtbars");
    }
};

TEST(OpenFolderBars, KnownBarsAreCheckedAtOnceReadAgainWhenTheyChangeAndASilentOneIsSkipped) {
    ScratchFolders folders{"Alpha", "Beta", "Gamma"};
    DropDownFrame back("C:\\vtbars\\Alpha");
    DropDownFrame front("C:\\vtbars\\Beta");
    std::vector<HWND> mine = {back.Frame(), front.Frame()};
    COpenFolderReader reader([] { return std::unique_ptr<CShellWindowList>(); },
                             [&](HWND w) { return std::count(mine.begin(), mine.end(), w) > 0; });
    const std::vector<std::string> both = {"C:\\vtbars\\Beta", "C:\\vtbars\\Alpha"};
    EXPECT_EQ(reader.Read(nullptr), both);  // read from the item id lists
    EXPECT_EQ(reader.Read(nullptr), both);  // the kept items still hold
    // The window goes elsewhere: its drop-down is made again, and so read again.
    back.Show("C:\\vtbars\\Gamma");
    EXPECT_EQ(reader.Read(nullptr),
              (std::vector<std::string>{"C:\\vtbars\\Beta", "C:\\vtbars\\Gamma"}));
    // From a folder to its parent: one item fewer, the rest the same lists.
    back.Show("C:\\vtbars");
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\vtbars\\Beta", "C:\\vtbars"}));
    // The front window stops answering: skipped within the bound, the other
    // one still read, and no window is asked twice in the showing.
    front.Hang();
    const DWORD start = GetTickCount();
    EXPECT_EQ(reader.Read(nullptr), (std::vector<std::string>{"C:\\vtbars"}));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took + 20, kOpenFolderAnswerMs);
    EXPECT_LT(took, 2 * kOpenFolderAnswerMs) << "the silent window was asked again";
}

}  // namespace
