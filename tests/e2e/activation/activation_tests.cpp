// Every way of popping the folder menu, with the real program: Vantrel.exe and
// VTHook.dll in their own process, a Wine file dialog in another, input
// injected into the system as the keyboard and the mouse would deliver it.
#include <gtest/gtest.h>

#include "e2e/activation/session.h"
#include "unit/navigation/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string LongLower(const std::string& path) {
    char buf[MAX_PATH];
    DWORD n = GetLongPathNameA(path.c_str(), buf, MAX_PATH);
    return navtest::Lower(n && n < MAX_PATH ? std::string(buf, n) : path);
}

std::string Describe(HWND w) {
    if (!w) return "no window";
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return test::ClassNameOf(w) + " \"" + test::TextOf(w) + "\" of process " + std::to_string(pid);
}

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
        PressKey(VK_DOWN);
        PressKey(VK_DOWN);
        PressKey(VK_RETURN);
        ASSERT_TRUE(run_.WaitForMenuGone());
        const std::string want = LongLower(beta_);
        EXPECT_TRUE(test::WaitUntil(
            [&] { return LongLower(navtest::FileDialogFolder(dialog_.Window())) == want; }))
            << navtest::FileDialogFolder(dialog_.Window());
        EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == dialog_.Window(); }))
            << Describe(GetForegroundWindow());
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
    EXPECT_EQ(GetForegroundWindow(), dialog_.Window()) << Describe(GetForegroundWindow());
}

}  // namespace
