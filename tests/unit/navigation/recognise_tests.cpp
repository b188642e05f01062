// Recognition against real windows, real processes and Wine's registry:
// descendant searches, the owner program of a window, install locations.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "navigation/installlocations.h"
#include "navigation/recognise.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;

namespace {

// A hidden top-level window of this process that destroys itself (and its
// children) at the end of a test.
struct TestWindow {
    HWND hwnd = nullptr;
    TestWindow() {
        hwnd = CreateWindowExA(0, "Static", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
    }
    ~TestWindow() { DestroyWindow(hwnd); }
    HWND Add(const char* cls, int id, HWND parent = nullptr) const {
        return CreateWindowExA(0, cls, "", WS_CHILD, 0, 0, 10, 10, parent ? parent : hwnd,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
};

std::string ModulePath() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    return buf;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return s;
}

void SetValue(HKEY root, const char* key, const char* name, const std::string& value,
              REGSAM view = 0, DWORD type = REG_SZ) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_WRITE | view, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

}  // namespace

TEST(NavDescendantSearch, DepthFirstOrderAndWholeNames) {
    TestWindow w;
    HWND a = w.Add("Static", 10);
    HWND deepEdit = w.Add("Edit", 11, a);
    HWND edit = w.Add("Edit", 12);
    HWND comboEx = w.Add("ComboBoxEx32", 13);
    EXPECT_EQ(FindDescendantByClass(CWnd(w.hwnd), "EDIT").GetSafeHwnd(), deepEdit);
    auto all = FindAllDescendantsByClass(CWnd(w.hwnd), "edit");
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].GetSafeHwnd(), deepEdit);
    EXPECT_EQ(all[1].GetSafeHwnd(), edit);
    // "combobox" is wanted: the extended combo box only begins with it. Its
    // own inner combo box is found, not the extended one.
    CWnd combo = FindDescendantByClass(CWnd(w.hwnd), "combobox");
    EXPECT_NE(combo.GetSafeHwnd(), comboEx);
    if (combo) {
        EXPECT_EQ(combo.GetParent().GetSafeHwnd(), comboEx);
    }
    EXPECT_FALSE(FindDescendantByClass(CWnd(w.hwnd), "listbox"));
    EXPECT_FALSE(FindDescendantByClass(CWnd(), "edit"));
    EXPECT_TRUE(FindAllDescendantsByClass(CWnd(), "edit").empty());
    // A vanished parent answers like an absent one.
    HWND gone = w.Add("Static", 14);
    w.Add("Edit", 15, gone);
    DestroyWindow(gone);
    EXPECT_FALSE(FindDescendantByClass(CWnd(gone), "edit"));
}

// The shared walk answers as the live search did, reads the tree once, and
// names windows of one class alike however many there are.
TEST(NavDescendantSearch, SharedWalkAnswersAsTheLiveSearch) {
    TestWindow w;
    HWND a = w.Add("Static", 10);
    w.Add("Edit", 11, a);
    w.Add("Button", 12);
    w.Add("ComboBoxEx32", 13);
    for (int i = 0; i < 6; ++i) w.Add(i % 2 ? "Button" : "Static", 100 + i, a);
    DescendantClasses tree(CWnd(w.hwnd));
    EXPECT_FALSE(tree.Walked());
    for (const char* cls :
         {"EDIT", "static", "button", "combobox", "comboboxex32", "listbox", "snake list", "stati"})
        EXPECT_EQ(tree.Find(cls).GetSafeHwnd(),
                  FindDescendantByClass(CWnd(w.hwnd), cls).GetSafeHwnd())
            << cls;
    EXPECT_TRUE(tree.Walked());
    // A window added after the walk is not seen by that walk, only by a new one.
    HWND late = w.Add("ListBox", 14);
    EXPECT_FALSE(tree.Find("listbox"));
    EXPECT_EQ(DescendantClasses(CWnd(w.hwnd)).Find("listbox").GetSafeHwnd(), late);

    DescendantClasses none{CWnd()};
    EXPECT_FALSE(none.Find("edit"));
    EXPECT_FALSE(none.Root());
}

TEST(NavDescendantSearch, ChildByIdAndClass) {
    TestWindow w;
    HWND list = w.Add("ListBox", 1120);
    w.Add("Button", 1);
    EXPECT_EQ(FindChildByIdAndClass(CWnd(w.hwnd), 1120, "listbox").GetSafeHwnd(), list);
    EXPECT_FALSE(FindChildByIdAndClass(CWnd(w.hwnd), 1, "listbox"));
    EXPECT_FALSE(FindChildByIdAndClass(CWnd(w.hwnd), 1152, "edit"));
    // Only direct children: an id on a grandchild is not found.
    HWND inner = w.Add("Static", 20);
    w.Add("Edit", 1152, inner);
    EXPECT_FALSE(FindChildByIdAndClass(CWnd(w.hwnd), 1152, "edit"));
    EXPECT_FALSE(FindChildByIdAndClass(CWnd(), 1120, "listbox"));
}

TEST(NavDescendantSearch, ComboTextBoxTakesEditOrNextSibling) {
    TestWindow w;
    HWND c1 = w.Add("Static", 1);
    HWND e1 = w.Add("Edit", 2, c1);
    w.Add("Button", 3, c1);
    EXPECT_EQ(ComboTextBox(CWnd(c1)).GetSafeHwnd(), e1);

    // First child not exactly "Edit": its next sibling, whatever its class.
    HWND c2 = w.Add("Static", 4);
    w.Add("Button", 5, c2);
    HWND sib = w.Add("Static", 6, c2);
    EXPECT_EQ(ComboTextBox(CWnd(c2)).GetSafeHwnd(), sib);

    HWND c3 = w.Add("Static", 7);
    w.Add("Button", 8, c3);
    EXPECT_FALSE(ComboTextBox(CWnd(c3)));  // no sibling
    HWND c4 = w.Add("Static", 9);
    EXPECT_FALSE(ComboTextBox(CWnd(c4)));  // no children
    EXPECT_FALSE(ComboTextBox(CWnd()));
}

TEST(NavProgramOfWindow, ImagePathOfThisAndAnotherProcess) {
    EXPECT_EQ(Upper(GetProcessImagePath(GetCurrentProcessId())), Upper(ModulePath()));
    EXPECT_EQ(GetProcessImagePath(0), "");
    EXPECT_EQ(GetProcessImagePath(0x7FFFFFF0), "");

    char sys[MAX_PATH] = {};
    GetSystemDirectoryA(sys, sizeof sys);
    const std::string notepad = std::string(sys) + "\\notepad.exe";
    ChildProcess child;
    ASSERT_TRUE(child.Start(notepad));
    HWND top = WaitForTopWindow(child.Pid());
    ASSERT_TRUE(top);
    EXPECT_EQ(Upper(GetProcessImagePath(child.Pid())), Upper(notepad));
    EXPECT_TRUE(IsWindowOfProgram(Upper(notepad), CWnd(top)));
    EXPECT_FALSE(IsWindowOfProgram(ModulePath(), CWnd(top)));
    EXPECT_FALSE(IsWindowOfProgram(notepad + "x", CWnd(top)));
    EXPECT_FALSE(IsWindowOfProgram(notepad, CWnd()));
    EXPECT_FALSE(IsWindowOfProgram("", CWnd(top)));
    child.Terminate();
    EXPECT_FALSE(IsWindowOfProgram(notepad, CWnd(top)));

    // A program in a folder of another script matches its path in any case,
    // as the file system compares names ("Блокнот" and "БЛОКНОТ").
    ScratchDir dir("navprog");
    const std::string folder =
        dir.MakeDir("\xD0\x91\xD0\xBB\xD0\xBE\xD0\xBA\xD0\xBD\xD0\xBE\xD1\x82");
    const std::string copy = folder + "\\notepad.exe";
    ASSERT_TRUE(CopyFileA(notepad.c_str(), copy.c_str(), FALSE));
    ChildProcess other;
    ASSERT_TRUE(other.Start(copy));
    HWND otherTop = WaitForTopWindow(other.Pid());
    ASSERT_TRUE(otherTop);
    const std::string shouted =
        dir.Path() + "\\\xD0\x91\xD0\x9B\xD0\x9E\xD0\x9A\xD0\x9D\xD0\x9E\xD0\xA2\\NOTEPAD.EXE";
    EXPECT_TRUE(IsWindowOfProgram(shouted, CWnd(otherTop))) << GetProcessImagePath(other.Pid());
    EXPECT_FALSE(IsWindowOfProgram(notepad, CWnd(otherTop)));
}

TEST(NavInstallPaths, DirectoriesGetOneBackslashAndTheExecutable) {
    ScopedRegTree pix(HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove");
    ScopedRegTree fz(HKEY_LOCAL_MACHINE, "Software\\Filezilla");
    ScopedRegTree sf(HKEY_LOCAL_MACHINE, "Software\\SmartFTP");
    ScopedRegTree vs(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio\\8.0");
    EXPECT_EQ(GetPixdroveExePath(), "");
    EXPECT_EQ(GetFileZillaExePath(), "");
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove", "Installation Directory",
             "C:\\Apps\\Pix\\");
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Filezilla", "Install_Dir", "C:\\FZ");
    SetValue(HKEY_LOCAL_MACHINE, "Software\\SmartFTP", "Install Directory", "D:\\S F\\");
    SetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio\\8.0", "InstallDir",
             "C:\\VS8\\Common7\\IDE\\");
    EXPECT_EQ(GetPixdroveExePath(), "C:\\Apps\\Pix\\pixdrove.exe");
    EXPECT_EQ(GetFileZillaExePath(), "C:\\FZ\\filezilla.exe");
    EXPECT_EQ(GetSmartFtpExePath(), "D:\\S F\\smartftp.exe");
    EXPECT_EQ(GetDevenvExePath(), "C:\\VS8\\Common7\\IDE\\devenv.exe");

    // The value's type is not examined.
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Filezilla", "Install_Dir", "C:\\Bin", 0, REG_EXPAND_SZ);
    EXPECT_EQ(GetFileZillaExePath(), "C:\\Bin\\filezilla.exe");
    // A path of 250 characters in another script takes 500 bytes in UTF-8 and
    // is read whole; a value longer than any path is none.
    std::string cyrillic;
    for (int i = 0; i < 250; ++i) cyrillic += "\xD0\xB6";  // ж
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Filezilla", "Install_Dir", "C:\\" + cyrillic);
    EXPECT_EQ(GetFileZillaExePath(), "C:\\" + cyrillic + "\\filezilla.exe");
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Filezilla", "Install_Dir",
             "C:\\" + std::string(800, 'x'));
    EXPECT_EQ(GetFileZillaExePath(), "");
}

TEST(NavInstallPaths, ThirtyTwoBitViewOfTheMachineKey) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "only a 64-bit build has two views";
    ScopedRegTree pix(HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove");
    SetValue(HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove", "Installation Directory",
             "C:\\Pix32", KEY_WOW64_32KEY);
    const std::string got = GetPixdroveExePath();
    RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove", KEY_WOW64_32KEY, 0);
    EXPECT_EQ(got, "C:\\Pix32\\pixdrove.exe");
}

TEST(NavInstallPaths, WinZipPowerArchiverExplorer) {
    const char* wz = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinZip";
    ScopedRegTree winzip(HKEY_LOCAL_MACHINE, wz);
    ScopedRegTree pa(HKEY_CURRENT_USER, "Software\\PowerArchiver\\General");
    EXPECT_EQ(GetWinZipExePath(), "");
    SetValue(HKEY_LOCAL_MACHINE, wz, "UninstallString",
             "\"C:\\Program Files\\WinZip\\WINZIP32.EXE\" /uninstall");
    EXPECT_EQ(GetWinZipExePath(), "C:\\Program Files\\WinZip\\WINZIP32.EXE");
    SetValue(HKEY_LOCAL_MACHINE, wz, "UninstallString", "C:\\WinZip\\WZ.EXE");
    EXPECT_EQ(GetWinZipExePath(), "");

    EXPECT_EQ(GetPowerArchiverPath(), "");
    SetValue(HKEY_CURRENT_USER, "Software\\PowerArchiver\\General", "Directory", "C:\\PA\\");
    EXPECT_EQ(GetPowerArchiverPath(), "C:\\PA\\");  // as stored, nothing appended

    char win[MAX_PATH] = {};
    GetWindowsDirectoryA(win, sizeof win);
    EXPECT_EQ(GetExplorerExePath(), std::string(win) + "\\explorer.exe");
}
