// A target that takes its time is not a hung one: a file dialog whose OK
// takes seconds (a folder of many files) must get the whole sequence, and one
// that never answers must not take Vantrel down with it.
#include <gtest/gtest.h>

#include "support/session.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The file name box of the imitated dialog: the edit inside the combo box
// inside the "DirectUIHWND" host.
HWND FileNameBox(HWND dialog) {
    HWND host = FindWindowExA(dialog, nullptr, "DirectUIHWND", nullptr);
    HWND combo = host ? FindWindowExA(host, nullptr, "ComboBox", nullptr) : nullptr;
    return combo ? GetWindow(combo, GW_CHILD) : nullptr;
}

// Whether the box was last told to redraw, as its log says (an edit control
// keeps that flag to itself).
bool Redraws(const navtest::Fixture& fx) {
    const std::string log = fx.Log();
    const size_t last = log.rfind("box WM_SETREDRAW ");
    return last == std::string::npos || log.compare(last, 18, "box WM_SETREDRAW 1") == 0;
}

class SlowTarget : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    // The imitated dialog in front with text typed in its file name box, the
    // menu popped over it and Beta chosen.
    void ChooseBetaIn(const std::string& dialogArgs) {
        ASSERT_TRUE(run_.Start());
        ASSERT_TRUE(dialog_.Start("newest", dialogArgs, "VtNavFixtureDialog"));
        ASSERT_TRUE(dialog_.WaitForLog("ready"));
        box_ = FileNameBox(dialog_.Window());
        ASSERT_TRUE(box_);
        SendMessageA(box_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed name"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        MoveMouse(CentreOf(dialog_.Window()));
        PopAndPickSecondItem(run_);
        if (HasFatalFailure()) return;
        ASSERT_TRUE(dialog_.WaitForLog("dialog OK " + beta_)) << dialog_.Log();
        ASSERT_TRUE(dialog_.WaitForLog("dialog OK stalls"));
    }

    test::ScratchDir dir_{"e2eslow"};
    std::string alpha_, beta_;
    VantrelRun run_;
    navtest::Fixture dialog_;
    HWND box_ = nullptr;
};

TEST_F(SlowTarget, OkTakingFiveSecondsStillGetsTheTypedTextBackAndRedrawingOn) {
    ChooseBetaIn("slowok 5000");
    // While the dialog works, the box has the path and does not redraw.
    EXPECT_FALSE(Redraws(dialog_));
    ASSERT_TRUE(dialog_.WaitForLog("dialog OK done", 15000));
    EXPECT_TRUE(test::WaitUntil(
        [&] { return navtest::Text(box_) == "typed name" && Redraws(dialog_); }, 10000))
        << "text \"" << navtest::Text(box_) << "\"\n"
        << dialog_.Log();
    EXPECT_TRUE(dialog_.WaitForLog("box EM_SETSEL 0 ffffffffffffffff")) << dialog_.Log();
    const auto sel = navtest::Selection(box_);
    EXPECT_EQ(sel.first, 0);
    EXPECT_EQ(sel.second, 10);
}

TEST_F(SlowTarget, DialogThatNeverAnswersLeavesVantrelResponsive) {
    ChooseBetaIn("slowok never");
    // The dialog is stuck inside the OK click. A pop request now gets its
    // menu as always.
    const DWORD asked = GetTickCount();
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_TRUE(run_.WaitForMenu(5000)) << "no menu within 5 s";
    EXPECT_LT(GetTickCount() - asked, 5000u);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    // And Vantrel still ends when asked to.
    ASSERT_TRUE(run_.Forward("/quit"));
    EXPECT_TRUE(run_.Process().WaitForExit(10000));
}

}  // namespace
