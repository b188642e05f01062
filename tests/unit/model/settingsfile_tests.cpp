// The settings file (a registry file of version 5.00) as bytes: what the
// writer writes, what the reader takes back, and every way a file that is
// not one is told apart. The registry and reg.exe are in
// tests/unit/app/settingsfile_registry_tests.cpp.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "model/settingsfile.h"
#include "support/settingscompare.h"

using namespace vt;

namespace {

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel";

// UTF-8 source text as the bytes of a UTF-16LE file with its byte-order mark.
std::string Utf16File(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : w) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// A written file's text back in UTF-8, for looking at its lines.
std::string TextOfFile(const std::string& bytes) {
    std::wstring w;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        w += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, 0, 0);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, 0, 0);
    return s;
}

AppSettings Unusual() {
    AppSettings s;
    s.action = 1;
    s.showTray = false;
    s.shortcutType = ShortcutType::HotKey;
    s.windowsKey = "Z";
    s.normalHotKeyVirtualKey = 0x77;
    s.normalHotKeyModifier = 0x16;
    s.alwaysNewExplorer = true;
    s.activateOnRButtonDown = false;
    s.activateOnMouseWheel = true;
    s.showOpenFolders = false;  // both away from their defaults
    s.autoSwitch = true;
    return s;
}

// The same entries in the same order; keys are renumbered 0..n-1.
void ExpectSameFolders(const FolderList& got, const FolderList& want) {
    ASSERT_EQ(got.size(), want.size());
    int key = 0;
    for (const auto& kv : want) {
        auto it = got.find(key);
        ASSERT_NE(it, got.end()) << "key " << key;
        EXPECT_EQ(it->second.path, kv.second.path) << "key " << key;
        EXPECT_EQ(it->second.title, kv.second.title) << "key " << key;
        EXPECT_EQ(it->second.iconFile, kv.second.iconFile) << "key " << key;
        EXPECT_EQ(it->second.iconIndex, kv.second.iconIndex) << "key " << key;
        ++key;
    }
}

// Entries under scattered keys, as a Setup session leaves them.
FolderList Awkward() {
    FolderList f;
    std::string longPath = "C:\\Deep";
    while (longPath.size() < 300) longPath += "\\level" + std::to_string(longPath.size());
    longPath.resize(300);
    f[3] = {"C:\\Users\\Public\\Проекты\\", "Проекты", "C:\\Windows\\system32\\shell32.dll", 4};
    f[7] = {"D:\\日本語\\写真", "日本語 写真", kSystemImageListMarker, 12};
    f[8] = {"C:\\Music\\Fotos 🎵", "Fotos 🎵", "", -1};
    f[12] = {"\\\\server\\share\\\"quoted\"\\", "Say \"hi\" \\ there \\\\", "C:\\i\\\"q\".ico", 0};
    f[13] = {longPath, std::string(300, 'T'), "", -1};
    f[20] = {"C:\\trailing\\", "ends in a backslash\\", "", -1};
    f[21] = {"C:\\two\nlines", "tab\there and\r\nbreaks", "", -1};
    return f;
}

SettingsFileContents Read(const std::string& bytes, const AppSettings& base = AppSettings()) {
    return ReadSettingsFile(bytes, base, kKey);
}

// ---- The writer's file read back ---------------------------------------------

TEST(SettingsFileRoundTrip, EveryEntryAndOptionComesBackWhole) {
    const FolderList folders = Awkward();
    const std::string bytes = WriteSettingsFile(folders, Unusual(), kKey);
    const SettingsFileContents r = Read(bytes);
    ASSERT_EQ(r.problem, SettingsFileProblem::None) << "line " << r.line;
    ExpectSameFolders(r.folders, folders);
    test::ExpectSameSettings(r.settings, Unusual());
    // The long path is kept whole, not cut to a buffer.
    EXPECT_EQ(r.folders.at(4).path.size(), 300u);
}

TEST(SettingsFileRoundTrip, AnEmptyListIsAListWithNoEntries) {
    const std::string bytes = WriteSettingsFile({}, Unusual(), kKey);
    const SettingsFileContents r = Read(bytes);
    ASSERT_EQ(r.problem, SettingsFileProblem::None);
    EXPECT_TRUE(r.folders.empty());
    test::ExpectSameSettings(r.settings, Unusual());
}

TEST(SettingsFileRoundTrip, LineEndsAndEncodingsOfATextEditorReadTheSame) {
    const FolderList folders = Awkward();
    const std::string text = TextOfFile(WriteSettingsFile(folders, Unusual(), kKey));
    std::string lf;
    for (char c : text)
        if (c != '\r') lf += c;
    for (const std::string& bytes : {Utf16File(lf), text, lf, "\xEF\xBB\xBF" + text}) {
        const SettingsFileContents r = Read(bytes);
        ASSERT_EQ(r.problem, SettingsFileProblem::None) << "line " << r.line;
        ExpectSameFolders(r.folders, folders);
        test::ExpectSameSettings(r.settings, Unusual());
    }
}

// ---- The file's form, as the registry editor and reg.exe read it -------------

TEST(SettingsFileForm, Utf16WithMarkHeaderEscapesAndCountLast) {
    FolderList f;
    f[5] = {"C:\\a \"b\"", "Пути", "", -1};
    const std::string bytes = WriteSettingsFile(f, AppSettings(), kKey);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.size() % 2, 0u);
    const std::string text = TextOfFile(bytes);
    const std::string expected =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "[-HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel]\r\n"
        "\"Action\"=dword:00000000\r\n"
        "\"Show Tray\"=dword:00000001\r\n"
        "\"Shortcut Type\"=dword:00000001\r\n"
        "\"Windows Key\"=\"A\"\r\n"
        "\"Normal Hot Key Virtual Key\"=dword:00000000\r\n"
        "\"Normal Hot Key Modifier\"=dword:00000000\r\n"
        "\"Always New Explorer\"=dword:00000000\r\n"
        "\"Activate on RButton down\"=dword:00000001\r\n"
        "\"Activate on mouse wheel\"=dword:00000000\r\n"
        "\"Show Open Folders\"=dword:00000001\r\n"
        "\"Auto Switch\"=dword:00000000\r\n"
        "\"Already Run\"=dword:00000001\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\"Path0\"=\"C:\\\\a \\\"b\\\"\"\r\n"
        "\"Title0\"=\"Пути\"\r\n"
        "\"IconFile0\"=\"\"\r\n"
        "\"IconIndex0\"=dword:ffffffff\r\n"
        "\"Count\"=dword:00000001\r\n"
        "\r\n";
    EXPECT_EQ(text, expected);
}

TEST(SettingsFileForm, ALineBreakGoesInHexOverLinesOfAtMostEightyCharacters) {
    FolderList f;
    f[0] = {"C:\\x", "first line\nsecond line, long enough to need a third hex line", "", -1};
    const std::string text = TextOfFile(WriteSettingsFile(f, AppSettings(), kKey));
    const size_t at = text.find("\"Title0\"=hex(1):66,00,69,00,");
    ASSERT_NE(at, std::string::npos) << text;
    const size_t end = text.find("\"IconFile0\"", at);
    ASSERT_NE(end, std::string::npos);
    const std::string value = text.substr(at, end - at);
    std::string joined = value;
    for (size_t c; (c = joined.find(",\\\r\n  ")) != std::string::npos;) joined.erase(c + 1, 5);
    int lines = 0;
    size_t start = 0;
    for (size_t nl; (nl = value.find("\r\n", start)) != std::string::npos; start = nl + 2) {
        const std::string line = value.substr(start, nl - start);
        EXPECT_LE(line.size(), 80u) << line;
        if (lines > 0) {
            EXPECT_EQ(line.substr(0, 2), "  ");
        }
        ++lines;
    }
    EXPECT_GE(lines, 3);
    // The text's zero end closes the data: "...65,00,00,00" (the "e" of "line").
    EXPECT_NE(joined.find("65,00,00,00\r\n"), std::string::npos) << joined;
    // The line break itself: "e\nsecond" as 65,00,0a,00,73,00.
    EXPECT_NE(joined.find("65,00,0a,00,73,00"), std::string::npos) << joined;
}

// ---- What the system's tools write -------------------------------------------

TEST(SettingsFileTools, HexFormsContinuationsCommentsCaseAndDeletionsAreRead) {
    // "C:\Users\Проекты" as REG_EXPAND_SZ over three lines, a REG_SZ title in
    // hex(1), a DWORD in hex(4), names and keys in other letter cases.
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; exported by hand\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\quorvane.\\Vantrel]\r\n"
        "@=\"\"\r\n"
        "\"action\"=dword:00000001\r\n"
        "\"Windows Key\"=hex(2):4b,00,00,00\r\n"
        "\"Normal Hot Key Modifier\"=hex(4):16,00,00,00\r\n"
        "\"Show Tray\"=hex:00,00,00,00\r\n"
        "\"Some Newer Option\"=dword:00000005\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\"Count\"=dword:00000003\r\n"
        "\"Path0\"=hex(2):43,00,3a,00,5c,00,55,00,73,00,65,00,72,00,73,00,5c,00,1f,04,\\\r\n"
        "  40,04,3e,04,35,04,3a,04,42,04,\\\r\n"
        "  4b,04,00,00\r\n"
        "\"Title0\"=hex(1):1f,04,40,04,3e,04,35,04,3a,04,42,04,4b,04,00,00\r\n"
        "\"IconIndex0\"=hex(4):03,00,00,00\r\n"
        "\"PATH1\"=\"C:\\\\gone\"\r\n"
        "\"Title1\"=\"gone\"\r\n"
        "\"Path1\"=-\r\n"
        "\"Path2\"=\"C:\\\\Tools\\\\\"\r\n"
        "\"title2\"=\"Tools \\\"x\\\"\"\r\n"
        "\"IconFile2\"=\"C:\\\\t.ico\"\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries\\Newer]\r\n"
        "\"Path9\"=\"C:\\\\not an entry\"\r\n";
    AppSettings base;
    base.activateOnMouseWheel = true;  // not in the file: kept
    const SettingsFileContents r = Read(Utf16File(text), base);
    ASSERT_EQ(r.problem, SettingsFileProblem::None) << "line " << r.line;
    ASSERT_EQ(r.folders.size(), 2u);
    EXPECT_EQ(r.folders.at(0).path, "C:\\Users\\Проекты");
    EXPECT_EQ(r.folders.at(0).title, "Проекты");
    EXPECT_EQ(r.folders.at(0).iconIndex, 3);
    EXPECT_EQ(r.folders.at(0).iconFile, "");
    // Position 1 lost its path to the deletion: skipped, as a load skips it.
    EXPECT_EQ(r.folders.at(1).path, "C:\\Tools\\");
    EXPECT_EQ(r.folders.at(1).title, "Tools \"x\"");
    EXPECT_EQ(r.folders.at(1).iconFile, "C:\\t.ico");
    EXPECT_EQ(r.folders.at(1).iconIndex, -1);
    EXPECT_EQ(r.settings.action, 1);
    EXPECT_EQ(r.settings.windowsKey, "K");
    EXPECT_EQ(r.settings.normalHotKeyModifier, 0x16);
    // Binary data is not a DWORD: the option keeps its value.
    EXPECT_TRUE(r.settings.showTray);
    EXPECT_TRUE(r.settings.activateOnMouseWheel);
    EXPECT_EQ(r.settings.shortcutType, ShortcutType::WindowsKey);
}

TEST(SettingsFileTools, ADeletedKeyTakesWhatCameBeforeIt) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\n"
        "\"Path0\"=\"C:\\\\old\"\n\"Title0\"=\"old\"\n\"Count\"=dword:00000001\n"
        "[-HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\n"
        "\"Path0\"=\"C:\\\\new\"\n\"Title0\"=\"new\"\n\"Count\"=dword:00000001\n";
    const SettingsFileContents r = Read(text);
    ASSERT_EQ(r.problem, SettingsFileProblem::None) << r.line;
    ASSERT_EQ(r.folders.size(), 1u);
    EXPECT_EQ(r.folders.at(0).title, "new");
}

TEST(SettingsFileTools, CountFirstAsAnExportOfTheKeyWritesIt) {
    // The registry enumerates "Count" first; a file cut after entry 0 of 2.
    const std::string head =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\"Count\"=dword:00000002\r\n"
        "\"Path0\"=\"C:\\\\a\"\r\n\"Title0\"=\"a\"\r\n";
    EXPECT_EQ(Read(Utf16File(head)).problem, SettingsFileProblem::Truncated);
    const SettingsFileContents whole =
        Read(Utf16File(head + "\"Path1\"=\"C:\\\\b\"\r\n\"Title1\"=\"b\"\r\n"));
    ASSERT_EQ(whole.problem, SettingsFileProblem::None);
    EXPECT_EQ(whole.folders.size(), 2u);
    // A count beyond any position (damaged data): refused at once, not read up to it.
    const std::string huge =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\"Count\"=dword:7fffffff\r\n\"Path0\"=\"C:\\\\a\"\r\n\"Title0\"=\"a\"\r\n";
    EXPECT_EQ(Read(Utf16File(huge)).problem, SettingsFileProblem::Truncated);
    std::string negative = huge;
    negative.replace(negative.find("7fffffff"), 8, "ffffffff");
    EXPECT_EQ(Read(Utf16File(negative)).problem, SettingsFileProblem::Damaged);
}

// ---- Files that are not one --------------------------------------------------

TEST(SettingsFileRefused, EveryCutOfAWrittenFileIsRefusedAndNeverReadAsALesserList) {
    const std::string bytes = WriteSettingsFile(Awkward(), Unusual(), kKey);
    // Complete once the count's line is: what follows is line ends only
    // (four UTF-16 units).
    const std::string text = TextOfFile(bytes);
    ASSERT_EQ(text.substr(text.size() - 26), "\"Count\"=dword:00000007\r\n\r\n");
    const size_t complete = bytes.size() - 8;
    // The first key line's bracket (the header is ASCII: one unit a byte).
    const size_t firstKey = 2 + 2 * text.find('[');
    for (size_t n = 0; n < complete; ++n) {
        const SettingsFileContents r = Read(bytes.substr(0, n));
        ASSERT_NE(r.problem, SettingsFileProblem::None) << "cut at byte " << n;
        ASSERT_NE(r.problem, SettingsFileProblem::Damaged) << "cut at byte " << n;
        ASSERT_NE(r.problem, SettingsFileProblem::ForeignKey) << "cut at byte " << n;
        // From the first key line on, a cut is told as such (before it the
        // file holds nothing of Vantrel's yet).
        if (n > firstKey) {
            ASSERT_EQ(r.problem, SettingsFileProblem::Truncated) << "cut at byte " << n;
        }
    }
    // Whole units only: half a unit at the end is a cut.
    for (size_t n = complete; n <= bytes.size(); n += 2)
        EXPECT_EQ(Read(bytes.substr(0, n)).problem, SettingsFileProblem::None) << n;
}

TEST(SettingsFileRefused, AnotherKeyIsForeignWhereverItStands) {
    const std::string ours = TextOfFile(WriteSettingsFile(Awkward(), Unusual(), kKey));
    const char* const foreign[] = {
        "[HKEY_CURRENT_USER\\Software\\Other]",
        "[HKEY_LOCAL_MACHINE\\Software\\Quorvane.\\Vantrel]",
        "[HKEY_CURRENT_USER\\Software\\Quorvane.]",
        // A sibling whose name starts with the program key's.
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel Setup]",
        "[-HKEY_CURRENT_USER\\Software\\Microsoft]",
    };
    for (const char* key : foreign) {
        const std::string inner(key + (key[1] == '-' ? 2 : 1),
                                strlen(key) - (key[1] == '-' ? 3 : 2));
        // Alone, before our keys and after them.
        const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
        const std::string alone = header + key + "\r\n\"x\"=dword:00000001\r\n";
        const std::string before = header + key + "\r\n\r\n" + ours.substr(header.size());
        const std::string after = ours + key + "\r\n\"Path0\"=\"C:\\\\evil\"\r\n";
        for (const std::string& text : {alone, before, after}) {
            const SettingsFileContents r = Read(Utf16File(text));
            EXPECT_EQ(r.problem, SettingsFileProblem::ForeignKey) << key;
            EXPECT_EQ(r.detail, inner);
            EXPECT_TRUE(r.folders.empty());
        }
    }
}

TEST(SettingsFileRefused, RandomBytesEmptyFilesAndOtherVersions) {
    unsigned seed = 12345;
    for (int round = 0; round < 20; ++round) {
        std::string noise(1000 + round * 97, '\0');
        for (char& c : noise) {
            seed = seed * 1103515245u + 12345u;
            c = static_cast<char>(seed >> 16);
        }
        noise[0] = 'x';  // never a byte-order mark by chance
        EXPECT_EQ(Read(noise).problem, SettingsFileProblem::NotRegistryFile) << round;
        // The right header with noise after it is damaged, not a list.
        const SettingsFileContents r =
            Read("Windows Registry Editor Version 5.00\r\n" + noise + "\r\n");
        EXPECT_NE(r.problem, SettingsFileProblem::None) << round;
        EXPECT_TRUE(r.folders.empty());
    }
    EXPECT_EQ(Read("").problem, SettingsFileProblem::Empty);
    EXPECT_EQ(Read("\xFF\xFE").problem, SettingsFileProblem::Empty);
    EXPECT_EQ(Read(Utf16File(" \r\n\r\n\t")).problem, SettingsFileProblem::Empty);
    EXPECT_EQ(Read("\xEF\xBB\xBF\n").problem, SettingsFileProblem::Empty);
    EXPECT_EQ(Read("Folders:\r\nC:\\a\r\n").problem, SettingsFileProblem::NotRegistryFile);
    // UTF-16 in the other byte order is not read as text of ours.
    EXPECT_EQ(Read("\xFE\xFF\0W\0i\0n").problem, SettingsFileProblem::NotRegistryFile);

    const std::string body = "\r\n[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel]\r\n";
    SettingsFileContents old = Read("REGEDIT4\r\n" + body);
    EXPECT_EQ(old.problem, SettingsFileProblem::WrongVersion);
    EXPECT_EQ(old.detail, "REGEDIT4");
    SettingsFileContents newer = Read(Utf16File("Windows Registry Editor Version 6.00\r\n" + body));
    EXPECT_EQ(newer.problem, SettingsFileProblem::WrongVersion);
    EXPECT_EQ(newer.detail, "Windows Registry Editor Version 6.00");

    // A registry file of nothing of ours.
    EXPECT_EQ(Read(Utf16File("Windows Registry Editor Version 5.00\r\n\r\n")).problem,
              SettingsFileProblem::NoSettings);
}

TEST(SettingsFileRefused, AnUnreadableLineInsideTheFileIsDamagedWithItsNumber) {
    const std::string ok = TextOfFile(WriteSettingsFile(Awkward(), Unusual(), kKey));
    std::string text = ok;
    size_t at = text.find("\"Path0\"=\"");
    ASSERT_NE(at, std::string::npos);
    int pathLine = 1;
    for (size_t i = 0; i < at; ++i) pathLine += text[i] == '\n';
    text.insert(at + 9, "\"");  // "Path0"="" then more after the string
    SettingsFileContents r = Read(Utf16File(text));
    EXPECT_EQ(r.problem, SettingsFileProblem::Damaged);
    EXPECT_EQ(r.line, pathLine);
    EXPECT_EQ(pathLine, 20);
    EXPECT_TRUE(r.folders.empty());

    // A value before any key.
    r = Read(Utf16File("Windows Registry Editor Version 5.00\r\n\"Count\"=dword:00000000\r\n"));
    EXPECT_EQ(r.problem, SettingsFileProblem::Damaged);
    EXPECT_EQ(r.line, 2);
    // An unterminated string that is not the file's end.
    text = ok;
    at = text.find("\"Title0\"=\"");
    text.erase(text.find('"', at + 10), 1);
    r = Read(Utf16File(text));
    EXPECT_EQ(r.problem, SettingsFileProblem::Damaged);
    // A hex byte of three digits.
    r =
        Read(Utf16File("Windows Registry Editor Version 5.00\r\n"
                       "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel]\r\n"
                       "\"Windows Key\"=hex(1):4b0,00\r\n\r\n"));
    EXPECT_EQ(r.problem, SettingsFileProblem::Damaged);
    EXPECT_EQ(r.line, 3);
}

TEST(SettingsFileRefused, EntriesAsALoadTakesThem) {
    // An empty title or path is no entry; positions past the count are not read.
    const std::string text =
        "Windows Registry Editor Version 5.00\r\n"
        "[HKEY_CURRENT_USER\\Software\\Quorvane.\\Vantrel\\Entries]\r\n"
        "\"Path0\"=\"C:\\\\a\"\r\n\"Title0\"=\"\"\r\n"
        "\"Path1\"=\"C:\\\\b\"\r\n\"Title1\"=\"b\"\r\n"
        "\"Path2\"=\"C:\\\\c\"\r\n\"Title2\"=\"c\"\r\n"
        "\"Count\"=dword:00000002\r\n";
    const SettingsFileContents r = Read(Utf16File(text));
    ASSERT_EQ(r.problem, SettingsFileProblem::None);
    ASSERT_EQ(r.folders.size(), 1u);
    EXPECT_EQ(r.folders.at(0).title, "b");
    // No count at all: the list was not written whole.
    std::string noCount = text;
    noCount.erase(noCount.find("\"Count\""));
    EXPECT_EQ(Read(Utf16File(noCount)).problem, SettingsFileProblem::Truncated);
}

}  // namespace
