// The six supported programs, each imitated by a fixture running in its own
// process under the real executable's name and registered where the
// navigation looks for it. Assertions are on what reached the fixture.
#include <gtest/gtest.h>

#include "installedprogram.h"
#include "navigation/programs.h"

using namespace vt;
using namespace vt::test;
using vt::nav::FileZillaBox;

namespace {

// The lines an address box records when the path is typed into it, Enter is
// pressed and the text it held before is put back, all selected.
std::vector<std::string> EnteredAndRestored(const std::string& box, const std::string& path,
                                            const std::string& saved) {
    return {box + " redraw 0",
            box + " settext " + path,
            box + " keydown 13 00000000 text=" + path,
            box + " keyup 13 00000000 text=" + path,
            box + " redraw 1",
            box + " settext " + saved,
            box + " setsel 0 -1"};
}

HWND FindChildWindow(HWND parent, const char* cls) {
    return FindWindowExA(parent, nullptr, cls, nullptr);
}

// ---- rules without windows -------------------------------------------------

TEST(PixdroveParameters, DropOneTrailingBackslashExceptAtADriveRoot) {
    EXPECT_EQ(nav::PixdroveBrowseParameters("C:\\Photos\\"), "/browse \"C:\\Photos\"");
    EXPECT_EQ(nav::PixdroveBrowseParameters("C:\\Photos"), "/browse \"C:\\Photos\"");
    EXPECT_EQ(nav::PixdroveBrowseParameters("C:\\"), "/browse \"C:\\\"");
    EXPECT_EQ(nav::PixdroveBrowseParameters("C:\\a\\\\"), "/browse \"C:\\a\\\"");  // only one
    EXPECT_EQ(nav::PixdroveBrowseParameters("C:\\a b\\"), "/browse \"C:\\a b\"");
}

TEST(FileZillaSlashRule, TheBoxBesideARemotePathIsChosen) {
    EXPECT_EQ(nav::ChooseFileZillaBox("C:\\local", "/pub"), FileZillaBox::First);
    EXPECT_EQ(nav::ChooseFileZillaBox("/a", "/b"), FileZillaBox::First);
    EXPECT_EQ(nav::ChooseFileZillaBox("/pub", "C:\\local"), FileZillaBox::Second);
    EXPECT_EQ(nav::ChooseFileZillaBox("C:\\a", "C:\\b"), FileZillaBox::None);
    EXPECT_EQ(nav::ChooseFileZillaBox("", ""), FileZillaBox::None);
    EXPECT_EQ(nav::ChooseFileZillaBox(" /x", "C:\\b"), FileZillaBox::None);
}

// ---- Pixdrove ----------------------------------------------------------------

TEST(Pixdrove, SecondStartBrowsesTheFolderAndARootKeepsItsBackslash) {
    InstalledProgram pix(Program::Pixdrove);
    pix.Register();
    HWND main = pix.Start();
    ASSERT_TRUE(main);
    const std::string folder = pix.Scratch().MakeDir("My Photos");

    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder + "\\", nullptr));
    EXPECT_TRUE(pix.WaitForLine("start /browse \"" + folder + "\""));

    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), "C:\\", nullptr));
    EXPECT_TRUE(pix.WaitForLine("start /browse \"C:\\\""));
    // Nothing is sent to the running window itself.
    EXPECT_EQ(CountLinesStartingWith(pix.Log(), "click"), 0);
}

TEST(Pixdrove, WindowMissingAnyOfItsFourControlsIsPassedOver) {
    for (const char* omitted :
         {"msctls_statusbar32", "toolbarwindow32", "systreeview32", "syslistview32"}) {
        SCOPED_TRACE(omitted);
        InstalledProgram pix(Program::Pixdrove);
        pix.Register();
        HWND main = pix.Start(std::string("/omit ") + omitted);
        ASSERT_TRUE(main);
        EXPECT_FALSE(nav::NavigatePixdrove(CWnd(main), pix.Scratch().Path(), nullptr));
        EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), pix.Scratch().Path(), nullptr));
    }
}

// ---- recognition by executable path -------------------------------------------

TEST(ProgramRecognition, CopyRunningFromAnotherFolderThanTheRegisteredOneIsNotDriven) {
    InstalledProgram registered(Program::WinZip);
    registered.Register();
    InstalledProgram elsewhere(Program::WinZip);  // same file, other folder
    HWND main = elsewhere.Start();
    ASSERT_TRUE(main);
    EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), elsewhere.Scratch().Path(), nullptr));
    EXPECT_EQ(CountLinesStartingWith(elsewhere.Log(), "winzip"), 0);
    EXPECT_EQ(CountLinesStartingWith(elsewhere.Log(), "click"), 0);
}

TEST(ProgramRecognition, UnregisteredProgramIsNotDriven) {
    InstalledProgram devenv(Program::Devenv);
    HWND main = devenv.Start("/text x");
    ASSERT_TRUE(main);
    EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), devenv.Scratch().Path(), nullptr));
    EXPECT_EQ(RemoteText(GetDlgItem(main, 51)), "x");
}

// ---- WinZip --------------------------------------------------------------------

TEST(WinZip, FolderBoxGetsThePathThenGoIsClickedWithEitherUninstallForm) {
    for (UninstallQuoting q : {UninstallQuoting::Quoted, UninstallQuoting::Unquoted}) {
        SCOPED_TRACE(q == UninstallQuoting::Quoted ? "quoted" : "unquoted");
        InstalledProgram wz(Program::WinZip, "WinZip");  // no space: unquoted form works
        wz.Register(Program::WinZip, wz.ExePath(), q);
        HWND main = wz.Start("/text C:\\old");
        ASSERT_TRUE(main);
        const std::string folder = wz.Scratch().MakeDir("Archives");
        EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
        EXPECT_TRUE(ContainsInOrder(wz.Log(), {"winzip.box settext " + folder, "winzip.go bm_click",
                                               "click 5015 box=" + folder}));
    }
}

TEST(WinZip, WindowWithoutGoButtonOrFolderBoxIsPassedOver) {
    for (const char* omitted : {"5015", "combo", "tree"}) {
        SCOPED_TRACE(omitted);
        InstalledProgram wz(Program::WinZip);
        wz.Register();
        HWND main = wz.Start(std::string("/omit ") + omitted);
        ASSERT_TRUE(main);
        EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), wz.Scratch().Path(), nullptr));
        EXPECT_EQ(CountLinesStartingWith(wz.Log(), "winzip"), 0);
    }
}

// ---- PowerArchiver ---------------------------------------------------------------

TEST(PowerArchiver, FolderTreeVariantClicksGoAndExpandsTheTree) {
    InstalledProgram pa(Program::PowerArchiver);
    pa.Register();
    HWND main = pa.Start();
    ASSERT_TRUE(main);
    const std::string folder = pa.Scratch().MakeDir("Zips");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    const auto log = pa.Log();
    EXPECT_TRUE(ContainsInOrder(
        log, {"powerarchiver.box settext " + folder, "powerarchiver.go bm_click",
              "click 2002 box=" + folder, "powerarchiver.tree keydown 107 001C0001 text=",
              "powerarchiver.tree char 107 001C0001 text=",
              "powerarchiver.tree keyup 107 001C0001 text="}));
    // Buttons that merely resemble "->" are left alone; no repaint is forced.
    EXPECT_EQ(CountLinesStartingWith(log, "click 2003"), 0);
    EXPECT_EQ(CountLinesStartingWith(log, "main paint"), 0);
}

TEST(PowerArchiver, VirtualExplorerVariantClicksGoByMouseAndRepaints) {
    InstalledProgram pa(Program::PowerArchiver);
    pa.Register();
    HWND main = pa.Start("/variant vet");
    ASSERT_TRUE(main);
    const std::string folder = pa.Scratch().MakeDir("Zips");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    const auto log = pa.Log();
    EXPECT_TRUE(ContainsInOrder(log, {"powerarchiver.box settext " + folder,
                                      "powerarchiver.go lbuttondown 0 00000000 text=->",
                                      "powerarchiver.go lbuttonup 0 00000000 text=->",
                                      "click 2002 box=" + folder, "main paint"}));
    EXPECT_EQ(CountLinesStartingWith(log, "powerarchiver.go bm_click"), 0);
    EXPECT_EQ(CountLinesStartingWith(log, "powerarchiver.tree"), 0);
}

TEST(PowerArchiver, PassedOverWithoutGoButtonTreeOrWhenTheFolderIsRegistered) {
    for (const char* omitted : {"go", "tree"}) {
        SCOPED_TRACE(omitted);
        InstalledProgram pa(Program::PowerArchiver);
        pa.Register();
        HWND main = pa.Start(std::string("/omit ") + omitted);
        ASSERT_TRUE(main);
        EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), pa.Scratch().Path(), nullptr));
        EXPECT_EQ(CountLinesStartingWith(pa.Log(), "powerarchiver"), 0);
    }
    // "Directory" holding the install folder instead of the executable.
    InstalledProgram pa(Program::PowerArchiver);
    pa.Register(Program::PowerArchiver, pa.InstallDir());
    HWND main = pa.Start();
    ASSERT_TRUE(main);
    EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(main), pa.Scratch().Path(), nullptr));
}

// ---- SmartFTP --------------------------------------------------------------------

TEST(SmartFtp, AddressBoxTakesThePathWithEnterAndGetsItsTextBack) {
    InstalledProgram ftp(Program::SmartFtp);
    ftp.Register();
    HWND main = ftp.Start("/text ftp://host/old");
    ASSERT_TRUE(main);
    HWND local = FindChildWindow(main, "SmartFtp_LocalViewClass");
    ASSERT_TRUE(local);
    ASSERT_NE(GetWindow(local, GW_HWNDPREV), nullptr);  // starts below the remote view

    const std::string folder = ftp.Scratch().MakeDir("Upload");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    const auto log = ftp.Log();
    EXPECT_TRUE(
        ContainsInOrder(log, EnteredAndRestored("smartftp.edit", folder, "ftp://host/old")));
    EXPECT_EQ(CountLinesStartingWith(log, "smartftp.edit char"), 0);

    HWND edit =
        GetWindow(FindChildWindow(FindChildWindow(main, "ReBarWindow32"), "ComboBox"), GW_CHILD);
    EXPECT_EQ(RemoteText(edit), "ftp://host/old");
    const DWORD sel = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(sel), 0);
    EXPECT_EQ(HIWORD(sel), 14);
    EXPECT_EQ(GetWindow(local, GW_HWNDPREV), nullptr);  // the local view is in front now
}

// ---- FileZilla ----------------------------------------------------------------------

struct FileZillaCase {
    const char* name;
    const char* boxes;  // fixture options
    int chosen;         // 1 or 2; 0 = not handled
};

void PrintTo(const FileZillaCase& c, std::ostream* os) { *os << c.name; }

class FileZilla : public ::testing::TestWithParam<FileZillaCase> {};

TEST_P(FileZilla, SlashRuleChoosesTheBoxThatGetsThePathAndEnter) {
    const FileZillaCase c = GetParam();
    InstalledProgram fz(Program::FileZilla);
    fz.Register();
    HWND main = fz.Start(c.boxes);
    ASSERT_TRUE(main);
    const std::string folder = fz.Scratch().MakeDir("Site");

    EXPECT_EQ(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr), c.chosen != 0);
    if (c.chosen == 0) {
        EXPECT_EQ(CountLinesStartingWith(fz.Log(), "filezilla"), 0);
        return;
    }
    const std::string box = "filezilla.box" + std::to_string(c.chosen);
    const std::string other = "filezilla.box" + std::to_string(3 - c.chosen);
    // Enter comes through the input queue to the edit inside the chosen box.
    const std::string enterPrefix = box + ".edit keydown 13 ";
    const std::string enterSuffix = " text=" + folder;
    EXPECT_TRUE(WaitUntil([&] {
        for (const std::string& l : fz.Log())
            if (l.rfind(enterPrefix, 0) == 0 && l.size() >= enterSuffix.size() &&
                l.compare(l.size() - enterSuffix.size(), enterSuffix.size(), enterSuffix) == 0)
                return true;
        return false;
    })) << ::testing::PrintToString(fz.Log());
    EXPECT_TRUE(ContainsInOrder(fz.Log(), {box + " settext " + folder}));
    EXPECT_EQ(CountLinesStartingWith(fz.Log(), other), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, FileZilla,
    ::testing::Values(FileZillaCase{"LocalThenRemote", "/box C:\\local /box /pub", 1},
                      FileZillaCase{"SecondEmptyAndDisabled", "/box C:\\local /offbox \"\"", 1},
                      FileZillaCase{"BothRemote", "/box /a /box /b", 1},
                      FileZillaCase{"RemoteThenLocal", "/box /pub /box C:\\local", 2},
                      FileZillaCase{"FirstEmptyAndDisabled", "/offbox \"\" /box C:\\local", 2},
                      FileZillaCase{"DisabledRemoteCountsByItsText", "/box C:\\local /offbox /pub",
                                    1},
                      FileZillaCase{"NeitherRemote", "/box C:\\a /box C:\\b", 0},
                      FileZillaCase{"EmptyButEnabledIsNotRemote", "/box C:\\a /box \"\"", 0},
                      FileZillaCase{"ThreeBoxes", "/box C:\\local /box /pub /box /x", 0},
                      FileZillaCase{"OneBox", "/box /pub", 0}),
    [](const ::testing::TestParamInfo<FileZillaCase>& info) {
        return std::string(info.param.name);
    });

// ---- Visual Studio 2005 ------------------------------------------------------------

TEST(Devenv, Box51TakesThePathWithEnterAndGetsItsTextBack) {
    InstalledProgram vs(Program::Devenv);
    vs.Register();
    HWND main = vs.Start("/text typed.sln");
    ASSERT_TRUE(main);
    const std::string folder = vs.Scratch().MakeDir("Projects");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    EXPECT_TRUE(ContainsInOrder(vs.Log(), EnteredAndRestored("devenv.box", folder, "typed.sln")));
    HWND box = GetDlgItem(main, 51);
    EXPECT_EQ(RemoteText(box), "typed.sln");
    const DWORD sel = static_cast<DWORD>(SendMessageA(box, EM_GETSEL, 0, 0));
    EXPECT_EQ(LOWORD(sel), 0);
    EXPECT_EQ(HIWORD(sel), 9);
}

TEST(Devenv, FileDialogWithoutBox51IsLeftToTheFileDialogHandling) {
    InstalledProgram vs(Program::Devenv);
    vs.Register();
    ASSERT_TRUE(vs.Start("/omit 51 /filedialog " + vs.Scratch().Path()));
    HWND dialog = WaitForTopWindow(vs.Process().Pid(), "#32770");
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(nav::NavigateSupportedProgram(CWnd(dialog), vs.Scratch().MakeDir("Sub"), nullptr));
    EXPECT_EQ(CountLinesStartingWith(vs.Log(), "folder " + vs.Scratch().Path() + "\\Sub"), 0);
}

// ---- order -----------------------------------------------------------------------------

TEST(ProgramOrder, PixdroveIsTriedBeforeWinZip) {
    InstalledProgram both(Program::Pixdrove);
    both.Register(Program::Pixdrove, both.ExePath());
    both.Register(Program::WinZip, both.ExePath());
    HWND main = both.Start("/also winzip");
    ASSERT_TRUE(main);
    const std::string folder = both.Scratch().MakeDir("Both");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    EXPECT_TRUE(both.WaitForLine("start /browse \"" + folder + "\""));
    EXPECT_EQ(CountLinesStartingWith(both.Log(), "winzip"), 0);
}

// Only WinZip and PowerArchiver register a whole executable path, so only
// they can share one fixture executable with another program.
TEST(ProgramOrder, WinZipIsTriedBeforePowerArchiver) {
    InstalledProgram both(Program::WinZip);
    both.Register(Program::WinZip, both.ExePath());
    both.Register(Program::PowerArchiver, both.ExePath());
    HWND main = both.Start("/also powerarchiver");
    ASSERT_TRUE(main);
    const std::string folder = both.Scratch().MakeDir("Both");
    EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
    EXPECT_TRUE(ContainsInOrder(both.Log(), {"click 5015 box=" + folder}));
    EXPECT_EQ(CountLinesStartingWith(both.Log(), "powerarchiver"), 0);
}

TEST(ProgramOrder, PowerArchiverIsTriedBeforeVisualStudioAndFallsThroughWithoutGoButton) {
    for (bool withGo : {true, false}) {
        SCOPED_TRACE(withGo ? "with go button" : "without go button");
        InstalledProgram both(Program::Devenv);
        both.Register(Program::Devenv, both.ExePath());
        both.Register(Program::PowerArchiver, both.ExePath());
        HWND main =
            both.Start(std::string("/also powerarchiver /text keep") + (withGo ? "" : " /omit go"));
        ASSERT_TRUE(main);
        const std::string folder = both.Scratch().MakeDir("Both");
        EXPECT_TRUE(nav::NavigateSupportedProgram(CWnd(main), folder, nullptr));
        const auto log = both.Log();
        if (withGo) {
            EXPECT_TRUE(ContainsInOrder(log, {"click 2002 box=" + folder}));
            EXPECT_EQ(CountLinesStartingWith(log, "devenv.box"), 0);
        } else {
            EXPECT_TRUE(ContainsInOrder(log, EnteredAndRestored("devenv.box", folder, "keep")));
            EXPECT_EQ(CountLinesStartingWith(log, "powerarchiver"), 0);
        }
    }
}

}  // namespace
