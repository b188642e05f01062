// The dialog font hook: the version decision, message boxes, and real
// dialogs. The DialogFontHookOld cases need a system older than Vista; the
// ordinary prefix reports a modern Windows, so they run in a prefix set to
// Windows XP (VT_EXPECT_OLD_WINDOWS makes them insist on it) and are
// skipped elsewhere.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "uikit/dialoglook/dialogfonthook.h"
#include "framework/gdi.h"
#include "lookdialog.h"
#include "support/testsupport.h"
#include "unit/dialogs/dialogdriver.h"

using namespace vt;
using namespace dlgtest;
using namespace looktest;

namespace {

LOGFONTA FontOf(HWND w) {
    LOGFONTA lf = {};
    auto font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    if (font) GetObjectA(font, sizeof lf, &lf);
    return lf;
}

std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

TEST(DialogFontHook, OnlySystemsBeforeVistaAndServersNeedIt) {
    auto facts = [](bool read, DWORD platform, BYTE type, DWORD major) {
        WindowsVersionFacts f;
        f.read = read;
        f.platformId = platform;
        f.productType = type;
        f.majorVersion = major;
        return f;
    };
    EXPECT_FALSE(DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_NT, VER_NT_WORKSTATION, 6)));
    EXPECT_FALSE(DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_NT, VER_NT_WORKSTATION, 10)));
    EXPECT_TRUE(DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_NT, VER_NT_WORKSTATION, 5)));
    EXPECT_TRUE(DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_NT, VER_NT_SERVER, 10)));
    EXPECT_TRUE(
        DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_NT, VER_NT_DOMAIN_CONTROLLER, 6)));
    EXPECT_TRUE(
        DialogFontHookNeeded(facts(true, VER_PLATFORM_WIN32_WINDOWS, VER_NT_WORKSTATION, 6)));
    // Unreadable: taken as old.
    EXPECT_TRUE(DialogFontHookNeeded(facts(false, VER_PLATFORM_WIN32_NT, VER_NT_WORKSTATION, 10)));
}

TEST(DialogFontHook, AMessageBoxIsAnIconATextAndOneToFourButtons) {
    auto census = [](int icons, int texts, int buttons, int others) {
        MessageBoxCensus c;
        bool going = true;
        for (int i = 0; i < icons && going; ++i)
            going = CountMessageBoxWindow(c, "Static", SS_ICON);
        for (int i = 0; i < texts && going; ++i)
            going = CountMessageBoxWindow(c, "STATIC", SS_LEFT);
        for (int i = 0; i < buttons && going; ++i)
            going = CountMessageBoxWindow(c, "Button", BS_PUSHBUTTON);
        for (int i = 0; i < others && going; ++i) going = CountMessageBoxWindow(c, "Edit", 0);
        return std::make_pair(going, IsMessageBoxCensus(c));
    };
    EXPECT_EQ(census(1, 1, 1, 0), std::make_pair(true, true));
    EXPECT_EQ(census(1, 1, 4, 0), std::make_pair(true, true));
    EXPECT_EQ(census(1, 1, 5, 0), std::make_pair(false, false));  // the walk stops at the fifth
    EXPECT_EQ(census(1, 1, 0, 0).second, false);
    EXPECT_EQ(census(0, 1, 2, 0).second, false);
    EXPECT_EQ(census(1, 2, 2, 0), std::make_pair(false, false));
    EXPECT_EQ(census(1, 1, 2, 1), std::make_pair(false, false));
    // A centred text (SS_CENTER, bit 0) counts with the icons.
    MessageBoxCensus c;
    CountMessageBoxWindow(c, "Static", SS_CENTER);
    EXPECT_EQ(c.iconStatics, 1);
}

// The ordinary prefix reports a modern workstation (the manifest names the
// newest systems), so nothing is hooked and template fonts stay.
TEST(DialogFontHook, NothingIsHookedOnAModernWorkstation) {
    if (std::getenv("VT_EXPECT_OLD_WINDOWS")) GTEST_SKIP() << "this prefix reports an old Windows";
    const WindowsVersionFacts facts = ReadWindowsVersion();
    ASSERT_TRUE(facts.read);
    EXPECT_GE(facts.majorVersion, 6u);
    EXPECT_EQ(facts.productType, VER_NT_WORKSTATION);
    EXPECT_FALSE(DialogFontHookNeeded(facts));

    CLookDialog dlg(IDD_LOOK_CONTROLS);
    DialogThread run([&] {
        InstallDialogFontHook("Tahoma", 85);
        return dlg.DoModal();
    });
    HWND d = run.WaitForDialog("Look Controls");
    ASSERT_NE(d, nullptr);
    EXPECT_FALSE(IsDialogFontHookInstalled());
    RunOn(d, [&] { EXPECT_FALSE(IsDialogFontSubclassed(d)); });
    for (HWND c : Children(d)) EXPECT_STREQ(FontOf(c).lfFaceName, "MS Shell Dlg");
}

class DialogFontHookOld : public ::testing::Test {
protected:
    void SetUp() override {
        if (!DialogFontHookNeeded(ReadWindowsVersion())) {
            if (std::getenv("VT_EXPECT_OLD_WINDOWS"))
                FAIL() << "the prefix reports a modern Windows";
            GTEST_SKIP()
                << "needs a prefix that reports Windows XP (HiDpi-like OldWindows entries)";
        }
    }
};

// The folder browser is a system dialog in "MS Shell Dlg": its controls get
// Tahoma at the same height; our own Tahoma dialog keeps its fonts.
TEST_F(DialogFontHookOld, SystemDialogControlsGetTahomaAtTheSameHeight) {
    DialogThread run([] {
        InstallDialogFontHook("Tahoma", 85);
        BROWSEINFOA bi = {};
        bi.lpszTitle = "Pick one";
        LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
        if (pidl) CoTaskMemFree(pidl);
        CLookDialog tahoma(IDD_LOOK_TAHOMA);
        return tahoma.DoModal();
    });
    HWND browser = run.WaitForWindowWithChild("SysTreeView32");
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowVisible(browser) != FALSE; }));
    EXPECT_TRUE(IsDialogFontHookInstalled());
    EXPECT_EQ(DialogFontFace(), "Tahoma");

    const LOGFONTA dialogFont = FontOf(browser);
    EXPECT_STREQ(dialogFont.lfFaceName, "MS Shell Dlg");
    int changed = 0;
    for (HWND c : Children(browser)) {
        const LOGFONTA lf = FontOf(c);
        if (!lf.lfFaceName[0]) continue;
        EXPECT_STREQ(lf.lfFaceName, "Tahoma") << test::ClassNameOf(c);
        EXPECT_EQ(lf.lfHeight, dialogFont.lfHeight) << test::ClassNameOf(c);
        EXPECT_EQ(lf.lfWeight, dialogFont.lfWeight);
        ++changed;
    }
    EXPECT_GE(changed, 3);
    EXPECT_EQ(static_cast<int>(DialogFontsOf(browser).size()), changed);
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);

    HWND own = run.WaitForDialog("Look Tahoma");
    ASSERT_NE(own, nullptr);
    RunOn(own, [&] {
        EXPECT_TRUE(IsDialogFontSubclassed(own));
        EXPECT_TRUE(DialogFontsOf(own).empty());
        for (HWND c : Children(own))
            EXPECT_EQ(SendMessageA(c, WM_GETFONT, 0, 0), SendMessageA(own, WM_GETFONT, 0, 0));
    });
    // The shared font for controls without one: 8.5 points of Tahoma.
    LOGFONTA shared = {};
    ASSERT_TRUE(GetObjectA(DialogFontSharedFont(), sizeof shared, &shared));
    EXPECT_STREQ(shared.lfFaceName, "Tahoma");
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(shared.lfHeight, PointFontHeight(85, GetDeviceCaps(screen, LOGPIXELSY)));
    ReleaseDC(nullptr, screen);
}

// A message box keeps its font (the system builds it from a template with
// every button and removes the unused ones in its own initialisation); a
// dialog with an icon, a text and five buttons is an ordinary dialog.
TEST_F(DialogFontHookOld, MessageBoxesAreLeftAloneFiveButtonsAreNot) {
    DialogThread run([] {
        InstallDialogFontHook("Tahoma", 85);
        MessageBoxA(nullptr, "Left alone", "Box", MB_OKCANCEL | MB_ICONINFORMATION);
        CLookDialog five(IDD_LOOK_FIVE);
        return five.DoModal();
    });
    HWND box = run.WaitForMessageBox("Left alone");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsMessageBoxWindow(box));
    EXPECT_FALSE(IsDialogFontSubclassed(box));
    EXPECT_TRUE(DialogFontsOf(box).empty());
    for (HWND c : Children(box)) {
        if (!FontOf(c).lfFaceName[0]) continue;
        EXPECT_STRNE(FontOf(c).lfFaceName, "Tahoma") << test::TextOf(c);
    }
    PostMessageA(box, WM_COMMAND, IDCANCEL, 0);

    HWND five = run.WaitForDialog("Look Five");
    ASSERT_NE(five, nullptr);
    RunOn(five, [&] {
        EXPECT_FALSE(IsMessageBoxWindow(five));
        EXPECT_TRUE(IsDialogFontSubclassed(five));
        // The text and the five buttons; the icon has no font of its own.
        EXPECT_EQ(DialogFontsOf(five).size(), 6u);
        EXPECT_STREQ(FontOf(GetDlgItem(five, IDC_LOOK_B1)).lfFaceName, "Tahoma");
    });
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT m, WPARAM, LPARAM) { return m == WM_INITDIALOG; }

// Closing a dialog deletes the fonts made for it and no others.
TEST_F(DialogFontHookOld, ClosingADialogDeletesExactlyItsFonts) {
    CLookDialog outer(IDD_LOOK_CONTROLS);
    DialogThread run([&] {
        InstallDialogFontHook("Tahoma", 85);
        return outer.DoModal();
    });
    HWND a = run.WaitForDialog("Look Controls");
    ASSERT_NE(a, nullptr);
    // A second dialog of the same thread, modeless beside the first.
    HWND b = nullptr;
    RunOn(a, [&] {
        b = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOOK_FIVE), a,
                               PlainDialogProc, 0);
    });
    ASSERT_NE(b, nullptr);
    std::vector<HFONT> fontsA, fontsB;
    RunOn(a, [&] {
        fontsA = DialogFontsOf(a);
        fontsB = DialogFontsOf(b);
    });
    EXPECT_EQ(fontsA.size(), Children(a).size());
    EXPECT_EQ(fontsB.size(), 6u);  // the text and five buttons
    for (HFONT f : fontsA) EXPECT_EQ(GetObjectType(f), static_cast<DWORD>(OBJ_FONT));
    for (HFONT f : fontsB) EXPECT_EQ(GetObjectType(f), static_cast<DWORD>(OBJ_FONT));

    RunOn(a, [&] { DestroyWindow(b); });
    for (HFONT f : fontsB) EXPECT_EQ(GetObjectType(f), 0u) << "a font of the closed dialog is left";
    for (HFONT f : fontsA)
        EXPECT_EQ(GetObjectType(f), static_cast<DWORD>(OBJ_FONT)) << "the open dialog lost a font";
    RunOn(a, [&] {
        EXPECT_TRUE(DialogFontsOf(b).empty());
        EXPECT_FALSE(IsDialogFontSubclassed(b));
    });

    PostMessageA(a, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(run.WaitForEnd());
    for (HFONT f : fontsA) EXPECT_EQ(GetObjectType(f), 0u);
    EXPECT_FALSE(IsDialogFontSubclassed(a));
}

}  // namespace
