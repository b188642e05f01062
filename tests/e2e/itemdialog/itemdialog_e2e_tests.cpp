// The real program over the item dialog imitations: Vantrel.exe in its own
// process, the dialog in another, the folder menu popped by a second start
// and its item picked with injected key presses.
#include <gtest/gtest.h>

#include "navigation/itemdialog.h"
#include "navigation/recognise.h"
#include "support/navtest.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const char kElevatedMessage[] =
    "The window in front runs as administrator, so Vantrel cannot reach it. "
    "Start Vantrel as administrator to use it there.";
// A "must not appear" check gives the pick time to arrive; it follows the
// positive case of the same pick in the other tests.
const DWORD kNothingHappensMs = 1500;

class ItemDialogPick : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {beta_, "Beta", "", -1};
    }

    // The dialog of the given form in Alpha, in front, with the name typed.
    void DialogInFront(const std::string& form, const std::string& name) {
        dialog_.program = "itemdialog.exe";
        ASSERT_TRUE(dialog_.Start(form, "\"" + alpha_ + "\" name " + name, "#32770"));
        ASSERT_TRUE(dialog_.WaitForLog("ready"));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
    }

    std::string Shown() const {
        vt::CWnd crumb =
            vt::nav::FindDescendantByClass(vt::CWnd(dialog_.Window()), "Breadcrumb Parent");
        return navtest::Text(
            vt::nav::FindDescendantByClass(crumb, "ToolbarWindow32").GetSafeHwnd());
    }
    std::string NameBoxText() const {
        return navtest::Text(
            vt::nav::LocateItemDialog(vt::CWnd(dialog_.Window())).fileNameBox.GetSafeHwnd());
    }
    bool Logged(const std::string& text) const {
        return dialog_.Log().find(text) != std::string::npos;
    }

    // Pops the menu with a second start and picks "Beta" (Down, Down, Return).
    void PickBeta() { PopAndPickSecondItem(run_); }

    test::ScratchDir dir_{"e2eitem"};
    std::string alpha_, beta_;
    VantrelRun run_;
    navtest::Fixture dialog_;
};

}  // namespace

TEST_F(ItemDialogPick, OpenGoesToThePickedFolderAndKeepsTheTypedName) {
    ASSERT_TRUE(run_.Start());
    DialogInFront("open", "report.docx");
    PickBeta();
    EXPECT_TRUE(test::WaitUntil([&] {
        return LongLower(Shown()) == LongLower("Address: " + beta_);
    })) << Shown();
    EXPECT_TRUE(test::WaitUntil([&] { return NameBoxText() == "report.docx"; })) << NameBoxText();
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == dialog_.Window(); }))
        << Describe(GetForegroundWindow());
    EXPECT_FALSE(Logged("CHOSEN")) << dialog_.Log();
}

TEST_F(ItemDialogPick, SaveGoesToThePickedFolderAndSavesNothing) {
    ASSERT_TRUE(run_.Start());
    DialogInFront("save", "report.docx");
    PickBeta();
    EXPECT_TRUE(test::WaitUntil([&] {
        return LongLower(Shown()) == LongLower("Address: " + beta_);
    })) << Shown()
        << "\n"
        << dialog_.Log();
    EXPECT_TRUE(test::WaitUntil([&] { return NameBoxText() == "report.docx"; })) << NameBoxText();
    EXPECT_TRUE(Logged("NAMEBOX RENEWED"));
    EXPECT_FALSE(Logged("CHOSEN")) << dialog_.Log();
    EXPECT_TRUE(dialog_.Process().Running());
}

TEST_F(ItemDialogPick, FolderPickerChoosesThePickedFolder) {
    ASSERT_TRUE(run_.Start());
    DialogInFront("folder", "Alpha");
    PickBeta();
    ASSERT_TRUE(dialog_.WaitForLog("PICKED")) << dialog_.Log();
    EXPECT_TRUE(Logged("PICKED " + beta_ + "\n")) << dialog_.Log();
    EXPECT_TRUE(dialog_.Process().WaitForExit());
}

TEST_F(ItemDialogPick, AnElevatedDialogIsToldOnceAndLeftAlone) {
    // Every Wine process holds an elevated token; Vantrel gets the limited one
    // linked to it, as a program not run as administrator has.
    run_.limitedRights = true;
    ASSERT_TRUE(run_.Start());
    DialogInFront("save", "report.docx");
    PickBeta();
    std::vector<HWND> boxes;
    ASSERT_TRUE(test::WaitUntil([&] {
        return !(boxes = run_.MessageBoxes(kElevatedMessage)).empty();
    })) << "no message";
    // Said once: no second box comes, and nothing reached the dialog.
    EXPECT_FALSE(test::WaitUntil([&] { return run_.MessageBoxes(kElevatedMessage).size() > 1; },
                                 kNothingHappensMs));
    EXPECT_EQ(run_.MessageBoxes(kElevatedMessage).size(), 1u);
    EXPECT_EQ(LongLower(Shown()), LongLower("Address: " + alpha_));
    EXPECT_EQ(NameBoxText(), "report.docx");
    EXPECT_FALSE(Logged("ALT+D")) << dialog_.Log();
    EXPECT_FALSE(Logged("FOLDER")) << dialog_.Log();
    EXPECT_EQ(ExplorerWindowTitled("Beta"), nullptr) << "the shell opened the folder";
    for (HWND box : run_.MessageBoxes(kElevatedMessage)) PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return run_.MessageBoxes(kElevatedMessage).empty(); }));
}
