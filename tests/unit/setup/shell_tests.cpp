// The Run value and the Explorer verb in Wine's real registry.
#include <gtest/gtest.h>

#include "shell/shellintegration.h"
#include "framework/registry.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kUserVerb = "Software\\Classes\\Folder\\shell\\Add to Vantrel";
const char* kMachineVerb = "Software\\Classes\\Folder\\shell\\Add to Vantrel";
const std::string kProgram = "C:\\Program Files\\Vantrel Test\\Vantrel.exe";

// Removes the Run value before and after a test; other values stay.
struct CleanRunValue {
    CleanRunValue() { Remove(); }
    ~CleanRunValue() { Remove(); }
    static void Remove() {
        CRegKey run;
        if (run.Open(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE)) run.DeleteValue(kRunValueName);
    }
};

bool KeyExists(HKEY root, const std::string& path) {
    CRegKey k;
    return k.Open(root, path, KEY_READ);
}

// Raw data of a string value, terminating zeros included.
std::string RawString(HKEY root, const std::string& path, const char* name, DWORD& type) {
    CRegKey k;
    if (!k.Open(root, path, KEY_READ)) return "<no key>";
    char buf[2048];
    DWORD size = sizeof buf;
    if (RegQueryValueExA(k.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size))
        return "<no value>";
    return std::string(buf, size);
}

TEST(RunValueAndVerb, RunValueIsTheQuotedProgramPathAndReplacesAnotherProgram) {
    CleanRunValue clean;
    CRegKey run;
    ASSERT_TRUE(run.Create(HKEY_CURRENT_USER, kRunKey));
    ASSERT_TRUE(run.SetString(kRunValueName, "C:\\Other\\other.exe"));
    ASSERT_TRUE(run.SetString("VtNeighbour", "C:\\Neighbour\\n.exe"));
    EXPECT_TRUE(IsLoadWithWindows());

    WriteShellIntegration(true, false, kProgram);
    DWORD type = 0;
    // Quoted, so that log-on does not split the path at "Program"; the
    // stored length counts the terminating zero.
    EXPECT_EQ(RawString(HKEY_CURRENT_USER, kRunKey, kRunValueName, type),
              std::string("\"" + kProgram + "\"") + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(IsLoadWithWindows());

    WriteShellIntegration(false, false, kProgram);
    EXPECT_FALSE(IsLoadWithWindows());
    EXPECT_EQ(run.QueryString("VtNeighbour", ""), "C:\\Neighbour\\n.exe");
    run.DeleteValue("VtNeighbour");
}

TEST(RunValueAndVerb, AnyValueNamedVantrelMeansLoadWithWindows) {
    CleanRunValue clean;
    EXPECT_FALSE(IsLoadWithWindows());
    CRegKey run;
    ASSERT_TRUE(run.Create(HKEY_CURRENT_USER, kRunKey));
    ASSERT_TRUE(run.SetDword(kRunValueName, 0));
    EXPECT_TRUE(IsLoadWithWindows());
    // Unchecked: the foreign value goes, whatever its type.
    WriteShellIntegration(false, false, kProgram);
    EXPECT_FALSE(IsLoadWithWindows());
}

TEST(RunValueAndVerb, VerbIsWrittenForTheUserAndFoundThroughClassesRoot) {
    test::ScopedRegTree user(HKEY_CURRENT_USER, kUserVerb);
    test::ScopedRegTree machine(HKEY_LOCAL_MACHINE, kMachineVerb);
    CleanRunValue clean;
    EXPECT_FALSE(IsExplorerVerbInstalled());

    WriteShellIntegration(false, true, kProgram);
    DWORD type = 0;
    EXPECT_EQ(RawString(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\command", nullptr, type),
              std::string("\"" + kProgram + "\" %L") + '\0');
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Nothing machine-wide, where an unelevated user could not write.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMachineVerb));
    EXPECT_TRUE(IsExplorerVerbInstalled());
    // Leaving the Run value alone was not asked for: it is rewritten (absent).
    EXPECT_FALSE(IsLoadWithWindows());

    test::ScopedUserClassesRoot merged;
    ASSERT_TRUE(merged.Active());
    CRegKey command;
    ASSERT_TRUE(command.Open(HKEY_CLASSES_ROOT, kVerbCommandKey, KEY_READ));
    EXPECT_EQ(command.QueryString(nullptr, ""), "\"" + kProgram + "\" %L");
}

TEST(RunValueAndVerb, ClearedVerbGoesWithEverythingUnderItAndNothingElse) {
    test::ScopedRegTree user(HKEY_CURRENT_USER, kUserVerb);
    test::ScopedRegTree sibling(HKEY_CURRENT_USER, "Software\\Classes\\Folder\\shell\\VtOther");
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\command"));
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, std::string(kUserVerb) + "\\ddeexec\\topic"));
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, kUserVerb));
    ASSERT_TRUE(k.SetString("Icon", "someone.dll,3"));
    k.Close();
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, "Software\\Classes\\Folder\\shell\\VtOther\\command"));
    k.Close();
    EXPECT_TRUE(IsExplorerVerbInstalled());

    WriteShellIntegration(false, false, kProgram);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUserVerb));
    EXPECT_FALSE(IsExplorerVerbInstalled());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\Folder\\shell\\VtOther\\command"));
}

TEST(RunValueAndVerb, WithoutAProgramPathNothingIsWritten) {
    test::ScopedRegTree user(HKEY_CURRENT_USER, kUserVerb);
    CleanRunValue clean;
    WriteShellIntegration(true, true, "");
    EXPECT_FALSE(IsLoadWithWindows());
    EXPECT_FALSE(IsExplorerVerbInstalled());
    EXPECT_NE(ProgramFilePath().find("setup_tests.exe"), std::string::npos) << ProgramFilePath();
}

}  // namespace
