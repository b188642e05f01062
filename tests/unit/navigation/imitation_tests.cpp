// Windows Wine does not have (the newest file dialog, snake-list dialogs) or
// cannot be made to misbehave (hung, vanishing controls) are imitated by the
// navtargets fixture, which logs every message it gets.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "framework/text.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"
#include "navigation/sendwindow.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

// The log lines from the first one containing from, in order.
std::vector<std::string> LinesFrom(const Fixture& fx, const std::string& from) {
    auto lines = fx.LogLines();
    auto it = std::find_if(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(from) != std::string::npos; });
    return std::vector<std::string>(it, lines.end());
}

// Focus changes are logged where the system delivers them, which depends on
// where the focus was; the comparisons leave them out.
std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& l : v)
        if (l != "box WM_SETFOCUS") s += l + "\n";
    return s;
}

}  // namespace

TEST(NavNewestFileDialog, RecognisedAndDrivenThroughTheHostedComboBox) {
    ScratchDir dir("navnew");
    const std::string folder = dir.MakeDir("target");
    Fixture fx;
    ASSERT_TRUE(fx.Start("newest", "", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    CWnd dlg(fx.Window());
    EXPECT_TRUE(IsFileDialog(dlg));
    EXPECT_FALSE(IsSnakeListDialog(dlg));
    const FileDialogControls c = LocateFileDialogControls(dlg);
    ASSERT_TRUE(c.fileNameBox);
    EXPECT_EQ(c.fileNameBox.GetParent().GetParent().GetClassName(), "DirectUIHWND");
    SendMessageA(c.fileNameBox.GetSafeHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));

    FakeWorld world;
    Navigate(fx.Window(), folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    const auto seq = LinesFrom(fx, "box WM_SETREDRAW 0");
    const std::vector<std::string> expected = {
        "box WM_SETREDRAW 0",       "box WM_SETFOCUS",
        "box WM_SETTEXT " + folder, "dialog OK " + folder,
        "box WM_SETFOCUS",          "box WM_SETREDRAW 1",
        "box WM_SETTEXT typed",     "box EM_SETSEL 0 ffffffffffffffff"};
    EXPECT_EQ(Join(seq), Join(expected));
    EXPECT_EQ(Text(c.fileNameBox.GetSafeHwnd()), "typed");
}

TEST(NavNewestFileDialog, WithoutOkButtonIsNotAFileDialog) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("newest", "nook", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    EXPECT_FALSE(IsFileDialog(CWnd(fx.Window())));
    FakeWorld world;
    Navigate(fx.Window(), "C:\\windows", world);
    ASSERT_EQ(world.shellCalls.size(), 1u);
    EXPECT_EQ(fx.Log().find("WM_SETTEXT"), std::string::npos);
}

TEST(NavNewestFileDialog, ControlVanishingMidSequence) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("newest", "vanish", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    FakeWorld world;
    CWnd target(fx.Window());
    AppSettings settings;
    NavigateTo(kFirstFolderCommand, OneEntry("C:\\windows"), settings, target, nullptr,
               world.Services());
    EXPECT_FALSE(target);
    EXPECT_TRUE(world.shellCalls.empty()) << "the dialog was the target; it was driven";
    EXPECT_TRUE(fx.WaitForLog("box vanished"));
    EXPECT_TRUE(fx.WaitForLog("dialog OK <no box>"));
    EXPECT_TRUE(fx.Process().Running());
}

TEST(NavNewestFileDialog, HungTargetCostsOneTimeOut) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("newest", "hang", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    FakeWorld world;
    CWnd target(fx.Window());
    AppSettings settings;
    const DWORD start = GetTickCount();
    NavigateTo(kFirstFolderCommand, OneEntry("C:\\windows"), settings, target, nullptr,
               world.Services(400));
    const DWORD took = GetTickCount() - start;
    EXPECT_TRUE(fx.WaitForLog("box hangs"));
    EXPECT_LT(took, 2500u) << "one time-out, then the rest of the sequence is skipped";
    EXPECT_GE(took, 350u);
    EXPECT_FALSE(target);
    EXPECT_EQ(fx.Log().find("WM_SETTEXT"), std::string::npos);
}

class NavSnakeList : public ::testing::TestWithParam<std::tuple<int, const char*>> {};

TEST_P(NavSnakeList, FolderRestoresTextFileOpens) {
    const int id = std::get<0>(GetParam());
    const std::string variant = std::get<1>(GetParam());
    ScratchDir dir("navsnake");
    const std::string folder = dir.MakeDir("there");
    const std::string file = dir.MakeFile("there\\doc.txt", "x");
    Fixture fx;
    ASSERT_TRUE(fx.Start("snake", std::to_string(id) + " " + variant, "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    CWnd dlg(fx.Window());
    ASSERT_TRUE(IsSnakeListDialog(dlg));
    EXPECT_FALSE(IsFileDialog(dlg));
    CWnd box = FindSnakeListFileNameBox(dlg);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.GetDlgCtrlID(), id);
    SendMessageA(box.GetSafeHwnd(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("old text"));

    FakeWorld world;
    Navigate(fx.Window(), folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    // Centre of the box at client (20,30) size 200x24 is (120,42) = 0x2a0078.
    const std::string tab = "9 1c0001";
    const std::vector<std::string> expected = {"dialog WM_LBUTTONDOWN 1 2a0078",
                                               "dialog WM_LBUTTONUP 1 2a0078",
                                               "box WM_SETREDRAW 0",
                                               "box WM_SETFOCUS",
                                               "box WM_SETTEXT " + folder,
                                               "dialog WM_KEYDOWN " + tab,
                                               "dialog WM_CHAR " + tab,
                                               "dialog WM_KEYUP 9 c01c0001",
                                               "dialog WM_KEYDOWN " + tab,
                                               "dialog WM_CHAR " + tab,
                                               "dialog WM_KEYUP 9 c01c0001",
                                               "box WM_SETREDRAW 1",
                                               "box WM_SETTEXT old text",
                                               "box EM_SETSEL 0 ffffffffffffffff"};
    EXPECT_EQ(Join(LinesFrom(fx, "dialog WM_LBUTTONDOWN")), Join(expected));
    EXPECT_EQ(Text(box.GetSafeHwnd()), "old text");
    // All selected; a rich edit counts its final paragraph mark too.
    const auto sel = Selection(box.GetSafeHwnd());
    EXPECT_EQ(sel.first, 0);
    EXPECT_GE(sel.second, 8);

    // A file: its path stays in the box and Enter is pressed on the box.
    Navigate(fx.Window(), file, world);
    const auto tail = LinesFrom(fx, "box WM_SETTEXT " + file);
    ASSERT_FALSE(tail.empty());
    EXPECT_NE(
        Join(tail).find("box WM_KEYDOWN d 1c0001\nbox WM_CHAR d 1c0001\nbox WM_KEYUP d c01c0001"),
        std::string::npos)
        << Join(tail);
    EXPECT_EQ(Join(tail).find("WM_SETTEXT old text"), std::string::npos);
    EXPECT_EQ(Text(box.GetSafeHwnd()), file);
}

INSTANTIATE_TEST_SUITE_P(Boxes, NavSnakeList,
                         ::testing::Values(std::make_tuple(48, "a"), std::make_tuple(54, "w")));

TEST(NavSnakeListShape, ShiftOrNoBoxGoToTheShell) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("snake", "48 a", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    FakeWorld world;
    world.shift = true;
    Navigate(fx.Window(), "C:\\windows", world);
    ASSERT_EQ(world.shellCalls.size(), 1u);
    EXPECT_EQ(fx.Log().find("WM_SETTEXT"), std::string::npos);

    Fixture bare;
    ASSERT_TRUE(bare.Start("snake", "48 a nobox", "VtNavFixtureDialog"));
    ASSERT_TRUE(bare.WaitForLog("ready without box"));
    EXPECT_FALSE(IsSnakeListDialog(CWnd(bare.Window())));
    world.shift = false;
    Navigate(bare.Window(), "C:\\windows", world);
    EXPECT_EQ(world.shellCalls.size(), 2u);
}

TEST(NavRemoteAccess, TreeItemTextOfAnotherProcess) {
    const std::string longText(5000, 'q');
    Fixture fx;
    ASSERT_TRUE(fx.Start("fakebrowse", "\"" + longText + "\" 0", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    HWND tree = GetDlgItem(fx.Window(), 14145);
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_TRUE(root);
    const std::string text = ReadRemoteTreeItemText(tree, root);
    // Cut to the 4056-unit area. Wine's tree fills all of it without a
    // terminating zero; the reader must still end the string inside its buffer.
    EXPECT_GE(text.size(), 4055u);
    EXPECT_LE(text.size(), 4056u);
    EXPECT_EQ(text.find_first_not_of('q'), std::string::npos);
    EXPECT_EQ(ReadRemoteTreeItemText(tree, reinterpret_cast<HTREEITEM>(0x5a5a50)), "");
    EXPECT_EQ(ReadRemoteTreeItemText(nullptr, root), "");
    EXPECT_FALSE(IsBrowseForFolderDialog(CWnd(fx.Window())));
}

TEST(NavRemoteAccess, TreeItemTextInAnyScriptIsCutBetweenCharacters) {
    // The fixture runs in the system's code page; the text is read as UTF-16.
    Fixture short_;
    ASSERT_TRUE(short_.Start("fakebrowse", std::string("\"") + kMixedScriptName + "\" 0",
                             "VtNavFixtureDialog"));
    ASSERT_TRUE(short_.WaitForLog("ready"));
    HWND tree = GetDlgItem(short_.Window(), 14145);
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    EXPECT_EQ(ReadRemoteTreeItemText(tree, root), kMixedScriptName);

    // 4055 letters and a character of two UTF-16 units: the area ends after
    // its first unit, which must not come back as half a character.
    const std::string emoji = "\xF0\x9F\x8E\xB5";
    Fixture cut;
    ASSERT_TRUE(cut.Start("fakebrowse", "\"" + std::string(4055, 'q') + emoji + "\" 0",
                          "VtNavFixtureDialog"));
    ASSERT_TRUE(cut.WaitForLog("ready"));
    tree = GetDlgItem(cut.Window(), 14145);
    root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    EXPECT_EQ(ReadRemoteTreeItemText(tree, root), std::string(4055, 'q'));
}

TEST(NavRemoteAccess, PlacedStringIsItsUtf16UnitsAndAZero) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("hang", "", "VtNavFixtureDialog"));
    const std::string path = std::string("C:\\some\\") + kMixedScriptName;
    const std::wstring wide = ToWide(path);
    ASSERT_EQ(wide.size(), 22u);  // the note takes two units
    RemoteBlock block = PlaceRemoteString(fx.Window(), path);
    ASSERT_TRUE(block);
    EXPECT_EQ(block.Size(), (wide.size() + 1) * sizeof(wchar_t));
    std::wstring back(wide.size() + 1, L'x');
    ASSERT_TRUE(block.Read(0, &back[0], back.size() * sizeof(wchar_t)));
    EXPECT_EQ(back, wide + std::wstring(1, L'\0'));
    EXPECT_FALSE(block.Read(2, &back[0], back.size() * sizeof(wchar_t)))
        << "reads stay inside the block";
    void* where = block.Address();
    UniqueKernelHandle h(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, fx.Pid()));
    MEMORY_BASIC_INFORMATION held = {};
    ASSERT_TRUE(VirtualQueryEx(h.Get(), where, &held, sizeof held));
    ASSERT_EQ(held.State, static_cast<DWORD>(MEM_COMMIT));
    block.Release();
    // The target's own threads may take the freed address at once, even as
    // an allocation of the same base, size and protection (seen on a loaded
    // machine). A fresh allocation starts zeroed, so a block still there is
    // only ours if it still holds the string.
    MEMORY_BASIC_INFORMATION mbi = {};
    ASSERT_TRUE(VirtualQueryEx(h.Get(), where, &mbi, sizeof mbi));
    if (mbi.State == MEM_COMMIT && mbi.AllocationBase == held.AllocationBase) {
        std::wstring now(wide.size() + 1, L'x');
        SIZE_T got = 0;
        const bool read =
            ReadProcessMemory(h.Get(), where, &now[0], now.size() * sizeof(wchar_t), &got);
        EXPECT_FALSE(read && got == now.size() * sizeof(wchar_t) &&
                     now == wide + std::wstring(1, L'\0'))
            << "the block is still allocated and holds the string";
    }
    EXPECT_FALSE(PlaceRemoteString(nullptr, path));
}

TEST(NavRemoteAccess, BlockOfATimedOutMessageIsLeftToTheTarget) {
    ScratchDir dir("navfake");
    const std::string folder = MakeDirW(dir, kMixedScriptName);
    const std::string desktop = GetDesktopDirectoryDisplayName();
    ASSERT_FALSE(desktop.empty());
    Fixture fx;
    // Stalls 1500 ms on BFFM_SETSELECTIONW; the sender waits 300 ms.
    ASSERT_TRUE(fx.Start("fakebrowse", "\"" + desktop + "\" 1500", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    ASSERT_TRUE(IsBrowseForFolderDialog(CWnd(fx.Window())));
    FakeWorld world;
    CWnd target(fx.Window());
    AppSettings settings;
    const DWORD start = GetTickCount();
    NavigateTo(kFirstFolderCommand, OneEntry(folder), settings, target, nullptr,
               world.Services(300));
    EXPECT_LT(GetTickCount() - start, 1400u);
    EXPECT_TRUE(world.shellCalls.empty());
    ASSERT_TRUE(fx.WaitForLog("dialog path ")) << fx.Log();
    EXPECT_NE(fx.Log().find("dialog path still there " + folder), std::string::npos) << fx.Log();
    EXPECT_EQ(fx.Log().find("dialog OK"), std::string::npos) << "no click after a time-out";
}

TEST(NavSendToWindow, TimesOutOnAHungWindowAndAnswersOtherwise) {
    Fixture fx;
    ASSERT_TRUE(fx.Start("hang", "", "VtNavFixtureDialog"));
    LRESULT r = 0;
    EXPECT_EQ(SendToWindow(fx.Window(), WM_USER + 1, 0, 0, &r), SendStatus::Answered);
    EXPECT_EQ(r, 7);
    const DWORD start = GetTickCount();
    EXPECT_EQ(SendToWindow(fx.Window(), WM_USER + 1, 2000, 0, &r, 300), SendStatus::TimedOut);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 1500u);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(SendToWindow(nullptr, WM_NULL, 0, 0), SendStatus::NoWindow);
    HWND gone = CreateWindowExA(0, "Static", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_EQ(SendToWindow(gone, WM_NULL, 0, 0), SendStatus::NoWindow);
    // Once the window answers again, sends get through.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return SendToWindow(fx.Window(), WM_NULL, 0, 0, nullptr, 100) == SendStatus::Answered;
        },
        5000));
}
