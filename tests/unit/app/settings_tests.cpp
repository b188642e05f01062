// The registry format of the options and the folder list, checked against the
// real (Wine) registry value by value: names, types, contents, defaults.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>

#include "app/settings.h"
#include "shell/iconsources.h"
#include "framework/text.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kRoot = "Software\\VantrelSettingsTest";
const char* kApp = "Software\\VantrelSettingsTest\\Vantrel";
const char* kEntries = "Software\\VantrelSettingsTest\\Vantrel\\Entries";

CRegProfile TestProfile() { return CRegProfile("VantrelSettingsTest", "Vantrel"); }

struct RawValue {
    bool exists = false;
    DWORD type = 0;
    std::string bytes;
};

RawValue ReadRaw(const char* key, const std::string& name) {
    RawValue v;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return v;
    char buf[4096];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(k, name.c_str(), nullptr, &v.type, reinterpret_cast<BYTE*>(buf), &size) ==
        ERROR_SUCCESS) {
        v.exists = true;
        v.bytes.assign(buf, size);
    }
    RegCloseKey(k);
    return v;
}

std::string Dword(DWORD d) { return std::string(reinterpret_cast<const char*>(&d), 4); }
std::string Sz(const std::string& s) { return s + std::string(1, '\0'); }

void ExpectDword(const char* key, const std::string& name, DWORD value) {
    RawValue v = ReadRaw(key, name);
    ASSERT_TRUE(v.exists) << name;
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << name;
    EXPECT_EQ(v.bytes, Dword(value)) << name;
}

void ExpectSz(const char* key, const std::string& name, const std::string& value) {
    RawValue v = ReadRaw(key, name);
    ASSERT_TRUE(v.exists) << name;
    EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(v.bytes, Sz(value)) << name;
}

void SetDword(const char* key, const char* name, DWORD value) {
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, key));
    ASSERT_TRUE(k.SetDword(name, value));
}

void SetSz(const char* key, const char* name, const std::string& value) {
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, key));
    ASSERT_TRUE(k.SetString(name, value));
}

void WriteEntry(int pos, const std::string& path, const std::string& title,
                const std::string& iconFile = "", DWORD iconIndex = 0xFFFFFFFF) {
    SetSz(kEntries, ("Path" + std::to_string(pos)).c_str(), path);
    SetSz(kEntries, ("Title" + std::to_string(pos)).c_str(), title);
    SetSz(kEntries, ("IconFile" + std::to_string(pos)).c_str(), iconFile);
    SetDword(kEntries, ("IconIndex" + std::to_string(pos)).c_str(), iconIndex);
}

// Stores that are past their first run, so that loading does not seed.
void MarkAlreadyRun() { SetDword(kApp, "Already Run", 1); }

class Settings : public ::testing::Test {
protected:
    test::ScopedRegTree clean_{HKEY_CURRENT_USER, kRoot};
};

TEST_F(Settings, MissingOptionsTakeTheirDefaults) {
    MarkAlreadyRun();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_EQ(s.settings.action, 0);
    EXPECT_TRUE(s.settings.showTray);
    EXPECT_EQ(s.settings.shortcutType, ShortcutType::WindowsKey);
    EXPECT_EQ(s.settings.windowsKey, "A");
    EXPECT_EQ(s.settings.normalHotKeyVirtualKey, 0);
    EXPECT_EQ(s.settings.normalHotKeyModifier, 0);
    EXPECT_FALSE(s.settings.alwaysNewExplorer);
    EXPECT_TRUE(s.settings.activateOnRButtonDown);
    EXPECT_FALSE(s.settings.activateOnMouseWheel);
    EXPECT_TRUE(s.settings.showOpenFolders);
    EXPECT_FALSE(s.settings.autoSwitch);
    EXPECT_TRUE(s.folders.empty());
    EXPECT_EQ(s.storedCount, 0);
}

TEST_F(Settings, SaveWritesEveryValueWithItsTypeAndBytes) {
    MarkAlreadyRun();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    s.settings.action = 1;
    s.settings.showTray = false;
    s.settings.shortcutType = ShortcutType::HotKey;
    s.settings.windowsKey = "Z";
    s.settings.normalHotKeyVirtualKey = 0x70;
    s.settings.normalHotKeyModifier = 6;
    s.settings.alwaysNewExplorer = true;
    s.settings.activateOnRButtonDown = false;
    s.settings.activateOnMouseWheel = true;
    s.settings.showOpenFolders = false;
    s.settings.autoSwitch = true;
    s.folders[3] = {"C:\\a", "A", "", -1};
    s.folders[7] = {"C:\\b", "B", "C:\\icons\\b.ico", 2};
    s.SaveSettings();

    ExpectDword(kApp, "Action", 1);
    ExpectDword(kApp, "Show Tray", 0);
    ExpectDword(kApp, "Shortcut Type", 2);
    ExpectSz(kApp, "Windows Key", "Z");
    ExpectDword(kApp, "Normal Hot Key Virtual Key", 0x70);
    ExpectDword(kApp, "Normal Hot Key Modifier", 6);
    ExpectDword(kApp, "Always New Explorer", 1);
    ExpectDword(kApp, "Activate on RButton down", 0);
    ExpectDword(kApp, "Activate on mouse wheel", 1);
    ExpectDword(kApp, "Show Open Folders", 0);
    ExpectDword(kApp, "Auto Switch", 1);
    // Keys are not stored: positions follow the key order from 0.
    ExpectDword(kEntries, "Count", 2);
    ExpectSz(kEntries, "Path0", "C:\\a");
    ExpectSz(kEntries, "Title0", "A");
    ExpectSz(kEntries, "IconFile0", "");
    ExpectDword(kEntries, "IconIndex0", 0xFFFFFFFF);
    ExpectSz(kEntries, "Path1", "C:\\b");
    ExpectSz(kEntries, "IconFile1", "C:\\icons\\b.ico");
    ExpectDword(kEntries, "IconIndex1", 2);
    EXPECT_FALSE(ReadRaw(kEntries, "Path3").exists);
    EXPECT_EQ(s.storedCount, 2);

    // And it all comes back, renumbered from 0.
    CSettingsStore r(TestProfile());
    r.LoadSettings();
    EXPECT_EQ(r.settings.action, 1);
    EXPECT_FALSE(r.settings.showTray);
    EXPECT_EQ(r.settings.windowsKey, "Z");
    EXPECT_EQ(r.settings.normalHotKeyModifier, 6);
    EXPECT_FALSE(r.settings.activateOnRButtonDown);
    EXPECT_TRUE(r.settings.activateOnMouseWheel);
    EXPECT_FALSE(r.settings.showOpenFolders);
    EXPECT_TRUE(r.settings.autoSwitch);
    ASSERT_EQ(r.folders.size(), 2u);
    EXPECT_EQ(r.folders.at(0).path, "C:\\a");
    EXPECT_EQ(r.folders.at(1).iconFile, "C:\\icons\\b.ico");
    EXPECT_EQ(r.folders.at(1).iconIndex, 2);
}

TEST_F(Settings, HotKeyValuesKeepTheirLow16BitsAndBooleansAnyNonZero) {
    MarkAlreadyRun();
    SetDword(kApp, "Normal Hot Key Virtual Key", 0x12345);
    SetDword(kApp, "Normal Hot Key Modifier", 0xFFFF0004);
    SetDword(kApp, "Show Tray", 7);
    SetDword(kApp, "Activate on mouse wheel", 0x100);
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_EQ(s.settings.normalHotKeyVirtualKey, 0x2345);
    EXPECT_EQ(s.settings.normalHotKeyModifier, 4);
    EXPECT_TRUE(s.settings.showTray);
    EXPECT_TRUE(s.settings.activateOnMouseWheel);
    s.SaveSettings();
    ExpectDword(kApp, "Show Tray", 1);  // booleans are written as 0 or 1
    ExpectDword(kApp, "Activate on mouse wheel", 1);
}

TEST_F(Settings, EntryWithoutTitleIsSkippedAndTheSaveCompacts) {
    MarkAlreadyRun();
    SetDword(kEntries, "Count", 4);
    WriteEntry(0, "C:\\p0", "t0");
    SetSz(kEntries, "Path1", "C:\\p1");  // no title
    WriteEntry(2, "C:\\p2", "t2");
    WriteEntry(3, "C:\\p3", "t3");
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    ASSERT_EQ(s.folders.size(), 3u);
    EXPECT_EQ(s.folders.at(0).path, "C:\\p0");
    EXPECT_EQ(s.folders.at(1).path, "C:\\p2");
    EXPECT_EQ(s.folders.at(2).path, "C:\\p3");
    EXPECT_EQ(s.storedCount, 4);
    s.SaveSettings();
    ExpectDword(kEntries, "Count", 3);
    ExpectSz(kEntries, "Path1", "C:\\p2");
    ExpectSz(kEntries, "Title1", "t2");
    ExpectSz(kEntries, "Path2", "C:\\p3");
    for (const char* n : {"Path3", "Title3", "IconFile3", "IconIndex3"})
        EXPECT_FALSE(ReadRaw(kEntries, n).exists) << n;
}

TEST_F(Settings, AListThatCannotBeWrittenIsReportedAndItsTailClearedLater) {
    MarkAlreadyRun();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    for (int i = 0; i < 4; ++i) s.folders[i] = {"C:\\f" + std::to_string(i), "f", "", -1};
    EXPECT_TRUE(s.SaveSettings());
    // A volatile application key cannot hold a lasting "Entries" subkey.
    test::DeleteRegTree(HKEY_CURRENT_USER, kApp);
    HKEY vol = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kApp, 0, nullptr, REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &vol, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(vol);
    s.folders.erase(3);
    EXPECT_FALSE(s.SaveSettings());
    EXPECT_EQ(s.storedCount, 4);  // what the registry held before
    // Writable again, with the four old positions back in place.
    test::DeleteRegTree(HKEY_CURRENT_USER, kApp);
    CSettingsStore old(TestProfile());
    for (int i = 0; i < 4; ++i) old.folders[i] = {"C:\\old" + std::to_string(i), "o", "", -1};
    ASSERT_TRUE(old.SaveSettings());
    EXPECT_TRUE(s.SaveSettings());
    ExpectDword(kEntries, "Count", 3);
    EXPECT_FALSE(ReadRaw(kEntries, "Path3").exists);
}

TEST_F(Settings, RemovingTwoOfFiveLeavesExactlyThreePositions) {
    MarkAlreadyRun();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    for (int i = 0; i < 5; ++i) s.folders[i] = {"C:\\f" + std::to_string(i), "f", "", -1};
    s.SaveSettings();
    s.folders.erase(1);
    s.folders.erase(3);
    s.SaveSettings();
    ExpectDword(kEntries, "Count", 3);
    ExpectSz(kEntries, "Path0", "C:\\f0");
    ExpectSz(kEntries, "Path1", "C:\\f2");
    ExpectSz(kEntries, "Path2", "C:\\f4");
    for (int p = 3; p < 5; ++p)
        for (const char* stem : {"Path", "Title", "IconFile", "IconIndex"})
            EXPECT_FALSE(ReadRaw(kEntries, stem + std::to_string(p)).exists) << stem << p;
}

TEST_F(Settings, AddedEntryAfterGapsTakesLargestKeyPlusOne) {
    FolderList l;
    EXPECT_EQ(NextFolderKey(l), 0);
    l[0] = {};
    l[1] = {};
    l[5] = {};
    EXPECT_EQ(NextFolderKey(l), 6);
    MarkAlreadyRun();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    s.folders = l;
    for (auto& kv : s.folders) kv.second = {"C:\\k" + std::to_string(kv.first), "t", "", -1};
    s.folders[NextFolderKey(s.folders)] = {"C:\\new", "new", "", -1};
    s.SaveSettings();
    ExpectSz(kEntries, "Path3", "C:\\new");
    ExpectDword(kEntries, "Count", 4);
}

TEST_F(Settings, SystemImageListIndexIsLookedUpAfreshAtLoad) {
    MarkAlreadyRun();
    char docs[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, docs, CSIDL_PERSONAL, TRUE));
    int expected = -1;
    ASSERT_TRUE(GetSystemIconIndex(docs, expected));
    SetDword(kEntries, "Count", 2);
    WriteEntry(0, docs, "Docs", "*** SIL ***", 9999);  // stale index
    WriteEntry(1, "C:\\no\\such\\folder\\anywhere", "Gone", "*** SIL ***", 5);
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    ASSERT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.folders.at(0).iconFile, "*** SIL ***");
    EXPECT_EQ(s.folders.at(0).iconIndex, expected);
    // Written back as found.
    s.SaveSettings();
    ExpectSz(kEntries, "IconFile0", "*** SIL ***");
    ExpectDword(kEntries, "IconIndex0", static_cast<DWORD>(expected));
    // A path the shell has no image for loses its icon (if the shell refuses it).
    int probe = -1;
    if (!GetSystemIconIndex("C:\\no\\such\\folder\\anywhere", probe)) {
        EXPECT_EQ(s.folders.at(1).iconFile, "");
        EXPECT_EQ(s.folders.at(1).iconIndex, -1);
    }
}

TEST_F(Settings, DeferredSystemIconsKeepTheStoredIndexUntilResolved) {
    MarkAlreadyRun();
    char docs[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, docs, CSIDL_PERSONAL, TRUE));
    int expected = -1;
    ASSERT_TRUE(GetSystemIconIndex(docs, expected));
    ASSERT_NE(expected, 9999);
    SetDword(kEntries, "Count", 2);
    WriteEntry(0, docs, "Docs", "*** SIL ***", 9999);
    WriteEntry(1, "C:\\plain", "Plain", "C:\\x.ico", 3);
    CSettingsStore s(TestProfile());
    s.deferSystemIcons = true;
    s.LoadSettings();
    EXPECT_TRUE(s.SystemIconsPending());
    EXPECT_EQ(s.folders.at(0).iconIndex, 9999);
    s.ResolveSystemIcons();
    EXPECT_FALSE(s.SystemIconsPending());
    EXPECT_EQ(s.folders.at(0).iconIndex, expected);
    EXPECT_EQ(s.folders.at(1).iconIndex, 3);  // only system image entries change
}

TEST_F(Settings, FirstRunSeedsTheWellKnownFoldersAndWritesEverything) {
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    // Wine's shell knows the desktop, documents, pictures, music and videos.
    ASSERT_GE(s.folders.size(), 4u);
    char desktop[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, desktop, CSIDL_DESKTOP, FALSE));
    EXPECT_EQ(s.folders.at(0).path, desktop);
    EXPECT_FALSE(s.folders.at(0).title.empty());
    int k = 0;
    for (const auto& kv : s.folders) EXPECT_EQ(kv.first, k++);  // keys 0..n-1
    ExpectDword(kApp, "Already Run", 1);
    ExpectDword(kEntries, "Count", static_cast<DWORD>(s.folders.size()));
    ExpectSz(kEntries, "Path0", desktop);
    ExpectDword(kApp, "Show Tray", 1);
    ExpectSz(kApp, "Windows Key", "A");
    EXPECT_EQ(s.storedCount, static_cast<int>(s.folders.size()));
}

TEST_F(Settings, FirstRunWithStoredEntriesAddsNothingButMarksTheRun) {
    SetDword(kApp, "Already Run", 0);
    SetDword(kEntries, "Count", 2);
    WriteEntry(0, "C:\\x", "x");
    WriteEntry(1, "C:\\y", "y");
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_EQ(s.folders.size(), 2u);
    ExpectDword(kApp, "Already Run", 1);
    ExpectDword(kEntries, "Count", 2);
}

TEST_F(Settings, AlreadyRunWithZeroCountStaysEmpty) {
    MarkAlreadyRun();
    SetDword(kEntries, "Count", 0);
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_TRUE(s.folders.empty());
    EXPECT_FALSE(ReadRaw(kEntries, "Path0").exists);
}

TEST_F(Settings, ShellFoldersKeySuppliesAFolderTheShellDoesNot) {
    const char* sf = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    RawValue saved = ReadRaw(sf, "Vantrel Test Value");
    SetSz(sf, "Vantrel Test Value", "C:\\Media\\My Clips.dir");
    CSettingsStore s(TestProfile());
    s.AddDefaultFolder(-1, "Vantrel Test Value");
    s.AddDefaultFolder(-1, "No Such Value Here");
    s.AddDefaultFolder(-1, "");
    CRegKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, sf, KEY_WRITE));
    k.DeleteValue("Vantrel Test Value");
    ASSERT_EQ(s.folders.size(), 1u);
    EXPECT_EQ(s.folders.at(0).path, "C:\\Media\\My Clips.dir");
    EXPECT_EQ(s.folders.at(0).title, "My Clips.dir");  // last component with its extension

    // A name of 256 bytes (which overran a fixed 256-byte name buffer) and a
    // Cyrillic one ("Мои клипы") are taken whole; a path ending in a
    // backslash names no folder.
    const std::string longName(256, 'n');
    const std::string cyrillic =
        "\xD0\x9C\xD0\xBE\xD0\xB8 \xD0\xBA\xD0\xBB\xD0\xB8\xD0\xBF\xD1\x8B";
    SetSz(sf, "Vantrel Test Value", "C:\\" + longName);
    s.AddDefaultFolder(-1, "Vantrel Test Value");
    SetSz(sf, "Vantrel Test Value", "C:\\Video\\" + cyrillic);
    s.AddDefaultFolder(-1, "Vantrel Test Value");
    SetSz(sf, "Vantrel Test Value", "C:\\Video\\");
    s.AddDefaultFolder(-1, "Vantrel Test Value");
    k.DeleteValue("Vantrel Test Value");
    ASSERT_EQ(s.folders.size(), 3u);
    EXPECT_EQ(s.folders.at(1).title, longName);
    EXPECT_EQ(s.folders.at(2).title, cyrillic);
    EXPECT_EQ(s.folders.at(2).path, "C:\\Video\\" + cyrillic);
}

// ---- Data written by hand or by other tools ------------------------------

TEST_F(Settings, WrongValueTypesFallBackToDefaultsAndKeepReadableEntries) {
    MarkAlreadyRun();
    SetSz(kApp, "Action", "1");         // string where a number belongs
    SetDword(kApp, "Windows Key", 66);  // number where a string belongs
    {
        CRegKey k;
        ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, kApp));
        const BYTE bin[2] = {1, 0};
        ASSERT_EQ(RegSetValueExA(k.Get(), "Show Tray", 0, REG_BINARY, bin, 2), ERROR_SUCCESS);
    }
    SetDword(kEntries, "Count", 3);
    WriteEntry(0, "C:\\good", "good");
    SetDword(kEntries, "Path1", 5);  // unreadable path: skipped
    SetSz(kEntries, "Title1", "t1");
    WriteEntry(2, "C:\\also", "also");
    SetSz(kEntries, "IconIndex2", "3");  // unreadable index: -1
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_EQ(s.settings.action, 0);
    EXPECT_EQ(s.settings.windowsKey, "A");
    EXPECT_TRUE(s.settings.showTray);
    ASSERT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.folders.at(0).path, "C:\\good");
    EXPECT_EQ(s.folders.at(1).path, "C:\\also");
    EXPECT_EQ(s.folders.at(1).iconIndex, -1);
}

TEST_F(Settings, VeryLongStringsAreKeptWhole) {
    MarkAlreadyRun();
    std::string longPath = "C:\\" + std::string(3000, 'd');
    std::string longTitle(5000, 't');
    SetDword(kEntries, "Count", 1);
    WriteEntry(0, longPath, longTitle);
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    ASSERT_EQ(s.folders.size(), 1u);
    EXPECT_EQ(s.folders.at(0).path, longPath);
    EXPECT_EQ(s.folders.at(0).title, longTitle);
}

TEST_F(Settings, AbsurdCountLoadsQuicklyKeepsEntriesAndSaveCleansUp) {
    MarkAlreadyRun();
    SetDword(kEntries, "Count", 0x7FFFFFFF);
    WriteEntry(0, "C:\\zero", "zero");
    WriteEntry(2, "C:\\two", "two");  // position 1 missing
    WriteEntry(40000, "C:\\far", "far");
    auto t0 = std::chrono::steady_clock::now();
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    auto loadMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    EXPECT_LT(loadMs, 2000);
    ASSERT_EQ(s.folders.size(), 3u);
    EXPECT_EQ(s.folders.at(0).path, "C:\\zero");
    EXPECT_EQ(s.folders.at(1).path, "C:\\two");
    EXPECT_EQ(s.folders.at(2).path, "C:\\far");
    t0 = std::chrono::steady_clock::now();
    s.SaveSettings();
    auto saveMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0)
            .count();
    EXPECT_LT(saveMs, 2000);
    ExpectDword(kEntries, "Count", 3);
    ExpectSz(kEntries, "Path2", "C:\\far");
    EXPECT_FALSE(ReadRaw(kEntries, "Path40000").exists);
    EXPECT_FALSE(ReadRaw(kEntries, "IconIndex40000").exists);
}

TEST_F(Settings, NegativeOrNonNumericCountStillKeepsEveryEntry) {
    for (int variant = 0; variant < 2; ++variant) {
        test::DeleteRegTree(HKEY_CURRENT_USER, kRoot);
        MarkAlreadyRun();
        if (variant == 0)
            SetDword(kEntries, "Count", static_cast<DWORD>(-3));
        else
            SetSz(kEntries, "Count", "2");
        WriteEntry(0, "C:\\a", "a");
        WriteEntry(1, "C:\\b", "b");
        CSettingsStore s(TestProfile());
        s.LoadSettings();
        EXPECT_EQ(s.folders.size(), 2u) << variant;
        s.SaveSettings();
        ExpectDword(kEntries, "Count", 2);
    }
}

TEST_F(Settings, CountBeyondTheStoredPositionsReadsWhatExists) {
    MarkAlreadyRun();
    SetDword(kEntries, "Count", 10);
    WriteEntry(0, "C:\\a", "a");
    WriteEntry(1, "C:\\b", "b");
    CSettingsStore s(TestProfile());
    s.LoadSettings();
    EXPECT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.storedCount, 10);
}

// Names in any script, written as another tool writes them (UTF-16 through
// the W calls): they load as UTF-8, and a save writes the same UTF-16 back.
TEST_F(Settings, EntriesInAnyScriptLoadAndSaveUnchanged) {
    MarkAlreadyRun();
    // "C:\Проекты 日本語 🎵", "Проекты 日本語 🎵", an icon file of that folder.
    const std::wstring path =
        L"C:\\\u041F\u0440\u043E\u0435\u043A\u0442\u044B "
        L"\u65E5\u672C\u8A9E \xD83C\xDFB5";
    const std::wstring title = path.substr(3);
    const std::wstring icon = path + L"\\\u0437\u043D\u0430\u0447\u043E\u043A.ico";
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, ToWide(kEntries).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    auto setW = [k](const wchar_t* name, const std::wstring& v) {
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    };
    const DWORD count = 1, index = 2;
    RegSetValueExW(k, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
    setW(L"Path0", path);
    setW(L"Title0", title);
    setW(L"IconFile0", icon);
    RegSetValueExW(k, L"IconIndex0", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&index), 4);
    RegCloseKey(k);

    CSettingsStore s(TestProfile());
    s.LoadSettings();
    ASSERT_EQ(s.folders.size(), 1u);
    EXPECT_EQ(s.folders[0].path, ToNarrow(path));
    EXPECT_EQ(s.folders[0].title, ToNarrow(title));
    EXPECT_EQ(s.folders[0].iconFile, ToNarrow(icon));
    EXPECT_EQ(s.folders[0].iconIndex, 2);
    EXPECT_EQ(s.folders[0].path.find('?'), std::string::npos);

    // Saved and loaded again: the registry holds the very same UTF-16 data.
    s.SaveSettings();
    auto readW = [](const wchar_t* name) {
        HKEY key = nullptr;
        std::wstring v;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, ToWide(kEntries).c_str(), 0, KEY_READ, &key) != 0)
            return v;
        wchar_t buf[1024] = {};
        DWORD type = 0, size = sizeof buf;
        if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == 0 &&
            type == REG_SZ)
            v.assign(buf, size / sizeof(wchar_t));
        RegCloseKey(key);
        return v;
    };
    EXPECT_EQ(readW(L"Path0"), path + L'\0');
    EXPECT_EQ(readW(L"Title0"), title + L'\0');
    EXPECT_EQ(readW(L"IconFile0"), icon + L'\0');
    CSettingsStore again(TestProfile());
    again.LoadSettings();
    ASSERT_EQ(again.folders.size(), 1u);
    EXPECT_EQ(again.folders[0].title, s.folders[0].title);
    EXPECT_EQ(again.folders[0].path, s.folders[0].path);
}

}  // namespace

namespace {

// A path of `chars` characters below C:\, made of folders in two scripts, as
// a deep project tree or another tool would give it.
std::string LongPath(size_t chars) {
    const std::string cyrillic = "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82";  // Проект
    std::string p = "C:\\";
    size_t n = 3;
    for (int i = 0; n < chars; ++i) {
        std::string part = (i % 2 ? cyrillic : std::string("folder")) + std::to_string(i) + "\\";
        p += part;
        n += vt::ToWide(part).size();
    }
    while (vt::ToWide(p).size() > chars) p.pop_back();  // an ASCII tail: cut by bytes
    return p;
}

}  // namespace

TEST_F(Settings, PathsLongerThanTheOldLimitAreKeptWholeThroughLoadAndSave) {
    MarkAlreadyRun();
    const std::string path = LongPath(300);
    ASSERT_EQ(vt::ToWide(path).size(), 300u);
    ASSERT_GT(path.size(), 300u) << "the path has letters of more than one byte";
    const std::string icon = LongPath(280) + "icons.dll";
    SetDword(kEntries, "Count", 2);
    WriteEntry(0, "C:\\short", "short");
    WriteEntry(1, path, "deep", icon, 3);

    CSettingsStore s(TestProfile());
    s.LoadSettings();
    ASSERT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.folders.at(1).path, path);
    EXPECT_EQ(s.folders.at(1).iconFile, icon);
    EXPECT_EQ(s.folders.at(1).iconIndex, 3);
    // Saved after an edit elsewhere, and loaded again by another store.
    s.folders.at(0).title = "renamed";
    ASSERT_TRUE(s.SaveSettings());
    ExpectSz(kEntries, "Path1", path);
    ExpectSz(kEntries, "IconFile1", icon);
    CSettingsStore again(TestProfile());
    again.LoadSettings();
    ASSERT_EQ(again.folders.size(), 2u);
    EXPECT_EQ(again.folders.at(1).path, path);
    EXPECT_EQ(again.folders.at(0).title, "renamed");
}
