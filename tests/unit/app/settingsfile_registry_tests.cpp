// The settings file against the real registry and Wine's own reg.exe: a file
// Vantrel writes, imported by reg.exe, loads as the same list and options;
// the key exported by reg.exe reads back as what was stored.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>

#include "app/settings.h"
#include "framework/fileio.h"
#include "model/settingsfile.h"
#include "support/settingscompare.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kRoot = "Software\\VantrelExchangeTest";
const char* kKeyName = "HKEY_CURRENT_USER\\Software\\VantrelExchangeTest\\Vantrel";

CRegProfile TestProfile() { return CRegProfile("VantrelExchangeTest", "Vantrel"); }

FolderList Awkward() {
    std::string longPath = "C:\\Long";
    while (longPath.size() < 300) longPath += "\\part" + std::to_string(longPath.size());
    longPath.resize(300);
    FolderList f;
    f[0] = {"C:\\Users\\Public\\Проекты\\", "Проекты", "C:\\Windows\\system32\\shell32.dll", 3};
    f[1] = {"D:\\日本語", "日本語 🎵", "", -1};
    f[2] = {"\\\\server\\share\\\"q\"\\", "Say \"hi\" \\ there \\\\", "", 0};
    f[3] = {longPath, "long", "", -1};
    f[4] = {"C:\\x", "two\nlines", "", -1};
    return f;
}

AppSettings Unusual() {
    AppSettings s;
    s.action = 1;
    s.showTray = false;
    s.shortcutType = ShortcutType::HotKey;
    s.windowsKey = "Y";
    s.normalHotKeyVirtualKey = 0x71;
    s.normalHotKeyModifier = 0x13;
    s.alwaysNewExplorer = true;
    s.activateOnRButtonDown = false;
    s.activateOnMouseWheel = true;
    return s;
}

void ExpectSame(const FolderList& got, const AppSettings& gotSettings) {
    const FolderList want = Awkward();
    ASSERT_EQ(got.size(), want.size());
    for (const auto& kv : want) {
        ASSERT_TRUE(got.count(kv.first)) << kv.first;
        const FolderEntry& e = got.at(kv.first);
        EXPECT_EQ(e.path, kv.second.path) << kv.first;
        EXPECT_EQ(e.title, kv.second.title) << kv.first;
        EXPECT_EQ(e.iconFile, kv.second.iconFile) << kv.first;
        EXPECT_EQ(e.iconIndex, kv.second.iconIndex) << kv.first;
    }
    test::ExpectSameSettings(gotSettings, Unusual());
}

// reg.exe with these arguments; its exit code, or -1 if it did not run or end.
int RunReg(const std::string& args) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    test::ChildProcess reg;
    if (!reg.Start(std::string(system) + "\\reg.exe", args)) return -1;
    if (!reg.WaitForExit(30000)) return -1;
    return static_cast<int>(reg.ExitCode());
}

// Every value of a key as stored: name -> type and data.
using Snapshot = std::map<std::wstring, std::pair<DWORD, std::string>>;
Snapshot SnapshotOf(const wchar_t* subkey) {
    Snapshot s;
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &k)) return s;
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD nameLen = 512, type = 0;
        BYTE data[4096];
        DWORD size = sizeof data;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, data, &size)) break;
        s[name] = {type, std::string(reinterpret_cast<char*>(data), size)};
    }
    RegCloseKey(k);
    return s;
}

class SettingsFileRegistry : public ::testing::Test {
protected:
    test::ScopedRegTree clean_{HKEY_CURRENT_USER, kRoot};
    test::ScratchDir dir_{"regfile"};
};

TEST_F(SettingsFileRegistry, AWrittenFileImportedByRegLoadsAsTheSameListAndOptions) {
    const std::string file = dir_.Path() + "\\written.reg";
    ASSERT_TRUE(WriteWholeFile(file, WriteSettingsFile(Awkward(), Unusual(), kKeyName)));
    // A longer list stored before: its tail must not survive the import.
    {
        CSettingsStore before(TestProfile());
        for (int i = 0; i < 8; ++i) before.folders[i] = {"C:\\old", "old", "", -1};
        ASSERT_TRUE(before.SaveSettings());
    }
    ASSERT_EQ(RunReg("import \"" + file + "\""), 0);
    CSettingsStore store(TestProfile());
    store.LoadSettings();
    EXPECT_FALSE(store.FirstRun());
    EXPECT_EQ(store.storedCount, 5);
    ExpectSame(store.folders, store.settings);
    CRegKey entries;
    ASSERT_TRUE(TestProfile().OpenSection("Entries", entries));
    EXPECT_EQ(entries.QueryString("Path7", "<gone>"), "<gone>");
}

TEST_F(SettingsFileRegistry, TheKeyExportedByRegReadsBackAsWhatWasStored) {
    CSettingsStore store(TestProfile());
    store.folders = Awkward();
    store.settings = Unusual();
    ASSERT_TRUE(store.SaveSettings());
    const std::string file = dir_.Path() + "\\exported.reg";
    ASSERT_EQ(RunReg(std::string("export \"HKCU\\") + kRoot + "\\Vantrel\" \"" + file + "\" /y"),
              0);
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(file, bytes, 1 << 20));
    const SettingsFileContents c = ReadSettingsFile(bytes, AppSettings(), kKeyName);
    ASSERT_EQ(c.problem, SettingsFileProblem::None) << "line " << c.line << " " << c.detail;
    ExpectSame(c.folders, c.settings);
}

TEST_F(SettingsFileRegistry, ReimportedTheKeyHoldsExactlyTheValuesASaveWrites) {
    // Every value the program saves is in the file, with its type and bytes:
    // an option saved but not exported would be lost by a restore.
    CSettingsStore store(TestProfile());
    store.folders = Awkward();
    store.settings = Unusual();
    ASSERT_TRUE(store.SaveSettings());
    const wchar_t* app = L"Software\\VantrelExchangeTest\\Vantrel";
    const wchar_t* entries = L"Software\\VantrelExchangeTest\\Vantrel\\Entries";
    const Snapshot saved = SnapshotOf(app), savedEntries = SnapshotOf(entries);
    ASSERT_EQ(savedEntries.size(), 5u * 4 + 1);

    const std::string file = dir_.Path() + "\\again.reg";
    ASSERT_TRUE(WriteWholeFile(file, WriteSettingsFile(store.folders, store.settings, kKeyName)));
    test::DeleteRegTree(HKEY_CURRENT_USER, kRoot);
    ASSERT_EQ(RunReg("import \"" + file + "\""), 0);
    Snapshot restored = SnapshotOf(app);
    // The one value more: the restored key is past its first run.
    ASSERT_EQ(restored.count(L"Already Run"), 1u);
    EXPECT_EQ(restored[L"Already Run"],
              std::make_pair(DWORD(REG_DWORD), std::string("\1\0\0\0", 4)));
    restored.erase(L"Already Run");
    EXPECT_EQ(restored, saved);
    EXPECT_EQ(SnapshotOf(entries), savedEntries);
}

}  // namespace
