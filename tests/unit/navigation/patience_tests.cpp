// Busy is not hung: a target that takes seconds over a folder gets the whole
// sequence, one the system reports as hung gets nothing more at once, and on
// their own threads neither holds up the caller or other windows.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "navigation/background.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

HWND FileNameBox(HWND dialog) {
    HWND host = FindWindowExA(dialog, nullptr, "DirectUIHWND", nullptr);
    HWND combo = host ? FindWindowExA(host, nullptr, "ComboBox", nullptr) : nullptr;
    return combo ? GetWindow(combo, GW_CHILD) : nullptr;
}

// Position of the first log line from `from` on that contains text; -1 if none.
int LineOf(const std::vector<std::string>& lines, const std::string& text, int from = 0) {
    for (int i = std::max(from, 0); i < static_cast<int>(lines.size()); ++i)
        if (lines[i].find(text) != std::string::npos) return i;
    return -1;
}

NavigationRequest FolderFor(HWND target, const std::string& folder) {
    NavigationRequest r;
    r.path = folder;
    r.isDirectory = true;
    r.reuseExplorer = true;
    r.target = target;
    return r;
}

// The imitated file dialog with text typed in its file name box.
void StartDialog(Fixture& fx, const std::string& args) {
    ASSERT_TRUE(fx.Start("newest", args, "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    ASSERT_TRUE(FileNameBox(fx.Window()));
    SendMessageA(FileNameBox(fx.Window()), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
}

}  // namespace

TEST(NavPatience, BusyTargetGetsTheWholeSequence) {
    // Six seconds inside the OK click, as Wine's Open dialog takes over a
    // folder of 20,000 files: longer than the system waits before it calls a
    // program hung.
    ScratchDir dir("navbusy");
    const std::string folder = dir.MakeDir("big");
    Fixture fx;
    StartDialog(fx, "slowok 6000");
    FakeWorld world;
    CWnd target(fx.Window());
    AppSettings settings;
    NavigateTo(kFirstFolderCommand, OneEntry(folder), settings, target, nullptr,
               world.Services(kNavigationPatienceMs));
    EXPECT_TRUE(world.shellCalls.empty());
    const auto lines = fx.LogLines();
    const int done = LineOf(lines, "dialog OK done");
    ASSERT_GE(done, 0) << fx.Log();
    EXPECT_GE(LineOf(lines, "box WM_SETREDRAW 1", done), 0) << fx.Log();
    EXPECT_GE(LineOf(lines, "box WM_SETTEXT typed", done), 0) << fx.Log();
    EXPECT_GE(LineOf(lines, "box EM_SETSEL 0 ffffffffffffffff", done), 0) << fx.Log();
    EXPECT_EQ(Text(FileNameBox(fx.Window())), "typed");
}

TEST(NavPatience, TargetTheSystemCallsHungGetsNothingMoreAtOnce) {
    Fixture fx;
    StartDialog(fx, "slowok never");
    FakeWorld world;
    AppSettings settings;
    // A first navigation leaves the dialog stuck in its OK click; this one
    // runs out of its short patience there.
    CWnd target(fx.Window());
    const DWORD first = GetTickCount();
    NavigateTo(kFirstFolderCommand, OneEntry("C:\\windows"), settings, target, nullptr,
               world.Services(1000));
    EXPECT_LT(GetTickCount() - first, 3000u);
    ASSERT_TRUE(fx.WaitForLog("dialog OK stalls"));
    // Once it has taken no message for some seconds the system calls it hung,
    // and then even all the patience in the world buys it nothing.
    ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(fx.Window()) != FALSE; }, 15000));
    target = CWnd(fx.Window());
    const DWORD second = GetTickCount();
    NavigateTo(kFirstFolderCommand, OneEntry("C:\\windows"), settings, target, nullptr,
               world.Services(kNavigationPatienceMs));
    EXPECT_LT(GetTickCount() - second, 2000u);
    EXPECT_TRUE(world.shellCalls.empty()) << "the dialog was the target, hung or not";
}

TEST(NavBackground, HungTargetHoldsUpNeitherTheCallerNorOtherWindows) {
    ScratchDir dir("navbg");
    const std::string folder = dir.MakeDir("there");
    Fixture stuck, other;
    StartDialog(stuck, "slowok never");
    StartDialog(other, "");
    BackgroundNavigator navigator;
    const DWORD start = GetTickCount();
    navigator.Start(FolderFor(stuck.Window(), folder), nullptr);
    EXPECT_LT(GetTickCount() - start, 500u) << "the caller does not wait for the target";
    ASSERT_TRUE(stuck.WaitForLog("dialog OK stalls"));

    navigator.Start(FolderFor(other.Window(), folder), nullptr);
    EXPECT_TRUE(other.WaitForLog("box EM_SETSEL")) << other.Log();
    EXPECT_EQ(Text(FileNameBox(other.Window())), "typed");
    // The other's navigation ends a moment after its last message; then only
    // the stuck one may still be waiting.
    EXPECT_TRUE(WaitUntil([&] { return navigator.Running() <= 1; }));
    EXPECT_EQ(navigator.Running(), 1u) << "the stuck one still waits";

    // A target that goes away ends the wait for it.
    stuck.Process().Terminate();
    EXPECT_TRUE(WaitUntil([&] { return navigator.Running() == 0; }, 10000));
}

TEST(NavBackground, NavigationsOfOneTargetRunOneAfterAnother) {
    ScratchDir dir("navorder");
    const std::string first = dir.MakeDir("first");
    const std::string second = dir.MakeDir("second");
    Fixture fx;
    StartDialog(fx, "slowok 1500");
    BackgroundNavigator navigator;
    navigator.Start(FolderFor(fx.Window(), first), nullptr);
    navigator.Start(FolderFor(fx.Window(), second), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return navigator.Running() == 0; }, 20000));

    // The second sequence starts after the first has given the box back;
    // interleaved, it would have saved the first path as the typed text.
    const auto lines = fx.LogLines();
    const int firstOk = LineOf(lines, "dialog OK " + first);
    const int firstBack = LineOf(lines, "box EM_SETSEL", firstOk);
    const int secondStart = LineOf(lines, "box WM_SETREDRAW 0", firstOk);
    const int secondOk = LineOf(lines, "dialog OK " + second);
    ASSERT_GE(firstOk, 0) << fx.Log();
    ASSERT_GE(secondOk, 0) << fx.Log();
    EXPECT_LT(firstBack, secondStart) << fx.Log();
    EXPECT_EQ(Text(FileNameBox(fx.Window())), "typed");
}
