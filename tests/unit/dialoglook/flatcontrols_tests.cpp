// The flat look on a real dialog, read back from the screen: idle and hot
// buttons, a focused combo box, a control created later, and nothing at
// all with visual styles on. Wine's default prefix has visual styles: the
// cases turn them off for the process's controls and choose through the
// theme seam, a theme library that is missing (no visual styles) or one
// that reports them.
#include <gtest/gtest.h>

#include <windows.h>
#include <uxtheme.h>

#include <cstdlib>

#include <commdlg.h>
#include <shlobj.h>

#include "framework/dpi.h"
#include "lookdialog.h"
#include "support/testsupport.h"
#include "uikit/dialoglook/coolcontrolsmanager.h"
#include "uikit/dialoglook/flatframes.h"
#include "uikit/theme.h"
#include "unit/dialogs/dialogdriver.h"

using namespace vt;
using namespace dlgtest;
using namespace looktest;

namespace {

SIZE SizeOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {r.right - r.left, r.bottom - r.top};
}

class FlatControls : public ::testing::Test {
protected:
    void SetUp() override {
        // In the high-DPI run the frame lines must really be wider.
        if (const char* want = std::getenv("VT_EXPECT_DPI")) {
            ASSERT_EQ(SystemDpi(), std::atoi(want));
        }
        MouseTo(2, 2);  // nowhere near the dialog
        // The controls draw the classic look, the one the flat look is
        // made for (Wine's theme would otherwise redraw a hovered button).
        SetThemeAppProperties(0);
    }

    // Opens the controls dialog with the manager installed on its thread
    // unless theme reports visual styles.
    HWND Open(const CThemeAccess& theme) {
        run_ = std::make_unique<DialogThread>([this, &theme] {
            installed_ = CCoolControlsManager::Instance().InstallUnlessThemed(theme);
            const INT_PTR r = dlg_.DoModal();
            CCoolControlsManager::Instance().Uninstall();
            return r;
        });
        HWND d = run_->WaitForDialog("Look Controls");
        EXPECT_NE(d, nullptr);
        return d;
    }

    // A push button's right edge: its outer and its inner line, each one
    // frame line wide at the button's DPI.
    static bool ButtonIsFlat(HWND b) {
        const SIZE s = SizeOf(b);
        const int line = flat::FrameLine(DpiForWindow(b));
        return WaitForPixel(b, s.cx - 1, s.cy / 2, COLOR_BTNSHADOW) &&
               WaitForPixel(b, s.cx - line, s.cy / 2, COLOR_BTNSHADOW) &&
               WaitForPixel(b, s.cx - 1 - line, s.cy / 2, COLOR_BTNFACE);
    }
    static bool ButtonIsRaised(HWND b) {
        const SIZE s = SizeOf(b);
        const int line = flat::FrameLine(DpiForWindow(b));
        return WaitForPixel(b, s.cx - line, s.cy / 2, COLOR_3DDKSHADOW) &&
               WaitForPixel(b, s.cx - 1 - line, s.cy / 2, COLOR_BTNSHADOW);
    }

    CThemeAccess plain_{"vt-no-such-theme-library.dll"};
    CLookDialog dlg_{IDD_LOOK_CONTROLS};
    std::unique_ptr<DialogThread> run_;
    bool installed_ = false;
};

TEST_F(FlatControls, AnIdleButtonIsFlatAndTheOneUnderTheMouseIsRaised) {
    HWND d = Open(plain_);
    ASSERT_TRUE(installed_);
    HWND one = GetDlgItem(d, IDC_LOOK_ONE), two = GetDlgItem(d, IDC_LOOK_TWO);
    RunOn(d, [&] {
        EXPECT_TRUE(CCoolControlsManager::Instance().IsManaged(one));
        EXPECT_TRUE(CCoolControlsManager::Instance().TimerRunning());
    });
    // Idle: a one-pixel raised line and the face inside it.
    EXPECT_TRUE(ButtonIsFlat(one));
    EXPECT_TRUE(ButtonIsFlat(two));

    // The mouse over One raises it; moving on to Two lowers One again.
    MouseOnto(one);
    EXPECT_TRUE(ButtonIsRaised(one));
    EXPECT_TRUE(ButtonIsFlat(two));
    MouseOnto(two);
    EXPECT_TRUE(ButtonIsRaised(two));
    EXPECT_TRUE(ButtonIsFlat(one));
    EXPECT_TRUE(test::WaitUntil([&] {
        HWND hot = nullptr;
        RunOn(d, [&] { hot = CCoolControlsManager::Instance().HotWindow(); });
        return hot == two;
    }));

    // A button repainted by a new text keeps the look, and the caller still
    // learns that the text was taken.
    BOOL taken = FALSE;
    RunOn(d, [&] { taken = SetWindowTextA(one, "Uno"); });
    EXPECT_TRUE(taken);
    EXPECT_TRUE(ButtonIsFlat(one));

    // While a window holds the mouse capture, the hot control stays.
    RunOn(d, [&] { SetCapture(two); });
    MouseOnto(one);
    EXPECT_FALSE(test::WaitUntil(
        [&] {
            return PixelOf(one, SizeOf(one).cx - 1, SizeOf(one).cy / 2) ==
                   GetSysColor(COLOR_3DDKSHADOW);
        },
        600));
    RunOn(d, [&] { ReleaseCapture(); });
    EXPECT_TRUE(ButtonIsRaised(one));

    // Away from the dialog, nothing is hot.
    MouseTo(2, 2);
    EXPECT_TRUE(ButtonIsFlat(one));
    RunOn(d, [&] { EXPECT_EQ(CCoolControlsManager::Instance().HotWindow(), nullptr); });
}

TEST_F(FlatControls, AFocusedComboBoxKeepsItsRaisedBorderWhenTheMouseLeaves) {
    HWND d = Open(plain_);
    HWND combo = GetDlgItem(d, IDC_LOOK_COMBO), edit = GetDlgItem(d, IDC_LOOK_EDIT);
    const int y = SizeOf(combo).cy / 2;
    const int inner = flat::FrameLine(DpiForWindow(combo));  // the second level's left line
    RunOn(d, [&] { SetFocus(combo); });
    // Focused: the inner level's left line is the dark shadow.
    EXPECT_TRUE(WaitForPixel(combo, inner, y, COLOR_3DDKSHADOW));
    MouseOnto(combo);
    EXPECT_TRUE(test::WaitUntil([&] {
        HWND hot = nullptr;
        RunOn(d, [&] { hot = CCoolControlsManager::Instance().HotWindow(); });
        return hot == combo;
    }));
    MouseTo(2, 2);
    ASSERT_TRUE(test::WaitUntil([&] {
        HWND hot = reinterpret_cast<HWND>(1);
        RunOn(d, [&] { hot = CCoolControlsManager::Instance().HotWindow(); });
        return hot == nullptr;
    }));
    EXPECT_TRUE(WaitForPixel(combo, inner, y, COLOR_3DDKSHADOW));

    // Without the focus and the mouse it goes flat: a small control's inner
    // level is light.
    RunOn(d, [&] { SetFocus(edit); });
    EXPECT_TRUE(WaitForPixel(combo, inner, y, COLOR_BTNHIGHLIGHT));
    RunOn(d, [&] {
        EXPECT_EQ(CCoolControlsManager::Instance().StateOf(combo) & 4, 0);
        EXPECT_NE(CCoolControlsManager::Instance().StateOf(edit) & 4, 0);
    });
}

TEST_F(FlatControls, AChildCreatedLaterIsFlattened) {
    HWND d = Open(plain_);
    HWND later = nullptr;
    RunOn(d, [&] {
        later = CreateWindowExA(0, "Button", "Later", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10,
                                115, 80, 26, d, reinterpret_cast<HMENU>(2000),
                                GetModuleHandleA(nullptr), nullptr);
        SendMessageA(later, WM_SETFONT, SendMessageA(d, WM_GETFONT, 0, 0), TRUE);
    });
    ASSERT_NE(later, nullptr);
    RunOn(d, [&] { EXPECT_TRUE(CCoolControlsManager::Instance().IsManaged(later)); });
    EXPECT_TRUE(ButtonIsFlat(later));
    MouseOnto(later);
    EXPECT_TRUE(ButtonIsRaised(later));
    // Destroyed, it leaves the manager.
    RunOn(d, [&] {
        const size_t before = CCoolControlsManager::Instance().ControlCount();
        DestroyWindow(later);
        EXPECT_FALSE(CCoolControlsManager::Instance().IsManaged(later));
        EXPECT_EQ(CCoolControlsManager::Instance().ControlCount(), before - 1);
        EXPECT_EQ(CCoolControlsManager::Instance().HotWindow(), nullptr);
    });
}

// The system dialogs Vantrel opens (the folder browser, the open-file
// dialog with its shell view, toolbar and header) are flattened, and every
// control leaves the manager when its dialog closes; the timer stops with
// the last one.
TEST_F(FlatControls, SystemDialogsAreFlattenedAndLetGo) {
    size_t left = 99;
    bool timer = true;
    DialogThread run([&] {
        CCoolControlsManager::Instance().InstallUnlessThemed(plain_);
        BROWSEINFOA bi = {};
        bi.lpszTitle = "Pick one";
        if (LPITEMIDLIST pidl = SHBrowseForFolderA(&bi)) CoTaskMemFree(pidl);
        char file[MAX_PATH] = {};
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.Flags = OFN_EXPLORER;
        GetOpenFileNameA(&ofn);
        CCoolControlsManager::Instance().Uninstall();
        left = CCoolControlsManager::Instance().ControlCount();
        timer = CCoolControlsManager::Instance().TimerRunning();
        return INT_PTR(0);
    });
    auto& manager = CCoolControlsManager::Instance();
    HWND browser = run.WaitForWindowWithChild("SysTreeView32");
    ASSERT_NE(browser, nullptr);
    SendMessageA(browser, WM_NULL, 0, 0);  // past its initialisation
    EXPECT_TRUE(manager.IsDialogManaged(browser));
    EXPECT_TRUE(manager.IsManaged(GetDlgItem(browser, IDOK)));
    EXPECT_TRUE(ButtonIsFlat(GetDlgItem(browser, IDCANCEL)));
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);

    HWND open = run.WaitForWindowWithChild("SHELLDLL_DefView", {browser});
    ASSERT_NE(open, nullptr);
    SendMessageA(open, WM_NULL, 0, 0);
    EXPECT_TRUE(manager.IsDialogManaged(open));
    EXPECT_TRUE(manager.IsManaged(GetDlgItem(open, IDOK)));
    EXPECT_TRUE(ButtonIsFlat(GetDlgItem(open, IDCANCEL)));
    MouseOnto(GetDlgItem(open, IDOK));
    EXPECT_TRUE(ButtonIsRaised(GetDlgItem(open, IDOK)));
    MouseTo(2, 2);
    PostMessageA(open, WM_COMMAND, IDCANCEL, 0);

    ASSERT_TRUE(run.WaitForEnd());
    EXPECT_EQ(left, 0u);
    EXPECT_FALSE(timer);
}

TEST_F(FlatControls, NothingIsFlattenedWithVisualStyles) {
    CThemeAccess themed(test::BinPath("vtfaketheme.dll").c_str());
    ASSERT_TRUE(themed.IsAppThemed());
    HWND d = Open(themed);
    EXPECT_FALSE(installed_);
    HWND one = GetDlgItem(d, IDC_LOOK_ONE);
    RunOn(d, [&] {
        EXPECT_FALSE(CCoolControlsManager::Instance().IsInstalled());
        EXPECT_FALSE(CCoolControlsManager::Instance().IsManaged(one));
        EXPECT_FALSE(CCoolControlsManager::Instance().IsDialogManaged(d));
    });
    // The system's own button, never the flat border, with or without the
    // mouse over it.
    const SIZE s = SizeOf(one);
    auto flat = [&] {
        return PixelOf(one, s.cx - 1, s.cy / 2) == GetSysColor(COLOR_BTNSHADOW) &&
               PixelOf(one, s.cx - 2, s.cy / 2) == GetSysColor(COLOR_BTNFACE);
    };
    EXPECT_FALSE(test::WaitUntil(flat, 500));
    MouseOnto(one);
    EXPECT_FALSE(test::WaitUntil(flat, 500));
}

}  // namespace
