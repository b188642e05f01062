// A folder named in Cyrillic, CJK and an emoji, stored in the registry in
// UTF-16 by another tool, picked from the real Vantrel.exe's folder menu over
// Wine's Open dialog, Explorer and the folder browser: each ends up there.
// What they show is read back with the W messages.
#include <gtest/gtest.h>

#include "support/session.h"
#include "framework/text.h"
#include "navigation/recognise.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

POINT CentreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void SetStringW(HKEY key, const wchar_t* name, const std::wstring& value) {
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

class AnyScript : public ::testing::Test {
protected:
    void SetUp() override {
        alpha_ = dir_.MakeDir("Alpha");
        // At the drive root: Wine's folder tree often misses a new folder
        // below the user's profile, where the temporary folder is.
        folder_ = "C:\\" + std::string(navtest::kMixedScriptName) + " e2e";
        ASSERT_TRUE(CreateDirectoryW(vt::ToWide(folder_).c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        run_.folders[0] = {alpha_, "Alpha", "", -1};
        run_.folders[1] = {alpha_, "placeholder", "", -1};
        run_.editProfile = [this] {
            HKEY k = nullptr;
            ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvane.\\Vantrel\\Entries", 0,
                                    KEY_WRITE, &k),
                      ERROR_SUCCESS);
            SetStringW(k, L"Path1", vt::ToWide(folder_));
            SetStringW(k, L"Title1", vt::ToWide(navtest::kMixedScriptName));
            RegCloseKey(k);
        };
        ASSERT_TRUE(run_.Start());
    }
    void TearDown() override { RemoveDirectoryW(vt::ToWide(folder_).c_str()); }

    // With target in front and the pointer over it, pops the menu with
    // "/pop" and picks its second item, the folder.
    void PickTheFolderOver(HWND target) {
        ASSERT_TRUE(BringToFront(target));
        MoveMouse(CentreOf(target));
        PopAndPickSecondItem(run_);
    }

    test::ScratchDir dir_{"e2escript"};
    std::string alpha_, folder_;
    VantrelRun run_;
};

TEST_F(AnyScript, OpenDialogExplorerAndFolderBrowserEndUpInTheFolder) {
    {
        // The Open dialog of a Unicode program.
        navtest::Fixture dialog;
        ASSERT_TRUE(dialog.Start("open-explorer-w", "\"" + alpha_ + "\"", "#32770"));
        PickTheFolderOver(dialog.Window());
        EXPECT_TRUE(test::WaitUntil([&] {
            return vt::EqualsIgnoreCase(navtest::FileDialogFolderW(dialog.Window()), folder_);
        })) << navtest::FileDialogFolderW(dialog.Window());
    }
    {
        // Explorer, reused: its window is named after the folder.
        char windows[MAX_PATH] = {};
        GetWindowsDirectoryA(windows, sizeof windows);
        test::ChildProcess explorer;
        ASSERT_TRUE(explorer.Start(std::string(windows) + "\\explorer.exe", "\"" + alpha_ + "\""));
        HWND window = test::WaitForTopWindow(explorer.Pid(), "ExplorerWClass", 30000);
        ASSERT_TRUE(window);
        PickTheFolderOver(window);
        const std::string name = folder_.substr(3);
        EXPECT_TRUE(test::WaitUntil([&] { return navtest::Text(window) == name; }))
            << navtest::Text(window);
    }
    {
        // The folder browser of a program in the system code page returns it.
        navtest::Fixture browser;
        ASSERT_TRUE(browser.Start("browse", "", "#32770"));
        ASSERT_TRUE(browser.WaitForLog("INIT"));
        ASSERT_TRUE(test::WaitUntil(
            [&] { return vt::nav::IsBrowseForFolderDialog(vt::CWnd(browser.Window())); }));
        PickTheFolderOver(browser.Window());
        ASSERT_TRUE(browser.WaitForLog("OK ")) << browser.Log();
        EXPECT_NE(browser.Log().find("OK " + folder_), std::string::npos) << browser.Log();
    }
}

}  // namespace
