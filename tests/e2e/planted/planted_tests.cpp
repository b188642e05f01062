// A portable copy of Vantrel in a folder where libraries named like the
// system's lie (a downloads folder): each is a library that records every
// process that loads it. The program is started, started again with "/pop"
// (the menu), its Setup opened and closed, and ended by a start with "/quit";
// no library of the folder may have been loaded by any of those processes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/setup/setupdriver.h"
#include "framework/registry.h"
#include "resources/resource.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

// Not on the system's list of known libraries (or, for the file dialogs',
// not on every system's), so the system's own search would look in the
// program's folder first.
const char* const kPlantedNames[] = {"shcore.dll",  "version.dll", "uxtheme.dll",
                                     "msimg32.dll", "dwmapi.dll",  "comdlg32.dll"};

// Measured under Wine 8: with its default load order, of these names only
// shcore.dll is taken from beside a program that loads it by bare name; for
// the rest Wine prefers its own (builtin) library wherever a file of the
// name lies, so what a planted file would do on Windows goes unseen. Telling
// Wine to take a file found by the search first ("native,builtin") makes its
// loader search as Windows' does, the program's folder first. That can be
// done only for the names that none of Wine's own libraries imports: for
// version.dll, uxtheme.dll and shcore.dll, Wine's user32, comctl32 and shell32
// would then take the planted file while the process is being loaded, before
// any code of ours runs, which Windows' system libraries do not (the import
// table of the program is checked in StartupImports instead). Wine reads the
// setting per program from its AppDefaults key (the WINEDLLOVERRIDES variable
// of a Windows environment is not passed on to the loader of a process
// started from it), so it holds for Vantrel.exe alone, and only while the
// test runs.
const char* const kSearchedAsOnWindows[] = {"msimg32", "dwmapi", "comdlg32"};

class PreferFoundLibraries {
public:
    explicit PreferFoundLibraries(bool on) {
        ok_ = true;
        if (!on) return;
        vt::CRegKey key;
        ok_ = key.Create(HKEY_CURRENT_USER, std::string(kAppDefaults) + "\\DllOverrides");
        for (const char* name : kSearchedAsOnWindows)
            ok_ = ok_ && key.SetString(name, "native,builtin");
    }
    bool Ok() const { return ok_; }

private:
    static constexpr const char* kAppDefaults = "Software\\Wine\\AppDefaults\\Vantrel.exe";
    test::ScopedRegTree tree_{HKEY_CURRENT_USER, kAppDefaults};  // gone before and after
    bool ok_ = false;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Wine's own shlwapi.dll imports shcore.dll, and Wine resolves the imports
// of its libraries with the program's folder first: a planted shcore.dll is
// loaded while the process is being loaded, through the program's import of
// shlwapi.dll (and of shell32.dll, which imports it), before any code of ours
// runs. On Windows both are on the list of known libraries, whose imports are
// never looked for beside the program. That one load, and only while the
// process is being loaded, is Wine's and not the program's.
bool LoadedByWineItself(const std::string& name, const std::string& line) {
    return name == "shcore.dll" && line.rfind("static ", 0) == 0;
}

// Every record the planted libraries wrote, one line per load, but for the
// one Wine makes itself.
std::string LoadsRecorded(const std::string& dir) {
    std::string loads;
    for (const char* name : kPlantedNames) {
        const std::string marker = dir + "\\" + name + ".loaded";
        if (!Exists(marker)) continue;
        std::istringstream lines(ReadAll(marker));
        for (std::string line; std::getline(lines, line);)
            if (!LoadedByWineItself(name, line)) loads += std::string(name) + ": " + line + "\n";
    }
    return loads;
}

// The parameter: Wine told to search as Windows does for the names it can be.
class PlantedLibraries : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(loadOrder_.Ok());
        ASSERT_TRUE(copy_.Ok()) << "could not copy the program to " << copy_.Dir();
        for (const char* name : kPlantedNames)
            ASSERT_FALSE(copy_.Put(test::BinPath("vtplanted.dll"), name).empty()) << name;
        run_.programDir = copy_.Dir();
    }

    ProgramCopy copy_{"vt planted"};
    PreferFoundLibraries loadOrder_{GetParam()};
    VantrelRun run_;
};

TEST_P(PlantedLibraries, TheRecordingLibraryRecordsALoadByName) {
    // The witness: a program that loads a library of its folder by bare name
    // (as the system's search allows) leaves a record. Loaded here by path,
    // under a name of its own, so that this process keeps its system libraries.
    const std::string witness = copy_.Put(test::BinPath("vtplanted.dll"), "vtwitness.dll");
    ASSERT_FALSE(witness.empty());
    HMODULE lib = LoadLibraryA(witness.c_str());
    ASSERT_NE(lib, nullptr);
    FreeLibrary(lib);
    const std::string record = ReadAll(witness + ".loaded");
    EXPECT_NE(record.find("dynamic " + std::to_string(GetCurrentProcessId()) + " "),
              std::string::npos)
        << record;
}

TEST_P(PlantedLibraries, NoneIsLoadedByTheStartsTheMenuOrSetup) {
    run_.folders[0] = {copy_.Dir() + "\\", "Program folder", "", -1};
    const ::testing::AssertionResult started = run_.Start();
    // Before the start is judged: a planted library may make it fail.
    EXPECT_EQ(LoadsRecorded(copy_.Dir()), "") << "after the first start";
    ASSERT_TRUE(started);

    // A second start hands "/pop" over; the menu shows its folder.
    test::ChildProcess front;
    ASSERT_TRUE(front.Start(test::BinPath("instance_front_window.exe")));
    HWND target = test::WaitForTopWindow(front.Pid());
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(BringToFront(target));
    ASSERT_TRUE(run_.Forward("/pop"));
    ASSERT_NE(run_.WaitForMenu(), nullptr);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(run_.WaitForMenuGone());
    EXPECT_EQ(LoadsRecorded(copy_.Dir()), "") << "after the menu";

    // Setup with its list, its icons and its controls drawn, then closed.
    HWND setup = OpenSetup(run_);
    ASSERT_NE(setup, nullptr);
    ASSERT_TRUE(RemoteList(GetDlgItem(setup, IDC_FOLDER_LIST)).Count() == 1);
    Click(setup, IDCANCEL);
    ASSERT_TRUE(WaitHandled(setup, run_.Window()));
    EXPECT_EQ(LoadsRecorded(copy_.Dir()), "") << "after Setup";

    // A second start that ends the first.
    ASSERT_TRUE(run_.Forward("/quit"));
    EXPECT_TRUE(run_.Process().WaitForExit(10000)) << "\"/quit\" did not end the program";
    EXPECT_EQ(LoadsRecorded(copy_.Dir()), "") << "after \"/quit\"";
}

INSTANTIATE_TEST_SUITE_P(LoadOrder, PlantedLibraries, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& p) {
                             return p.param ? "SearchedAsOnWindows" : "WinesDefault";
                         });

}  // namespace
