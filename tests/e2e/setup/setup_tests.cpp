// The Setup dialog of the real program: Vantrel.exe in its own process, the
// dialog, the folder editor, the folder browser, the Open dialog and the
// message boxes driven from this process as a user would drive them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/settings.h"
#include "shell/iconsources.h"
#include "shell/shellintegration.h"
#include "e2e/setup/setupdriver.h"
#include "framework/registry.h"
#include "resources/resource.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const char* kRemoveQuestion = "Are you sure you want to delete this item?";
const char* kNoWayQuestion =
    "You have no way to activate Vantrel. Are you sure you want to do that?";
const char* kSaveFailure = "Vantrel could not save its settings.";
const char* kUserVerb = "Software\\Classes\\Folder\\shell\\Add to Vantrel";
const WORD kAlt = 4, kCtrl = 2;  // hot-key control modifier bits

std::string VantrelPath() { return test::BinPath("Vantrel.exe"); }

// Removes the Run value before and after a test.
struct CleanRunValue {
    CleanRunValue() { Remove(); }
    ~CleanRunValue() { Remove(); }
    static void Remove() {
        vt::CRegKey run;
        if (run.Open(HKEY_CURRENT_USER, vt::kRunKey, KEY_SET_VALUE))
            run.DeleteValue(vt::kRunValueName);
    }
};

std::string RunValue() {
    vt::CRegKey run;
    run.Open(HKEY_CURRENT_USER, vt::kRunKey, KEY_READ);
    return run.QueryString(vt::kRunValueName, "<missing>");
}

class SetupTest : public ::testing::Test {
protected:
    // Folders named Folder0.. under keys 0..n-1.
    void Folders(int n) {
        run_.folders.clear();
        for (int i = 0; i < n; ++i) {
            const std::string name = "Folder" + std::to_string(i);
            run_.folders[i] = {dir_.MakeDir(name) + "\\", name, "", -1};
        }
    }
    // Starts the program and opens Setup; the dialog and its list.
    void StartAndOpenSetup() {
        ASSERT_TRUE(run_.Start());
        setup_ = OpenSetup(run_);
        ASSERT_NE(setup_, nullptr);
    }
    RemoteList List() const { return RemoteList(GetDlgItem(setup_, IDC_FOLDER_LIST)); }
    // OK pressed and the dialog gone.
    // OK pressed, the dialog gone and what follows it done.
    void PressOk() {
        Click(setup_, IDOK);
        ASSERT_TRUE(WaitHandled(setup_, run_.Window())) << "Setup still open";
    }
    // The editor that Add or Edit opened, confirmed with OK.
    void ConfirmEditor() {
        HWND editor = WaitForDialog(run_.Pid(), "Add/Edit");
        ASSERT_NE(editor, nullptr);
        Click(editor, IDOK);
        ASSERT_TRUE(WaitGone(editor));
    }

    test::ScratchDir dir_{"setup"};
    VantrelRun run_;
    HWND setup_ = nullptr;
};

// ---- Editing --------------------------------------------------------------

class SetupEditing : public SetupTest {};

TEST_F(SetupEditing, EmptyListThenAddGivesKeyZero) {
    Folders(0);
    StartAndOpenSetup();
    EXPECT_EQ(List().Count(), 0);
    EXPECT_FALSE(Enabled(setup_, IDC_SETUP_EDIT));
    EXPECT_FALSE(Enabled(setup_, IDC_SETUP_REMOVE));
    EXPECT_TRUE(Enabled(setup_, IDC_MOVE_UP));
    EXPECT_TRUE(Enabled(setup_, IDC_MOVE_DOWN));
    // Without a selection these do nothing (no question, no editor).
    for (int id : {IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_SETUP_EDIT, IDC_SETUP_REMOVE}) Click(setup_, id);
    EXPECT_EQ(WaitForDialog(run_.Pid(), "", 1000, setup_), nullptr);

    // Wine's folder browser finds a new folder reliably only outside the
    // user's profile (where the temporary folder is).
    test::ScratchDir root("setup", "C:\\");
    const std::string folder = root.MakeDir("Added Folder");
    Click(setup_, IDC_SETUP_ADD);
    HWND browser = WaitForDialog(run_.Pid(), "", 10000, setup_);
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(GetDlgItem(browser, 14145), nullptr) << "not the folder browser";
    ASSERT_TRUE(ChooseInFolderBrowser(browser, folder));
    HWND editor = WaitForDialog(run_.Pid(), "Add/Edit");
    ASSERT_NE(editor, nullptr);
    // Path and title both start as the chosen folder, with a backslash.
    EXPECT_EQ(ControlText(GetDlgItem(editor, 1016)), folder + "\\");
    EXPECT_EQ(ControlText(GetDlgItem(editor, 1018)), folder + "\\");
    Click(editor, IDOK);
    ASSERT_TRUE(WaitGone(editor));

    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 1; }));
    EXPECT_EQ(List().Data(0), 0);
    EXPECT_EQ(List().Text(0, 1), folder + "\\");
    EXPECT_EQ(List().Selected(), 0);
    EXPECT_TRUE(Enabled(setup_, IDC_SETUP_EDIT));
    PressOk();
    EXPECT_EQ(StoredInt("Entries", "Count"), 1);
    EXPECT_EQ(StoredString("Entries", "Path0"), folder + "\\");
}

TEST_F(SetupEditing, MoveUpSwapsEntriesBetweenKeysAndKeepsTheSelection) {
    Folders(5);
    StartAndOpenSetup();
    ASSERT_EQ(List().Count(), 5);
    // Move up on the first row and down on the last change nothing.
    ASSERT_TRUE(List().Select(0));
    Press(setup_, IDC_MOVE_UP);
    ASSERT_TRUE(List().Select(4));
    Press(setup_, IDC_MOVE_DOWN);
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(List().Text(row, 0), "Folder" + std::to_string(row));
    EXPECT_EQ(List().Selected(), 4);
    // Row 3 (position 2) up: Folder2 now at position 1 under key 1.
    ASSERT_TRUE(List().Select(2));

    Press(setup_, IDC_MOVE_UP);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Text(1, 0) == "Folder2"; }))
        << List().Text(1, 0);
    EXPECT_EQ(List().Text(2, 0), "Folder1");
    EXPECT_EQ(List().Selected(), 1);
    for (int row = 0; row < 5; ++row) EXPECT_EQ(List().Data(row), row) << "row " << row;
    EXPECT_EQ(List().Text(0, 0), "Folder0");
    EXPECT_EQ(List().Text(4, 0), "Folder4");
    // Moved back down and up again: the row follows the folder.
    Press(setup_, IDC_MOVE_DOWN);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Text(2, 0) == "Folder2"; }));
    EXPECT_EQ(List().Selected(), 2);
    Press(setup_, IDC_MOVE_UP);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Text(1, 0) == "Folder2"; }));
    PressOk();
    const char* want[] = {"Folder0", "Folder2", "Folder1", "Folder3", "Folder4"};
    for (int i = 0; i < 5; ++i) {
        // The path goes with its title.
        EXPECT_EQ(StoredString("Entries", ("Title" + std::to_string(i)).c_str()), want[i]);
        EXPECT_EQ(StoredString("Entries", ("Path" + std::to_string(i)).c_str()),
                  dir_.Path() + "\\" + want[i] + "\\");
    }
}

// The whole entry at each stored position: path, title, icon file and index.
std::string StoredEntry(int pos) {
    const std::string n = std::to_string(pos);
    return StoredString("Entries", ("Path" + n).c_str()) + " | " +
           StoredString("Entries", ("Title" + n).c_str()) + " | " +
           StoredString("Entries", ("IconFile" + n).c_str()) + " | " +
           std::to_string(StoredInt("Entries", ("IconIndex" + n).c_str()));
}

TEST_F(SetupEditing, MovesCarryTheWholeEntryUpAndDownAtBothEndsThroughTheSavedList) {
    // Four folders that differ in every part, the icon included.
    run_.folders.clear();
    std::vector<std::string> entry;
    for (int i = 0; i < 4; ++i) {
        const std::string name = "Folder" + std::to_string(i);
        const std::string icon = vt::GetDefaultIconFile();
        run_.folders[i] = {dir_.MakeDir(name) + "\\", "Title " + name, icon, 3 + i};
        entry.push_back(run_.folders[i].path + " | Title " + name + " | " + icon + " | " +
                        std::to_string(3 + i));
    }
    StartAndOpenSetup();
    auto expectStored = [&](const std::vector<int>& order, const char* step) {
        EXPECT_EQ(StoredInt("Entries", "Count"), 4) << step;
        for (int pos = 0; pos < 4; ++pos)
            EXPECT_EQ(StoredEntry(pos), entry[order[pos]]) << step << ", position " << pos;
    };
    auto move = [&](int row, int button, int landsAt, const std::string& title) {
        ASSERT_TRUE(List().Select(row));
        Press(setup_, button);
        ASSERT_TRUE(test::WaitUntil([&] { return List().Text(landsAt, 0) == title; }))
            << List().Text(landsAt, 0);
        EXPECT_EQ(List().Selected(), landsAt);
    };
    // The first row down, the last row up.
    move(0, IDC_MOVE_DOWN, 1, "Title Folder0");
    move(3, IDC_MOVE_UP, 2, "Title Folder3");
    PressOk();
    expectStored({1, 0, 3, 2}, "first down, last up");

    // Then up into the first row and down into the last.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    move(1, IDC_MOVE_UP, 0, "Title Folder0");
    move(2, IDC_MOVE_DOWN, 3, "Title Folder3");
    PressOk();
    expectStored({0, 1, 2, 3}, "up into the first, down into the last");
}

TEST_F(SetupEditing, RemoveAskesAndOnlyYesRemoves) {
    Folders(3);
    StartAndOpenSetup();
    ASSERT_TRUE(List().Select(1));
    EXPECT_TRUE(Enabled(setup_, IDC_SETUP_REMOVE));
    Click(setup_, IDC_SETUP_REMOVE);
    HWND box = WaitForMessageBox(run_.Pid(), kRemoveQuestion);
    ASSERT_NE(box, nullptr);
    // Yes and No, with No as the default button.
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_TRUE(IsDefaultButton(box, IDNO));
    Answer(box, IDNO);
    ASSERT_TRUE(WaitGone(box));
    EXPECT_EQ(List().Count(), 3);

    Click(setup_, IDC_SETUP_REMOVE);
    box = WaitForMessageBox(run_.Pid(), kRemoveQuestion);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 2; }));
    EXPECT_EQ(List().Text(0, 0), "Folder0");
    EXPECT_EQ(List().Text(1, 0), "Folder2");
    EXPECT_EQ(List().Data(1), 2);  // keys are not renumbered
    EXPECT_FALSE(Enabled(setup_, IDC_SETUP_REMOVE));
    EXPECT_FALSE(Enabled(setup_, IDC_SETUP_EDIT));
    PressOk();
    EXPECT_EQ(StoredInt("Entries", "Count"), 2);
    EXPECT_EQ(StoredString("Entries", "Title1"), "Folder2");
    EXPECT_FALSE(StoredValueExists("Entries", "Path2"));
}

TEST_F(SetupEditing, ShiftAddPicksAFile) {
    Folders(1);
    const std::string file = dir_.MakeFile("notes.txt", "x");
    StartAndOpenSetup();
    ASSERT_TRUE(BringToFront(setup_));
    RECT r;
    GetWindowRect(GetDlgItem(setup_, IDC_SETUP_ADD), &r);
    MoveMouse({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    // Shift held while the button is clicked, all as real input in order.
    INPUT in[4] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = VK_SHIFT;
    in[1].type = INPUT_MOUSE;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].type = INPUT_MOUSE;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    in[3] = in[0];
    in[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, in, sizeof(INPUT));

    HWND open = WaitForDialog(run_.Pid(), "", 10000, setup_);
    ASSERT_NE(open, nullptr);
    ASSERT_EQ(GetDlgItem(open, 14145), nullptr) << "the folder browser came instead";
    ASSERT_TRUE(ChooseInOpenDialog(open, file));
    HWND editor = WaitForDialog(run_.Pid(), "Add/Edit");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(ControlText(GetDlgItem(editor, 1016)), file);
    Click(editor, IDOK);
    ASSERT_TRUE(WaitGone(editor));
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 2; }));
    EXPECT_EQ(List().Text(1, 1), file);  // no trailing backslash
    EXPECT_EQ(List().Data(1), 1);
    EXPECT_EQ(List().Selected(), 1);
}

// ---- Options --------------------------------------------------------------

class SetupOptions : public SetupTest {};

TEST_F(SetupOptions, NoActivationQuestionAnsweredNoKeepsEveryChoice) {
    CleanRunValue clean;
    test::ScopedRegTree verb(HKEY_CURRENT_USER, kUserVerb);
    Folders(2);
    run_.settings.showTray = false;
    run_.settings.activateOnRButtonDown = false;
    run_.settings.activateOnMouseWheel = false;
    run_.settings.shortcutType = vt::ShortcutType::None;
    run_.settings.action = 1;
    StartAndOpenSetup();
    EXPECT_TRUE(Checked(setup_, IDC_SHORTCUT_NONE));
    EXPECT_EQ(ComboSelection(setup_, IDC_ACTION), 1);
    // Changes that OK would write.
    SetChecked(setup_, IDC_ALWAYS_NEW_EXPLORER, true);
    SetChecked(setup_, IDC_LOAD_WITH_WINDOWS, true);
    SetChecked(setup_, IDC_INTEGRATE, true);

    Click(setup_, IDOK);
    HWND box = WaitForMessageBox(run_.Pid(), kNoWayQuestion);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsDefaultButton(box, IDYES));
    Answer(box, IDNO);
    ASSERT_TRUE(WaitGone(box));
    ASSERT_TRUE(IsWindowVisible(setup_));
    EXPECT_TRUE(Checked(setup_, IDC_ALWAYS_NEW_EXPLORER));
    EXPECT_TRUE(Checked(setup_, IDC_LOAD_WITH_WINDOWS));
    EXPECT_TRUE(Checked(setup_, IDC_INTEGRATE));
    EXPECT_TRUE(Checked(setup_, IDC_SHORTCUT_NONE));
    EXPECT_FALSE(Checked(setup_, IDC_SHOW_TRAY));
    EXPECT_EQ(ComboSelection(setup_, IDC_ACTION), 1);
    EXPECT_EQ(List().Count(), 2);
    // Nothing written.
    EXPECT_EQ(StoredInt("", "Always New Explorer"), 0);
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_FALSE(vt::IsExplorerVerbInstalled());

    Click(setup_, IDOK);
    box = WaitForMessageBox(run_.Pid(), kNoWayQuestion);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(WaitHandled(setup_, run_.Window()));
    EXPECT_EQ(StoredInt("", "Always New Explorer"), 1);
    EXPECT_EQ(StoredInt("", "Action"), 1);
    EXPECT_EQ(RunValue(), "\"" + VantrelPath() + "\"");
}

TEST_F(SetupOptions, OpenFoldersAndAutoSwitchBoxesShowAndWriteTheirOptions) {
    Folders(1);
    StartAndOpenSetup();
    // The defaults: open folders shown, Auto Switch off.
    EXPECT_TRUE(Checked(setup_, IDC_SHOW_OPEN_FOLDERS));
    EXPECT_FALSE(Checked(setup_, IDC_AUTO_SWITCH));
    SetChecked(setup_, IDC_SHOW_OPEN_FOLDERS, false);
    SetChecked(setup_, IDC_AUTO_SWITCH, true);
    PressOk();
    EXPECT_EQ(StoredInt("", "Show Open Folders"), 0);
    EXPECT_EQ(StoredInt("", "Auto Switch"), 1);
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_FALSE(Checked(setup_, IDC_SHOW_OPEN_FOLDERS));
    EXPECT_TRUE(Checked(setup_, IDC_AUTO_SWITCH));
    Click(setup_, IDCANCEL);
    ASSERT_TRUE(WaitGone(setup_));
}

TEST_F(SetupOptions, StoredActionTwoAndALetterNotOffered) {
    Folders(1);
    run_.settings.action = 2;
    run_.settings.shortcutType = vt::ShortcutType::WindowsKey;
    run_.settings.windowsKey = "D";
    StartAndOpenSetup();
    EXPECT_EQ(ComboSelection(setup_, IDC_ACTION), 0);
    EXPECT_EQ(ComboText(setup_, IDC_ACTION, 0), "Open");
    // The 19 letters, none of D, E, F, L, M, R, U, and none chosen.
    const int letters =
        static_cast<int>(SendDlgItemMessageA(setup_, IDC_WINDOWS_KEY, CB_GETCOUNT, 0, 0));
    std::string offered;
    for (int i = 0; i < letters; ++i) offered += ComboText(setup_, IDC_WINDOWS_KEY, i);
    EXPECT_EQ(offered, "ABCGHIJKNOPQSTVWXYZ");
    EXPECT_EQ(ComboSelection(setup_, IDC_WINDOWS_KEY), -1);
    EXPECT_TRUE(Checked(setup_, IDC_SHORTCUT_WINKEY));
    EXPECT_TRUE(Enabled(setup_, IDC_WINDOWS_KEY));
    EXPECT_FALSE(Enabled(setup_, IDC_HOTKEY));
    PressOk();
    EXPECT_EQ(StoredInt("", "Action"), 0);
    EXPECT_EQ(StoredString("", "Windows Key"), "D");  // left as it was
}

TEST_F(SetupOptions, LoadWithWindowsFollowsTheCheckBox) {
    CleanRunValue clean;
    {
        vt::CRegKey run;
        ASSERT_TRUE(run.Create(HKEY_CURRENT_USER, vt::kRunKey));
        ASSERT_TRUE(run.SetString(vt::kRunValueName, "C:\\Other Program\\other.exe"));
    }
    Folders(1);
    StartAndOpenSetup();
    EXPECT_TRUE(Checked(setup_, IDC_LOAD_WITH_WINDOWS));
    SetChecked(setup_, IDC_LOAD_WITH_WINDOWS, false);
    PressOk();
    EXPECT_EQ(RunValue(), "<missing>");

    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_FALSE(Checked(setup_, IDC_LOAD_WITH_WINDOWS));
    SetChecked(setup_, IDC_LOAD_WITH_WINDOWS, true);
    PressOk();
    EXPECT_EQ(RunValue(), "\"" + VantrelPath() + "\"");
}

TEST_F(SetupOptions, IntegrateWritesTheVerbForTheUserAndClearingRemovesItAll) {
    test::ScopedRegTree verb(HKEY_CURRENT_USER, kUserVerb);
    test::ScopedRegTree machine(HKEY_LOCAL_MACHINE, kUserVerb);
    Folders(1);
    StartAndOpenSetup();
    EXPECT_FALSE(Checked(setup_, IDC_INTEGRATE));
    SetChecked(setup_, IDC_INTEGRATE, true);
    PressOk();
    vt::CRegKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\command"));
    EXPECT_EQ(k.QueryString(nullptr, ""), "\"" + VantrelPath() + "\" %L");
    EXPECT_FALSE(k.Open(HKEY_LOCAL_MACHINE, kUserVerb)) << "written machine-wide";
    {
        // What Explorer reads: HKEY_CLASSES_ROOT with the user's classes merged.
        test::ScopedUserClassesRoot merged;
        ASSERT_TRUE(merged.Active());
        vt::CRegKey shell;
        ASSERT_TRUE(shell.Open(HKEY_CLASSES_ROOT, "Folder\\shell"));
        char name[256];
        bool listed = false;
        for (DWORD i = 0; RegEnumKeyA(shell.Get(), i, name, sizeof name) == ERROR_SUCCESS; ++i)
            listed = listed || std::string(name) == "Add to Vantrel";
        EXPECT_TRUE(listed);
    }

    // Other programs' additions under the verb go with it.
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\ddeexec\\topic"));
    k.Close();
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_TRUE(Checked(setup_, IDC_INTEGRATE));
    SetChecked(setup_, IDC_INTEGRATE, false);
    PressOk();
    EXPECT_FALSE(k.Open(HKEY_CURRENT_USER, kUserVerb));
}

// ---- OK applies at once ------------------------------------------------------

class SetupApply : public SetupTest {};

TEST_F(SetupApply, NewHotKeyTrayAndCompactedListTakeEffect) {
    ASSERT_TRUE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F8));
    Folders(5);
    run_.settings.shortcutType = vt::ShortcutType::None;
    run_.settings.showTray = false;
    StartAndOpenSetup();
    const size_t traysBefore = test::TrayIconWindows().size();
    Press(setup_, IDC_SHORTCUT_OTHER);
    ASSERT_TRUE(test::WaitUntil([&] { return Enabled(setup_, IDC_HOTKEY); }));
    EXPECT_FALSE(Enabled(setup_, IDC_WINDOWS_KEY));
    EXPECT_TRUE(Checked(setup_, IDC_SHORTCUT_OTHER));
    EXPECT_FALSE(Checked(setup_, IDC_SHORTCUT_NONE));
    SendDlgItemMessageA(setup_, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD(VK_F8, kCtrl | kAlt), 0);
    SetChecked(setup_, IDC_SHOW_TRAY, true);
    for (int row : {3, 1}) {
        ASSERT_TRUE(List().Select(row));
        Click(setup_, IDC_SETUP_REMOVE);
        HWND box = WaitForMessageBox(run_.Pid(), kRemoveQuestion);
        ASSERT_NE(box, nullptr);
        Answer(box, IDYES);
        ASSERT_TRUE(WaitGone(box));
    }
    ASSERT_EQ(List().Count(), 3);
    PressOk();

    EXPECT_FALSE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F8));
    EXPECT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == traysBefore + 1; }));
    EXPECT_EQ(StoredInt("", "Shortcut Type"), 2);
    EXPECT_EQ(StoredInt("", "Normal Hot Key Virtual Key"), VK_F8);
    EXPECT_EQ(StoredInt("", "Normal Hot Key Modifier"), kCtrl | kAlt);
    EXPECT_EQ(StoredInt("Entries", "Count"), 3);
    const char* titles[] = {"Folder0", "Folder2", "Folder4"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StoredString("Entries", ("Title" + std::to_string(i)).c_str()), titles[i]);
    for (const char* gone : {"Path3", "Title3", "IconFile3", "IconIndex3", "Path4", "IconIndex4"})
        EXPECT_FALSE(StoredValueExists("Entries", gone)) << gone;

    // The new key pops the menu at once (over a window in front, as a
    // user's key press would find it).
    test::ChildProcess front;
    ASSERT_TRUE(front.Start(test::BinPath("instance_front_window.exe")));
    HWND target = test::WaitForTopWindow(front.Pid());
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(BringToFront(target));
    ASSERT_NE(PressChordForMenu(run_, {VK_CONTROL, VK_MENU}, VK_F8), nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());

    // And the tray icon goes when unchecked.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    SetChecked(setup_, IDC_SHOW_TRAY, false);
    PressOk();
    EXPECT_TRUE(test::WaitUntil([&] { return test::TrayIconWindows().size() == traysBefore; }));
}

TEST_F(SetupApply, ATakenCombinationIsRefusedAtOnceAndTheWindowsKeyCanBeChosen) {
    // Another program holds Ctrl+Alt+F5.
    ASSERT_TRUE(test::HotKeyIsFree(MOD_CONTROL | MOD_ALT, VK_F5));
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F5));
    struct Release {
        ~Release() { UnregisterHotKey(nullptr, 7); }
    } release;
    ASSERT_TRUE(test::HotKeyIsFree(MOD_WIN | MOD_SHIFT, 'K'));
    Folders(1);
    run_.settings.shortcutType = vt::ShortcutType::None;
    StartAndOpenSetup();
    Press(setup_, IDC_SHORTCUT_OTHER);
    ASSERT_TRUE(test::WaitUntil([&] { return Enabled(setup_, IDC_HOTKEY_WIN); }));
    SendDlgItemMessageA(setup_, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD(VK_F5, kCtrl | kAlt), 0);
    Click(setup_, IDOK);
    HWND box = WaitForMessageBox(run_.Pid(), "Another program uses Ctrl + Alt + F5");
    ASSERT_NE(box, nullptr);
    Answer(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    // Still open, nothing saved.
    EXPECT_TRUE(IsWindowVisible(setup_));
    EXPECT_EQ(StoredInt("", "Shortcut Type"), 0);

    // Windows key + Shift + K: the control holds Shift + K, the box the Windows key.
    SetChecked(setup_, IDC_HOTKEY_WIN, true);
    SendDlgItemMessageA(setup_, IDC_HOTKEY, HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_SHIFT), 0);
    PressOk();
    EXPECT_EQ(StoredInt("", "Shortcut Type"), 2);
    EXPECT_EQ(StoredInt("", "Normal Hot Key Virtual Key"), 'K');
    EXPECT_EQ(StoredInt("", "Normal Hot Key Modifier"), 0x10 | HOTKEYF_SHIFT);
    EXPECT_FALSE(test::HotKeyIsFree(MOD_WIN | MOD_SHIFT, 'K'));

    test::ChildProcess front;
    ASSERT_TRUE(front.Start(test::BinPath("instance_front_window.exe")));
    HWND target = test::WaitForTopWindow(front.Pid());
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(BringToFront(target));
    ASSERT_NE(PressChordForMenu(run_, {VK_LWIN, VK_SHIFT}, 'K'), nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());

    // Opened again, Setup shows the Windows key in its box.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_TRUE(Checked(setup_, IDC_HOTKEY_WIN));
    EXPECT_EQ(SendDlgItemMessageA(setup_, IDC_HOTKEY, HKM_GETHOTKEY, 0, 0),
              MAKEWORD('K', HOTKEYF_SHIFT));
    Click(setup_, IDCANCEL);
    ASSERT_TRUE(WaitHandled(setup_, run_.Window()));
}

TEST_F(SetupApply, CancelLeavesEverythingAndBringsTheTargetBack) {
    CleanRunValue clean;
    test::ScopedRegTree verb(HKEY_CURRENT_USER, kUserVerb);
    Folders(3);
    ASSERT_TRUE(run_.Start());
    // The folder menu popped over a window; "Setup..." chosen from it.
    test::ChildProcess front;
    ASSERT_TRUE(front.Start(test::BinPath("instance_front_window.exe")));
    HWND target = test::WaitForTopWindow(front.Pid());
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(BringToFront(target));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_NE(run_.WaitForMenu(), nullptr);
    PressKey(VK_UP);  // "Exit"
    PressKey(VK_UP);  // "Setup..."
    PressKey(VK_RETURN);
    setup_ = WaitForDialog(run_.Pid(), "Setup");
    ASSERT_NE(setup_, nullptr);

    ASSERT_TRUE(List().Select(0));
    Click(setup_, IDC_SETUP_REMOVE);
    HWND box = WaitForMessageBox(run_.Pid(), kRemoveQuestion);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 2; }));
    SetChecked(setup_, IDC_LOAD_WITH_WINDOWS, true);
    SetChecked(setup_, IDC_INTEGRATE, true);
    SetChecked(setup_, IDC_ALWAYS_NEW_EXPLORER, true);
    Press(setup_, IDC_SHORTCUT_WINKEY);
    Click(setup_, IDCANCEL);
    ASSERT_TRUE(WaitHandled(setup_, run_.Window()));

    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == target; }))
        << Describe(GetForegroundWindow());
    EXPECT_EQ(StoredInt("Entries", "Count"), 3);
    EXPECT_EQ(StoredInt("", "Always New Explorer"), 0);
    EXPECT_EQ(StoredInt("", "Shortcut Type"), 0);
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_FALSE(vt::IsExplorerVerbInstalled());
    // The program's own list is untouched too.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_EQ(List().Count(), 3);
    EXPECT_TRUE(Checked(setup_, IDC_SHORTCUT_NONE));
    Click(setup_, IDCANCEL);
    ASSERT_TRUE(WaitHandled(setup_, run_.Window()));
}

TEST_F(SetupApply, AFailedSaveIsReportedOnceAndTheListKeptForThisRun) {
    Folders(3);
    StartAndOpenSetup();
    ASSERT_TRUE(List().Select(2));
    Click(setup_, IDC_SETUP_REMOVE);
    HWND box = WaitForMessageBox(run_.Pid(), kRemoveQuestion);
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 2; }));
    // The program's key becomes volatile: no lasting subkey ("Entries") can
    // be made under it any more, so the list cannot be saved.
    test::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel");
    HKEY vol = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &vol, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(vol);

    Click(setup_, IDOK);
    box = WaitForMessageBox(run_.Pid(), kSaveFailure);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(WaitGone(setup_));
    Answer(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    EXPECT_EQ(WaitForMessageBox(run_.Pid(), kSaveFailure, 1000), nullptr) << "reported twice";

    // The edited list stays for this run.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_EQ(List().Count(), 2);
    Click(setup_, IDCANCEL);
    ASSERT_TRUE(WaitHandled(setup_, run_.Window()));
}

// ---- The verb end to end ----------------------------------------------------

class SetupVerb : public SetupTest {
protected:
    // The program runs from a folder with spaces and non-Latin letters, so
    // that a command that lost its quotation marks, or took the path through
    // a narrow code page, cannot reach it.
    void SetUp() override {
        ASSERT_TRUE(program_.Ok()) << program_.Dir();
        run_.programDir = program_.Dir();
    }
    ProgramCopy program_{
        "vt verb \xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD0\xB0 "
        "\xE6\x97\xA5\xE6\x9C\xAC"};  // Программа 日本
    // A folder whose name has spaces and non-Latin letters.
    std::wstring MakeForeignFolder() {
        wchar_t base[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, dir_.Path().c_str(), -1, base, MAX_PATH);
        std::wstring path = std::wstring(base) +
                            L"\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b \u65e5\u672c two words";
        CreateDirectoryW(path.c_str(), nullptr);
        return path;
    }
    // What Explorer does when the user picks the command on a folder.
    static bool RunVerbOn(const std::wstring& folder, HANDLE* process = nullptr) {
        SHELLEXECUTEINFOW sei = {};
        sei.cbSize = sizeof sei;
        sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = L"Add to Vantrel";
        sei.lpFile = folder.c_str();
        sei.nShow = SW_SHOWNORMAL;
        if (!ShellExecuteExW(&sei)) return false;
        if (process)
            *process = sei.hProcess;
        else if (sei.hProcess)
            CloseHandle(sei.hProcess);
        return true;
    }
    static std::wstring StoredWide(const char* name) {
        HKEY k = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quorvane.\\Vantrel\\Entries", 0, KEY_READ,
                          &k))
            return L"<no key>";
        wchar_t buf[1024] = {};
        DWORD size = sizeof buf - sizeof(wchar_t);
        std::wstring wname(name, name + strlen(name));
        LONG rc = RegQueryValueExW(k, wname.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf),
                                   &size);
        RegCloseKey(k);
        return rc ? L"<no value>" : buf;
    }
};

TEST_F(SetupVerb, TheCommandExplorerRunsReachesTheEditorOfTheRunningProgram) {
    test::ScopedRegTree verb(HKEY_CURRENT_USER, kUserVerb);
    Folders(1);
    StartAndOpenSetup();
    SetChecked(setup_, IDC_INTEGRATE, true);
    PressOk();
    {
        vt::CRegKey k;
        ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\command"));
        EXPECT_EQ(k.QueryString(nullptr, ""), "\"" + run_.ProgramPath() + "\" %L");
    }

    const std::wstring folder = MakeForeignFolder();
    ASSERT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    {
        test::ScopedUserClassesRoot merged;
        ASSERT_TRUE(merged.Active());
        ASSERT_TRUE(RunVerbOn(folder));
    }
    HWND editor = WaitForDialog(run_.Pid(), "Add/Edit", 20000);
    ASSERT_NE(editor, nullptr);
    // The folder as Explorer gave it: no trailing backslash added.
    EXPECT_TRUE(WideTextOf(GetDlgItem(editor, 1016)) == folder);
    Click(editor, IDOK);
    ASSERT_TRUE(WaitGone(editor));
    // The count may be written before the entry: wait for both.
    EXPECT_TRUE(test::WaitUntil(
        [&] { return StoredInt("Entries", "Count") == 2 && StoredWide("Path1") == folder; }));
    EXPECT_EQ(StoredInt("Entries", "Count"), 2);
    EXPECT_TRUE(StoredWide("Path1") == folder);
}

TEST_F(SetupVerb, TheCommandStartsTheProgramWhenItIsNotRunning) {
    test::ScopedRegTree verb(HKEY_CURRENT_USER, kUserVerb);
    vt::WriteShellIntegration(false, true, run_.ProgramPath());
    Folders(1);
    run_.Launch();  // the settings written ...
    ASSERT_TRUE(run_.WaitReady());
    PostMessageA(run_.Window(), WM_COMMAND, 57665, 0);  // ... and the program ended
    ASSERT_TRUE(run_.Process().WaitForExit(10000));
    vt::CRegProfile("Quorvane.", "Vantrel").WriteProfileString("", "Dir To Add", "C:\\before");

    const std::wstring folder = MakeForeignFolder();
    HANDLE process = nullptr;
    {
        test::ScopedUserClassesRoot merged;
        ASSERT_TRUE(merged.Active());
        ASSERT_TRUE(RunVerbOn(folder, &process));
    }
    ASSERT_NE(process, nullptr);
    const DWORD pid = GetProcessId(process);
    HWND editor = WaitForDialog(pid, "Add/Edit", 20000);
    EXPECT_NE(editor, nullptr);
    if (editor) {
        EXPECT_TRUE(WideTextOf(GetDlgItem(editor, 1016)) == folder);
        Click(editor, IDCANCEL);
        EXPECT_TRUE(WaitGone(editor));
    }
    EXPECT_EQ(StoredString("", "Dir To Add"), "C:\\before");
    HWND window = PublishedWindow();
    if (window) PostMessageA(window, WM_COMMAND, 57665, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
}

}  // namespace
