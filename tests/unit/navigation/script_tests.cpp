// Folder names in any script: the navigation hands other programs' windows
// the whole path, whatever code page they run in. The fixtures stay in the
// system's code page like other programs; Wine's dialogs and Explorer are
// Unicode inside. Names come from the W calls, as another program makes them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "framework/text.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"
#include "support/navtest.h"

using namespace vt;
using namespace vt::nav;
using namespace vt::test;
using namespace navtest;

namespace {

// "набрано.txt": what the user had typed in the file name box.
const char kTyped[] = "\xD0\xBD\xD0\xB0\xD0\xB1\xD1\x80\xD0\xB0\xD0\xBD\xD0\xBE.txt";

void SetTextW(HWND w, const std::string& text) {
    SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
}

std::string LogLineStarting(const Fixture& fx, const std::string& start) {
    for (const auto& l : fx.LogLines())
        if (l.rfind(start, 0) == 0) return l;
    return {};
}

}  // namespace

TEST(NavAnyScript, OpenDialogOfAUnicodeProgramGoesThereAndKeepsTheTypedText) {
    ScratchDir dir("navscript");
    const std::string start = dir.MakeDir("start");
    const std::string folder = MakeDirW(dir, kMixedScriptName);
    Fixture fx;
    ASSERT_TRUE(fx.Start("open-explorer-w", "\"" + start + "\"", "#32770"));
    HWND dlg = fx.Window();
    ASSERT_TRUE(IsFileDialog(CWnd(dlg)));
    HWND box = LocateFileDialogControls(CWnd(dlg)).fileNameBox.GetSafeHwnd();
    ASSERT_TRUE(box);
    SetTextW(box, kTyped);

    FakeWorld world;
    Navigate(dlg, folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(WaitUntil([&] { return EqualsIgnoreCase(FileDialogFolderW(dlg), folder); }))
        << FileDialogFolderW(dlg);
    // The typed text went out and came back through the W messages whole.
    EXPECT_EQ(Text(box), kTyped);
    EXPECT_EQ(Selection(box), std::make_pair(0, 11));
}

TEST(NavAnyScript, FolderBrowserOfASystemCodePageProgramReturnsTheFolder) {
    // Wine's folder tree often does not find a new folder below the user's
    // profile (where the temporary folder is): this one is at the drive root.
    const std::string folder =
        "C:\\" + std::string(kMixedScriptName) + " " + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(ToWide(folder).c_str(), nullptr));
    ScopeExit removeFolder([&] { RemoveDirectoryW(ToWide(folder).c_str()); });
    Fixture fx;
    ASSERT_TRUE(fx.Start("browse", "", "#32770"));
    ASSERT_TRUE(fx.WaitForLog("INIT"));
    ASSERT_TRUE(WaitUntil([&] { return IsBrowseForFolderDialog(CWnd(fx.Window())); }));
    FakeWorld world;
    Navigate(fx.Window(), folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    ASSERT_TRUE(fx.WaitForLog("OK ")) << fx.Log();
    // The fixture logs the chosen folder from its UTF-16 path.
    EXPECT_TRUE(EqualsIgnoreCase(LogLineStarting(fx, "OK "), "OK " + folder)) << fx.Log();
}

TEST(NavAnyScript, ExplorerShowsTheFolder) {
    ScratchDir dir("navscript");
    const std::string start = dir.MakeDir("start");
    const std::string folder = MakeDirW(dir, kMixedScriptName);
    for (const char* file : {"\\one.txt", "\\two.txt"})
        CloseHandle(CreateFileW(ToWide(folder + file).c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, 0, nullptr));
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    ChildProcess child;
    ASSERT_TRUE(child.Start(std::string(windows) + "\\explorer.exe", "\"" + start + "\""));
    HWND window = WaitForTopWindow(child.Pid(), "ExplorerWClass", 30000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(IsExplorerWindow(CWnd(window)));
    HWND address = FindDescendantByClass(FindDescendantByClass(CWnd(window), "combobox"), "edit")
                       .GetSafeHwnd();
    ASSERT_TRUE(address);

    FakeWorld world;
    Navigate(window, folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    // The window is named after the folder and lists its two files; the
    // address bar holds its path.
    const std::string name = kMixedScriptName;
    EXPECT_TRUE(WaitUntil([&] { return Text(window) == name; })) << Text(window);
    // A new folder gets a new list view.
    auto items = [&] {
        HWND view = FindDescendantByClass(CWnd(window), "syslistview32").GetSafeHwnd();
        return view ? SendMessageA(view, LVM_GETITEMCOUNT, 0, 0) : -1;
    };
    EXPECT_TRUE(WaitUntil([&] { return items() == 2; })) << items();
    EXPECT_TRUE(EqualsIgnoreCase(Text(address), folder)) << Text(address);
}

TEST(NavAnyScript, ImitatedBoxesAreToldTheWholePath) {
    ScratchDir dir("navscript");
    const std::string folder = MakeDirW(dir, kMixedScriptName);
    {
        // The newest dialog's box, in a combo box inside a "DirectUIHWND".
        Fixture fx;
        ASSERT_TRUE(fx.Start("newest", "", "VtNavFixtureDialog"));
        ASSERT_TRUE(fx.WaitForLog("ready"));
        FakeWorld world;
        Navigate(fx.Window(), folder, world);
        EXPECT_TRUE(world.shellCalls.empty());
        EXPECT_TRUE(fx.WaitForLog("box WM_SETTEXT " + folder)) << fx.Log();
        EXPECT_TRUE(fx.WaitForLog("dialog OK " + folder)) << fx.Log();
    }
    {
        // An old program's box that takes A messages, in a program of a
        // single-byte code page: it gets the name in that code page, the
        // conversion made from the UTF-16 that was sent ("Café Übersicht").
        const std::string latin = MakeDirW(dir,
                                           "Caf\xC3\xA9 \xC3\x9C"
                                           "bersicht");
        Fixture fx;
        ASSERT_TRUE(fx.Start("newest", "ansi", "VtNavFixtureDialog"));
        ASSERT_TRUE(fx.WaitForLog("ready"));
        ASSERT_EQ(fx.LogLines().front(), "acp 1252") << "the fixture's code page";
        FakeWorld world;
        Navigate(fx.Window(), latin, world);
        EXPECT_TRUE(fx.WaitForLog("box WM_SETTEXT " + latin)) << fx.Log();
    }
    {
        // A snake-list dialog with a Unicode rich edit keeps the typed text:
        // 600 letters that take 1200 bytes in UTF-8, more than the box's
        // text is read with (1024), are saved and restored whole.
        std::string typed;
        for (int i = 0; i < 600; ++i) typed += "\xD0\xB6";  // ж
        Fixture fx;
        ASSERT_TRUE(fx.Start("snake", "54 w", "VtNavFixtureDialog"));
        ASSERT_TRUE(fx.WaitForLog("ready"));
        HWND box = FindSnakeListFileNameBox(CWnd(fx.Window())).GetSafeHwnd();
        ASSERT_TRUE(box);
        SetTextW(box, typed);
        FakeWorld world;
        Navigate(fx.Window(), folder, world);
        EXPECT_TRUE(fx.WaitForLog("box WM_SETTEXT " + folder)) << fx.Log();
        EXPECT_TRUE(fx.WaitForLog("box WM_SETTEXT " + typed));
        const std::string back = Text(box);
        EXPECT_EQ(back.size(), typed.size());
        EXPECT_TRUE(back == typed);
    }
}

// The folder browser is recognised by its tree's root, which must be the
// desktop folder's display name: in another language that name is in its
// script. Here the desktop folder is moved to such a name for the test.
class NavDesktopName : public ::testing::Test {
protected:
    void SetUp() override {
        const char* key =
            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
        ASSERT_EQ(
            RegOpenKeyExW(HKEY_CURRENT_USER, ToWide(key).c_str(), 0, KEY_READ | KEY_WRITE, &key_),
            ERROR_SUCCESS);
        wchar_t old[1024] = {};
        DWORD size = sizeof old;
        hadValue_ = RegQueryValueExW(key_, L"Desktop", nullptr, &type_,
                                     reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        old_.assign(reinterpret_cast<const char*>(old), size);
        // "Рабочий стол"
        desktop_ = MakeDirW(dir_,
                            "\xD0\xA0\xD0\xB0\xD0\xB1\xD0\xBE\xD1\x87\xD0\xB8\xD0\xB9 "
                            "\xD1\x81\xD1\x82\xD0\xBE\xD0\xBB");
        const std::wstring value = ToWide(desktop_);
        ASSERT_EQ(RegSetValueExW(key_, L"Desktop", 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        if (!key_) return;
        if (hadValue_)
            RegSetValueExW(key_, L"Desktop", 0, type_, reinterpret_cast<const BYTE*>(old_.data()),
                           static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueW(key_, L"Desktop");
        RegCloseKey(key_);
    }

    ScratchDir dir_{"navdesk"};
    std::string desktop_;
    HKEY key_ = nullptr;
    bool hadValue_ = false;
    DWORD type_ = REG_SZ;
    std::string old_;
};

TEST_F(NavDesktopName, FolderBrowserWithANonAsciiRootStillMatches) {
    const std::string name = GetDesktopDirectoryDisplayName();
    ASSERT_EQ(name, desktop_.substr(desktop_.rfind('\\') + 1)) << "the desktop did not move";
    const std::string folder = MakeDirW(dir_, kMixedScriptName);
    // The root as the tree shows it, in capitals ("РАБОЧИЙ СТОЛ"): the
    // comparison ignores case in every script.
    const std::string shown =
        "\xD0\xA0\xD0\x90\xD0\x91\xD0\x9E\xD0\xA7\xD0\x98\xD0\x99 "
        "\xD0\xA1\xD0\xA2\xD0\x9E\xD0\x9B";
    Fixture fx;
    ASSERT_TRUE(fx.Start("fakebrowse", "\"" + shown + "\" 0", "VtNavFixtureDialog"));
    ASSERT_TRUE(fx.WaitForLog("ready"));
    HWND tree = GetDlgItem(fx.Window(), 14145);
    auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    EXPECT_EQ(ReadRemoteTreeItemText(tree, root), shown);
    ASSERT_TRUE(IsBrowseForFolderDialog(CWnd(fx.Window())));
    FakeWorld world;
    Navigate(fx.Window(), folder, world);
    EXPECT_TRUE(world.shellCalls.empty());
    EXPECT_TRUE(fx.WaitForLog("dialog path still there " + folder)) << fx.Log();

    // Another name in the same script is another folder.
    Fixture other;
    ASSERT_TRUE(other.Start("fakebrowse",
                            "\"\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0\" 0",  // Папка
                            "VtNavFixtureDialog"));
    ASSERT_TRUE(other.WaitForLog("ready"));
    EXPECT_FALSE(IsBrowseForFolderDialog(CWnd(other.Window())));
}
