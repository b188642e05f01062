// Every way of popping the folder menu, with the real program: Vantrel.exe and
// VTHook.dll in their own process, a Wine file dialog in another, input
// injected into the system as the keyboard and the mouse would deliver it.
#include <gtest/gtest.h>

#include "support/session.h"
#include "navigation/recognise.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

const UINT kTrayCallback = WM_USER + 100;
const WORD kAlt = 4, kCtrl = 2;  // stored modifier bits
const char* kAcceleratorMessage = "Vantrel failed to initialize the global keyboard accelerator.";

// A "must not appear" check has to give the gesture time to arrive; each one
// follows (or precedes) the same gesture's positive case in the test.
const DWORD kNothingHappensMs = 1500;

class Activation : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    // An Open dialog of another process, in front, with the pointer over it.
    void OpenDialogInFront() {
        ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
    }

    // Picks the second folder of the shown menu with the keyboard and checks
    // that the dialog went there and is in front again.
    void PickBetaAndExpectDialogThere() {
        ASSERT_TRUE(run_.WaitForMenu());
        PickSecondItemAndExpectDialogIn(run_, dialog_.Window(), beta_);
    }

    HWND NameBox() const {
        return vt::nav::LocateFileDialogControls(vt::CWnd(dialog_.Window())).fileNameBox.hwnd_;
    }

    // Brings the dialog in front again and puts the pointer over it.
    void DialogInFrontAgain() {
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
    }

    test::ScratchDir dir_{"e2e"};
    std::string alpha_, beta_;
    VantrelRun run_;
    navtest::Fixture dialog_;
};

TEST_F(Activation, SecondStartWithPopDrivesTheFileDialog) {
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    ASSERT_TRUE(run_.Forward("/pop"));
    PickBetaAndExpectDialogThere();
}

TEST_F(Activation, FirstStartWithPopPopsTheMenuOverTheWindowInFront) {
    OpenDialogInFront();
    ASSERT_TRUE(run_.Start("/pop"));
    PickBetaAndExpectDialogThere();
}

TEST_F(Activation, EscapeSendsNothingAndPutsTheDialogBackInFront) {
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    const std::string before = navtest::FileDialogFolder(dialog_.Window());
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_DOWN);  // "Alpha" highlighted, then dismissed
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == dialog_.Window(); }))
        << Describe(GetForegroundWindow());
    // A command, had one been sent, is handled as soon as the menu is gone;
    // a round trip through Vantrel's queue makes sure it would have run.
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_EQ(navtest::FileDialogFolder(dialog_.Window()), before);
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == dialog_.Window(); }))
        << Describe(GetForegroundWindow());
}

TEST_F(Activation, MissingFoldersAreLeftOutAndItemsKeepTheirKeys) {
    // Keys 0..5 with only the folders of keys 0 and 5 present: the second
    // item must be key 5, not the next position.
    run_.folders.clear();
    run_.folders[0] = {alpha_, "Alpha", "", -1};
    for (int k = 1; k <= 4; ++k)
        run_.folders[k] = {dir_.Path() + "\\gone" + std::to_string(k), "Gone", "", -1};
    run_.folders[5] = {beta_, "Beta", "", -1};
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    ASSERT_TRUE(run_.Forward("/pop"));
    PickBetaAndExpectDialogThere();
}

TEST_F(Activation, HotKeyInjectedAsKeyPressesDrivesTheFileDialog) {
    run_.settings.shortcutType = vt::ShortcutType::HotKey;
    run_.settings.normalHotKeyVirtualKey = VK_F9;
    run_.settings.normalHotKeyModifier = kCtrl | kAlt;
    ASSERT_TRUE(run_.Start());
    EXPECT_FALSE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F9));
    OpenDialogInFront();
    ASSERT_NE(PressChordForMenu(run_, {VK_CONTROL, VK_MENU}, VK_F9), nullptr);
    PickBetaAndExpectDialogThere();
    EXPECT_TRUE(run_.MessageBoxes(kAcceleratorMessage).empty());
}

TEST_F(Activation, WindowsKeyLetterPopsTheMenu) {
    run_.settings.shortcutType = vt::ShortcutType::WindowsKey;
    run_.settings.windowsKey = "Z";
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    ASSERT_NE(PressChordForMenu(run_, {VK_LWIN}, 'Z'), nullptr);
    PickBetaAndExpectDialogThere();
}

TEST_F(Activation, TakenHotKeyIsReportedOnceAndTheTrayIconStandsIn) {
    // Another program holds the combination already.
    ASSERT_TRUE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F10));
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_F10));
    struct Release {
        ~Release() { UnregisterHotKey(nullptr, 1); }
    } release;

    const size_t iconsBefore = test::TrayIconWindows().size();
    run_.settings.shortcutType = vt::ShortcutType::HotKey;
    run_.settings.normalHotKeyVirtualKey = VK_F10;
    run_.settings.normalHotKeyModifier = kCtrl | kAlt;
    run_.settings.showTray = false;
    ASSERT_TRUE(run_.Launch());

    std::vector<HWND> boxes;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            boxes = run_.MessageBoxes(kAcceleratorMessage);
            return !boxes.empty();
        },
        20000));
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(test::TextOf(boxes[0]), "Vantrel");
    PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_.WaitReady());
    // The tray icon is there although "Show Tray" is off.
    EXPECT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == iconsBefore + 1; }));

    // The tray icon works as the way in; no second message on the way.
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_LBUTTONUP);
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_TRUE(run_.MessageBoxes(kAcceleratorMessage).empty());
    EXPECT_EQ(run_.StoredShowTray(), 0u);
}

TEST_F(Activation, TrayButtonReleasesPopTheMenuWithoutATarget) {
    run_.settings.showTray = true;
    const size_t iconsBefore = test::TrayIconWindows().size();
    ASSERT_TRUE(run_.Start());
    EXPECT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == iconsBefore + 1; }));
    OpenDialogInFront();
    const std::string before = navtest::FileDialogFolder(dialog_.Window());

    // Other mouse messages do nothing; the right button's release pops the
    // menu, which is then dismissed.
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_MOUSEMOVE);
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_RBUTTONDOWN);
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_RBUTTONUP);
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());

    // A folder chosen from the tray menu goes to the shell, not to the dialog
    // that was in front, even after a menu over the dialog was dismissed.
    DialogInFrontAgain();
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_LBUTTONUP);
    ASSERT_TRUE(run_.WaitForMenu());
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(run_.WaitForMenuGone());
    HWND opened = nullptr;
    EXPECT_TRUE(
        test::WaitUntil([&] { return (opened = ExplorerWindowTitled("Beta")) != nullptr; }, 30000));
    if (opened) PostMessageA(opened, WM_CLOSE, 0, 0);
    EXPECT_EQ(navtest::FileDialogFolder(dialog_.Window()), before);
}

TEST_F(Activation, WheelOverTheFileDialogPopsTheMenuButNotOverExplorer) {
    run_.settings.activateOnMouseWheel = true;
    ASSERT_TRUE(run_.Start());

    // Explorer windows are not accepted for the wheel.
    test::ChildProcess explorer;
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_TRUE(explorer.Start(std::string(windows) + "\\explorer.exe", "\"" + alpha_ + "\""));
    HWND explorerWindow = test::WaitForTopWindow(explorer.Pid(), "ExplorerWClass", 30000);
    ASSERT_TRUE(explorerWindow);
    ASSERT_TRUE(BringToFront(explorerWindow));
    MoveMouse(CentreOf(explorerWindow));
    TurnWheel(-1);
    EXPECT_FALSE(test::WaitUntil([&] { return run_.MenuShown(); }, kNothingHappensMs));
    PostMessageA(explorerWindow, WM_CLOSE, 0, 0);

    // The same turn over a file dialog does.
    OpenDialogInFront();
    TurnWheel(-1);
    PickBetaAndExpectDialogThere();
}

TEST_F(Activation, WheelDoesNothingWhenTheSettingIsOff) {
    run_.settings.activateOnMouseWheel = false;
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    TurnWheel(-1);
    // The dialog took the turn (and the hook in it told Vantrel) before the
    // letter; from then on Vantrel's idle thread has the time below.
    ASSERT_TRUE(RetrievedEarlierInput(NameBox()))
        << (run_.MenuShown() ? "a menu of Vantrel took the keys" : "no menu is open");
    EXPECT_FALSE(test::WaitUntil([&] { return run_.MenuShown(); }, kNothingHappensMs));
    // Vantrel is alive and the dialog untouched: /pop still works.
    ASSERT_TRUE(run_.Forward("/pop"));
    PickBetaAndExpectDialogThere();
}

// "Exit" from the menu and a forwarded "/quit" end the program the same way.
class Teardown : public Activation, public ::testing::WithParamInterface<bool> {};

TEST_P(Teardown, EndsTheProgramAndReleasesTrayHotKeyAndHook) {
    const bool viaMenu = GetParam();
    run_.settings.showTray = true;
    run_.settings.shortcutType = vt::ShortcutType::HotKey;
    run_.settings.normalHotKeyVirtualKey = VK_F11;
    run_.settings.normalHotKeyModifier = kCtrl | kAlt;
    run_.settings.activateOnRButtonDown = true;
    const size_t iconsBefore = test::TrayIconWindows().size();
    ASSERT_TRUE(run_.Start());
    ASSERT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == iconsBefore + 1; }));
    EXPECT_FALSE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F11));
    HookRecord hook = ReadHookRecord();
    EXPECT_EQ(hook.target, HandleToLong(run_.Window()));
    EXPECT_NE(hook.hook, 0);

    if (viaMenu) {
        OpenDialogInFront();
        ASSERT_TRUE(run_.Forward("/pop"));
        ASSERT_TRUE(run_.WaitForMenu());
        PressKey(VK_UP);  // from no selection to the last item, "Exit"
        PressKey(VK_RETURN);
    } else {
        ASSERT_TRUE(run_.Forward("/quit"));
    }
    ASSERT_TRUE(run_.Process().WaitForExit(15000));
    EXPECT_EQ(run_.Process().ExitCode(), 0u);
    EXPECT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == iconsBefore; }));
    EXPECT_TRUE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F11));
    hook = ReadHookRecord();
    EXPECT_EQ(hook.target, 0);
    EXPECT_EQ(hook.hook, 0);
    EXPECT_EQ(PublishedWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(ExitAndQuit, Teardown, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "ExitItem" : "Quit"; });

}  // namespace
