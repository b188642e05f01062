// Export and Import in the real Setup dialog: the file written by Export,
// read back into an empty list, appended, refused, cancelled, and restored
// by Wine's own reg.exe.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "app/settings.h"
#include "e2e/setup/setupdriver.h"
#include "framework/fileio.h"
#include "framework/registry.h"
#include "model/settingsfile.h"
#include "resources/resource.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const char* kProgramKey = "Software\\Quorvane.\\Vantrel";
const char* kProgramKeyName = "HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel";
const char* kReplaceQuestion = "Replace the folders and the options in Setup";
const char* kNothingImported = "Nothing was imported.";

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    if (n > 1) MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    return w;
}

// Every value of a key as stored: name -> type and data.
using Snapshot = std::map<std::wstring, std::pair<DWORD, std::string>>;
Snapshot SnapshotOf(const std::string& subkey) {
    Snapshot s;
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(subkey).c_str(), 0, KEY_READ, &k)) return s;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLen = 512, type = 0, size = 0;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, nullptr, &size)) break;
        std::string data(size, '\0');
        nameLen = 512;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type,
                          reinterpret_cast<BYTE*>(data.empty() ? nullptr : &data[0]), &size))
            break;
        data.resize(size);
        s[name] = {type, data};
    }
    RegCloseKey(k);
    return s;
}

std::wstring StoredWide(const std::string& section, const std::string& name) {
    const Snapshot s =
        SnapshotOf(std::string(kProgramKey) + (section.empty() ? "" : "\\" + section));
    auto it = s.find(Wide(name));
    if (it == s.end()) return L"<missing>";
    if (it->second.first != REG_SZ) return L"<not REG_SZ>";
    std::wstring w(reinterpret_cast<const wchar_t*>(it->second.second.data()),
                   it->second.second.size() / 2);
    while (!w.empty() && w.back() == L'\0') w.pop_back();
    return w;
}

// The options a test run starts with (VantrelRun's: no hot key, no tray icon).
vt::AppSettings RunDefaults() {
    vt::AppSettings s;
    s.shortcutType = vt::ShortcutType::None;
    s.showTray = false;
    return s;
}

class SetupExchange : public ::testing::Test {
protected:
    // Folders in several scripts, with quotation marks and backslashes in
    // a title, and one 300-character path (it need not exist in Setup).
    void ForeignFolders() {
        run_.folders.clear();
        std::string longPath = dir_.Path();
        while (longPath.size() < 300) longPath += "\\deeper";
        longPath.resize(300);
        run_.folders[0] = {dir_.MakeDir("Проекты") + "\\", "Проекты", "", -1};
        run_.folders[2] = {dir_.MakeDir("日本語 写真"), "日本語 写真", "", -1};
        run_.folders[5] = {dir_.MakeDir("Plain") + "\\", "Say \"hi\" \\ there", "", -1};
        run_.folders[6] = {longPath, "Fotos 🎵 long", "", -1};
    }
    void UnusualOptions() {
        run_.settings.action = 1;
        run_.settings.windowsKey = "Q";
        run_.settings.normalHotKeyVirtualKey = 0x78;
        run_.settings.normalHotKeyModifier = 6;
        run_.settings.alwaysNewExplorer = true;
        run_.settings.activateOnRButtonDown = false;
        run_.settings.activateOnMouseWheel = true;
    }
    void StartAndOpenSetup() {
        ASSERT_TRUE(run_.Start()) << "Vantrel.exe did not start or publish its window";
        setup_ = OpenSetup(run_);
        ASSERT_NE(setup_, nullptr) << "Setup did not open";
    }
    RemoteList List() const { return RemoteList(GetDlgItem(setup_, IDC_FOLDER_LIST)); }
    void ExportTo(const std::string& file) {
        Click(setup_, IDC_SETUP_EXPORT);
        HWND save = WaitForDialog(run_.Pid(), "", 10000, setup_);
        ASSERT_NE(save, nullptr) << "no save dialog";
        ASSERT_TRUE(ChooseInOpenDialog(save, file));
        // Written beside it and moved in place: there means whole.
        ASSERT_TRUE(test::WaitUntil([&] {
            return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES;
        })) << file
            << " not written";
    }
    void ChooseImport(const std::string& file) {
        Click(setup_, IDC_SETUP_IMPORT);
        HWND open = WaitForDialog(run_.Pid(), "", 10000, setup_);
        ASSERT_NE(open, nullptr) << "no open dialog";
        ASSERT_TRUE(ChooseInOpenDialog(open, file));
    }
    // Import with the question answered (IDYES replaces, IDNO appends).
    void ImportAnswering(const std::string& file, int answer) {
        ChooseImport(file);
        HWND box = WaitForMessageBox(run_.Pid(), kReplaceQuestion);
        ASSERT_NE(box, nullptr) << "no replace-or-append question";
        EXPECT_NE(GetDlgItem(box, IDCANCEL), nullptr);
        Answer(box, answer);
        ASSERT_TRUE(WaitGone(box));
    }
    void Close(int button) {
        Click(setup_, button);
        ASSERT_TRUE(WaitHandled(setup_, run_.Window())) << "Setup still open";
    }
    // Ends the program as "Exit" does.
    void Quit() {
        PostMessageA(run_.Window(), WM_COMMAND, ID_APP_EXIT_CMD, 0);
        ASSERT_TRUE(run_.Process().WaitForExit(10000)) << "Vantrel did not end";
    }
    void ExpectStoredFolders(const vt::FolderList& want) {
        EXPECT_EQ(StoredInt("Entries", "Count"), static_cast<int>(want.size()));
        int i = 0;
        for (const auto& kv : want) {
            const std::string n = std::to_string(i++);
            EXPECT_TRUE(StoredWide("Entries", "Path" + n) == Wide(kv.second.path)) << "Path" << n;
            EXPECT_TRUE(StoredWide("Entries", "Title" + n) == Wide(kv.second.title))
                << "Title" << n;
        }
    }

    test::ScratchDir dir_{"exchange"};
    VantrelRun run_;
    HWND setup_ = nullptr;
};

TEST_F(SetupExchange, ExportThenImportIntoAnEmptyRegistryGivesTheSameListAndOptions) {
    ForeignFolders();
    UnusualOptions();
    const vt::FolderList folders = run_.folders;
    const std::string file = dir_.Path() + "\\backup.reg";
    StartAndOpenSetup();
    ExportTo(file);
    Close(IDCANCEL);
    Quit();

    // Nothing of Vantrel's left, then a start with an empty list.
    test::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quorvane.");
    run_.folders.clear();
    run_.settings = RunDefaults();
    StartAndOpenSetup();
    ASSERT_EQ(List().Count(), 0);
    ImportAnswering(file, IDYES);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 4; })) << List().Count();
    EXPECT_EQ(List().Text(0, 0), "Проекты");
    EXPECT_EQ(List().Text(1, 0), "日本語 写真");
    EXPECT_EQ(List().Text(2, 0), "Say \"hi\" \\ there");
    EXPECT_EQ(List().Text(3, 1), folders.at(6).path);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(List().Data(row), row);
    // The options are in the controls ...
    EXPECT_EQ(ComboSelection(setup_, IDC_ACTION), 1);
    EXPECT_TRUE(Checked(setup_, IDC_ALWAYS_NEW_EXPLORER));
    EXPECT_FALSE(Checked(setup_, IDC_ACTIVATE_RBUTTON));
    EXPECT_TRUE(Checked(setup_, IDC_ACTIVATE_WHEEL));
    EXPECT_EQ(ComboText(setup_, IDC_WINDOWS_KEY, ComboSelection(setup_, IDC_WINDOWS_KEY)), "Q");
    // ... and nothing is in the registry before OK.
    EXPECT_EQ(StoredInt("Entries", "Count"), 0);
    EXPECT_EQ(StoredInt("", "Action"), 0);

    Close(IDOK);
    ExpectStoredFolders(folders);
    EXPECT_EQ(StoredInt("", "Action"), 1);
    EXPECT_EQ(StoredString("", "Windows Key"), "Q");
    EXPECT_EQ(StoredInt("", "Normal Hot Key Virtual Key"), 0x78);
    EXPECT_EQ(StoredInt("", "Normal Hot Key Modifier"), 6);
    EXPECT_EQ(StoredInt("", "Always New Explorer"), 1);
    EXPECT_EQ(StoredInt("", "Activate on RButton down"), 0);
    EXPECT_EQ(StoredInt("", "Activate on mouse wheel"), 1);
    EXPECT_EQ(StoredInt("", "Shortcut Type"), 0);
}

TEST_F(SetupExchange, RegImportOfTheExportedFileRestoresEveryValueAsStored) {
    ForeignFolders();
    UnusualOptions();
    const std::string file = dir_.Path() + "\\for reg.reg";
    StartAndOpenSetup();
    ExportTo(file);
    Close(IDCANCEL);
    Quit();
    const Snapshot options = SnapshotOf(kProgramKey);
    const Snapshot entries = SnapshotOf(std::string(kProgramKey) + "\\Entries");
    ASSERT_EQ(entries.size(), 4u * 4 + 1);
    // A longer list under the key before: the restore must not keep its tail.
    test::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Quorvane.");
    {
        vt::CRegKey stale;
        ASSERT_TRUE(stale.Create(HKEY_CURRENT_USER, std::string(kProgramKey) + "\\Entries"));
        ASSERT_TRUE(stale.SetString("Path7", "C:\\stale"));
    }

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    test::ChildProcess reg;
    ASSERT_TRUE(reg.Start(std::string(system) + "\\reg.exe", "import \"" + file + "\""));
    ASSERT_TRUE(reg.WaitForExit(30000)) << "reg.exe did not end";
    EXPECT_EQ(reg.ExitCode(), 0u);
    EXPECT_EQ(SnapshotOf(kProgramKey), options);
    EXPECT_EQ(SnapshotOf(std::string(kProgramKey) + "\\Entries"), entries);
}

TEST_F(SetupExchange, AppendKeepsYourOptionsAndCancelAfterImportChangesNothing) {
    vt::FolderList other;
    other[0] = {"C:\\Imported\\Один", "Один", "", -1};
    other[1] = {"C:\\Imported\\Two", "Two", "", -1};
    vt::AppSettings otherOptions = RunDefaults();
    otherOptions.alwaysNewExplorer = true;
    otherOptions.action = 1;
    const std::string file = dir_.Path() + "\\other.reg";
    ASSERT_TRUE(
        vt::WriteWholeFile(file, vt::WriteSettingsFile(other, otherOptions, kProgramKeyName)));
    run_.folders[0] = {dir_.MakeDir("Mine0") + "\\", "Mine0", "", -1};
    run_.folders[1] = {dir_.MakeDir("Mine1") + "\\", "Mine1", "", -1};
    StartAndOpenSetup();

    ImportAnswering(file, IDNO);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Count() == 4; })) << List().Count();
    const char* rows[] = {"Mine0", "Mine1", "Один", "Two"};
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(List().Text(row, 0), rows[row]);
        EXPECT_EQ(List().Data(row), row);
    }
    EXPECT_TRUE(test::WaitUntil([&] { return List().Selected() == 3; })) << List().Selected();
    EXPECT_FALSE(Checked(setup_, IDC_ALWAYS_NEW_EXPLORER));
    EXPECT_EQ(ComboSelection(setup_, IDC_ACTION), 0);
    Close(IDCANCEL);
    EXPECT_EQ(StoredInt("Entries", "Count"), 2);
    EXPECT_FALSE(StoredValueExists("Entries", "Path2"));

    // Replaced, then cancelled: the registry and the program's own copy stay.
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    ImportAnswering(file, IDYES);
    ASSERT_TRUE(test::WaitUntil([&] { return List().Text(0, 0) == "Один"; }));
    EXPECT_EQ(List().Count(), 2);
    EXPECT_TRUE(Checked(setup_, IDC_ALWAYS_NEW_EXPLORER));
    Close(IDCANCEL);
    EXPECT_EQ(StoredString("Entries", "Title0"), "Mine0");
    EXPECT_EQ(StoredInt("", "Always New Explorer"), 0);
    EXPECT_EQ(StoredInt("", "Action"), 0);
    setup_ = OpenSetup(run_);
    ASSERT_NE(setup_, nullptr);
    EXPECT_EQ(List().Count(), 2);
    EXPECT_EQ(List().Text(1, 0), "Mine1");
    EXPECT_FALSE(Checked(setup_, IDC_ALWAYS_NEW_EXPLORER));

    // A third answer, Cancel, imports nothing at all.
    ImportAnswering(file, IDCANCEL);
    EXPECT_EQ(List().Count(), 2);
    EXPECT_EQ(List().Text(0, 0), "Mine0");
    Close(IDOK);
    EXPECT_EQ(StoredInt("Entries", "Count"), 2);
    EXPECT_EQ(StoredString("Entries", "Title1"), "Mine1");
}

TEST_F(SetupExchange, AFileThatIsNotOneChangesNothingAndSaysWhy) {
    vt::FolderList three;
    for (int i = 0; i < 3; ++i) three[i] = {"C:\\Other" + std::to_string(i), "Other", "", -1};
    const std::string whole = vt::WriteSettingsFile(three, vt::AppSettings(), kProgramKeyName);
    std::string foreign =
        vt::WriteSettingsFile(three, vt::AppSettings(), "HKEY_CURRENT_USER\\Software\\Elsewhere");
    std::string noise(3000, '\0');
    unsigned seed = 7;
    for (char& c : noise) c = static_cast<char>((seed = seed * 69069u + 1u) >> 24);
    noise[0] = 'n';
    struct Case {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"cut.reg", whole.substr(0, whole.size() * 2 / 3), "is incomplete"},
        {"foreign.reg", foreign, "holds a registry key that is not Vantrel's"},
        {"noise.reg", noise, "is not a file of Vantrel's settings"},
        {"empty.reg", "", "is empty"},
        {"old.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel]\r\n",
         "of another version"},
    };
    run_.folders[0] = {dir_.MakeDir("Kept0") + "\\", "Kept0", "", -1};
    run_.folders[1] = {dir_.MakeDir("Kept1") + "\\", "Kept1", "", -1};
    StartAndOpenSetup();
    for (const Case& c : cases) {
        const std::string file = dir_.Path() + "\\" + c.name;
        ASSERT_TRUE(vt::WriteWholeFile(file, c.bytes));
        ChooseImport(file);
        // The problem comes first and alone: no replace-or-append question.
        HWND box = WaitForMessageBox(run_.Pid(), c.says);
        ASSERT_NE(box, nullptr) << c.name << ": no message saying \"" << c.says << "\"";
        EXPECT_NE(test::TextOf(GetDlgItem(box, 0xFFFF)).find(kNothingImported), std::string::npos);
        EXPECT_NE(test::TextOf(GetDlgItem(box, 0xFFFF)).find(file), std::string::npos);
        EXPECT_TRUE(run_.MessageBoxes(kReplaceQuestion).empty()) << c.name;
        Answer(box, IDOK);
        ASSERT_TRUE(WaitGone(box));
        ASSERT_EQ(List().Count(), 2) << c.name;
        EXPECT_EQ(List().Text(0, 0), "Kept0") << c.name;
        EXPECT_EQ(List().Text(1, 0), "Kept1") << c.name;
    }
    // Even OK afterwards stores the list as it was.
    Close(IDOK);
    EXPECT_EQ(StoredInt("Entries", "Count"), 2);
    EXPECT_EQ(StoredString("Entries", "Title0"), "Kept0");
    EXPECT_EQ(StoredString("Entries", "Path1"), run_.folders.at(1).path);
}

}  // namespace
