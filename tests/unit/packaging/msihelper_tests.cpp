// The installer helper: which command lines name the program, the removal of
// the shell integration under a scratch registry root, and ending a running
// instance with real processes.
#include <gtest/gtest.h>

#include <thread>

#include "framework/handles.h"
#include "framework/registry.h"
#include "packaging/msihelper.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char kProgram[] = "C:\\Users\\Ann Lee\\AppData\\Local\\Programs\\Vantrel\\Vantrel.exe";

TEST(MsiHelperCommand, QuotedPathWithOrWithoutArguments) {
    EXPECT_TRUE(CommandStartsProgram(std::string("\"") + kProgram + "\"", kProgram));
    EXPECT_TRUE(CommandStartsProgram(std::string("\"") + kProgram + "\" %L", kProgram));
    EXPECT_TRUE(CommandStartsProgram(std::string("  \"") + kProgram + "\" /pop", kProgram));
    // Paths compare without regard to case, as the file system does.
    EXPECT_TRUE(CommandStartsProgram(
        "\"c:\\users\\ann lee\\appdata\\local\\programs\\VANTREL\\vantrel.EXE\" %L", kProgram));
    EXPECT_FALSE(CommandStartsProgram("\"C:\\Tools\\Vantrel\\Vantrel.exe\" %L", kProgram));
    EXPECT_FALSE(CommandStartsProgram(std::string("\"") + kProgram + ".bak\"", kProgram));
    EXPECT_FALSE(CommandStartsProgram(std::string("\"") + kProgram, kProgram));  // no closing quote
}

TEST(MsiHelperCommand, UnquotedPathHoldingSpaces) {
    EXPECT_TRUE(CommandStartsProgram(kProgram, kProgram));
    EXPECT_TRUE(CommandStartsProgram(std::string(kProgram) + "  ", kProgram));
    EXPECT_TRUE(CommandStartsProgram(std::string(kProgram) + " /pop", kProgram));
    // Another file whose name begins with the program's path.
    EXPECT_FALSE(CommandStartsProgram(std::string(kProgram) + "2", kProgram));
    EXPECT_FALSE(CommandStartsProgram(std::string(kProgram) + ".old /pop", kProgram));
    EXPECT_FALSE(CommandStartsProgram("C:\\Users\\Ann", kProgram));
    EXPECT_FALSE(CommandStartsProgram("", kProgram));
    EXPECT_FALSE(CommandStartsProgram("   ", kProgram));
    EXPECT_FALSE(CommandStartsProgram(kProgram, ""));
}

// A stand-in for HKEY_CURRENT_USER, so that the user's own entries stay.
class ShellIntegration : public ::testing::Test {
protected:
    static constexpr const char* kRoot = "Software\\Vantrel Tests\\MsiHelper";
    test::ScopedRegTree tree_{HKEY_CURRENT_USER, kRoot};
    HKEY root_ = nullptr;

    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kRoot, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &root_, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override { RegCloseKey(root_); }

    void Set(const char* key, const char* name, const std::string& data, DWORD type = REG_SZ) {
        ASSERT_EQ(RegSetKeyValueA(root_, key, name, type, data.c_str(),
                                  static_cast<DWORD>(data.size() + 1)),
                  ERROR_SUCCESS);
    }
    bool HasValue(const char* key, const char* name) {
        return RegGetValueA(root_, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }
    bool HasKey(const char* key) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(root_, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        RegCloseKey(k);
        return true;
    }
};

TEST_F(ShellIntegration, EntriesNamingTheProgramGoWithEverythingBelowTheVerb) {
    Set(kRunKey, kRunValue, std::string("\"") + kProgram + "\"");
    Set(kRunKey, "Other", "C:\\Tools\\Other.exe");
    Set(kVerbCommandKey, nullptr, std::string("\"") + kProgram + "\" %L");
    Set(kVerbKey, "Icon", "somebody else's value");
    Set((std::string(kVerbKey) + "\\extra").c_str(), "x", "y");

    ShellCleanup done = RemoveShellIntegration(root_, kProgram);
    EXPECT_TRUE(done.runValueRemoved);
    EXPECT_TRUE(done.verbRemoved);
    EXPECT_FALSE(HasValue(kRunKey, kRunValue));
    EXPECT_FALSE(HasKey(kVerbKey));
    EXPECT_TRUE(HasValue(kRunKey, "Other"));
    EXPECT_TRUE(HasKey("Software\\Classes\\Folder\\shell"));  // only our verb goes
}

TEST_F(ShellIntegration, EntriesOfAnotherCopyStay) {
    Set(kRunKey, kRunValue, "C:\\Tools\\Vantrel\\Vantrel.exe");
    Set(kVerbCommandKey, nullptr, "\"C:\\Tools\\Vantrel\\Vantrel.exe\" %L");

    ShellCleanup done = RemoveShellIntegration(root_, kProgram);
    EXPECT_FALSE(done.runValueRemoved);
    EXPECT_FALSE(done.verbRemoved);
    EXPECT_TRUE(HasValue(kRunKey, kRunValue));
    EXPECT_TRUE(HasValue(kVerbCommandKey, nullptr));
}

TEST_F(ShellIntegration, UnquotedExpandableAndForeignTypedValues) {
    // An unquoted Run value, as the program has written it before.
    Set(kRunKey, kRunValue, kProgram);
    EXPECT_TRUE(RemoveShellIntegration(root_, kProgram).runValueRemoved);

    // REG_EXPAND_SZ is compared expanded.
    SetEnvironmentVariableA("VT_TEST_PROGRAMS", "C:\\Users\\Ann Lee\\AppData\\Local\\Programs");
    Set(kRunKey, kRunValue, "%VT_TEST_PROGRAMS%\\Vantrel\\Vantrel.exe", REG_EXPAND_SZ);
    EXPECT_TRUE(RemoveShellIntegration(root_, kProgram).runValueRemoved);

    // Not a string: not a command line of ours.
    DWORD one = 1;
    ASSERT_EQ(RegSetKeyValueA(root_, kRunKey, kRunValue, REG_DWORD, &one, sizeof one),
              ERROR_SUCCESS);
    EXPECT_FALSE(RemoveShellIntegration(root_, kProgram).runValueRemoved);
    EXPECT_TRUE(HasValue(kRunKey, kRunValue));

    // A verb without a command, and no Run key at all: nothing to do.
    RegDeleteTreeA(root_, kRunKey);
    Set(kVerbKey, "MUIVerb", "Add to Vantrel");
    ShellCleanup done = RemoveShellIntegration(root_, kProgram);
    EXPECT_FALSE(done.runValueRemoved);
    EXPECT_FALSE(done.verbRemoved);
    EXPECT_TRUE(HasKey(kVerbKey));
}

TEST_F(ShellIntegration, AnUpgradePutsBackWhatTheOlderProductsRemovalTook) {
    const std::string run = std::string("\"") + kProgram + "\"";
    const std::string verb = std::string("\"") + kProgram + "\" %L";
    Set(kRunKey, kRunValue, run);
    Set(kVerbCommandKey, nullptr, verb);

    RememberShellIntegration(root_, kProgram);
    RemoveShellIntegration(root_, kProgram);  // the older product's removal
    ASSERT_FALSE(HasValue(kRunKey, kRunValue));
    EXPECT_EQ(RestoreShellIntegration(root_), 2);
    char data[512] = {};
    DWORD size = sizeof data;
    ASSERT_EQ(RegGetValueA(root_, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(data), run);
    size = sizeof data;
    ASSERT_EQ(RegGetValueA(root_, kVerbCommandKey, nullptr, RRF_RT_REG_SZ, nullptr, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(data), verb);
    EXPECT_FALSE(HasKey(kKeptKey));  // the note is used once
    EXPECT_EQ(RestoreShellIntegration(root_), 0);
}

TEST_F(ShellIntegration, EntriesKeptByTheRemovalOrNotOursAreLeftAsTheyAre) {
    // Where the removal kept the entries (Windows), and the user changed one
    // since: nothing is written back.
    Set(kRunKey, kRunValue, kProgram);
    RememberShellIntegration(root_, kProgram);
    Set(kRunKey, kRunValue, "C:\\Tools\\Vantrel\\Vantrel.exe");
    EXPECT_EQ(RestoreShellIntegration(root_), 0);
    EXPECT_FALSE(HasKey(kKeptKey));

    // Entries of another copy are not noted, and an older note is dropped.
    Set(kVerbCommandKey, nullptr, "\"C:\\Tools\\Vantrel\\Vantrel.exe\" %L");
    Set(kKeptKey, "Run", "stale");
    RememberShellIntegration(root_, kProgram);
    EXPECT_FALSE(HasKey(kKeptKey));
    RegDeleteTreeA(root_, kVerbKey);
    EXPECT_EQ(RestoreShellIntegration(root_), 0);
    EXPECT_FALSE(HasKey(kVerbKey));
}

TEST_F(ShellIntegration, TheFirstInstallTurnsLoadWithWindowsOnLaterOnesKeepTheUsersChoice) {
    auto runValue = [&]() -> std::string {
        char data[512] = {};
        DWORD size = sizeof data;
        if (RegGetValueA(root_, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, data, &size) !=
            ERROR_SUCCESS)
            return "<missing>";
        return data;
    };
    // Quoted, as Setup writes it: a path with spaces starts as one program.
    EXPECT_TRUE(EnableLoadWithWindows(root_, kProgram));
    EXPECT_EQ(runValue(), std::string("\"") + kProgram + "\"");
    EXPECT_TRUE(HasValue(kSetupKey, kLoadWithWindowsSet));

    // The user turns it off in Setup; the next install (an upgrade) leaves it off.
    RegDeleteKeyValueA(root_, kRunKey, kRunValue);
    EXPECT_FALSE(EnableLoadWithWindows(root_, kProgram));
    EXPECT_EQ(runValue(), "<missing>");

    // An upgrade under an installer whose removal of the older product takes
    // the mark along: the note brings it back, the choice stays.
    RememberShellIntegration(root_, kProgram);
    RemoveShellIntegration(root_, kProgram);
    EXPECT_FALSE(HasValue(kSetupKey, kLoadWithWindowsSet));
    EXPECT_EQ(RestoreShellIntegration(root_), 0);  // the mark is no entry of its own
    EXPECT_FALSE(EnableLoadWithWindows(root_, kProgram));
    EXPECT_EQ(runValue(), "<missing>");

    // Uninstalled for good, then installed anew: on again.
    RemoveShellIntegration(root_, kProgram);
    EXPECT_TRUE(EnableLoadWithWindows(root_, kProgram));
    EXPECT_EQ(runValue(), std::string("\"") + kProgram + "\"");
    EXPECT_FALSE(EnableLoadWithWindows(root_, ""));
}

bool InstanceRecordExists() {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, "CInstanceChecker_MMF_Vantrel"));
    return static_cast<bool>(m);
}

class EndInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(InstanceRecordExists()) << "a Vantrel is already running";
    }
    void TearDown() override {
        instance_.Terminate();
        test::WaitUntil([] { return !InstanceRecordExists(); }, 5000);
    }
    void Start(const std::string& exe) {
        ASSERT_TRUE(instance_.Start(exe, "", test::BinDir()));
        ASSERT_TRUE(test::WaitUntil(InstanceRecordExists, 20000)) << exe << " published no window";
    }
    test::ChildProcess instance_;
};

TEST_F(EndInstance, NothingRunningIsNothingToDo) {
    EXPECT_EQ(EndRunningInstance(test::BinPath("Vantrel.exe"), 2000), EndResult::NotRunning);
}

// A starting instance creates its record a moment before it writes its
// window into it; asked in that moment, the helper waits for the window
// instead of reporting an instance it cannot reach, and gives up only at
// its deadline.
TEST_F(EndInstance, ARecordWithoutItsWindowYetIsWaitedForUntilTheDeadline) {
    UniqueKernelHandle record(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 sizeof(DWORD), "CInstanceChecker_MMF_Vantrel"));
    ASSERT_TRUE(record);
    UniqueMapView view(MapViewOfFile(record.Get(), FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    ASSERT_TRUE(view);
    volatile DWORD* slot = static_cast<volatile DWORD*>(view.Get());
    *slot = 0;

    DWORD start = GetTickCount();
    EXPECT_EQ(EndRunningInstance(test::BinPath("Vantrel.exe"), 400), EndResult::Failed);
    EXPECT_GE(GetTickCount() - start, 380u);

    // This process's own window, written in while the helper waits: a
    // program other than Vantrel.exe, so it is left alone.
    HWND own = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(own, nullptr);
    std::thread writer([&] {
        Sleep(300);
        *slot = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(own));
    });
    EXPECT_EQ(EndRunningInstance(test::BinPath("Vantrel.exe"), 5000), EndResult::OtherCopy);
    writer.join();
    DestroyWindow(own);
}

TEST_F(EndInstance, TheProgramsOwnQuitEndsItAndAnotherCopyIsLeftAlone) {
    test::ScopedRegTree settings(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel");
    Start(test::BinPath("Vantrel.exe"));
    // Started from another file: not ours to end.
    EXPECT_EQ(EndRunningInstance("C:\\Tools\\Vantrel\\Vantrel.exe", 2000), EndResult::OtherCopy);
    EXPECT_TRUE(instance_.Running());

    EXPECT_EQ(EndRunningInstance(test::BinPath("Vantrel.exe"), 15000), EndResult::Ended);
    EXPECT_FALSE(instance_.Running());
    EXPECT_EQ(instance_.ExitCode(), 0u);  // ended by itself, not terminated
    EXPECT_FALSE(InstanceRecordExists());
}

TEST_F(EndInstance, TheInstalledProgramIsStartedUnlessOneRunsAlready) {
    test::ScopedRegTree settings(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel");
    // A plain start-up: no hot key, no tray, nothing to tell.
    CRegKey key;
    ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel"));
    key.SetDword("Already Run", 1);
    key.SetDword("Shortcut Type", 0);
    ASSERT_TRUE(StartInstalledProgram(test::BinPath("Vantrel.exe")));
    ASSERT_TRUE(test::WaitUntil(InstanceRecordExists, 20000));
    EXPECT_FALSE(StartInstalledProgram(test::BinPath("Vantrel.exe")));  // one runs already
    EXPECT_EQ(EndRunningInstance(test::BinPath("Vantrel.exe"), 15000), EndResult::Ended);
    EXPECT_FALSE(StartInstalledProgram("C:\\nowhere\\Vantrel.exe"));
}

TEST_F(EndInstance, AnInstanceThatIgnoresQuitIsTerminatedAtTheDeadline) {
    Start(test::BinPath("stubborn.exe"));
    DWORD start = GetTickCount();
    EXPECT_EQ(EndRunningInstance(test::BinPath("stubborn.exe"), 1500), EndResult::Terminated);
    EXPECT_GE(GetTickCount() - start, 1400u);  // it was given its time first
    EXPECT_TRUE(instance_.WaitForExit(5000));
    EXPECT_EQ(instance_.ExitCode(), 1u);
}

TEST(HookLibraryRelease, WaitsUntilNoProcessHoldsTheLibrary) {
    test::ScratchDir dir("vthookcopy");
    std::string copy = dir.Path() + "\\VTHook.dll";
    ASSERT_TRUE(CopyFileA(test::BinPath("VTHook.dll").c_str(), copy.c_str(), FALSE));
    EXPECT_FALSE(ImageInUse(copy));
    EXPECT_TRUE(WaitForHookLibraryRelease(copy, 1000));
    EXPECT_TRUE(WaitForHookLibraryRelease(dir.Path() + "\\missing.dll", 1000));

    UniqueModule loaded(LoadLibraryA(copy.c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(ImageInUse(copy));
    DWORD start = GetTickCount();
    EXPECT_FALSE(WaitForHookLibraryRelease(copy, 800));  // held until the deadline
    EXPECT_GE(GetTickCount() - start, 700u);
    loaded.Reset();
    EXPECT_FALSE(ImageInUse(copy));
    EXPECT_TRUE(WaitForHookLibraryRelease(copy, 1000));
}

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// The value as stored (zeros and all), "" when there is none.
std::string RawPendingOperations() {
    char data[8192] = {};
    DWORD size = sizeof data - 2;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                     RRF_RT_REG_MULTI_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "";
    return std::string(data, size);
}

std::string PendingOperations() {
    std::string all = RawPendingOperations();
    for (char& c : all)
        if (!c) c = '|';
    return all;
}

// Puts the pending operations back as they were before a test.
void RestorePendingOperations(const std::string& raw) {
    if (raw.empty())
        RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations");
    else
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                        REG_MULTI_SZ, raw.data(), static_cast<DWORD>(raw.size()));
}

TEST(Leftovers, HeldFilesAreRenamedAndGoAtTheNextStart) {
    std::string before = RawPendingOperations();
    test::ScratchDir dir("vtleftovers");
    std::string folder = dir.MakeDir("Vantrel");
    std::string program = folder + "\\Vantrel.exe", hook = folder + "\\VTHook.dll";
    dir.MakeFile("Vantrel\\Vantrel.exe", "not held");
    ASSERT_TRUE(CopyFileA(test::BinPath("VTHook.dll").c_str(), hook.c_str(), FALSE));
    UniqueModule held(LoadLibraryA(hook.c_str()));
    ASSERT_TRUE(held);

    EXPECT_EQ(RemoveLeftoversAtRestart(program), 1);
    EXPECT_EQ(GetFileAttributesA(program.c_str()), INVALID_FILE_ATTRIBUTES);  // deleted at once
    EXPECT_EQ(GetFileAttributesA(hook.c_str()), INVALID_FILE_ATTRIBUTES);     // its name is free
    std::string pending = PendingOperations();
    EXPECT_NE(pending.find("VTHook.dll."), std::string::npos) << pending;
    EXPECT_NE(pending.find(folder + "|"), std::string::npos)
        << pending;  // the folder, if empty then
    EXPECT_EQ(pending.find("Vantrel.exe"), std::string::npos) << pending;

    held.Reset();
    RestorePendingOperations(before);
}

TEST(Leftovers, NothingHeldLeavesNothingForLater) {
    std::string before = PendingOperations();
    test::ScratchDir dir("vtleftovers");
    std::string folder = dir.MakeDir("Vantrel");
    EXPECT_EQ(RemoveLeftoversAtRestart(folder + "\\Vantrel.exe"), 0);
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);  // empty: removed now
    EXPECT_EQ(PendingOperations(), before);
}

}  // namespace
