// NavigateTo against Wine's own file dialogs and folder browser, each shown by
// the navtargets fixture in its own process.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/longpath.h"
#include "framework/text.h"
#include "navigation/recognise.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

struct Folders {
    ScratchDir dir{"navdlg"};
    std::string a = dir.MakeDir("alpha");
    std::string b = dir.MakeDir("beta");
    std::string file = dir.MakeFile("alpha\\chosen.txt", "x");
};

HWND FileNameBox(HWND dialog) {
    return LocateFileDialogControls(CWnd(dialog)).fileNameBox.GetSafeHwnd();
}

}  // namespace

TEST(NavFileDialog, ExplorerStyleChangesFolderAndRestoresTypedText) {
    Folders f;
    Fixture fx;
    ASSERT_TRUE(fx.Start("open-explorer", "\"" + f.a + "\"", "#32770"));
    HWND dlg = fx.Window();
    EXPECT_TRUE(IsFileDialog(CWnd(dlg)));
    EXPECT_FALSE(IsBrowseForFolderDialog(CWnd(dlg)));
    EXPECT_FALSE(IsSnakeListDialog(CWnd(dlg)));
    EXPECT_FALSE(IsExplorerWindow(CWnd(dlg)));
    HWND box = FileNameBox(dlg);
    ASSERT_TRUE(box);
    EXPECT_EQ(Lower(FileDialogFolder(dlg)), Lower(f.a));

    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed name.txt"));
    FakeWorld world;
    CWnd target(dlg);
    AppSettings settings;
    NavigateTo(kFirstFolderCommand, OneEntry(f.b), settings, target, nullptr, world.Services());
    EXPECT_FALSE(target) << "the target is cleared";
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(WaitUntil([&] { return Lower(FileDialogFolder(dlg)) == Lower(f.b); }))
        << FileDialogFolder(dlg);
    EXPECT_EQ(Text(box), "typed name.txt");
    EXPECT_EQ(Selection(box), std::make_pair(0, 14));
    EXPECT_TRUE(fx.Process().Running()) << "a folder keeps the dialog open";

    // A file entry is accepted: the dialog returns it.
    Navigate(dlg, f.file, world);
    ASSERT_TRUE(fx.WaitForLog("OK "));
    EXPECT_NE(Lower(fx.Log()).find(Lower("OK " + f.file)), std::string::npos) << fx.Log();
    EXPECT_TRUE(world.shellCalls.empty());
}

TEST(NavFileDialog, ShiftLeavesTheDialogToTheShell) {
    Folders f;
    Fixture fx;
    ASSERT_TRUE(fx.Start("open-explorer", "\"" + f.a + "\"", "#32770"));
    FakeWorld world;
    world.shift = true;
    AppSettings settings;
    settings.action = 1;
    Navigate(fx.Window(), f.b, world, settings, reinterpret_cast<HWND>(0x1234));
    ASSERT_EQ(world.shellCalls.size(), 1u);
    EXPECT_EQ(world.shellCalls[0].verb, "explore");
    EXPECT_EQ(world.shellCalls[0].path, f.b);
    EXPECT_EQ(world.shellCalls[0].owner, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(Lower(FileDialogFolder(fx.Window())), Lower(f.a)) << "the dialog is untouched";
}

// A folder of `chars` characters or more below base, made level by level.
std::string MakeLongFolder(const std::string& base, size_t chars) {
    std::string path = base;
    for (int i = 0; vt::ToWide(path).size() < chars; ++i) {
        path += "\\deep folder " + std::to_string(i);
        CreateDirectoryW(vt::WidePathForFileCalls(path).c_str(), nullptr);
    }
    return path + "\\";
}

TEST(NavFileDialog, APathLongerThanTheDialogTakesGoesWholeToTheShell) {
    Folders f;
    const std::string deep = MakeLongFolder(f.dir.Path(), 300);
    ASSERT_GE(vt::ToWide(deep).size(), 300u);
    ASSERT_TRUE(vt::IsExistingDirectory(deep)) << deep;
    Fixture fx;
    ASSERT_TRUE(fx.Start("open-explorer", "\"" + f.a + "\"", "#32770"));
    HWND dlg = fx.Window();
    HWND box = FileNameBox(dlg);
    ASSERT_TRUE(box);
    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed name.txt"));

    FakeWorld world;
    AppSettings settings;
    settings.action = 1;  // "explore" for a folder: the shell is told it is one
    Navigate(dlg, deep, world, settings);
    ASSERT_EQ(world.shellCalls.size(), 1u) << "the dialog was driven with a path it would cut";
    EXPECT_EQ(world.shellCalls[0].path, deep);
    EXPECT_EQ(world.shellCalls[0].verb, "explore");
    // The dialog is as it was: its folder and the typed name.
    EXPECT_EQ(Lower(FileDialogFolder(dlg)), Lower(f.a));
    EXPECT_EQ(Text(box), "typed name.txt");
    EXPECT_TRUE(fx.Process().Running());

    // A path that fits still drives it.
    Navigate(dlg, f.b, world);
    EXPECT_TRUE(WaitUntil([&] { return Lower(FileDialogFolder(dlg)) == Lower(f.b); }))
        << FileDialogFolder(dlg);
    EXPECT_EQ(world.shellCalls.size(), 1u);
}

TEST(NavFileDialog, OldStyleChangesFolderAndAcceptsFile) {
    Folders f;
    Fixture fx;
    ASSERT_TRUE(fx.Start("open-old", "\"" + f.a + "\"", "#32770"));
    HWND dlg = fx.Window();
    ASSERT_TRUE(IsFileDialog(CWnd(dlg)));
    HWND box = FileNameBox(dlg);
    EXPECT_EQ(GetDlgCtrlID(box), 1152);
    HWND current = GetDlgItem(dlg, 1088);  // the old style shows its folder here
    EXPECT_EQ(Lower(Text(current)), Lower(f.a));

    SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("mine.txt"));
    FakeWorld world;
    Navigate(dlg, f.b, world);
    EXPECT_TRUE(WaitUntil([&] { return Lower(Text(current)) == Lower(f.b); })) << Text(current);
    EXPECT_EQ(Text(box), "mine.txt");
    EXPECT_EQ(Selection(box), std::make_pair(0, 8));

    Navigate(dlg, f.file, world);
    ASSERT_TRUE(fx.WaitForLog("OK "));
    EXPECT_NE(Lower(fx.Log()).find(Lower("OK " + f.file)), std::string::npos) << fx.Log();
    EXPECT_TRUE(world.shellCalls.empty());
}

class NavFolderBrowser : public ::testing::TestWithParam<bool> {
protected:
    std::string Args() const { return GetParam() ? "new" : ""; }
};

TEST_P(NavFolderBrowser, SelectsAndClosesOrStaysOpenWithCtrl) {
    // Folders that exist since the prefix was made: Wine's tree sometimes
    // misses folders created just before the dialog opened.
    char win[MAX_PATH] = {};
    GetWindowsDirectoryA(win, sizeof win);
    struct {
        std::string a, b;
    } f{std::string(win) + "\\system32", std::string(win) + "\\fonts"};
    {
        Fixture fx;
        ASSERT_TRUE(fx.Start("browse", Args(), "#32770"));
        // A user picks a folder long after the dialog has set its first selection.
        ASSERT_TRUE(fx.WaitForLog("INIT"));
        ASSERT_TRUE(WaitUntil([&] { return IsBrowseForFolderDialog(CWnd(fx.Window())); }));
        EXPECT_FALSE(IsFileDialog(CWnd(fx.Window())));
        FakeWorld world;
        Navigate(fx.Window(), f.b, world);
        ASSERT_TRUE(fx.WaitForLog("OK ")) << fx.Log();
        EXPECT_NE(Lower(fx.Log()).find(Lower("OK " + f.b)), std::string::npos) << fx.Log();
        EXPECT_TRUE(world.shellCalls.empty());
    }
    {
        Fixture fx;
        ASSERT_TRUE(fx.Start("browse", Args(), "#32770"));
        // A user picks a folder long after the dialog has set its first selection.
        ASSERT_TRUE(fx.WaitForLog("INIT"));
        ASSERT_TRUE(WaitUntil([&] { return IsBrowseForFolderDialog(CWnd(fx.Window())); }));
        FakeWorld world;
        world.ctrl = true;
        Navigate(fx.Window(), f.a, world);
        EXPECT_TRUE(world.shellCalls.empty());
        EXPECT_TRUE(WaitUntil([&] {
            return Lower(fx.Log()).find(Lower("SEL " + f.a)) != std::string::npos;
        })) << fx.Log();
        PumpMessages();
        EXPECT_TRUE(fx.Process().Running());
        EXPECT_TRUE(IsWindow(fx.Window())) << "Ctrl keeps the dialog open";
        EXPECT_EQ(fx.Log().find("OK "), std::string::npos);
    }
}

TEST_P(NavFolderBrowser, ShiftOrFileGoToTheShell) {
    Folders f;
    Fixture fx;
    ASSERT_TRUE(fx.Start("browse", Args(), "#32770"));
    FakeWorld world;
    world.shift = true;
    Navigate(fx.Window(), f.b, world);
    world.shift = false;
    Navigate(fx.Window(), f.file, world);
    ASSERT_EQ(world.shellCalls.size(), 2u);
    EXPECT_EQ(world.shellCalls[0].verb, "open");
    EXPECT_EQ(world.shellCalls[0].path, f.b);
    EXPECT_EQ(world.shellCalls[1].verb, "open");
    EXPECT_EQ(world.shellCalls[1].path, f.file);
    EXPECT_TRUE(IsWindow(fx.Window()));
    EXPECT_EQ(fx.Log().find("OK "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Styles, NavFolderBrowser, ::testing::Bool());

TEST(NavFolderBrowserRoot, RootedElsewhereIsNotRecognised) {
    Folders f;
    Fixture fx;
    ASSERT_TRUE(fx.Start("browse", "rooted \"" + f.dir.Path() + "\"", "#32770"));
    EXPECT_FALSE(IsBrowseForFolderDialog(CWnd(fx.Window())));
    FakeWorld world;
    Navigate(fx.Window(), f.b, world);
    ASSERT_EQ(world.shellCalls.size(), 1u);
    EXPECT_EQ(world.shellCalls[0].path, f.b);
    EXPECT_TRUE(IsWindow(fx.Window()));
}
