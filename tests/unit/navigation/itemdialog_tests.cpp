// NavigateTo against the item dialogs of current Windows (Open, Save, folder
// picker), each imitated from its published window tree by the itemdialog
// fixture in a process of its own, with and without the hidden list box 1120.
#include <windows.h>

#include <memory>

#include <gtest/gtest.h>

#include "navigation/elevation.h"
#include "navigation/itemdialog.h"
#include "navigation/recognise.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

struct Folders {
    ScratchDir dir{"navitem"};
    std::string a = dir.MakeDir("alpha");
    std::string b = dir.MakeDir("beta");
    std::string file = dir.MakeFile("alpha\\chosen.txt", "x");
};

// One of the fixture's forms ("open", "save", "folder") in front, started in a.
struct ItemDialog {
    Fixture fx;
    bool Start(const std::string& form, const std::string& folder, const std::string& more = "") {
        fx.program = "itemdialog.exe";
        return fx.Start(form, "\"" + folder + "\" " + more, "#32770") &&
               fx.WaitForLog("ready " + form);
    }
    HWND Window() const { return fx.Window(); }
    // What the breadcrumb says: "Address: <folder shown>".
    std::string Shown() const {
        CWnd crumb = FindDescendantByClass(CWnd(Window()), "Breadcrumb Parent");
        return Text(FindDescendantByClass(crumb, "ToolbarWindow32").GetSafeHwnd());
    }
    bool WaitShowing(const std::string& folder) const {
        return WaitUntil([&] { return Lower(Shown()) == Lower("Address: " + folder); });
    }
    HWND NameBox() const { return LocateItemDialog(CWnd(Window())).fileNameBox.GetSafeHwnd(); }
    bool Logged(const std::string& text) const { return fx.Log().find(text) != std::string::npos; }
    size_t Count(const std::string& text) const {
        size_t n = 0;
        for (const auto& l : fx.LogLines()) n += l.find(text) != std::string::npos;
        return n;
    }
};

class ItemDialogForms : public ::testing::TestWithParam<bool> {
protected:
    std::string ListBox() const { return GetParam() ? "listbox" : ""; }
};

}  // namespace

TEST_P(ItemDialogForms, EachFormIsRecognisedByItsOwnStructure) {
    Folders f;
    const struct {
        const char* form;
        ItemDialogForm want;
        int boxId;
    } cases[] = {{"open", ItemDialogForm::Open, 1148},
                 {"save", ItemDialogForm::Save, 1001},
                 {"folder", ItemDialogForm::FolderPicker, 1148}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.form);
        ItemDialog d;
        ASSERT_TRUE(d.Start(c.form, f.a, ListBox()));
        EXPECT_EQ(GetDlgItem(d.Window(), 1120) != nullptr, GetParam());
        const ItemDialogControls ctl = LocateItemDialog(CWnd(d.Window()));
        ASSERT_TRUE(ctl.found);
        EXPECT_EQ(ctl.form, c.want);
        EXPECT_EQ(ctl.fileNameBox.GetClassName(), "Edit");
        EXPECT_EQ(ctl.fileNameBox.GetDlgCtrlID(), c.boxId);
        EXPECT_EQ(ctl.okButton.GetDlgCtrlID(), IDOK);
        EXPECT_EQ(ctl.addressBand.GetClassName(), "Address Band Root");
        // The mouse gestures take it for a file dialog too.
        EXPECT_TRUE(IsFileDialog(CWnd(d.Window())));
        EXPECT_FALSE(IsBrowseForFolderDialog(CWnd(d.Window())));
        EXPECT_EQ(d.Shown(), "Address: " + f.a);
    }
}

TEST_P(ItemDialogForms, OpenGoesToTheFolderAndKeepsTheTypedName) {
    Folders f;
    ItemDialog d;
    ASSERT_TRUE(d.Start("open", f.a, ListBox()));
    SendMessageW(d.NameBox(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"report.docx"));
    FakeWorld world;
    Navigate(d.Window(), f.b, world);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(d.WaitShowing(f.b)) << d.Shown();
    EXPECT_EQ(Text(d.NameBox()), "report.docx");
    EXPECT_EQ(Selection(d.NameBox()), std::make_pair(0, 11));
    EXPECT_FALSE(d.Logged("CHOSEN")) << d.fx.Log();
    EXPECT_FALSE(d.Logged("ALT+D")) << "the name box route needs no address band";

    // A file entry is chosen, as in every Open dialog.
    Navigate(d.Window(), f.file, world);
    ASSERT_TRUE(d.fx.WaitForLog("CHOSEN"));
    EXPECT_TRUE(d.Logged("CHOSEN " + f.file)) << d.fx.Log();
    EXPECT_TRUE(d.fx.Process().WaitForExit());
    EXPECT_TRUE(world.shellCalls.empty());
}

TEST_P(ItemDialogForms, SaveGoesThroughTheAddressBandAndFindsItsNewNameBox) {
    Folders f;
    ItemDialog d;
    ASSERT_TRUE(d.Start("save", f.a, ListBox() + " name report.docx"));
    const HWND firstBox = d.NameBox();
    ASSERT_EQ(Text(firstBox), "report.docx");
    FakeWorld world;
    Navigate(d.Window(), f.b, world);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(d.WaitShowing(f.b)) << d.Shown() << "\n" << d.fx.Log();
    EXPECT_TRUE(d.Logged("ADDRESS CREATED")) << d.fx.Log();
    EXPECT_TRUE(d.Logged("NAMEBOX RENEWED"));
    EXPECT_FALSE(IsWindow(firstBox)) << "the box of the first folder is gone";
    ASSERT_TRUE(d.NameBox());
    EXPECT_EQ(Text(d.NameBox()), "report.docx");
    EXPECT_EQ(Selection(d.NameBox()), std::make_pair(0, 11));
    EXPECT_FALSE(d.Logged("CHOSEN")) << "nothing is saved: " << d.fx.Log();
    EXPECT_TRUE(WaitUntil([&] { return d.Logged("ADDRESS HIDDEN"); }))
        << "the address edit hides once it loses the focus";

    // Again, with the address edit made already (and hidden meanwhile).
    Navigate(d.Window(), f.a, world);
    EXPECT_TRUE(d.WaitShowing(f.a)) << d.Shown();
    EXPECT_EQ(d.Count("ADDRESS CREATED"), 1u);
    EXPECT_EQ(d.Count("ADDRESS SHOWN"), 2u);
    EXPECT_EQ(Text(d.NameBox()), "report.docx");
    EXPECT_FALSE(d.Logged("CHOSEN"));
    EXPECT_TRUE(d.fx.Process().Running());
}

TEST_P(ItemDialogForms, FolderPickerChoosesTheFolderOrWithCtrlOnlyGoesThere) {
    Folders f;
    {
        ItemDialog d;
        ASSERT_TRUE(d.Start("folder", f.a, ListBox() + " name alpha"));
        FakeWorld world;
        world.ctrl = true;
        Navigate(d.Window(), f.b, world);
        EXPECT_TRUE(d.WaitShowing(f.b)) << d.Shown() << "\n" << d.fx.Log();
        EXPECT_EQ(Text(d.NameBox()), "alpha") << "the typed name is back";
        EXPECT_FALSE(d.Logged("PICKED")) << d.fx.Log();
        EXPECT_TRUE(d.fx.Process().Running());
        EXPECT_TRUE(world.shellCalls.empty());
    }
    {
        // A typed name would choose that folder instead: it is not what is chosen.
        ItemDialog d;
        ASSERT_TRUE(d.Start("folder", f.dir.Path(), ListBox() + " name alpha"));
        FakeWorld world;
        Navigate(d.Window(), f.b, world);
        ASSERT_TRUE(d.fx.WaitForLog("PICKED")) << d.fx.Log();
        EXPECT_TRUE(d.Logged("PICKED " + f.b)) << d.fx.Log();
        EXPECT_TRUE(d.fx.Process().WaitForExit());
        EXPECT_TRUE(world.shellCalls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(ListBox, ItemDialogForms, ::testing::Bool());

TEST(ItemDialogEntries, FilesAreNeverSavedOrPickedAndShiftLeavesItToTheShell) {
    Folders f;
    {
        // Save: the file's path is put in the box for the user to confirm.
        ItemDialog d;
        ASSERT_TRUE(d.Start("save", f.b, "name report.docx"));
        FakeWorld world;
        Navigate(d.Window(), f.file, world);
        EXPECT_EQ(Text(d.NameBox()), f.file);
        EXPECT_TRUE(world.shellCalls.empty());
        PumpMessages();
        EXPECT_FALSE(d.Logged("CHOSEN")) << d.fx.Log();
        EXPECT_FALSE(d.Logged("FOLDER"));
    }
    {
        // A folder picker takes no file: the shell opens it, as beside a folder browser.
        ItemDialog d;
        ASSERT_TRUE(d.Start("folder", f.a));
        FakeWorld world;
        Navigate(d.Window(), f.file, world);
        ASSERT_EQ(world.shellCalls.size(), 1u);
        EXPECT_EQ(world.shellCalls[0].path, f.file);
        EXPECT_FALSE(d.Logged("ALT+D"));
        EXPECT_FALSE(d.Logged("PICKED"));
    }
    {
        ItemDialog d;
        ASSERT_TRUE(d.Start("open", f.a, "name report.docx"));
        FakeWorld world;
        world.shift = true;
        Navigate(d.Window(), f.b, world);
        ASSERT_EQ(world.shellCalls.size(), 1u);
        EXPECT_EQ(world.shellCalls[0].path, f.b);
        EXPECT_EQ(d.Shown(), "Address: " + f.a);
        EXPECT_EQ(Text(d.NameBox()), "report.docx");
    }
}

TEST(ItemDialogStructure, OlderDialogsAreNotTakenForIt) {
    Folders f;
    Fixture wine;  // Wine's own Explorer-style Open dialog
    ASSERT_TRUE(wine.Start("open-explorer", "\"" + f.a + "\"", "#32770"));
    EXPECT_FALSE(LocateItemDialog(CWnd(wine.Window())).found);
    EXPECT_TRUE(IsFileDialog(CWnd(wine.Window())));
    Fixture hosted;  // a name box hosted in a DirectUIHWND, without the rest
    ASSERT_TRUE(hosted.Start("newest", "", "VtNavFixtureDialog"));
    ASSERT_TRUE(hosted.WaitForLog("ready"));
    EXPECT_FALSE(LocateItemDialog(CWnd(hosted.Window())).found);
    EXPECT_TRUE(IsFileDialog(CWnd(hosted.Window())));
}

namespace {

// Answers for the target's process and for this one as a test wants.
class StandInElevation : public CElevationCheck {
public:
    StandInElevation(Elevation target, Elevation self) : target_(target), self_(self) {}
    Elevation OfProcess(DWORD pid) const override {
        ++asked_;
        askedPid_ = pid;
        return target_;
    }
    Elevation OfThisProcess() const override { return self_; }
    mutable int asked_ = 0;
    mutable DWORD askedPid_ = 0;

private:
    Elevation target_, self_;
};

}  // namespace

TEST(ItemDialogElevated, AnElevatedTargetIsReportedOnceAndLeftAlone) {
    Folders f;
    ItemDialog d;
    ASSERT_TRUE(d.Start("save", f.a, "name report.docx"));
    FakeWorld world;
    NavigationServices s = world.Services();
    auto check = std::make_shared<StandInElevation>(Elevation::Elevated, Elevation::NotElevated);
    s.elevation = check;
    std::vector<NavigationProblem> told;
    s.reportProblem = [&](NavigationProblem p) { told.push_back(p); };

    NavigationRequest r;
    r.path = f.b;
    r.isDirectory = true;
    r.target = d.Window();
    EXPECT_EQ(RunNavigation(r, nullptr, s), NavigationOutcome::OutOfReach);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0], NavigationProblem::TargetElevated);
    EXPECT_EQ(check->askedPid_, d.fx.Pid());
    EXPECT_TRUE(world.shellCalls.empty()) << "no second window behind the user's back";
    PumpMessages();
    EXPECT_EQ(d.Shown(), "Address: " + f.a);
    EXPECT_EQ(Text(d.NameBox()), "report.docx");
    EXPECT_FALSE(d.Logged("ALT+D")) << d.fx.Log();

    // Both elevated, or the target's rights unreadable: it is driven.
    for (auto pair : {std::make_pair(Elevation::Elevated, Elevation::Elevated),
                      std::make_pair(Elevation::Unknown, Elevation::NotElevated)}) {
        s.elevation = std::make_shared<StandInElevation>(pair.first, pair.second);
        const std::string to = d.Shown() == "Address: " + f.a ? f.b : f.a;
        r.path = to;
        EXPECT_EQ(RunNavigation(r, nullptr, s), NavigationOutcome::Driven);
        EXPECT_TRUE(d.WaitShowing(to)) << d.Shown();
    }
    EXPECT_EQ(told.size(), 1u);
    EXPECT_TRUE(world.shellCalls.empty());
}

TEST(ItemDialogElevated, TheTokenCheckTellsLimitedFromFullRights) {
    // Wine gives every process an elevated token, and the limited one linked
    // to it starts a process as a program not run as administrator.
    Folders f;
    ItemDialog full;
    ASSERT_TRUE(full.Start("open", f.a));
    ItemDialog limited;
    limited.fx.Process().UseLimitedRights(true);
    limited.fx.program = "itemdialog.exe";
    ASSERT_TRUE(limited.fx.Start("open", "\"" + f.a + "\"", "#32770"));
    const CTokenElevationCheck check;
    EXPECT_EQ(check.OfProcess(full.fx.Pid()), Elevation::Elevated);
    EXPECT_EQ(check.OfProcess(limited.fx.Pid()), Elevation::NotElevated);
}
