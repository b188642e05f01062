// Which folders the menu lists, with a folder whose existence check does
// not answer: VantrelSlowFolder.exe is the program with the check of one
// folder made to take 30 s (as a server that is off takes on Windows). The
// menu must come at once with every other folder as it is, show the slow
// one (never known: shown), and a pick of it must still navigate.
#include <gtest/gtest.h>

#include "support/navtest.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

// Far below the 30 s of the slow check, far above the menu's bound of a few
// hundred milliseconds plus a second start of the program on a loaded machine.
const DWORD kMenuWithinMs = 6000;

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class FolderChecks : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        slow_ = dir_.MakeDir("Slow");
        beta_ = dir_.MakeDir("Beta");
    }
    void TearDown() override { SetEnvironmentVariableA("VT_TEST_SLOW_FOLDER", nullptr); }

    void OpenDialogInFront() {
        ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
    }

    // Pops the menu with a second start; how long until it was visible.
    DWORD PopMs() {
        const DWORD t0 = GetTickCount();
        if (!run_.Forward("/pop") || !run_.WaitForMenu(40000)) return INFINITE;
        return GetTickCount() - t0;
    }

    // Picks the item at position (1-based) with the keyboard and expects the
    // dialog in folder, in front again.
    void PickAndExpectDialogIn(int position, const std::string& folder) {
        for (int i = 0; i < position; ++i) PressKey(VK_DOWN);
        PressKey(VK_RETURN);
        ASSERT_TRUE(run_.WaitForMenuGone());
        const std::string want = LongLower(folder);
        EXPECT_TRUE(test::WaitUntil([&] {
            return LongLower(navtest::FileDialogFolder(dialog_.Window())) == want;
        })) << navtest::FileDialogFolder(dialog_.Window());
        ASSERT_TRUE(BringToFront(dialog_.Window()));
    }

    test::ScratchDir dir_{"e2echecks"};
    std::string alpha_, slow_, beta_;
    VantrelRun run_;
    navtest::Fixture dialog_;
};

TEST_F(FolderChecks, ASlowFolderNeitherHoldsTheMenuNorHidesItAndItsPickNavigates) {
    run_.program = "VantrelSlowFolder.exe";
    ASSERT_TRUE(SetEnvironmentVariableA("VT_TEST_SLOW_FOLDER", slow_.c_str()));
    run_.folders[0] = {alpha_, "Alpha", "", -1};
    run_.folders[1] = {slow_, "Slow", "", -1};
    run_.folders[2] = {dir_.Path() + "\\Gone", "Gone", "", -1};
    run_.folders[3] = {beta_, "Beta", "", -1};
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();

    // Alpha, Slow, Beta: the missing folder is left out although the slow
    // check has not answered; the third item is Beta.
    const DWORD first = PopMs();
    ASSERT_NE(first, INFINITE) << "no menu";
    EXPECT_LT(first, kMenuWithinMs);
    PickAndExpectDialogIn(3, beta_);

    // Again while the first check of the slow folder still hangs: it is not
    // waited for a second time, and its item navigates.
    const DWORD second = PopMs();
    ASSERT_NE(second, INFINITE) << "no menu";
    EXPECT_LT(second, kMenuWithinMs);
    PickAndExpectDialogIn(2, slow_);
}

TEST_F(FolderChecks, AFolderThatVanishesLeavesTheNextMenu) {
    const std::string doomed = dir_.MakeDir("Doomed");
    run_.folders[0] = {alpha_, "Alpha", "", -1};
    run_.folders[1] = {doomed, "Doomed", "", -1};
    run_.folders[2] = {beta_, "Beta", "", -1};
    ASSERT_TRUE(run_.Start());
    OpenDialogInFront();

    // Shown while it exists: the second item goes there.
    ASSERT_NE(PopMs(), INFINITE);
    PickAndExpectDialogIn(2, doomed);

    // The dialog leaves it (a dialog showing a folder keeps it open), then
    // it goes: the second item is Beta now.
    ASSERT_NE(PopMs(), INFINITE);
    PickAndExpectDialogIn(1, alpha_);
    ASSERT_TRUE(test::WaitUntil([&] { return RemoveDirectoryA(doomed.c_str()) != FALSE; }));
    ASSERT_NE(PopMs(), INFINITE);
    PickAndExpectDialogIn(2, beta_);
}

}  // namespace
