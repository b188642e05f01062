// Busy is not hung: a target that takes seconds over a folder gets the whole
// sequence, one the system reports as hung gets nothing more at once.
#include <windows.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "navtest.h"

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
