// The folders open in Wine's real explorer.exe windows at the top of the
// folder menu, and "Auto Switch", with the real Vantrel.exe and Wine's real
// Open dialog in another process. Wine's shell list names no window, so these
// runs read each window's classic address bar.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/navtest.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

// A "must not happen" check gives the event time to arrive.
const DWORD kNothingHappensMs = 1500;
const char kThisPc[] = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";

std::string WindowsDir() {
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, sizeof buf);
    return buf;
}

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The text of a window's classic address bar (combo box > edit), as a user
// reads it.
BOOL CALLBACK AddChild(HWND w, LPARAM p) {
    auto* out = reinterpret_cast<std::string*>(p);
    *out += test::ClassNameOf(w) + " [" + navtest::Text(w) + "] parent " +
            test::ClassNameOf(GetParent(w)) + "\n";
    return TRUE;
}

// The window's tree, for a failure message.
std::string Tree(HWND frame) {
    std::string out = test::ClassNameOf(frame) + "\n";
    EnumChildWindows(frame, AddChild, reinterpret_cast<LPARAM>(&out));
    return out;
}

BOOL CALLBACK FindBarEdit(HWND w, LPARAM p) {
    if (test::ClassNameOf(w) != "Edit" || test::ClassNameOf(GetParent(w)) != "ComboBox")
        return TRUE;
    *reinterpret_cast<HWND*>(p) = w;
    return FALSE;
}

std::string AddressText(HWND frame) {
    HWND edit = nullptr;
    EnumChildWindows(frame, FindBarEdit, reinterpret_cast<LPARAM>(&edit));
    return edit ? navtest::Text(edit) : std::string();
}

// Clicks into the window's address bar and types text and Enter, as a user.
void TypeIntoBar(HWND frame, const std::string& text) {
    HWND edit = nullptr;
    EnumChildWindows(frame, FindBarEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_TRUE(edit);
    RECT r;
    GetWindowRect(edit, &r);
    MoveMouse({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    std::vector<INPUT> in;
    INPUT click = {};
    click.type = INPUT_MOUSE;
    click.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in.push_back(click);
    click.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    in.push_back(click);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    PressKey(VK_END);
    PressChord({VK_SHIFT}, VK_HOME);
    in.clear();
    for (char c : text) {
        INPUT k = {};
        k.type = INPUT_KEYBOARD;
        k.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(c));
        k.ki.dwFlags = KEYEVENTF_UNICODE;
        in.push_back(k);
        k.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        in.push_back(k);
    }
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
    PressKey(VK_RETURN);
}

// One window of Wine's explorer.exe on a folder (or a parsing name).
class ExplorerWindow {
public:
    bool Open(const std::string& where, bool waitForPath = true) {
        if (!process_.Start(WindowsDir() + "\\explorer.exe", "\"" + where + "\"")) return false;
        window_ = test::WaitForTopWindow(process_.Pid(), "ExplorerWClass", 30000);
        if (!window_) return false;
        // Wine's bar shows the folder's name once the folder is listed.
        const std::string name = waitForPath ? where.substr(where.find_last_of('\\') + 1) : "";
        return test::WaitUntil(
            [&] {
                const std::string shown = AddressText(window_);
                return waitForPath ? shown == name : !shown.empty();
            },
            15000);
    }
    ~ExplorerWindow() {
        if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
        process_.WaitForExit(5000);
    }
    HWND Window() const { return window_; }

private:
    test::ChildProcess process_;
    HWND window_ = nullptr;
};

BOOL CALLBACK CollectFrames(HWND w, LPARAM p) {
    const std::string cls = test::ClassNameOf(w);
    if (IsWindowVisible(w) && (cls == "ExplorerWClass" || cls == "CabinetWClass"))
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
    return TRUE;
}

std::vector<HWND> Frames() {
    std::vector<HWND> out;
    EnumWindows(CollectFrames, reinterpret_cast<LPARAM>(&out));
    return out;
}

// Every Explorer window and its bar, for a failure message.
std::string DescribeFrames() {
    std::string out;
    for (HWND w : Frames()) out += Describe(w) + " bar [" + AddressText(w) + "]\n";
    return out;
}

class OpenFolders : public ::testing::Test {
protected:
    // An Explorer window opened during the test by another than the test
    // (the shell, an address bar) whose bar shows text; any text but the
    // names of the test's folders for "".
    HWND NewFrameShowing(const std::string& text) {
        for (HWND w : Frames()) {
            if (std::find(before_.begin(), before_.end(), w) != before_.end()) continue;
            if (std::find(ours_.begin(), ours_.end(), w) != ours_.end()) continue;
            const std::string shown = AddressText(w);
            if (text.empty() ? !shown.empty() && shown != "One" && shown != "Two" &&
                                   shown != "Three" && shown != "Alpha" && shown != "Beta"
                             : shown == text)
                return w;
        }
        return nullptr;
    }
    void TearDown() override {
        // Windows the test made others open are closed with it.
        for (HWND w : Frames())
            if (std::find(before_.begin(), before_.end(), w) == before_.end() &&
                std::find(ours_.begin(), ours_.end(), w) == ours_.end())
                PostMessageA(w, WM_CLOSE, 0, 0);
    }
    void SetUp() override {
        before_ = Frames();
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        one_ = dir_.MakeDir("One");
        two_ = dir_.MakeDir("Two");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    std::unique_ptr<ExplorerWindow> OpenExplorer(const std::string& where,
                                                 bool waitForPath = true) {
        auto w = std::make_unique<ExplorerWindow>();
        EXPECT_TRUE(w->Open(where, waitForPath)) << where << "\n" << Tree(w->Window());
        ours_.push_back(w->Window());
        return w;
    }

    void DialogInFront() {
        if (!dialog_.Window()) {
            ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
        }
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
    }

    // Pops the menu over the dialog; its window's height.
    int PopMenu() {
        EXPECT_TRUE(run_.Forward("/pop"));
        HWND menu = run_.WaitForMenu();
        EXPECT_TRUE(menu);
        RECT r = {};
        if (menu) GetWindowRect(menu, &r);
        return r.bottom - r.top;
    }

    // Down pressed n times, then Return; the dialog must show folder.
    void PickAndExpect(int downs, const std::string& folder) {
        for (int i = 0; i < downs; ++i) PressKey(VK_DOWN);
        PressKey(VK_RETURN);
        ASSERT_TRUE(run_.WaitForMenuGone());
        ExpectDialogIn(folder);
    }

    void ExpectDialogIn(const std::string& folder) {
        const std::string want = LongLower(folder);
        EXPECT_TRUE(test::WaitUntil([&] {
            return LongLower(navtest::FileDialogFolder(dialog_.Window())) == want;
        })) << navtest::FileDialogFolder(dialog_.Window());
    }

    // The height of today's menu (two favourites, no open folder).
    int TodaysMenuHeight() {
        DialogInFront();
        const int h = PopMenu();
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(run_.WaitForMenuGone());
        return h;
    }

    std::vector<HWND> before_, ours_;  // Explorer windows at the start; the test's own
    test::ScratchDir dir_{"e2eopen"};
    std::string alpha_, beta_, one_, two_;
    VantrelRun run_;
    navtest::Fixture dialog_;
};

TEST_F(OpenFolders, TwoWindowsComeFirstMostRecentFirstAndAPickDrivesTheDialog) {
    ASSERT_TRUE(run_.Start());
    const int today = TodaysMenuHeight();
    auto one = OpenExplorer(one_);
    auto two = OpenExplorer(two_);
    if (HasFailure()) return;
    // Two was used last.
    ASSERT_TRUE(BringToFront(one->Window()));
    ASSERT_TRUE(BringToFront(two->Window()));

    DialogInFront();
    EXPECT_GT(PopMenu(), today) << "no open folders were added";
    PickAndExpect(1, two_);  // the first item

    DialogInFront();
    PopMenu();
    PickAndExpect(2, one_);  // the second item

    // The favourites follow: heading and separator are passed over.
    DialogInFront();
    PopMenu();
    PickAndExpect(4, beta_);

    // A window that moved on (here into a folder of the one it showed) is
    // listed with its new folder.
    const std::string deep = dir_.MakeDir("One\\Deep");
    ASSERT_TRUE(BringToFront(one->Window()));
    TypeIntoBar(one->Window(), deep);
    ASSERT_TRUE(test::WaitUntil([&] { return navtest::Text(one->Window()) == "Deep"; }, 15000))
        << DescribeFrames();
    DialogInFront();
    PopMenu();
    PickAndExpect(1, deep);
}

TEST_F(OpenFolders, AFolderOpenTwiceIsListedOnceAndAVirtualOneIsLeftOut) {
    const std::string three = dir_.MakeDir("Three");
    ASSERT_TRUE(run_.Start());
    const int today = TodaysMenuHeight();
    auto first = OpenExplorer(one_);
    auto again = OpenExplorer(two_);
    auto thisPc = OpenExplorer(alpha_);
    auto other = OpenExplorer(three);
    if (HasFailure()) return;
    // Wine's explorer.exe opens no second window on a folder already open,
    // nor one on This PC: two windows are taken there through their address
    // bars, as a user would, the second in lower case.
    navtest::FakeWorld world;
    ASSERT_TRUE(BringToFront(again->Window()));
    navtest::Navigate(again->Window(), LongLower(one_), world);
    ASSERT_TRUE(test::WaitUntil([&] { return navtest::Text(again->Window()) == "One"; }, 15000))
        << DescribeFrames();
    ASSERT_TRUE(BringToFront(thisPc->Window()));
    TypeIntoBar(thisPc->Window(), kThisPc);
    ASSERT_TRUE(test::WaitUntil([&] { return navtest::Text(thisPc->Window()) != "Alpha"; }, 15000))
        << DescribeFrames();
    // Front to back: This PC, One again, One, Three.
    for (HWND w : {other->Window(), first->Window(), again->Window(), thisPc->Window()})
        ASSERT_TRUE(BringToFront(w));

    DialogInFront();
    EXPECT_GT(PopMenu(), today);
    PickAndExpect(1, one_);  // were This PC listed, it would come first
    DialogInFront();
    PopMenu();
    PickAndExpect(2, three);  // were One listed twice, this would be One
    DialogInFront();
    PopMenu();
    PickAndExpect(3, alpha_);  // then the favourites
}

TEST_F(OpenFolders, WithNoExplorerWindowAndWithTheOptionOffTheMenuIsTodays) {
    // No Explorer window: the second item is the second favourite.
    ASSERT_TRUE(run_.Start());
    const int today = TodaysMenuHeight();
    DialogInFront();
    PopMenu();
    PickAndExpect(2, beta_);
    auto one = OpenExplorer(one_);
    if (HasFailure()) return;

    // The same with the option off, an Explorer window open.
    VantrelRun off;
    off.folders = run_.folders;
    off.settings.showOpenFolders = false;
    ASSERT_TRUE(run_.Forward("/quit"));
    ASSERT_TRUE(run_.Process().WaitForExit(10000));
    ASSERT_TRUE(off.Start());
    DialogInFront();
    ASSERT_TRUE(off.Forward("/pop"));
    HWND menu = off.WaitForMenu();
    ASSERT_TRUE(menu);
    RECT r = {};
    GetWindowRect(menu, &r);
    EXPECT_EQ(r.bottom - r.top, today);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(off.WaitForMenuGone());
    ExpectDialogIn(alpha_);
}

TEST_F(OpenFolders, OverAnExplorerWindowItsOwnFolderIsLeftOut) {
    ASSERT_TRUE(run_.Start());
    auto one = OpenExplorer(one_);
    auto two = OpenExplorer(two_);
    if (HasFailure()) return;
    ASSERT_TRUE(BringToFront(one->Window()));
    ASSERT_TRUE(BringToFront(two->Window()));
    MoveMouse(CentreOf(two->Window()));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu());
    // The first item is One: Two, the window's own, is not offered. Wine's
    // explorer opens what its address bar is given in a window of its own.
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_TRUE(test::WaitUntil([&] { return navtest::Text(two->Window()) == "One"; }, 15000))
        << "in front: " << Describe(GetForegroundWindow()) << "\n"
        << DescribeFrames();
}

TEST_F(OpenFolders, AutoSwitchMovesANewDialogOnceAndThenLeavesItToTheUser) {
    run_.settings.autoSwitch = true;
    ASSERT_TRUE(run_.Start());
    auto one = OpenExplorer(one_);
    if (HasFailure()) return;
    ASSERT_TRUE(BringToFront(one->Window()));
    // The dialog comes up straight from Explorer.
    ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
    ASSERT_TRUE(BringToFront(dialog_.Window()));
    ExpectDialogIn(one_);

    // The user takes the dialog elsewhere (a favourite), goes to Explorer
    // and comes back: the dialog stays where the user put it.
    MoveMouse(CentreOf(dialog_.Window()));
    PopMenu();
    PickAndExpect(3, beta_);  // One, Alpha, Beta
    ASSERT_TRUE(BringToFront(one->Window()));
    ASSERT_TRUE(BringToFront(dialog_.Window()));
    EXPECT_FALSE(test::WaitUntil(
        [&] { return LongLower(navtest::FileDialogFolder(dialog_.Window())) != LongLower(beta_); },
        kNothingHappensMs))
        << navtest::FileDialogFolder(dialog_.Window());
}

TEST_F(OpenFolders, WithAutoSwitchOffNothingMoves) {
    ASSERT_TRUE(run_.Start());
    auto one = OpenExplorer(one_);
    if (HasFailure()) return;
    ASSERT_TRUE(BringToFront(one->Window()));
    ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
    ASSERT_TRUE(BringToFront(dialog_.Window()));
    const std::string before = LongLower(navtest::FileDialogFolder(dialog_.Window()));
    EXPECT_EQ(before, LongLower("C:\\windows"));
    EXPECT_FALSE(test::WaitUntil(
        [&] { return LongLower(navtest::FileDialogFolder(dialog_.Window())) != before; },
        kNothingHappensMs));
}

}  // namespace
