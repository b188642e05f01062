// The Setup dialog in this process, where its list's pictures, its drawing and
// its link can be looked at directly: row images at the dialog's DPI, the
// selected row's icon, editing by double click, the version and the link.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <set>

#include "shell/iconsources.h"
#include "dialogs/setupdlg.h"
#include "dialogs/webpages.h"
#include "framework/dpi.h"
#include "framework/fileio.h"
#include "model/settingsfile.h"
#include "model/shortcut.h"
#include "resources/resource.h"
#include "resources/version.h"
#include "support/testsupport.h"
#include "unit/dialogs/dialogdriver.h"

using namespace vt;
using namespace dlgtest;

namespace {

int ItemImage(HWND list, int row) {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) ? it.iImage : -99;
}

std::string ItemText(HWND list, int row, int column) {
    char buf[512] = {};
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = buf;
    it.cchTextMax = sizeof buf;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it));
    return buf;
}

bool BringToFront(HWND w) {
    return test::WaitUntil([&] {
        if (GetForegroundWindow() == w) return true;
        SetForegroundWindow(w);
        return false;
    });
}

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override { ComputeIconReferenceValues(test::BinDir()); }

    HWND Open() {
        run_ = std::make_unique<DialogThread>([this] { return dlg_->DoModal(); });
        HWND d = run_->WaitForDialog("Setup");
        EXPECT_NE(d, nullptr);
        return d;
    }
    // Rows 0..n-1 under keys 0..n-1 with the default picture.
    void PlainFolders(int from, int to) {
        for (int k = from; k < to; ++k)
            dlg_->folders_[k] = {dir_.Path() + "\\f" + std::to_string(k) + "\\",
                                 "Folder " + std::to_string(k), "", -1};
    }

    test::ScratchDir dir_{"setupdlg"};
    std::unique_ptr<CSetupDlg> dlg_ = std::make_unique<CSetupDlg>(nullptr);
    std::unique_ptr<DialogThread> run_;
};

TEST_F(SetupDialog, RowImagesAreSizedForTheDpiAndSharedPerIcon) {
    const std::string red = test::BinPath("vt_test_red.ico");
    int windowsImage = -1;
    ASSERT_TRUE(GetSystemIconIndex("C:\\windows", windowsImage));
    dlg_->folders_[0] = {"C:\\a\\", "Plain", "", -1};
    dlg_->folders_[1] = {"C:\\b\\", "Red", red, 0};
    dlg_->folders_[2] = {"C:\\c\\", "Red again", red, 0};
    dlg_->folders_[3] = {"C:\\windows", "Windows", kSystemImageListMarker, windowsImage};
    dlg_->folders_[4] = {"C:\\d\\", "No such icon", "C:\\nothing here.ico", 3};
    PlainFolders(5, 60);
    HWND d = Open();
    ASSERT_TRUE(d);
    HWND list = GetDlgItem(d, IDC_FOLDER_LIST);

    // The pictures are as big as a small icon at the dialog's DPI.
    HIMAGELIST images =
        reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_NE(images, nullptr);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    const int size = SmallIconSizeForDpi(DpiForWindow(d));
    EXPECT_EQ(cx, size);
    EXPECT_EQ(cy, size);
    if (const char* want = getenv("VT_EXPECT_DPI")) {
        EXPECT_EQ(DpiForWindow(d), atoi(want));
    }

    // The rows in view have their pictures once drawn.
    ASSERT_TRUE(test::WaitUntil([&] { return ItemImage(list, 4) >= 0; }));
    EXPECT_EQ(ItemImage(list, 1), ItemImage(list, 2)) << "the same icon twice";
    EXPECT_EQ(ItemImage(list, 0), ItemImage(list, 5)) << "the default picture twice";
    EXPECT_EQ(ItemImage(list, 4), ItemImage(list, 0)) << "an icon that cannot be had";
    std::set<int> distinct{ItemImage(list, 0), ItemImage(list, 1), ItemImage(list, 3)};
    EXPECT_EQ(distinct.size(), 3u);
    // A row scrolled into view gets its picture too.
    SendMessageA(list, LVM_ENSUREVISIBLE, 59, FALSE);
    EXPECT_TRUE(test::WaitUntil([&] { return ItemImage(list, 59) == ItemImage(list, 0); }))
        << ItemImage(list, 59);

    // Two columns of equal width that fill the list beside its scroll bar
    // (60 rows need one).
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    RECT client;
    GetClientRect(list, &client);
    const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), width);
    ASSERT_TRUE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
    EXPECT_NEAR(2 * width, client.right, 1);
    EXPECT_EQ(ItemText(list, 1, 0), "Red");
    EXPECT_EQ(ItemText(list, 1, 1), "C:\\b\\");
}

TEST_F(SetupDialog, TheSelectedRowShowsItsIconWithoutTheSelectionTint) {
    const std::string red = test::BinPath("vt_test_red.ico");
    dlg_->folders_[0] = {"C:\\a\\", "Red", red, 0};
    dlg_->folders_[1] = {"C:\\b\\", "Red too", red, 0};
    HWND d = Open();
    ASSERT_TRUE(d);
    ASSERT_TRUE(BringToFront(d));
    HWND list = GetDlgItem(d, IDC_FOLDER_LIST);
    LVITEMA it = {};
    it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&it));
    SetFocus(nullptr);
    SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    // The centre of each row's picture, as the screen shows it.
    auto iconCentre = [&](int row) {
        RECT r = {LVIR_ICON, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        const int size = SmallIconSizeForDpi(DpiForWindow(d));
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        HDC dc = GetDC(list);
        COLORREF c = GetPixel(dc, r.left + size / 2, r.top + size / 2);
        ReleaseDC(list, dc);
        return c;
    };
    EXPECT_TRUE(test::WaitUntil([&] { return iconCentre(0) == RGB(255, 0, 0); }))
        << std::hex << iconCentre(0);
    EXPECT_TRUE(test::WaitUntil([&] { return iconCentre(1) == RGB(255, 0, 0); }))
        << "selected row: " << std::hex << iconCentre(1);
}

TEST_F(SetupDialog, DoubleClickEditsTheRowAndOkHandsTheEntryBack) {
    PlainFolders(0, 3);
    HWND d = Open();
    ASSERT_TRUE(d);
    ASSERT_TRUE(BringToFront(d));
    HWND list = GetDlgItem(d, IDC_FOLDER_LIST);
    RECT r = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    POINT p = {r.left + 10, (r.top + r.bottom) / 2};
    ClientToScreen(list, &p);
    ClickAt(p);
    ClickAt(p);
    HWND editor = run_->WaitForDialog("Add/Edit");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(TextOf(editor, IDC_PATH), dlg_->folders_[1].path);
    EXPECT_EQ(TextOf(editor, IDC_TITLE), "Folder 1");
    SetText(editor, IDC_TITLE, "Renamed");
    Click(editor, IDOK);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(editor); }));
    EXPECT_TRUE(test::WaitUntil([&] { return ItemText(list, 1, 0) == "Renamed"; }));
    EXPECT_EQ(ItemText(list, 0, 0), "Folder 0");
    Click(d, IDOK);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDOK);
    EXPECT_EQ(dlg_->folders_[1].title, "Renamed");
    EXPECT_EQ(dlg_->folders_.size(), 3u);
}

TEST_F(SetupDialog, VersionTextAndTheHomePageLink) {
    std::vector<std::string> opened;
    dlg_->HomePageLink().launch = [&](const std::string& address, int) {
        opened.push_back(address);
        return INT_PTR(33);
    };
    HWND d = Open();
    ASSERT_TRUE(d);
    EXPECT_EQ(TextOf(d, IDC_VERSION), "Version " + std::to_string(VT_VERSION_MAJOR) + "." +
                                          std::to_string(VT_VERSION_MINOR) + "." +
                                          std::to_string(VT_VERSION_BUILD));
    HWND link = GetDlgItem(d, IDC_HOME_PAGE);
    EXPECT_EQ(TextOf(d, IDC_HOME_PAGE), kProductWebHost);
    EXPECT_EQ(dlg_->HomePageLink().GetTarget(), ProductWebPage("/"));
    // Reached with the keyboard; the space bar opens it; it keeps the link
    // colour when focused and after the visit.
    EXPECT_TRUE(GetWindowLongA(link, GWL_STYLE) & WS_TABSTOP);
    SendMessageA(d, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(link), TRUE);
    SendMessageA(link, WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], ProductWebPage("/"));
    EXPECT_TRUE(dlg_->HomePageLink().IsVisited());
    EXPECT_TRUE(dlg_->HomePageLink().IsActive());
    EXPECT_EQ(dlg_->HomePageLink().TextColour(), RGB(0, 0, 255));
}

TEST_F(SetupDialog, AStoredShortcutTypeItDoesNotKnowShowsAndSavesAsNone) {
    dlg_->settings_.shortcutType = ShortcutTypeFromStored(7);
    dlg_->settings_.showTray = true;
    HWND d = Open();
    ASSERT_TRUE(d);
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_SHORTCUT_NONE, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_WINDOWS_KEY)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_HOTKEY)));
    Click(d, IDOK);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDOK);
    EXPECT_EQ(dlg_->settings_.shortcutType, ShortcutType::None);
}

TEST_F(SetupDialog, TheWindowsKeyHasABoxBesideTheHotKeyThatFollowsTheShortcutType) {
    dlg_->settings_.shortcutType = ShortcutType::WindowsKey;
    dlg_->settings_.normalHotKeyVirtualKey = 'K';
    dlg_->settings_.normalHotKeyModifier = kHotKeyWinBit | HOTKEYF_CONTROL;
    HWND d = Open();
    ASSERT_TRUE(d);
    // The control shows Ctrl + K; the Windows key is the box beside it.
    EXPECT_EQ(SendDlgItemMessageA(d, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0),
              MAKEWORD('K', HOTKEYF_CONTROL));
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_HOTKEY_WIN), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_HOTKEY_WIN)));
    Click(d, IDC_SHORTCUT_OTHER);
    ASSERT_TRUE(test::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(d, IDC_HOTKEY_WIN)); }));
    SendDlgItemMessageA(d, IDC_HOTKEY_WIN, BM_SETCHECK, BST_UNCHECKED, 0);
    Click(d, IDOK);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDOK);
    EXPECT_EQ(dlg_->settings_.shortcutType, ShortcutType::HotKey);
    EXPECT_EQ(dlg_->settings_.normalHotKeyModifier, HOTKEYF_CONTROL);
    EXPECT_EQ(ShortcutOf(dlg_->settings_), (Shortcut{MOD_CONTROL, 'K'}));
}

// The system's file dialog that Export or Import opened: the file named, OK.
bool ChooseFile(const DialogThread& run, HWND setup, const std::string& file) {
    HWND files = run.WaitForWindowWithChild("ComboBoxEx32", {setup});
    if (!files) return false;
    HWND nameBox =
        FindWindowExA(FindWindowExA(GetDlgItem(files, 1148), nullptr, "ComboBox", nullptr), nullptr,
                      "Edit", nullptr);
    if (!nameBox) return false;
    SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PostMessageA(GetDlgItem(files, IDOK), BM_CLICK, 0, 0);
    return test::WaitUntil([&] { return !IsWindow(files); });
}

TEST_F(SetupDialog, ImportLooksSystemImagesUpAfreshAndExportWritesWhatTheControlsShow) {
    const std::string key = "HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel";
    int windowsImage = -1;
    ASSERT_TRUE(GetSystemIconIndex("C:\\windows", windowsImage));
    // Another session's index, which means nothing here.
    FolderList file;
    file[0] = {"C:\\windows", "Windows", kSystemImageListMarker, windowsImage + 1000};
    const std::string imported = dir_.Path() + "\\in.reg";
    ASSERT_TRUE(WriteWholeFile(imported, WriteSettingsFile(file, AppSettings(), key)));
    std::vector<std::pair<std::string, UINT>> asked;
    dlg_->askUser = [&](HWND, const std::string& text, UINT type) {
        asked.push_back({text, type});
        return IDYES;
    };
    dlg_->programKey_ = key;
    PlainFolders(0, 2);
    HWND d = Open();
    ASSERT_TRUE(d);
    HWND list = GetDlgItem(d, IDC_FOLDER_LIST);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_SETUP_EXPORT)));
    Click(d, IDC_SETUP_IMPORT);
    ASSERT_TRUE(ChooseFile(*run_, d, imported));
    ASSERT_TRUE(test::WaitUntil([&] { return ItemText(list, 0, 0) == "Windows"; }));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].second, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));
    EXPECT_NE(asked[0].first.find("with the 1 folders"), std::string::npos) << asked[0].first;

    // The letter chosen in its box, not yet confirmed by OK, goes into the file.
    SendDlgItemMessageA(d, IDC_WINDOWS_KEY, CB_SETCURSEL, 5, 0);  // "I"
    const std::string exported = dir_.Path() + "\\out.reg";
    Click(d, IDC_SETUP_EXPORT);
    ASSERT_TRUE(ChooseFile(*run_, d, exported));
    std::string bytes;
    ASSERT_TRUE(test::WaitUntil([&] { return ReadWholeFile(exported, bytes, 1 << 20); }));
    const SettingsFileContents back = ReadSettingsFile(bytes, AppSettings(), key);
    ASSERT_EQ(back.problem, SettingsFileProblem::None);
    EXPECT_EQ(back.settings.windowsKey, "I");
    ASSERT_EQ(back.folders.size(), 1u);
    EXPECT_EQ(back.folders.at(0).iconIndex, windowsImage);

    Click(d, IDOK);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDOK);
    ASSERT_EQ(dlg_->folders_.size(), 1u);
    EXPECT_EQ(dlg_->folders_.begin()->second.iconFile, kSystemImageListMarker);
    EXPECT_EQ(dlg_->folders_.begin()->second.iconIndex, windowsImage);
    EXPECT_EQ(dlg_->settings_.windowsKey, "I");
    EXPECT_EQ(asked.size(), 1u) << "no other message";
}

}  // namespace
