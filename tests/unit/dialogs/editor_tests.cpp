// The folder editor as a user meets it: the real dialog on a thread of its
// own, driven from the test's thread with clicks, typed text, menu picks and
// the system's folder browser and file dialog.
#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "dialogs/foldereditdlg.h"
#include "shell/iconsources.h"
#include "dialogs/webpages.h"
#include "framework/app.h"
#include "resources/resource.h"
#include "support/testsupport.h"
#include "unit/dialogs/dialogdriver.h"

using namespace vt;
using namespace dlgtest;

namespace {

const char* kCaption = "Add/Edit";
const int kTestDllIcons = 4;  // red, green, blue, yellow

int IconCount(const std::string& file) {
    return static_cast<int>(ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0));
}

class Editor : public ::testing::Test {
protected:
    void SetUp() override {
        // What a plain folder looks like, as the program works it out at start.
        ComputeIconReferenceValues(test::BinDir());
        alpha_ = dir_.MakeDir("Projects Alpha");
        beta_ = dir_.MakeDir("Beta");
        testDll_ = test::BinPath("vt_test_icons.dll");
        redIcon_ = test::BinPath("vt_test_red.ico");
        dlg_.openWebPage = [this](const std::string& url) {
            std::lock_guard<std::mutex> lock(mutex_);
            openedPages_.push_back(url);
        };
    }

    // Runs the dialog and waits for it to show.
    HWND Open() {
        run_ = std::make_unique<DialogThread>([this] { return dlg_.DoModal(); });
        HWND d = run_->WaitForDialog(kCaption);
        EXPECT_NE(d, nullptr);
        return d;
    }

    int PickerCount(HWND d) const {
        return static_cast<int>(SendMessageA(GetDlgItem(d, IDC_ICON_PICKER), CB_GETCOUNT, 0, 0));
    }
    int PickerSelection(HWND d) const {
        return static_cast<int>(SendMessageA(GetDlgItem(d, IDC_ICON_PICKER), CB_GETCURSEL, 0, 0));
    }
    // Waits until the picker shows the icon file's items and this selection.
    bool PickerShows(HWND d, int count, int selection) const {
        return test::WaitUntil(
            [&] { return PickerCount(d) == count && PickerSelection(d) == selection; });
    }

    // Opens "Icon Options..." and returns the menu window.
    // Right after a file dialog closes, the editor can be activated again
    // only after its menu opened, which closes the menu (seen under load).
    // So the editor is let come to the front first, and the menu opened
    // again if it did not stay.
    HWND OpenIconMenu(HWND d) {
        test::WaitUntil([&] { return IsWindowEnabled(d) && GetForegroundWindow() == d; }, 2000);
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(d, IDC_ICON_OPTIONS);
            if (HWND menu = run_->WaitForMenu(3000)) return menu;
        }
        return nullptr;
    }

    // Chooses a command of the "Icon Options..." menu shown (menu), opening
    // the menu again should something else have closed it first.
    bool ChooseIconCommand(HWND d, HWND& menu, UINT id) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (menu && ClickMenuItem(menu, id)) return true;
            menu = OpenIconMenu(d);
        }
        return false;
    }

    // Ends the dialog with its OK button and returns the result.
    INT_PTR PressOk(HWND d) {
        Click(d, IDOK);
        EXPECT_TRUE(run_->WaitForEnd());
        return run_->Result();
    }

    // Outside the user's profile: Wine's folder browser does not always find
    // a new folder below it (see ChooseInBrowser).
    test::ScratchDir dir_{"editor", "C:\\"};
    std::string alpha_, beta_, testDll_, redIcon_;
    CFolderEditDlg dlg_;
    std::unique_ptr<DialogThread> run_;
    std::mutex mutex_;
    std::vector<std::string> openedPages_;
};

TEST_F(Editor, FormatGivesTheFolderItsNameAndOkInsistsOnBothFields) {
    // As a hand-over leaves it: path and title both the full path.
    dlg_.path_ = alpha_;
    dlg_.title_ = alpha_;
    HWND d = Open();
    ASSERT_TRUE(d);
    EXPECT_EQ(TextOf(d, IDC_PATH), alpha_);
    EXPECT_EQ(TextOf(d, IDC_TITLE), alpha_);
    // The focus starts on the first tab stop, OK.
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    ASSERT_TRUE(GetGUIThreadInfo(run_->Id(), &gui));
    EXPECT_EQ(gui.hwndFocus, GetDlgItem(d, IDOK));
    // No icon file of its own: the default one is carried, item 0 chosen.
    EXPECT_EQ(TextOf(d, IDC_ICON_FILE), GetDefaultIconFile());
    EXPECT_TRUE(PickerShows(d, 1 + IconCount(GetDefaultIconFile()), 0));

    Click(d, IDC_FORMAT);
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_TITLE) == "Projects Alpha"; }))
        << TextOf(d, IDC_TITLE);
    // A title that names no file is left as it is.
    SetText(d, IDC_TITLE, "no such thing here");
    SendMessageA(GetDlgItem(d, IDC_FORMAT), BM_CLICK, 0, 0);  // returns once handled
    EXPECT_EQ(TextOf(d, IDC_TITLE), "no such thing here");

    // An empty title: the message, and the dialog stays with what was typed.
    SetText(d, IDC_TITLE, "");
    Click(d, IDOK);
    HWND box = run_->WaitForMessageBox("You must fill both fields");
    ASSERT_TRUE(box);
    EXPECT_FALSE(run_->Ended());
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_FALSE(run_->Ended());
    EXPECT_EQ(TextOf(d, IDC_PATH), alpha_);
    EXPECT_EQ(TextOf(d, IDC_TITLE), "");

    SetText(d, IDC_TITLE, "My Alpha");
    EXPECT_EQ(PressOk(d), IDOK);
    EXPECT_EQ(dlg_.path_, alpha_);
    EXPECT_EQ(dlg_.title_, "My Alpha");
    EXPECT_EQ(dlg_.iconFile_, GetDefaultIconFile());
    EXPECT_EQ(dlg_.iconIndex_, -1);
}

// The label of the item the browser's tree shows selected.
std::string SelectedLabel(HWND tree) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return {};
    char label[MAX_PATH * 3] = "";
    TVITEMA it{};
    it.mask = TVIF_TEXT;
    it.hItem = item;
    it.pszText = label;
    it.cchTextMax = sizeof label;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it))) return {};
    return label;
}

// Whether a tree label names path: its last part, or for a drive root a
// label naming the drive.
bool LabelNames(const std::string& label, std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    if (path.size() == 2 && path[1] == ':') return label.find(path) != std::string::npos;
    return label == path.substr(path.find_last_of('\\') + 1);
}

// The system's folder browser of the editor: chooses path (or, when path is
// empty, confirms what it selected at the start, which must be shown).
void ChooseInBrowser(DialogThread& run, HWND editor, const std::string& path,
                     const std::string& shown = {}) {
    const std::string expected = path.empty() ? shown : path;
    std::string seen;
    // The browser applies its start selection as it finishes opening, and a
    // selection sent earlier is lost. Wine's browser can also refuse a new
    // folder below the profile folder for as long as it stays open (seen
    // in CI and in a fresh clone: OK returned the start folder), so the
    // editor's folders live outside it; and should a browser still refuse,
    // the folder is asked for again in a browser opened anew, up to three.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Click(editor, IDC_BROWSE);
        HWND browser = run.WaitForWindowWithChild("SysTreeView32", {editor});
        ASSERT_TRUE(browser);
        EXPECT_EQ(GetWindow(browser, GW_OWNER), editor);
        HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
        ASSERT_TRUE(tree);
        const bool selected = test::WaitUntil(
            [&] {
                if (!IsWindowVisible(browser)) return false;
                if (!path.empty())
                    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE,
                                 reinterpret_cast<LPARAM>(path.c_str()));
                seen = SelectedLabel(tree);
                return LabelNames(seen, expected);
            },
            3000);
        PostMessageA(GetDlgItem(browser, selected ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(browser); }));
        // Answered once the editor's thread is back in its message loop,
        // that is, once the click's handler has finished.
        SendMessageA(editor, WM_NULL, 0, 0);
        if (selected) return;
    }
    ADD_FAILURE() << "three browsers never showed " << expected << " selected; the last showed \""
                  << seen << "\"";
}

TEST_F(Editor, BrowseKeepsATypedTitleAndReplacesTheIcon) {
    dlg_.path_ = alpha_;
    dlg_.title_ = "Alpha";
    dlg_.iconFile_ = testDll_;
    dlg_.iconIndex_ = 2;
    HWND d = Open();
    ASSERT_TRUE(d);
    ASSERT_TRUE(PickerShows(d, 1 + kTestDllIcons, 3));

    // Typed, not yet confirmed: the title stays, the folder comes back
    // with a backslash, and its own icon replaces the custom one.
    SetText(d, IDC_TITLE, "Typed here");
    ChooseInBrowser(*run_, d, beta_);
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_PATH) == beta_ + "\\"; }))
        << TextOf(d, IDC_PATH);
    EXPECT_EQ(TextOf(d, IDC_TITLE), "Typed here");
    // A plain folder: the default file, item 0.
    EXPECT_EQ(TextOf(d, IDC_ICON_FILE), GetDefaultIconFile());
    EXPECT_TRUE(PickerShows(d, 1 + IconCount(GetDefaultIconFile()), 0));

    // The browser starts at the current folder: confirmed at once, it
    // gives that folder back.
    ChooseInBrowser(*run_, d, alpha_);
    ASSERT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_PATH) == alpha_ + "\\"; }));
    ChooseInBrowser(*run_, d, "", alpha_);
    EXPECT_EQ(TextOf(d, IDC_PATH), alpha_ + "\\");

    // A drive root comes back as letter, colon and backslash.
    ChooseInBrowser(*run_, d, "C:\\");
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_PATH) == "C:\\"; }))
        << TextOf(d, IDC_PATH);

    // With no title, the chosen folder becomes the title too.
    SetText(d, IDC_TITLE, "");
    ChooseInBrowser(*run_, d, beta_);
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_TITLE) == beta_ + "\\"; }))
        << TextOf(d, IDC_TITLE);

    // A cancelled browser changes nothing.
    Click(d, IDC_BROWSE);
    HWND browser = run_->WaitForWindowWithChild("SysTreeView32", {d});
    ASSERT_TRUE(browser);
    PostMessageA(GetDlgItem(browser, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(browser); }));
    EXPECT_EQ(TextOf(d, IDC_PATH), beta_ + "\\");

    EXPECT_EQ(PressOk(d), IDOK);
    EXPECT_EQ(dlg_.path_, beta_ + "\\");
    EXPECT_EQ(dlg_.title_, beta_ + "\\");
}

TEST_F(Editor, IconOptionsFollowTheIconFileAndKeepWhatWasTyped) {
    dlg_.path_ = alpha_;
    dlg_.title_ = "Alpha";
    dlg_.iconFile_ = redIcon_;
    dlg_.iconIndex_ = 0;
    HWND d = Open();
    ASSERT_TRUE(d);
    ASSERT_TRUE(PickerShows(d, 2, 1));
    SetText(d, IDC_TITLE, "Typed");

    // The title strip first (owner-drawn, disabled), then the commands; the
    // default-file command only while another file is in use.
    HWND menu = OpenIconMenu(d);
    ASSERT_TRUE(menu);
    const std::vector<std::string> withSystemFile = {"",
                                                     "",
                                                     "Reset to default icon",
                                                     "Use default system icon file",
                                                     "Choose custom icon file...",
                                                     "",
                                                     "Get more icons"};
    EXPECT_EQ(MenuTexts(menu), withSystemFile);
    const UINT titleState = GetMenuState(MenuOf(menu), 0, MF_BYPOSITION);
    EXPECT_TRUE(titleState & MF_OWNERDRAW);
    EXPECT_TRUE(titleState & MF_DISABLED);
    EXPECT_EQ(GetMenuItemID(MenuOf(menu), 0), 0u);
    // Its corner at the button's right edge, one pixel above the button.
    RECT button, shown;
    GetWindowRect(GetDlgItem(d, IDC_ICON_OPTIONS), &button);
    GetWindowRect(menu, &shown);
    EXPECT_EQ(shown.left, button.right);
    EXPECT_EQ(shown.top, button.top - 1);

    // A custom file from the system's file dialog: its first icon.
    ASSERT_TRUE(ChooseIconCommand(d, menu, ID_ICON_CUSTOM_FILE));
    HWND files = run_->WaitForWindowWithChild("ComboBoxEx32", {d});
    ASSERT_TRUE(files);
    HWND nameBox =
        FindWindowExA(FindWindowExA(GetDlgItem(files, 1148), nullptr, "ComboBox", nullptr), nullptr,
                      "Edit", nullptr);
    ASSERT_TRUE(nameBox);
    SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(testDll_.c_str()));
    PostMessageA(GetDlgItem(files, IDOK), BM_CLICK, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(files); }));
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_ICON_FILE) == testDll_; }))
        << TextOf(d, IDC_ICON_FILE);
    EXPECT_TRUE(PickerShows(d, 1 + kTestDllIcons, 1));
    EXPECT_EQ(TextOf(d, IDC_TITLE), "Typed");
    // Item k + 1 holds icon k of the file, under id k + 1.
    for (int k = 0; k < kTestDllIcons; ++k) {
        EXPECT_EQ(dlg_.IconPicker().ItemId(k + 1), k + 1);
        EXPECT_NE(dlg_.IconPicker().ItemIcon(k + 1), nullptr);
    }
    EXPECT_EQ(dlg_.IconPicker().ItemId(0), IDI_DEFAULT_FOLDER);

    // A cancelled file dialog keeps the icon.
    menu = OpenIconMenu(d);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ChooseIconCommand(d, menu, ID_ICON_CUSTOM_FILE));
    files = run_->WaitForWindowWithChild("ComboBoxEx32", {d});
    ASSERT_TRUE(files);
    PostMessageA(GetDlgItem(files, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(test::WaitUntil([&] { return !IsWindow(files); }));
    EXPECT_EQ(TextOf(d, IDC_ICON_FILE), testDll_);

    // The system's icon file, at its first icon; then the command is gone.
    menu = OpenIconMenu(d);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ChooseIconCommand(d, menu, ID_ICON_SYSTEM_FILE));
    EXPECT_TRUE(test::WaitUntil([&] { return TextOf(d, IDC_ICON_FILE) == GetDefaultIconFile(); }));
    EXPECT_TRUE(PickerShows(d, 1 + IconCount(GetDefaultIconFile()), 1));
    menu = OpenIconMenu(d);
    ASSERT_TRUE(menu);
    const std::vector<std::string> withoutSystemFile = {
        "", "", "Reset to default icon", "Choose custom icon file...", "", "Get more icons"};
    EXPECT_EQ(MenuTexts(menu), withoutSystemFile);

    // The icon page opens through the one product host; nothing else changes.
    ASSERT_TRUE(ChooseIconCommand(d, menu, ID_ICON_MORE));
    EXPECT_TRUE(test::WaitUntil([&] {
        std::lock_guard<std::mutex> lock(mutex_);
        return !openedPages_.empty();
    }));
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ASSERT_EQ(openedPages_.size(), 1u);
        EXPECT_EQ(openedPages_[0],
                  std::string("https://") + kProductWebHost + "/vantrel/icons.php");
    }
    EXPECT_EQ(TextOf(d, IDC_ICON_FILE), GetDefaultIconFile());
    EXPECT_EQ(PickerSelection(d), 1);

    // Back to the folder's own default: a plain folder has none.
    menu = OpenIconMenu(d);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ChooseIconCommand(d, menu, ID_ICON_RESET));
    EXPECT_TRUE(PickerShows(d, 1 + IconCount(GetDefaultIconFile()), 0));

    EXPECT_EQ(PressOk(d), IDOK);
    EXPECT_EQ(dlg_.title_, "Typed");
    EXPECT_EQ(dlg_.iconFile_, GetDefaultIconFile());
    EXPECT_EQ(dlg_.iconIndex_, -1);
}

TEST_F(Editor, PickerChoiceDecidesTheStoredIcon) {
    dlg_.path_ = alpha_;
    dlg_.title_ = "Alpha";
    dlg_.iconFile_ = testDll_;
    dlg_.iconIndex_ = 1;
    {
        HWND d = Open();
        ASSERT_TRUE(d);
        ASSERT_TRUE(PickerShows(d, 1 + kTestDllIcons, 2));
        // The user picks the last icon: its index is stored with the file.
        SendMessageA(GetDlgItem(d, IDC_ICON_PICKER), CB_SETCURSEL, kTestDllIcons, 0);
        EXPECT_EQ(PressOk(d), IDOK);
        EXPECT_EQ(dlg_.iconFile_, testDll_);
        EXPECT_EQ(dlg_.iconIndex_, kTestDllIcons - 1);
    }
    {
        // Item 0 stores the default file and -1, whatever file was shown.
        HWND d = Open();
        ASSERT_TRUE(d);
        ASSERT_TRUE(PickerShows(d, 1 + kTestDllIcons, kTestDllIcons));
        SendMessageA(GetDlgItem(d, IDC_ICON_PICKER), CB_SETCURSEL, 0, 0);
        EXPECT_EQ(PressOk(d), IDOK);
        EXPECT_EQ(dlg_.iconFile_, GetDefaultIconFile());
        EXPECT_EQ(dlg_.iconIndex_, -1);
    }
    {
        // An index the file does not have selects nothing, which OK takes
        // as the default too.
        dlg_.iconFile_ = testDll_;
        dlg_.iconIndex_ = kTestDllIcons + 3;
        HWND d = Open();
        ASSERT_TRUE(d);
        ASSERT_TRUE(PickerShows(d, 1 + kTestDllIcons, -1));
        EXPECT_EQ(PressOk(d), IDOK);
        EXPECT_EQ(dlg_.iconFile_, GetDefaultIconFile());
        EXPECT_EQ(dlg_.iconIndex_, -1);
    }
    {
        // A file without icons offers only the default item.
        dlg_.iconFile_ = dir_.MakeFile("plain.txt", "no icons");
        dlg_.iconIndex_ = 0;
        HWND d = Open();
        ASSERT_TRUE(d);
        ASSERT_TRUE(PickerShows(d, 1, -1));
        EXPECT_EQ(PressOk(d), IDOK);
        EXPECT_EQ(dlg_.iconFile_, GetDefaultIconFile());
        EXPECT_EQ(dlg_.iconIndex_, -1);
    }
}

TEST_F(Editor, SystemImageListIconKeepsItsIndex) {
    int systemIndex = -1;
    ASSERT_TRUE(GetSystemIconIndex("C:\\windows", systemIndex));
    dlg_.path_ = "C:\\windows";
    dlg_.title_ = "Windows";
    dlg_.iconFile_ = kSystemImageListMarker;
    dlg_.iconIndex_ = systemIndex;
    HWND d = Open();
    ASSERT_TRUE(d);
    // The default item and the system image, which is chosen.
    ASSERT_TRUE(PickerShows(d, 2, 1));
    EXPECT_NE(dlg_.IconPicker().ItemIcon(1), nullptr);
    EXPECT_EQ(dlg_.IconPicker().ItemId(1), 1);
    EXPECT_EQ(IconMenuTitle(kSystemImageListMarker), "System Special Icon");
    EXPECT_EQ(PressOk(d), IDOK);
    EXPECT_EQ(dlg_.iconFile_, kSystemImageListMarker);
    EXPECT_EQ(dlg_.iconIndex_, systemIndex);
}

TEST_F(Editor, CancelAndClosingLeaveTheFieldsAlone) {
    dlg_.path_ = alpha_;
    dlg_.title_ = "Alpha";
    HWND d = Open();
    ASSERT_TRUE(d);
    SetText(d, IDC_TITLE, "Changed");
    Click(d, IDCANCEL);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDCANCEL);
    EXPECT_EQ(dlg_.title_, "Alpha");

    d = Open();
    ASSERT_TRUE(d);
    SetText(d, IDC_TITLE, "Changed");
    PostMessageA(d, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run_->WaitForEnd());
    EXPECT_EQ(run_->Result(), IDCANCEL);
    EXPECT_EQ(dlg_.title_, "Alpha");
}

}  // namespace
namespace {

TEST_F(Editor, OpenedForTheMainWindowItStandsOnItsOwnInFront) {
    // The program's hidden main window as the parent, as for a hand-over.
    CWinApp app("Vantrel");
    CWindowImpl main;
    ASSERT_TRUE(main.CreateEx(0, "STATIC", "Vantrel", 0, 0, 0, 0, 0, nullptr, nullptr));
    app.SetMainWnd(&main);
    CFolderEditDlg dlg(main.hwnd_);
    dlg.path_ = alpha_;
    dlg.title_ = alpha_;
    DialogThread run([&] { return dlg.DoModal(); });
    HWND d = run.WaitForDialog(kCaption);
    ASSERT_TRUE(d);
    EXPECT_TRUE(GetWindowLongPtrA(d, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_TRUE(SendMessageA(d, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageA(d, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == d; }));
    Click(d, IDCANCEL);
    ASSERT_TRUE(run.WaitForEnd());

    // From another dialog of the program it is an ordinary owned dialog.
    CWindowImpl setup;
    ASSERT_TRUE(setup.CreateEx(0, "STATIC", "Setup", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    CFolderEditDlg owned(setup.hwnd_);
    owned.path_ = alpha_;
    owned.title_ = "Alpha";
    DialogThread run2([&] { return owned.DoModal(); });
    d = run2.WaitForDialog(kCaption);
    ASSERT_TRUE(d);
    EXPECT_FALSE(GetWindowLongPtrA(d, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_FALSE(SendMessageA(d, WM_GETICON, ICON_BIG, 0));
    Click(d, IDCANCEL);
    ASSERT_TRUE(run2.WaitForEnd());
}

}  // namespace
