// Explorer windows as Windows 10 and 11 build them (tests/fixtures/
// modern_explorer, run as the Windows directory's explorer.exe so that it is
// Explorer by its program), driven by the navigation of a pick: the window in
// front goes to the folder in place, through its address bar, and nothing
// else moves or opens. Wine keeps no list of shell windows, so these runs go
// by the address bar; the list's own road is tested in tests/unit/explorer.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/text.h"
#include "navigation/explorer.h"
#include "navigation/explorerbar.h"
#include "navigation/recognise.h"
#include "support/navtest.h"
#include "support/session.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

constexpr UINT kSelectTab = 0xA221;  // Windows 11 Explorer's "select tab" command

std::string WindowsDir() {
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, sizeof buf);
    return buf;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The fixture in place of the Windows directory's explorer.exe while the
// object lives; Wine's own file is kept beside it and put back.
class ExplorerStandIn {
public:
    ExplorerStandIn() {
        // A stand-in left by a run that died is replaced; Wine's file is
        // already in safe keeping then.
        if (!Exists(kept_)) moved_ = MoveFileA(exe_.c_str(), kept_.c_str()) != FALSE;
        DeleteFileA(OtherStartsLog().c_str());
        ready_ = Exists(kept_) &&
                 CopyFileA(BinPath("fixture_modern_explorer.exe").c_str(), exe_.c_str(), FALSE);
    }
    ~ExplorerStandIn() {
        // The fixture's process may take a moment to let go of its file.
        WaitUntil([&] { return DeleteFileA(exe_.c_str()) || !Exists(exe_); }, 10000);
        if (Exists(kept_)) MoveFileA(kept_.c_str(), exe_.c_str());
    }
    ExplorerStandIn(const ExplorerStandIn&) = delete;
    ExplorerStandIn& operator=(const ExplorerStandIn&) = delete;
    bool Ready() const { return ready_; }
    // Where the stand-in records a start that is not a test's: the shell
    // opening a folder in a new window.
    std::string OtherStartsLog() const { return exe_ + ".log"; }
    bool ShellStartedIt() const { return Exists(OtherStartsLog()); }
    const std::string& Exe() const { return exe_; }

private:
    std::string exe_ = WindowsDir() + "\\explorer.exe";
    std::string kept_ = exe_ + ".wine";
    bool moved_ = false;
    bool ready_ = false;
};

BOOL CALLBACK CollectExplorerFrames(HWND w, LPARAM param) {
    const std::string cls = ClassNameOf(w);
    if (IsWindowVisible(w) && (cls == kExplorerFrameClass || cls == kExplorerFrameClassOlder))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
    return TRUE;
}

// Every visible Explorer folder window on the desktop, of any process.
std::vector<HWND> ExplorerFrames() {
    std::vector<HWND> all;
    EnumWindows(CollectExplorerFrames, reinterpret_cast<LPARAM>(&all));
    return all;
}

std::vector<HWND> Tabs(HWND frame) {
    std::vector<HWND> tabs;
    for (HWND c = GetWindow(frame, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (ClassNameOf(c) == "ShellTabWindowClass") tabs.push_back(c);
    return tabs;
}

class ModernExplorer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standIn_.Ready()); }

    // Runs the stand-in ("win10" or "win11") on the given folders.
    void Start(const std::string& mode, const std::vector<std::string>& folders,
               const std::string& exe = "") {
        std::string args = mode + " \"" + log_ + "\"";
        for (const std::string& f : folders) args += " \"" + f + "\"";
        ASSERT_TRUE(child_.Start(exe.empty() ? standIn_.Exe() : exe, args));
        window_ = WaitForTopWindow(child_.Pid(), kExplorerFrameClass, 20000);
        ASSERT_TRUE(window_);
        ASSERT_TRUE(WaitForLog("start " + mode));
    }
    std::string Log() const {
        std::string out;
        if (FILE* f = fopen(log_.c_str(), "rb")) {
            char buf[4096];
            size_t n;
            while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
            fclose(f);
        }
        return out;
    }
    bool WaitForLog(const std::string& text, DWORD ms = 10000) const {
        return WaitUntil([&] { return Log().find(text + "\n") != std::string::npos; }, ms);
    }
    // Navigates as a pick of a folder entry does, and expects the shell
    // untouched.
    void Pick(const std::string& folder, AppSettings settings = {}) {
        Navigate(window_, folder, world_, settings);
    }

    ExplorerStandIn standIn_;
    ScratchDir dir_{"modexp"};
    std::string log_ = dir_.Path() + "\\log.txt";
    std::string one_ = dir_.MakeDir("one");
    std::string two_ = dir_.MakeDir("two");
    std::string three_ = dir_.MakeDir("three");
    std::string hashed_ = dir_.MakeDir("C# #2");
    FakeWorld world_;
    ChildProcess child_;  // ends before the stand-in goes
    HWND window_ = nullptr;
};

}  // namespace

TEST_F(ModernExplorer, Windows10BarIsOpenedForEachPickAndTheWindowMovesInPlace) {
    Start("win10", {one_});
    EXPECT_TRUE(IsExplorerWindow(CWnd(window_)));
    EXPECT_FALSE(IsFileDialog(CWnd(window_)));
    DescendantClasses tree{CWnd(window_)};
    EXPECT_EQ(FindAddressBar(tree).kind, AddressBarKind::Band);
    EXPECT_FALSE(AddressBandEdit(tree.Find("Address Band Root")))
        << "no edit before the bar is used";

    Pick(two_);
    EXPECT_TRUE(WaitForLog("navigate 0 " + two_)) << Log();
    EXPECT_TRUE(WaitUntil([&] { return TextOf(window_) == "two"; })) << TextOf(window_);

    // The edit now exists but is hidden, and Enter sent to it is ignored:
    // the next pick has to open the bar again.
    HWND edit = AddressBandEdit(CWnd(FindDescendantByClass(CWnd(window_), "Address Band Root")))
                    .GetSafeHwnd();
    ASSERT_TRUE(edit);
    EXPECT_FALSE(IsWindowVisible(edit));
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(WaitForLog("ignored enter"));

    Pick(hashed_);
    EXPECT_TRUE(WaitForLog("navigate 0 " + hashed_)) << Log();
    EXPECT_TRUE(WaitUntil([&] { return TextOf(window_) == "C# #2"; })) << TextOf(window_);

    EXPECT_TRUE(world_.shellCalls.empty());
    EXPECT_EQ(ExplorerFrames(), std::vector<HWND>{window_}) << "no second Explorer window";
    EXPECT_EQ(Log().find("refused"), std::string::npos) << Log();
}

TEST_F(ModernExplorer, ShiftAndAlwaysNewExplorerStillOpenANewWindow) {
    Start("win10", {one_});
    world_.shift = true;
    Pick(two_);
    world_.shift = false;
    AppSettings alwaysNew;
    alwaysNew.alwaysNewExplorer = true;
    Pick(three_, alwaysNew);
    ASSERT_EQ(world_.shellCalls.size(), 2u);
    EXPECT_EQ(world_.shellCalls[0].path, two_);
    EXPECT_EQ(world_.shellCalls[1].path, three_);
    // With both, the window in front is used.
    world_.shift = true;
    Pick(three_, alwaysNew);
    EXPECT_TRUE(WaitForLog("navigate 0 " + three_)) << Log();
    EXPECT_EQ(world_.shellCalls.size(), 2u);
    EXPECT_EQ(Log().find("navigate 0 " + two_), std::string::npos) << Log();
}

TEST_F(ModernExplorer, Windows11MovesOnlyTheActiveTab) {
    Start("win11", {one_, two_, three_});
    EXPECT_TRUE(IsExplorerWindow(CWnd(window_)));
    DescendantClasses tree{CWnd(window_)};
    EXPECT_EQ(FindAddressBar(tree).kind, AddressBarKind::Xaml);
    const std::vector<HWND> tabs = Tabs(window_);
    ASSERT_EQ(tabs.size(), 3u);
    EXPECT_EQ(ActiveTabOf(window_), tabs[0]);

    const std::string mixed = MakeDirW(dir_, kMixedScriptName);
    Pick(mixed);
    EXPECT_TRUE(WaitForLog("navigate 0 " + mixed)) << Log();
    EXPECT_EQ(Text(tabs[0]), kMixedScriptName);
    EXPECT_EQ(TextOf(tabs[1]), "two");
    EXPECT_EQ(TextOf(tabs[2]), "three");
    EXPECT_EQ(Text(window_), kMixedScriptName) << "the title follows the active tab";

    // The user switches to the third tab: that one, and only that one, moves.
    PostMessageA(window_, WM_COMMAND, kSelectTab, 3);
    ASSERT_TRUE(WaitUntil([&] { return ActiveTabOf(window_) == tabs[2]; }));
    Pick(hashed_);
    EXPECT_TRUE(WaitForLog("navigate 2 " + hashed_)) << Log();
    EXPECT_EQ(Text(tabs[0]), kMixedScriptName);
    EXPECT_EQ(TextOf(tabs[1]), "two");
    EXPECT_EQ(TextOf(tabs[2]), "C# #2");

    EXPECT_TRUE(world_.shellCalls.empty());
    EXPECT_EQ(ExplorerFrames(), std::vector<HWND>{window_}) << "no second Explorer window";
    for (const char* stray : {"ignored", "refused"})
        EXPECT_EQ(Log().find(stray), std::string::npos) << Log();
}

TEST_F(ModernExplorer, TheSameWindowsOfAnotherProgramAreNotExplorer) {
    // The fixture's own file, outside the Windows directory: the frame's class
    // alone does not make a window Explorer's.
    Start("win11", {one_, two_, three_}, BinPath("fixture_modern_explorer.exe"));
    EXPECT_FALSE(IsExplorerWindow(CWnd(window_)));
    Pick(two_);
    ASSERT_EQ(world_.shellCalls.size(), 1u);
    EXPECT_EQ(world_.shellCalls[0].path, two_);
    EXPECT_EQ(Log().find("navigate"), std::string::npos) << Log();
}

TEST(ExplorerAddressBar, EachBuildOfTheBarIsToldApart) {
    const auto make = [](const char* cls, HWND parent, bool visible = true) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        return CreateWindowExA(0, cls, "",
                               (parent ? WS_CHILD : WS_OVERLAPPED) | (visible ? WS_VISIBLE : 0), 0,
                               0, 100, 100, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    const auto kindOf = [](HWND frame) {
        DescendantClasses tree{CWnd(frame)};
        return FindAddressBar(tree).kind;
    };
    HWND frame = make("VtBarTestFrame", nullptr);
    ShowWindow(frame, SW_SHOWNA);
    EXPECT_EQ(kindOf(frame), AddressBarKind::None);

    // Windows 11: the bridge alone.
    HWND bridge = make("Microsoft.UI.Content.DesktopChildSiteBridge", frame);
    EXPECT_EQ(kindOf(frame), AddressBarKind::Xaml);
    DestroyWindow(bridge);

    // Windows 10: the band, whose edit is absent, then hidden, then shown.
    HWND progress = make("msctls_progress32", make("Address Band Root", make("WorkerW", frame)));
    EXPECT_EQ(kindOf(frame), AddressBarKind::Band);
    HWND ex = make("ComboBoxEx32", progress, false);
    HWND combo = CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 90,
                                 90, ex, nullptr, nullptr, nullptr);
    ASSERT_TRUE(GetWindow(combo, GW_CHILD));
    EXPECT_EQ(kindOf(frame), AddressBarKind::Band) << "a hidden edit is not the way in";
    ShowWindow(ex, SW_SHOWNA);
    EXPECT_EQ(kindOf(frame), AddressBarKind::Classic) << "a bar left in edit mode";
    DestroyWindow(frame);

    // The classic bar: a combo box with its edit anywhere in the tree.
    frame = make("VtBarTestFrame", nullptr);
    ShowWindow(frame, SW_SHOWNA);
    CreateWindowExA(0, "ComboBox", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 0, 0, 90, 90,
                    make("ReBarWindow32", frame), nullptr, nullptr, nullptr);
    EXPECT_EQ(kindOf(frame), AddressBarKind::Classic);
    DestroyWindow(frame);
}

TEST_F(ModernExplorer, ABarThatDoesNotOpenGetsNoKeysAndNoWindowOpens) {
    // The bar ignores Ctrl+L and Alt+D: nothing may be typed into the view
    // instead, where characters select items and Enter opens one.
    Start("win11-deaf", {one_, two_, three_});
    Pick(two_);
    EXPECT_TRUE(world_.shellCalls.empty()) << "never a second window behind the user's back";
    // Whatever Vantrel typed has reached the window once it answers.
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    for (const char* unwanted : {"stray key", "ignored", "navigate"})
        EXPECT_EQ(Log().find(unwanted), std::string::npos) << Log();
    EXPECT_EQ(TextOf(window_), "one");
}

TEST_F(ModernExplorer, AnExplorerWindowWithoutAnAddressBarIsLeftAlone) {
    Start("win10-bare", {one_});
    EXPECT_TRUE(IsExplorerWindow(CWnd(window_)));
    Pick(two_);
    EXPECT_TRUE(world_.shellCalls.empty());
    EXPECT_EQ(ExplorerFrames(), std::vector<HWND>{window_});
    SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(Log().find("stray key"), std::string::npos) << Log();
    EXPECT_EQ(TextOf(window_), "one");
}

TEST_F(ModernExplorer, APickFromTheMenuMovesTheActiveTabOfTheWindowInFront) {
    Start("win11", {one_, two_, three_});
    const std::vector<HWND> tabs = Tabs(window_);
    ASSERT_EQ(tabs.size(), 3u);
    e2e::VantrelRun run;
    run.folders[0] = {one_, "One", "", -1};
    run.folders[1] = {hashed_, "Hashed", "", -1};
    run.settings.shortcutType = vt::ShortcutType::HotKey;  // Ctrl+Alt+F9
    run.settings.normalHotKeyVirtualKey = VK_F9;
    run.settings.normalHotKeyModifier = 2 | 4;
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(e2e::BringToFront(window_));
    ASSERT_NE(e2e::PressChordForMenu(run, {VK_CONTROL, VK_MENU}, VK_F9), nullptr);
    e2e::PickSecondItem(run);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(WaitForLog("navigate 0 " + hashed_, 15000)) << Log();
    EXPECT_EQ(TextOf(tabs[0]), "C# #2");
    EXPECT_EQ(TextOf(tabs[1]), "two");
    EXPECT_EQ(TextOf(tabs[2]), "three");
    EXPECT_FALSE(standIn_.ShellStartedIt()) << "the shell was asked to open a window";
    EXPECT_EQ(ExplorerFrames(), std::vector<HWND>{window_});
    EXPECT_EQ(Log().find("stray key"), std::string::npos) << Log();
}
