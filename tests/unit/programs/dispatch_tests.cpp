// The supported programs reached through the whole folder command: the
// dispatch tries them after the dialogs and before the common file dialog,
// only for folders and only without Shift.
#include <gtest/gtest.h>

#include "installedprogram.h"
#include "navigation/navigate.h"

using namespace vt;
using namespace vt::test;

namespace {

constexpr UINT kCommand = nav::kFirstFolderCommand + 3;

// A folder command over one target, with the keyboard state given and the
// shell replaced by a recorder, so that a fall-through is seen, not opened.
struct Dispatch {
    bool shift = false;
    std::vector<std::string> shellCalls;  // "<verb> <path>"

    void Run(HWND target, const std::string& path) {
        FolderList folders;
        folders[3] = FolderEntry{path, "Target", "", -1};
        AppSettings settings;
        CWnd targetWindow(target);
        nav::NavigationServices services;
        services.shellExecute = [this](HWND, const std::string& verb, const std::string& p) {
            shellCalls.push_back(verb + " " + p);
        };
        services.keyState = [this](int vk) -> SHORT {
            return vk == VK_SHIFT && shift ? static_cast<SHORT>(0x8000) : 0;
        };
        nav::NavigateTo(kCommand, folders, settings, targetWindow, nullptr, services);
        EXPECT_FALSE(targetWindow);  // every navigation clears the target
    }
};

struct ProgramCase {
    const char* name;
    Program program;
    const char* args;
    const char* effect;  // line the fixture records; "%s" stands for the folder
};

std::string WithFolder(const char* pattern, const std::string& folder) {
    std::string s = pattern;
    const size_t at = s.find("%s");
    return at == std::string::npos ? s : s.replace(at, 2, folder);
}

void PrintTo(const ProgramCase& c, std::ostream* os) { *os << c.name; }

class ThroughNavigateTo : public ::testing::TestWithParam<ProgramCase> {};

TEST_P(ThroughNavigateTo, FolderReachesTheProgramsActionAndShiftSkipsIt) {
    const ProgramCase c = GetParam();
    InstalledProgram app(c.program);
    app.Register();
    HWND main = app.Start(c.args);
    ASSERT_TRUE(main);
    const std::string folder = app.Scratch().MakeDir("Chosen");

    Dispatch withShift;
    withShift.shift = true;
    withShift.Run(main, folder);
    EXPECT_EQ(withShift.shellCalls, std::vector<std::string>{"open " + folder});

    Dispatch plain;
    plain.Run(main, folder);
    EXPECT_TRUE(app.WaitForLine(WithFolder(c.effect, folder)))
        << ::testing::PrintToString(app.Log());
    EXPECT_TRUE(plain.shellCalls.empty());
    // Only the navigation without Shift reached the program.
    EXPECT_EQ(CountLinesStartingWith(app.Log(), WithFolder(c.effect, folder)), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Programs, ThroughNavigateTo,
    ::testing::Values(
        ProgramCase{"Pixdrove", Program::Pixdrove, "", "start /browse \"%s\""},
        ProgramCase{"WinZip", Program::WinZip, "", "click 5015 box=%s"},
        ProgramCase{"PowerArchiver", Program::PowerArchiver, "", "click 2002 box=%s"},
        ProgramCase{"SmartFtp", Program::SmartFtp, "", "smartftp.edit keydown 13 00000000 text=%s"},
        ProgramCase{"FileZilla", Program::FileZilla, "/box C:\\local /box /pub",
                    "filezilla.box1.edit keydown 13 01000001 text=%s"},
        ProgramCase{"Devenv", Program::Devenv, "", "devenv.box keydown 13 00000000 text=%s"}),
    [](const ::testing::TestParamInfo<ProgramCase>& info) { return std::string(info.param.name); });

TEST(ThroughNavigateTo, FileEntryIsNotGivenToAProgram) {
    InstalledProgram wz(Program::WinZip);
    wz.Register();
    HWND main = wz.Start();
    ASSERT_TRUE(main);
    const std::string file = wz.Scratch().MakeFile("notes.txt", "x");
    Dispatch d;
    d.Run(main, file);
    EXPECT_EQ(d.shellCalls, std::vector<std::string>{"open " + file});
    EXPECT_EQ(CountLinesStartingWith(wz.Log(), "winzip"), 0);
}

TEST(ThroughNavigateTo, VisualStudioFileDialogWithoutBox51IsDrivenAsAFileDialog) {
    InstalledProgram vs(Program::Devenv);
    vs.Register();
    const std::string start = vs.Scratch().MakeDir("Start");
    ASSERT_TRUE(vs.Start("/omit 51 /filedialog " + start));
    HWND dialog = WaitForTopWindow(vs.Process().Pid(), "#32770");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(vs.WaitForLine("folder " + start));

    const std::string folder = vs.Scratch().MakeDir("Solutions");
    Dispatch d;
    d.Run(dialog, folder);
    EXPECT_TRUE(vs.WaitForLine("folder " + folder)) << ::testing::PrintToString(vs.Log());
    EXPECT_TRUE(d.shellCalls.empty());
}

TEST(ThroughNavigateTo, FileZillaWithoutARemotePathEndsInTheShell) {
    InstalledProgram fz(Program::FileZilla);
    fz.Register();
    HWND main = fz.Start("/box C:\\a /box C:\\b");
    ASSERT_TRUE(main);
    const std::string folder = fz.Scratch().MakeDir("Site");
    Dispatch d;
    d.Run(main, folder);
    EXPECT_EQ(d.shellCalls, std::vector<std::string>{"open " + folder});
    EXPECT_EQ(CountLinesStartingWith(fz.Log(), "filezilla"), 0);
}

}  // namespace
