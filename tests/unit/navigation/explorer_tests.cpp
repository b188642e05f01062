// Explorer windows (Wine's explorer.exe started from the Windows directory)
// and the dispatch rules that need no particular window.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "navigation/recognise.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

std::string WindowsDir() {
    char buf[MAX_PATH] = {};
    GetWindowsDirectoryA(buf, sizeof buf);
    return buf;
}

struct ExplorerRun {
    ScratchDir dir{"navexp"};
    std::string a = dir.MakeDir("one");
    std::string b = dir.MakeDir("two");
    ChildProcess child;
    HWND window = nullptr;

    ExplorerRun() {
        dir.MakeFile("two\\x1.txt");
        dir.MakeFile("two\\x2.txt");
        dir.MakeFile("two\\x3.txt");
    }
    bool Start(const std::string& exe) {
        if (!child.Start(exe, "\"" + a + "\"")) return false;
        // The first Explorer of a fresh Wine prefix takes long to come up.
        window = WaitForTopWindow(child.Pid(), "ExplorerWClass", 30000);
        return window != nullptr;
    }
    int Items() const {
        HWND list = FindDescendantByClass(CWnd(window), "syslistview32").GetSafeHwnd();
        return list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : -1;
    }
};

}  // namespace

TEST(NavExplorer, ReusedWindowShowsTheFolder) {
    ExplorerRun run;
    ASSERT_TRUE(run.Start(WindowsDir() + "\\explorer.exe"));
    ASSERT_TRUE(IsExplorerWindow(CWnd(run.window)));
    EXPECT_FALSE(IsFileDialog(CWnd(run.window)));
    ASSERT_TRUE(WaitUntil([&] { return run.Items() == 0; }));

    FakeWorld world;
    Navigate(run.window, run.b, world);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(WaitUntil([&] { return run.Items() == 3; })) << run.Items();

    // "Always New Explorer" with Shift reuses the window too.
    world.shift = true;
    AppSettings alwaysNew;
    alwaysNew.alwaysNewExplorer = true;
    Navigate(run.window, run.a, world, alwaysNew);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(WaitUntil([&] { return run.Items() == 0; })) << run.Items();
}

TEST(NavExplorer, NewWindowFileEntryAndShiftGoToTheShell) {
    ExplorerRun run;
    ASSERT_TRUE(run.Start(WindowsDir() + "\\explorer.exe"));
    const std::string file = run.b + "\\x1.txt";
    FakeWorld world;
    AppSettings explore;
    explore.action = 1;
    world.shift = true;
    Navigate(run.window, run.b, world, explore);  // Shift: a new window
    world.shift = false;
    AppSettings alwaysNew = explore;
    alwaysNew.alwaysNewExplorer = true;
    Navigate(run.window, run.b, world, alwaysNew);  // the setting: a new window
    Navigate(run.window, file, world, explore);     // a file is opened, never explored
    ASSERT_EQ(world.shellCalls.size(), 3u);
    EXPECT_EQ(world.shellCalls[0].verb, "explore");
    EXPECT_EQ(world.shellCalls[0].path, run.b);
    EXPECT_EQ(world.shellCalls[1].verb, "explore");
    EXPECT_EQ(world.shellCalls[2].verb, "open");
    EXPECT_EQ(world.shellCalls[2].path, file);
    PumpMessages();
    EXPECT_EQ(run.Items(), 0) << "the window still shows its own (empty) folder";
}

TEST(NavExplorer, CopyOutsideTheWindowsDirectoryIsNotExplorer) {
    ExplorerRun run;
    const std::string copy = run.dir.Path() + "\\explorer.exe";
    ASSERT_TRUE(CopyFileA((WindowsDir() + "\\explorer.exe").c_str(), copy.c_str(), FALSE));
    ASSERT_TRUE(run.Start(copy)) << "Wine runs its explorer from a copy too";
    EXPECT_EQ(Lower(GetProcessImagePath(run.child.Pid())), Lower(copy));
    EXPECT_FALSE(IsExplorerWindow(CWnd(run.window)));
    FakeWorld world;
    Navigate(run.window, run.b, world);
    ASSERT_EQ(world.shellCalls.size(), 1u);
    EXPECT_EQ(world.shellCalls[0].path, run.b);
}

TEST(NavDispatch, UnknownKeyIsIgnored) {
    FolderList list = OneEntry("C:\\windows");
    AppSettings settings;
    settings.action = 2;
    HWND marker = GetDesktopWindow();
    CWnd target(marker);
    FakeWorld world;
    NavigateTo(kFirstFolderCommand + 5, list, settings, target, nullptr, world.Services());
    NavigateTo(kFirstFolderCommand - 1, list, settings, target, nullptr, world.Services());
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.count(5), 0u);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_EQ(settings.action, 2);
    EXPECT_EQ(target.GetSafeHwnd(), marker);
}

TEST(NavDispatch, ShellVerbsAndTheActionTwoRule) {
    ScratchDir dir("navdisp");
    const std::string folder = dir.MakeDir("d");
    const std::string file = dir.MakeFile("d\\f.txt");
    FakeWorld world;
    AppSettings settings;
    settings.action = 2;
    CWnd none;
    NavigateTo(kFirstFolderCommand, OneEntry(file), settings, none, nullptr, world.Services());
    EXPECT_EQ(settings.action, 2) << "a file leaves the setting alone";
    NavigateTo(kFirstFolderCommand, OneEntry(folder), settings, none, nullptr, world.Services());
    EXPECT_EQ(settings.action, 0);
    settings.action = 1;
    NavigateTo(kFirstFolderCommand, OneEntry(folder), settings, none, nullptr, world.Services());
    NavigateTo(kFirstFolderCommand, OneEntry(file), settings, none, nullptr, world.Services());
    // A path that no longer exists is not a directory: "open", silently.
    NavigateTo(kFirstFolderCommand, OneEntry(folder + "\\gone"), settings, none, nullptr,
               world.Services());
    ASSERT_EQ(world.shellCalls.size(), 5u);
    const char* verbs[] = {"open", "open", "explore", "open", "open"};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(world.shellCalls[i].verb, verbs[i]) << i;
    EXPECT_EQ(world.shellCalls[2].path, folder);

    // A window of no known kind: the shell, and the target is cleared.
    HWND plain = CreateWindowExA(0, "Static", "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    CWnd target(plain);
    NavigateTo(kFirstFolderCommand, OneEntry(folder), settings, target, plain, world.Services());
    EXPECT_FALSE(target);
    ASSERT_EQ(world.shellCalls.size(), 6u);
    EXPECT_EQ(world.shellCalls[5].owner, plain);
    DestroyWindow(plain);
}
