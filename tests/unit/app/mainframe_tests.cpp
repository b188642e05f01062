// The main window in-process: shortcut registration and its failure path,
// tray switching, and the small rules the activation handlers rely on.
#include <gtest/gtest.h>

#include "app/mainframe.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kRoot = "Software\\VantrelFrameTest";

CRegProfile Profile() { return CRegProfile("VantrelFrameTest", "Vantrel"); }

void Seed(DWORD shortcutType, DWORD vk, DWORD mods, DWORD showTray) {
    CRegProfile p = Profile();
    p.WriteProfileInt("", "Already Run", 1);
    p.WriteProfileInt("", "Shortcut Type", static_cast<int>(shortcutType));
    p.WriteProfileInt("", "Normal Hot Key Virtual Key", static_cast<int>(vk));
    p.WriteProfileInt("", "Normal Hot Key Modifier", static_cast<int>(mods));
    p.WriteProfileInt("", "Show Tray", static_cast<int>(showTray));
}

// Handles what the window posted to itself (the notices after start-up).
void DrainMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// A window of this process that holds combinations, as another program would.
class HotKeyHolder {
public:
    HotKeyHolder() {
        CWindowImpl::RegisterClass("VtHotKeyHolder");
        window_.CreateEx(0, "VtHotKeyHolder", "", 0, 0, 0, 0, 0, nullptr, nullptr);
    }
    ~HotKeyHolder() {
        for (int id = 1; id < next_; ++id) UnregisterHotKey(window_.hwnd_, id);
        ::DestroyWindow(window_.hwnd_);
    }
    bool Hold(UINT mods, UINT vk) { return RegisterHotKey(window_.hwnd_, next_++, mods, vk); }

private:
    CWindowImpl window_;
    int next_ = 1;
};

int CountContaining(const std::vector<std::string>& v, const std::string& part) {
    int n = 0;
    for (const auto& s : v) n += s.find(part) != std::string::npos;
    return n;
}

TEST(MainFrameRules, HotKeyModifiersDropTheExtendedBit) {
    EXPECT_EQ(HotKeyModifiersFromControl(0), 0u);
    EXPECT_EQ(HotKeyModifiersFromControl(1), static_cast<UINT>(MOD_SHIFT));
    EXPECT_EQ(HotKeyModifiersFromControl(2), static_cast<UINT>(MOD_CONTROL));
    EXPECT_EQ(HotKeyModifiersFromControl(4), static_cast<UINT>(MOD_ALT));
    EXPECT_EQ(HotKeyModifiersFromControl(8), 0u);
    EXPECT_EQ(HotKeyModifiersFromControl(15), static_cast<UINT>(MOD_SHIFT | MOD_CONTROL | MOD_ALT));
}

TEST(MainFrameRules, IconCacheKeysAreLowerCasedLocationsOrDefault) {
    EXPECT_EQ(IconCacheKey({"p", "t", "", 3}), "DEFAULT");
    EXPECT_EQ(IconCacheKey({"p", "t", "C:\\Icons\\A.ico", -1}), "DEFAULT");
    EXPECT_EQ(IconCacheKey({"p", "t", "C:\\Icons\\A.ico", 2}), "c:\\icons\\a.ico,2");
    EXPECT_EQ(IconCacheKey({"p", "t", "c:\\icons\\a.ico", 2}),
              IconCacheKey({"p", "t", "C:\\ICONS\\A.ICO", 2}));
    EXPECT_EQ(IconCacheKey({"p", "t", "*** SIL ***", 7}), "*** sil ***,7");
}

TEST(MainFrameRules, OnlyCaptionButtonsCount) {
    for (LRESULT hit : {HTREDUCE, HTZOOM, HTCLOSE, HTHELP}) EXPECT_TRUE(IsCaptionButtonHit(hit));
    for (LRESULT hit : {HTCLIENT, HTCAPTION, HTSYSMENU, HTNOWHERE, HTTRANSPARENT})
        EXPECT_FALSE(IsCaptionButtonHit(hit));
}

TEST(MainFrame, TakenHotKeyIsReportedOnceAndForcesTheTrayOnForThisRun) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kRoot);
    Seed(2, VK_F11, 2 | 4, 0);
    // Someone else holds Ctrl+Alt+F11.
    CWindowImpl::RegisterClass("VtHotKeyHolder");
    CWindowImpl holder;
    ASSERT_TRUE(holder.CreateEx(0, "VtHotKeyHolder", "", 0, 0, 0, 0, 0, nullptr, nullptr));
    ASSERT_TRUE(RegisterHotKey(holder.hwnd_, 1, MOD_CONTROL | MOD_ALT, VK_F11));

    std::vector<std::string> shown;
    CMainFrame frame(Profile());
    frame.reportMessage = [&](const std::string& s) { shown.push_back(s); };
    EXPECT_FALSE(frame.Settings().showTray);
    ASSERT_TRUE(frame.Create());
    // Told after start-up, never inside the window's creation.
    EXPECT_TRUE(shown.empty());
    DrainMessages();
    EXPECT_EQ(
        CountContaining(shown, "Vantrel failed to initialize the global keyboard accelerator."), 1);
    EXPECT_EQ(CountContaining(shown, "Ctrl + Alt + F11"), 1);
    EXPECT_TRUE(frame.Settings().showTray);
    EXPECT_TRUE(frame.TrayIcon().IsCreated());
    EXPECT_FALSE(frame.TrayIcon().IsHidden());
    // Not saved.
    EXPECT_EQ(Profile().GetProfileInt("", "Show Tray", -1), 0);
    frame.DestroyWindow();
    EXPECT_FALSE(frame.TrayIcon().IsCreated());
    UnregisterHotKey(holder.hwnd_, 1);
}

TEST(MainFrame, ShortcutTypesRegisterWhatTheyShouldAndTeardownReleasesIt) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kRoot);
    auto taken = [](UINT mods, UINT vk) { return !test::HotKeyIsFree(mods, vk); };
    {
        Seed(2, VK_F10, 1 | 8, 0);  // Shift + extended bit: only Shift reaches the system
        std::vector<std::string> shown;
        CMainFrame frame(Profile());
        frame.reportMessage = [&](const std::string& s) { shown.push_back(s); };
        ASSERT_TRUE(frame.Create());
        EXPECT_EQ(CountContaining(shown, "keyboard accelerator"), 0);
        EXPECT_TRUE(taken(MOD_SHIFT, VK_F10));
        EXPECT_FALSE(frame.TrayIcon().IsCreated());  // "Show Tray" 0 and nothing failed
        frame.DestroyWindow();
        EXPECT_FALSE(taken(MOD_SHIFT, VK_F10));
    }
    {
        Seed(2, 0, 2, 0);  // no key: nothing registered, nothing reported
        std::vector<std::string> shown;
        CMainFrame frame(Profile());
        frame.reportMessage = [&](const std::string& s) { shown.push_back(s); };
        ASSERT_TRUE(frame.Create());
        EXPECT_EQ(CountContaining(shown, "keyboard accelerator"), 0);
        frame.DestroyWindow();
    }
}

TEST(MainFrame, TrayFollowsTheSettingAndHidesWithoutRemoving) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kRoot);
    Seed(0, 0, 0, 1);
    CMainFrame frame(Profile());
    frame.reportMessage = [](const std::string&) {};
    ASSERT_TRUE(frame.Create());
    EXPECT_TRUE(frame.TrayIcon().IsCreated());
    EXPECT_FALSE(frame.TrayIcon().IsHidden());
    frame.Settings().showTray = false;
    frame.UpdateTrayIcon();
    EXPECT_TRUE(frame.TrayIcon().IsHidden());
    EXPECT_TRUE(frame.TrayIcon().IsCreated());
    frame.Settings().showTray = true;
    frame.UpdateTrayIcon();
    EXPECT_FALSE(frame.TrayIcon().IsHidden());
    frame.DestroyWindow();
    EXPECT_FALSE(frame.TrayIcon().IsCreated());
}

TEST(MainFrame, AFirstRunTakesTheFirstCombinationTheSystemGivesAndStoresIt) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kRoot);
    HotKeyHolder shell;
    ASSERT_TRUE(shell.Hold(MOD_WIN, 'A'));
    auto firstRun = [](std::vector<std::string>& shown) {
        test::DeleteRegTree(HKEY_CURRENT_USER, kRoot);
        Profile().WriteProfileInt("", "Show Tray", 0);  // no tray: told in a message box
        CMainFrame frame(Profile());
        frame.reportMessage = [&](const std::string& s) { shown.push_back(s); };
        EXPECT_TRUE(frame.Create());
        EXPECT_TRUE(shown.empty());
        DrainMessages();
        const Shortcut stored = ShortcutOf(frame.Settings());
        // Registered by the frame: nobody else can have it now.
        EXPECT_FALSE(test::HotKeyIsFree(stored.modifiers, stored.vk));
        frame.DestroyWindow();
        EXPECT_TRUE(test::HotKeyIsFree(stored.modifiers, stored.vk));
        return stored;
    };
    std::vector<std::string> shown;
    EXPECT_EQ(firstRun(shown), (Shortcut{MOD_WIN | MOD_SHIFT, 'A'}));
    EXPECT_EQ(Profile().GetProfileInt("", "Shortcut Type", -1), 2);
    EXPECT_EQ(Profile().GetProfileInt("", "Normal Hot Key Virtual Key", -1), 'A');
    EXPECT_EQ(Profile().GetProfileInt("", "Normal Hot Key Modifier", -1), 0x10 | 1);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("Windows key + Shift + A"), std::string::npos) << shown[0];
    EXPECT_NE(shown[0].find("Setup"), std::string::npos) << shown[0];
    EXPECT_EQ(CountContaining(shown, "keyboard accelerator"), 0);

    ASSERT_TRUE(shell.Hold(MOD_WIN | MOD_SHIFT, 'A'));
    shown.clear();
    EXPECT_EQ(firstRun(shown), (Shortcut{MOD_WIN | MOD_CONTROL, 'A'}));
    EXPECT_EQ(CountContaining(shown, "Windows key + Ctrl + A"), 1);

    // Only the first run looks further: a later start keeps what is stored.
    Profile().WriteProfileInt("", "Already Run", 1);
    CMainFrame later(Profile());
    later.reportMessage = [](const std::string&) {};
    ASSERT_TRUE(later.Create());
    EXPECT_EQ(ShortcutOf(later.Settings()), (Shortcut{MOD_WIN | MOD_CONTROL, 'A'}));
    later.DestroyWindow();
}

TEST(MainFrame, AvailabilityIsAskedOfTheSystemWithoutLosingTheOwnShortcut) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kRoot);
    HotKeyHolder other;
    ASSERT_TRUE(other.Hold(MOD_CONTROL | MOD_ALT, VK_F11));
    Seed(2, VK_F10, 2 | 4, 0);
    CMainFrame frame(Profile());
    frame.reportMessage = [](const std::string&) {};
    ASSERT_TRUE(frame.Create());
    AppSettings candidate = frame.Settings();
    candidate.normalHotKeyVirtualKey = VK_F11;
    EXPECT_FALSE(frame.ShortcutAvailable(candidate));
    candidate.normalHotKeyVirtualKey = VK_F10;  // its own: available
    EXPECT_TRUE(frame.ShortcutAvailable(candidate));
    candidate.normalHotKeyVirtualKey = VK_F7;
    EXPECT_TRUE(frame.ShortcutAvailable(candidate));
    EXPECT_TRUE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F7));  // only asked, not taken
    candidate.shortcutType = ShortcutType::None;
    EXPECT_TRUE(frame.ShortcutAvailable(candidate));
    // Still holding its own combination after every question.
    EXPECT_FALSE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F10));
    frame.DestroyWindow();
}

}  // namespace
