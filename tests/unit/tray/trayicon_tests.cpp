#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/dpi.h"
#include "framework/wnd.h"
#include "support/testsupport.h"
#include "uikit/trayicon.h"

using namespace vt;

namespace {

const UINT kIconId = 128;
const UINT kCallback = WM_USER + 100;
const UINT kAddFolder = 32772;

size_t TrayIconCount() { return test::TrayIconWindows().size(); }

// Wine takes two seconds to hide its tray window whenever the last icon
// leaves it. An icon of our own kept there while the tests of this process
// run lets the tests add and remove theirs quickly; it leaves with the process.
class KeeperIcon : public ::testing::Environment {
public:
    static void Ensure() {
        if (s_nid.hWnd) return;
        s_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        s_nid.hWnd = CreateWindowExA(0, "STATIC", "keeper", 0, 0, 0, 1, 1, nullptr, nullptr,
                                     nullptr, nullptr);
        s_nid.uID = 1;
        s_nid.uFlags = NIF_ICON;
        s_nid.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        Shell_NotifyIconA(NIM_ADD, &s_nid);
    }
    void TearDown() override {
        if (!s_nid.hWnd) return;
        Shell_NotifyIconA(NIM_DELETE, &s_nid);
        DestroyWindow(s_nid.hWnd);
        s_nid.hWnd = nullptr;
    }

private:
    static NOTIFYICONDATAA s_nid;
};
NOTIFYICONDATAA KeeperIcon::s_nid = {};
[[maybe_unused]] ::testing::Environment* const g_keeper =
    ::testing::AddGlobalTestEnvironment(new KeeperIcon);

bool WaitForIconCount(size_t n) {
    return test::WaitUntil([n] { return TrayIconCount() == n; }, 5000);
}

// A hidden main window like the program's: it forwards the tray callback to
// the icon object and records the commands it receives.
class OwnerFrame : public CFrameWnd {
public:
    OwnerFrame() {
        Table().OnCommandRange(1, 0xFFFF, [this](UINT id) { commands.push_back(id); });
        Table().OnMessage(kCallback, [this](WPARAM w, LPARAM l) {
            ++callbacks;
            return tray.OnTrayNotification(w, l);
        });
        Table().OnMessage(WM_NULL, [this](WPARAM, LPARAM) {
            ++nulls;
            return LRESULT(0);
        });
    }
    bool Create(HWND parent = nullptr) {
        RegisterClass("VtTrayTestOwner");
        DWORD style = parent ? WS_CHILD : WS_OVERLAPPED;
        return CreateEx(0, "VtTrayTestOwner", "owner", style, 0, 0, 50, 50, parent, nullptr);
    }
    BOOL CreateIcon(UINT menuId = 0, BOOL large = FALSE, const char* tip = "Vantrel") {
        return tray.Create(*this, kIconId, tip, LoadTrayIcon(kIconId), kCallback, menuId, large);
    }

    CTrayNotifyIcon tray;
    std::vector<UINT> commands;
    int callbacks = 0;
    int nulls = 0;
};

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        KeeperIcon::Ensure();
        ASSERT_TRUE(owner.Create());
        baseIcons = test::TrayIconWindows();
        base = baseIcons.size();
    }
    void TaskbarCreated(HWND to) {
        ASSERT_NE(WM_TASKBARCREATED, 0u);
        SendMessageA(to, WM_TASKBARCREATED, 0, 0);
    }
    OwnerFrame owner;
    // The icon window the shell shows for the icon added in this test.
    HWND OurIconWindow() const {
        for (HWND w : test::TrayIconWindows())
            if (std::find(baseIcons.begin(), baseIcons.end(), w) == baseIcons.end()) return w;
        return nullptr;
    }
    std::vector<HWND> baseIcons;
    size_t base = 0;
};

TEST_F(TrayIcon, CreateAddsTheIconWithTheSmallStructureAndMenuDefault) {
    ASSERT_TRUE(owner.CreateIcon());
    EXPECT_TRUE(owner.tray.IsCreated());
    EXPECT_FALSE(owner.tray.IsHidden());
    EXPECT_TRUE(WaitForIconCount(base + 1));

    const NOTIFYICONDATAA& nid = owner.tray.GetNotifyIconData();
    EXPECT_EQ(nid.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(nid.hWnd, owner.GetSafeHwnd());
    EXPECT_EQ(nid.uID, kIconId);
    EXPECT_EQ(nid.uCallbackMessage, kCallback);
    EXPECT_STREQ(nid.szTip, "Vantrel");
    EXPECT_NE(nid.hIcon, nullptr);

    HMENU sub = GetSubMenu(owner.tray.GetMenu(), 0);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(GetMenuDefaultItem(sub, FALSE, 0), kAddFolder);
    // The owner is hooked for "TaskbarCreated".
    EXPECT_NE(GetPropA(owner.GetSafeHwnd(), "HookWnd_P"), nullptr);

    owner.tray.RemoveIcon();
    EXPECT_FALSE(owner.tray.IsCreated());
    EXPECT_TRUE(WaitForIconCount(base));
}

TEST_F(TrayIcon, TipIsCutToTheStructuresField) {
    const std::string longTip(200, 'x');
    ASSERT_TRUE(owner.CreateIcon(0, FALSE, longTip.c_str()));
    EXPECT_EQ(std::string(owner.tray.GetNotifyIconData().szTip), std::string(63, 'x'));
    ASSERT_TRUE(owner.CreateIcon(0, TRUE, longTip.c_str()));
    EXPECT_EQ(owner.tray.GetNotifyIconData().cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V2_SIZE));
    EXPECT_EQ(std::string(owner.tray.GetNotifyIconData().szTip), std::string(127, 'x'));
    // The second Create replaced the first icon rather than adding another.
    EXPECT_TRUE(WaitForIconCount(base + 1));
}

TEST_F(TrayIcon, CreateFailsWithoutTheMenuOrItsSubmenuAndAddsNothing) {
    EXPECT_FALSE(owner.CreateIcon(999));  // no such menu
    EXPECT_FALSE(owner.CreateIcon(200));  // a menu without a submenu
    EXPECT_FALSE(owner.tray.IsCreated());
    EXPECT_EQ(GetPropA(owner.GetSafeHwnd(), "HookWnd_P"), nullptr);
    EXPECT_EQ(TrayIconCount(), base);
    // Nothing to hide or show before a successful Create.
    owner.tray.HideIcon();
    owner.tray.ShowIcon();
    EXPECT_EQ(TrayIconCount(), base);
}

TEST_F(TrayIcon, HideShowAndRemoveSequences) {
    ASSERT_TRUE(owner.CreateIcon());
    ASSERT_TRUE(WaitForIconCount(base + 1));

    owner.tray.ShowIcon();  // already shown: nothing added twice
    EXPECT_TRUE(WaitForIconCount(base + 1));

    owner.tray.HideIcon();
    EXPECT_TRUE(owner.tray.IsHidden());
    EXPECT_TRUE(owner.tray.IsCreated());
    EXPECT_TRUE(WaitForIconCount(base));
    owner.tray.HideIcon();
    EXPECT_TRUE(owner.tray.IsHidden());

    owner.tray.ShowIcon();
    EXPECT_FALSE(owner.tray.IsHidden());
    EXPECT_TRUE(WaitForIconCount(base + 1));

    owner.tray.RemoveIcon();
    EXPECT_FALSE(owner.tray.IsCreated());
    EXPECT_TRUE(WaitForIconCount(base));
    owner.tray.RemoveIcon();  // twice is harmless
    EXPECT_EQ(TrayIconCount(), base);
}

TEST_F(TrayIcon, ABalloonIsOfferedOnlyBesideAShownIconAndKeepsTheIcon) {
    EXPECT_FALSE(owner.tray.ShowBalloon("Vantrel", "not created yet"));
    // Added with the small structure, which has no balloon fields.
    ASSERT_TRUE(owner.CreateIcon());
    ASSERT_TRUE(WaitForIconCount(base + 1));
    EXPECT_TRUE(owner.tray.ShowBalloon("Vantrel", std::string(400, 'x').c_str()));
    // The icon's own data is untouched, and it stays in the tray.
    EXPECT_EQ(owner.tray.GetNotifyIconData().cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
    EXPECT_EQ(owner.tray.GetNotifyIconData().uFlags,
              static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(WaitForIconCount(base + 1));
    owner.tray.HideIcon();
    EXPECT_FALSE(owner.tray.ShowBalloon("Vantrel", "hidden"));
    owner.tray.ShowIcon();
    EXPECT_TRUE(owner.tray.ShowBalloon(nullptr, nullptr));
    owner.tray.RemoveIcon();
    EXPECT_FALSE(owner.tray.ShowBalloon("Vantrel", "removed"));
}

TEST_F(TrayIcon, TaskbarCreatedPutsAShownIconBack) {
    ASSERT_TRUE(owner.CreateIcon());
    ASSERT_TRUE(WaitForIconCount(base + 1));
    HWND oldIcon = OurIconWindow();
    ASSERT_NE(oldIcon, nullptr);

    TaskbarCreated(owner.GetSafeHwnd());
    // Deleted and added again: the shell made a new icon window for it.
    EXPECT_TRUE(test::WaitUntil(
        [&] {
            auto now = test::TrayIconWindows();
            return now.size() == base + 1 && !IsWindow(oldIcon);
        },
        5000));
    EXPECT_TRUE(owner.tray.IsCreated());
    EXPECT_FALSE(owner.tray.IsHidden());
    // The owner's own handling of the message is not reached: the hooker answers it.
    EXPECT_EQ(owner.callbacks, 0);
}

TEST_F(TrayIcon, TaskbarCreatedLeavesAHiddenIconHiddenUntilShowIcon) {
    ASSERT_TRUE(owner.CreateIcon());
    owner.tray.HideIcon();
    ASSERT_TRUE(WaitForIconCount(base));
    TaskbarCreated(owner.GetSafeHwnd());
    test::PumpMessages();
    EXPECT_EQ(TrayIconCount(), base);
    EXPECT_TRUE(owner.tray.IsHidden());
    owner.tray.ShowIcon();
    EXPECT_TRUE(WaitForIconCount(base + 1));
}

TEST_F(TrayIcon, TaskbarCreatedDoesNotBringARemovedIconBack) {
    ASSERT_TRUE(owner.CreateIcon());
    owner.tray.RemoveIcon();
    ASSERT_TRUE(WaitForIconCount(base));
    TaskbarCreated(owner.GetSafeHwnd());
    test::PumpMessages();
    EXPECT_EQ(TrayIconCount(), base);
    EXPECT_FALSE(owner.tray.IsCreated());
}

TEST_F(TrayIcon, RefusedIconStaysHookedAndIsAddedAtTheNextTaskbarCreated) {
    // The shell refuses a second icon with the same window and id.
    ASSERT_TRUE(owner.CreateIcon());
    CTrayNotifyIcon second;
    EXPECT_FALSE(second.Create(owner, kIconId, "second", LoadTrayIcon(kIconId), kCallback));
    EXPECT_FALSE(second.IsCreated());
    ASSERT_TRUE(WaitForIconCount(base + 1));
    // ShowIcon does nothing: the icon is not marked hidden.
    second.ShowIcon();
    EXPECT_FALSE(second.IsCreated());

    owner.tray.RemoveIcon();
    ASSERT_TRUE(WaitForIconCount(base));
    TaskbarCreated(owner.GetSafeHwnd());
    EXPECT_TRUE(second.IsCreated());
    EXPECT_TRUE(WaitForIconCount(base + 1));
    second.RemoveIcon();
    EXPECT_TRUE(WaitForIconCount(base));
}

TEST_F(TrayIcon, ChildOwnerHooksItsTopLevelWindow) {
    OwnerFrame child;
    ASSERT_TRUE(child.Create(owner.GetSafeHwnd()));
    ASSERT_TRUE(child.CreateIcon());
    EXPECT_NE(GetPropA(owner.GetSafeHwnd(), "HookWnd_P"), nullptr);
    EXPECT_EQ(GetPropA(child.GetSafeHwnd(), "HookWnd_P"), nullptr);
    EXPECT_EQ(child.tray.GetNotifyIconData().hWnd, child.GetSafeHwnd());
    child.tray.HideIcon();
    child.tray.ShowIcon();
    ASSERT_TRUE(WaitForIconCount(base + 1));
    HWND oldIcon = OurIconWindow();
    ASSERT_NE(oldIcon, nullptr);
    TaskbarCreated(owner.GetSafeHwnd());
    EXPECT_TRUE(
        test::WaitUntil([&] { return !IsWindow(oldIcon) && TrayIconCount() == base + 1; }, 5000));
}

TEST_F(TrayIcon, DoubleClickOnTheIconSendsTheFirstMenuCommandToTheOwner) {
    ASSERT_TRUE(owner.CreateIcon());
    ASSERT_TRUE(WaitForIconCount(base + 1));
    // A double-click on the icon in the shell's tray reaches the owner as the
    // callback message, which the owner hands to the icon object.
    HWND icon = OurIconWindow();
    ASSERT_NE(icon, nullptr);
    PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(test::WaitUntil([&] { return !owner.commands.empty(); }, 5000));
    EXPECT_EQ(owner.commands, std::vector<UINT>{kAddFolder});
}

TEST_F(TrayIcon, NotificationsForOtherIconsOrOtherMessagesDoNothing) {
    ASSERT_TRUE(owner.CreateIcon());
    EXPECT_EQ(owner.tray.OnTrayNotification(kIconId + 1, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(owner.tray.OnTrayNotification(kIconId, WM_MOUSEMOVE), 1);
    EXPECT_EQ(owner.tray.OnTrayNotification(kIconId, WM_LBUTTONUP), 1);
    test::PumpMessages();
    EXPECT_TRUE(owner.commands.empty());
    EXPECT_EQ(owner.tray.OnTrayNotification(kIconId, WM_LBUTTONDBLCLK), 1);
    // Sent, not posted: the command has arrived when the call returns.
    EXPECT_EQ(owner.commands, std::vector<UINT>{kAddFolder});

    // An explicit menu id chooses another menu and so another command.
    ASSERT_TRUE(owner.CreateIcon(201));
    owner.tray.OnTrayNotification(kIconId, WM_LBUTTONDBLCLK);
    EXPECT_EQ(owner.commands, (std::vector<UINT>{kAddFolder, 32780u}));
}

// Picks the first item of the menu being tracked once it is on screen.
void CALLBACK PickFirstItem(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    KillTimer(nullptr, id);
    INPUT keys[4] = {};
    const WORD vks[2] = {VK_DOWN, VK_RETURN};
    for (int i = 0; i < 2; ++i) {
        keys[2 * i].type = keys[2 * i + 1].type = INPUT_KEYBOARD;
        keys[2 * i].ki.wVk = keys[2 * i + 1].ki.wVk = vks[i];
        keys[2 * i + 1].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
}

TEST_F(TrayIcon, RightButtonTracksTheMenuAndTheOwnerGetsTheChosenCommand) {
    ASSERT_TRUE(owner.CreateIcon());
    SetCursorPos(200, 200);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PickFirstItem);
    ASSERT_NE(timer, 0u);
    EXPECT_EQ(owner.tray.OnTrayNotification(kIconId, WM_RBUTTONUP), 1);
    KillTimer(nullptr, timer);
    // The choice arrives as a posted command, followed by the WM_NULL.
    EXPECT_TRUE(test::WaitUntil([&] { return !owner.commands.empty() && owner.nulls > 0; }, 5000));
    EXPECT_EQ(owner.commands, std::vector<UINT>{kAddFolder});
}

TEST_F(TrayIcon, DestroyingTheObjectRemovesTheIcon) {
    {
        CTrayNotifyIcon icon;
        ASSERT_TRUE(icon.Create(owner, 300, "temp", LoadTrayIcon(kIconId), kCallback, 128));
        ASSERT_TRUE(WaitForIconCount(base + 1));
    }
    EXPECT_TRUE(WaitForIconCount(base));
    // Its hooker left the owner with it.
    EXPECT_EQ(GetPropA(owner.GetSafeHwnd(), "HookWnd_P"), nullptr);
    SendMessageA(owner.GetSafeHwnd(), WM_TASKBARCREATED, 0, 0);
    EXPECT_EQ(TrayIconCount(), base);
}

TEST_F(TrayIcon, OwnerDestroyedBeforeTheIconObjectUnhooksAndRemovesCleanly) {
    auto* other = new OwnerFrame;
    ASSERT_TRUE(other->Create());
    ASSERT_TRUE(other->CreateIcon());
    ASSERT_TRUE(WaitForIconCount(base + 1));
    other->DestroyWindow();  // the program's teardown order: window first
    // The tray object, a member, goes afterwards and removes the icon.
    delete other;
    EXPECT_TRUE(WaitForIconCount(base));
}

// The small image of the system DPI: 16 x 16 at 96 DPI, 24 x 24 at 144 (the
// high-DPI run), each the resource's own picture of that size.
TEST(LoadTrayIcon, LoadsTheSmallImageOfTheResource) {
    const int size = SmallIconSizeForDpi(SystemDpi());
    HICON icon = LoadTrayIcon(128);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm = {};
    GetObjectA(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, size);
    EXPECT_EQ(bm.bmHeight, size);
    // The image of that size (16: blue, 24: green), not the 32 x 32 one
    // scaled down (red).
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, info.hbmColor);
    COLORREF c = GetPixel(dc, size / 2, size / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    ASSERT_TRUE(size == 16 || size == 24) << "the test icon has no image of " << size;
    EXPECT_EQ(c, size == 16 ? RGB(0x20, 0x80, 0xE0) : RGB(0x30, 0xB0, 0x40));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);

    EXPECT_EQ(LoadTrayIcon(4242), nullptr);
}

}  // namespace
