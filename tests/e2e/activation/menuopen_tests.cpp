// Activations that arrive while the folder menu is already open: a launcher
// clicked twice, a hot key pressed twice or held, a tray click. The open menu
// must stay, painted and usable, and the pick must still drive the window
// that was in front when it opened.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "support/session.h"
#include "framework/gdi.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const UINT kTrayCallback = WM_USER + 100;
const UINT kPopMenuCommand = 32777;

// How long a menu that no open menu's loop can be seen to precede, or a
// folder opened by the shell (in a process of its own), gets to appear
// anyway: a forwarded command reaches Vantrel within a fraction of this.
const DWORD kNothingHappensMs = 1500;

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The colours the window shows on the screen. A menu whose items were never
// drawn is one flat box.
size_t ColoursOnScreen(HWND w) {
    RECT r;
    if (!GetWindowRect(w, &r)) return 0;
    const int cx = r.right - r.left, cy = r.bottom - r.top;
    if (cx <= 0 || cy <= 0) return 0;
    BITMAPINFO bi = vt::TopDown32BitInfo(cx, cy);
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    DWORD* bits = nullptr;
    HBITMAP bmp =
        CreateDIBSection(mem, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, cx, cy, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::set<DWORD> colours;
    if (bits)
        for (int i = 0; i < cx * cy; ++i) colours.insert(bits[i] & 0xFFFFFF);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return colours.size();
}

class MenuOpen : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    void TearDown() override {
        // A folder the shell opened by mistake must not outlive the test (its
        // process would keep the test's output open); after a failure it may
        // still be on its way.
        test::WaitUntil(
            [] {
                for (const char* title : {"Alpha", "Beta"})
                    if (HWND w = ExplorerWindowTitled(title)) PostMessageA(w, WM_CLOSE, 0, 0);
                return false;
            },
            HasFailure() ? 10000 : 0);
    }

    void OpenDialogInFront() {
        ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
    }

    // n second starts with "/pop" at the same moment; returns when all ended.
    void PopTogether(int n) {
        std::vector<std::unique_ptr<test::ChildProcess>> starts;
        for (int i = 0; i < n; ++i) {
            starts.push_back(std::make_unique<test::ChildProcess>());
            ASSERT_TRUE(starts.back()->Start(test::BinPath("Vantrel.exe"), "/pop", test::BinDir()));
        }
        for (auto& s : starts) ASSERT_TRUE(s->WaitForExit(20000));
    }

    // Exactly one menu stays open, and it shows its items; returns it.
    HWND ExpectOnePaintedMenu() {
        HWND menu = run_.WaitForMenu();
        EXPECT_TRUE(menu) << "no menu";
        if (!menu) return nullptr;
        // Every request made so far was posted before these keys: once the
        // menu has taken them, a second menu would be open already.
        EXPECT_TRUE(MenuTookInput(menu));
        EXPECT_EQ(VisibleMenus(run_.Pid()).size(), 1u);
        size_t colours = 0;
        EXPECT_TRUE(test::WaitUntil([&] { return (colours = ColoursOnScreen(menu)) > 2; }, 5000))
            << "the menu shows " << colours << " colour(s)";
        return menu;
    }

    // Down, Down, Return: the dialog goes to Beta and no Explorer window
    // opens it instead.
    void PickBetaAndExpectOnlyTheDialogThere() {
        PickSecondItemAndExpectDialogIn(run_, dialog_.Window(), beta_);
        HWND opened = nullptr;
        EXPECT_FALSE(test::WaitUntil(
            [&] { return (opened = ExplorerWindowTitled("Beta")) != nullptr; }, kNothingHappensMs))
            << "the shell opened the folder";
        if (opened) PostMessageA(opened, WM_CLOSE, 0, 0);
    }

    test::ScratchDir dir_{"e2eopen"};
    std::string alpha_, beta_;
    VantrelRun run_;
    navtest::Fixture dialog_;
};

TEST_F(MenuOpen, TwoPopsStartedTogetherGiveOnePaintedMenuThatDrivesTheDialog) {
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    PopTogether(2);
    ASSERT_TRUE(ExpectOnePaintedMenu());
    PickBetaAndExpectOnlyTheDialogThere();
}

TEST_F(MenuOpen, FivePopsInABurstGiveOnePaintedMenuThatDrivesTheDialog) {
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    PopTogether(5);
    ASSERT_TRUE(ExpectOnePaintedMenu());
    PickBetaAndExpectOnlyTheDialogThere();
}

TEST_F(MenuOpen, HotKeyTwiceQuicklyAndAgainWhileOpenKeepsOneMenu) {
    // The product's own kind of shortcut: the Windows key with a letter.
    run_.settings.shortcutType = vt::ShortcutType::WindowsKey;
    run_.settings.windowsKey = "Z";
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    // Two presses in one burst of input, well within 50 ms.
    PressChords({{{VK_LWIN}, 'Z'}, {{VK_LWIN}, 'Z'}});
    HWND menu = ExpectOnePaintedMenu();
    ASSERT_TRUE(menu);
    // Once more while the menu is open.
    PressChord({VK_LWIN}, 'Z');
    EXPECT_EQ(ExpectOnePaintedMenu(), menu);
    PickBetaAndExpectOnlyTheDialogThere();
}

TEST_F(MenuOpen, TrayClickWhileOpenKeepsTheMenuAndItsTarget) {
    run_.settings.showTray = true;
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    ASSERT_TRUE(run_.Forward("/pop"));
    HWND menu = ExpectOnePaintedMenu();
    ASSERT_TRUE(menu);
    // What the notification area sends for a left click on the icon.
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_LBUTTONDOWN);
    PostMessageA(run_.Window(), kTrayCallback, 128, WM_LBUTTONUP);
    EXPECT_EQ(ExpectOnePaintedMenu(), menu);
    PickBetaAndExpectOnlyTheDialogThere();
}

TEST_F(MenuOpen, ActivationAfterTheMenuClosedStillCounts) {
    // Nothing is kept for later: the pops ignored while the menu was open do
    // not come back once it is closed, while a new one works.
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();
    PopTogether(3);
    ASSERT_TRUE(ExpectOnePaintedMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_FALSE(test::WaitUntil([&] { return run_.MenuShown(); }, kNothingHappensMs));
    ASSERT_TRUE(BringToFront(dialog_.Window()));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(ExpectOnePaintedMenu());
    PickBetaAndExpectOnlyTheDialogThere();
}

TEST_F(MenuOpen, PopWhileAMessageBoxIsOpenBringsTheBoxToTheFront) {
    // Vantrel tells the user about a hot key it cannot have with a message
    // box; a pop request meanwhile must not put a menu over it.
    ASSERT_TRUE(vt::test::HotKeyIsFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F10));
    struct Release {
        ~Release() { UnregisterHotKey(nullptr, 1); }
    } release;
    run_.settings.shortcutType = vt::ShortcutType::HotKey;
    run_.settings.normalHotKeyVirtualKey = VK_F10;
    run_.settings.normalHotKeyModifier = 2 | 1;  // Control, Shift
    ASSERT_TRUE(run_.Launch());
    std::vector<HWND> boxes;
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            boxes = run_.MessageBoxes("keyboard accelerator");
            return !boxes.empty();
        },
        20000));
    // The main window exists already; it is published once the box is gone.
    HWND main = nullptr;
    for (HWND w : test::TopWindowsOfProcess(run_.Pid()))
        if (test::TextOf(w) == "Vantrel" && !IsWindowVisible(w)) main = w;
    ASSERT_TRUE(main);

    OpenDialogInFront();
    PostMessageA(main, WM_COMMAND, kPopMenuCommand, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == boxes[0]; }, 5000))
        << Describe(GetForegroundWindow());
    EXPECT_FALSE(test::WaitUntil([&] { return run_.MenuShown(); }, kNothingHappensMs));

    PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(run_.WaitReady());
    ASSERT_TRUE(BringToFront(dialog_.Window()));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(ExpectOnePaintedMenu());
    PickBetaAndExpectOnlyTheDialogThere();
}

}  // namespace
