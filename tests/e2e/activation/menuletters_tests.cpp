// The folder menu with the keyboard and with a title far too long for it, as
// a user meets them: the real Vantrel.exe pops its menu over a file dialog of
// another process, keys are typed into the system.
#include <gtest/gtest.h>

#include "support/navtest.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

// How long a menu that should stay open gets to close anyway.
const DWORD kStaysOpenMs = 1000;

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class MenuKeys : public ::testing::Test {
protected:
    void StartOverDialog() {
        ASSERT_TRUE(run_.Start());
        ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
        ASSERT_TRUE(run_.Forward("/pop"));
        ASSERT_TRUE(run_.WaitForMenu());
    }

    void ExpectDialogIn(const std::string& folder) {
        const std::string want = LongLower(folder);
        EXPECT_TRUE(test::WaitUntil([&] {
            return LongLower(navtest::FileDialogFolder(dialog_.Window())) == want;
        })) << navtest::FileDialogFolder(dialog_.Window());
    }

    test::ScratchDir dir_{"e2eletters"};
    VantrelRun run_;
    navtest::Fixture dialog_;
};

TEST_F(MenuKeys, ALetterOfOneTitleChoosesItAtOnce) {
    const std::string music = dir_.MakeDir("Music"), projects = dir_.MakeDir("Projects");
    run_.folders[0] = {music, "Music", "", -1};
    run_.folders[1] = {projects, "Projects", "", -1};
    StartOverDialog();
    if (HasFatalFailure()) return;
    PressKey('P');
    ASSERT_TRUE(run_.WaitForMenuGone(5000)) << "one match must be chosen without Enter";
    ExpectDialogIn(projects);
}

TEST_F(MenuKeys, ALetterOfTwoTitlesSelectsThemInTurnAndEnterPicks) {
    const std::string pictures = dir_.MakeDir("Pictures"), music = dir_.MakeDir("Music"),
                      projects = dir_.MakeDir("Projects");
    run_.folders[0] = {pictures, "Pictures", "", -1};
    run_.folders[1] = {music, "Music", "", -1};
    run_.folders[2] = {projects, "Projects", "", -1};
    StartOverDialog();
    if (HasFatalFailure()) return;
    PressKey('P');
    EXPECT_FALSE(run_.WaitForMenuGone(kStaysOpenMs)) << "two matches: the first is only selected";
    PressKey('P');
    PressKey(VK_RETURN);
    ASSERT_TRUE(run_.WaitForMenuGone());
    // The first "p" selected Pictures, the second moved on to Projects.
    ExpectDialogIn(projects);
}

TEST_F(MenuKeys, AVeryLongTitleLeavesTheMenuAThirdOfTheScreenWide) {
    const std::string beta = dir_.MakeDir("Beta");
    run_.folders[0] = {dir_.MakeDir("Long"), "Projects\\" + std::string(3000, 'x') + "\\Reports",
                       "", -1};
    run_.folders[1] = {beta, "Beta", "", -1};
    StartOverDialog();
    if (HasFatalFailure()) return;
    HWND menu = run_.WaitForMenu();
    ASSERT_TRUE(menu);
    RECT r = {};
    ASSERT_TRUE(GetWindowRect(menu, &r));
    MONITORINFO mi = {};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoA(MonitorFromWindow(menu, MONITOR_DEFAULTTONEAREST), &mi));
    const LONG third = (mi.rcWork.right - mi.rcWork.left) / 3;
    // Beyond the text: the picture column, the text's margins and the frame.
    const LONG allowance = 100;
    EXPECT_LE(r.right - r.left, third + allowance) << "work area " << third * 3;
    // The cut keeps as much of the title as fits, not a stub of it.
    EXPECT_GE(r.right - r.left, third) << "work area " << third * 3;
    // The menu still works: the second item is Beta.
    PickSecondItem(run_);
    ExpectDialogIn(beta);
}

}  // namespace
