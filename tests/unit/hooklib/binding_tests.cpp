// The program's binding of VTHook.dll: registered message ids, the product
// version check with copies of the library carrying other versions, loading
// from the program's own folder, and the teardown.
#include <gtest/gtest.h>

#include <sstream>

#include "app/hookbinding.h"
#include "hooktestutil.h"
#include "version.h"

using namespace vt;
using namespace vt::test;

namespace {

const char kMismatchText[] =
    "Some file versions do not match. Please try reinstalling the application. Meanwhile, "
    "activating Vantrel by right-clicking the ? button in file dialogs is NOT available.";
const char kInstallFailedText[] =
    "Vantrel failed to initialize the mouse hook: activating Vantrel by right-clicking the ? "
    "button in file dialogs is NOT available.";

TEST(HookBinding, RegisteredMessagesAreTheLibrarysNamesAndDistinct) {
    EXPECT_EQ(HookRightButtonMessage(),
              RegisterWindowMessageA("UWM_VTHOOK_RDN_MSG-44E531B1_14D3_11D5_A025_006067718D04"));
    EXPECT_EQ(HookWheelMessage(),
              RegisterWindowMessageA("UWM_VTHOOK_WHL_MSG-44E531B1_14D3_11D5_A025_006067718D04"));
    EXPECT_GE(HookRightButtonMessage(), 0xC000u);
    EXPECT_NE(HookRightButtonMessage(), HookWheelMessage());
}

TEST(HookBinding, ProductVersionsAreComparedInMajorMinorAndBuildOnly) {
    const auto own = ReadProductVersion(BinPath("VTHook.dll"));
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->major, VT_VERSION_MAJOR);
    EXPECT_EQ(own->minor, VT_VERSION_MINOR);
    EXPECT_EQ(own->build, VT_VERSION_BUILD);

    const std::string program = ProgramFilePath();  // carries the same product version
    EXPECT_TRUE(ProductVersionsMatch(program, BinPath("VTHook.dll")));
    EXPECT_TRUE(ProductVersionsMatch(program, BinPath("VTHook_revision.dll")));
    EXPECT_FALSE(ProductVersionsMatch(program, BinPath("VTHook_major.dll")));
    EXPECT_FALSE(ProductVersionsMatch(program, BinPath("VTHook_minor.dll")));
    EXPECT_FALSE(ProductVersionsMatch(program, BinPath("VTHook_build.dll")));
    // A file without a version resource, or no file at all, never matches.
    EXPECT_FALSE(ReadProductVersion(BinPath("VTHook_noversion.dll")).has_value());
    EXPECT_FALSE(ProductVersionsMatch(program, BinPath("VTHook_noversion.dll")));
    EXPECT_FALSE(
        ProductVersionsMatch(BinPath("VTHook_noversion.dll"), BinPath("VTHook_noversion.dll")));
    EXPECT_FALSE(ProductVersionsMatch(program, BinPath("missing.dll")));
    EXPECT_EQ(HookLibraryPath(), BinPath("VTHook.dll"));
}

// What the hookhost fixture saw when it bound the library next to it.
struct HostReport {
    int result = -1;
    bool loaded = false;
    std::vector<std::string> messages;
    bool unloaded = false;
};

// Copies hookhost.exe and, unless library is empty, that build product as
// "VTHook.dll" into a fresh folder and runs the fixture there.
HostReport RunHost(const std::string& library) {
    HostReport report;
    ScratchDir dir("hookhost");
    const std::string exe = dir.Path() + "\\hookhost.exe";
    EXPECT_TRUE(CopyFileA(BinPath("hookhost.exe").c_str(), exe.c_str(), FALSE));
    if (!library.empty()) {
        EXPECT_TRUE(
            CopyFileA(BinPath(library).c_str(), (dir.Path() + "\\VTHook.dll").c_str(), FALSE));
    }
    const std::string out = dir.Path() + "\\report.txt";
    ChildProcess host;
    EXPECT_TRUE(host.Start(exe, "\"" + out + "\""));
    EXPECT_TRUE(host.WaitForExit());
    EXPECT_EQ(host.ExitCode(), 0u);
    std::istringstream in(ReadTextFile(out));
    for (std::string line; std::getline(in, line);) {
        const auto eq = line.find('=');
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "result") report.result = std::stoi(value);
        if (key == "loaded") report.loaded = value == "1";
        if (key == "message") report.messages.push_back(value);
        if (key == "unloaded") report.unloaded = value == "1";
    }
    return report;
}

constexpr int kInstalled = static_cast<int>(CHookLibrary::LoadResult::Installed);

TEST(HookBinding, MatchingLibraryIsLoadedAndReleasedWhateverItsFourthComponent) {
    for (const char* library : {"VTHook.dll", "VTHook_revision.dll"}) {
        SCOPED_TRACE(library);
        const HostReport r = RunHost(library);
        EXPECT_EQ(r.result, kInstalled);
        EXPECT_TRUE(r.loaded);
        EXPECT_TRUE(r.messages.empty());
        EXPECT_TRUE(r.unloaded);
    }
}

TEST(HookBinding, DifferentOrUnreadableVersionIsReportedOnceAndNothingIsLoaded) {
    for (const char* library :
         {"VTHook_major.dll", "VTHook_minor.dll", "VTHook_build.dll", "VTHook_noversion.dll"}) {
        SCOPED_TRACE(library);
        const HostReport r = RunHost(library);
        EXPECT_EQ(r.result, static_cast<int>(CHookLibrary::LoadResult::VersionMismatch));
        EXPECT_FALSE(r.loaded);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0], kMismatchText);
        EXPECT_TRUE(r.unloaded);
    }
}

TEST(HookBinding, MissingLibraryOrExportIsSilentAndFailedInstallIsReported) {
    const HostReport none = RunHost("");
    EXPECT_EQ(none.result, static_cast<int>(CHookLibrary::LoadResult::NotFound));
    EXPECT_FALSE(none.loaded);
    EXPECT_TRUE(none.messages.empty());

    const HostReport noExport = RunHost("VTHook_noexport.dll");
    EXPECT_EQ(noExport.result, static_cast<int>(CHookLibrary::LoadResult::NoExport));
    EXPECT_TRUE(noExport.loaded);
    EXPECT_TRUE(noExport.messages.empty());
    EXPECT_TRUE(noExport.unloaded);

    const HostReport failing = RunHost("VTHook_failing.dll");
    EXPECT_EQ(failing.result, static_cast<int>(CHookLibrary::LoadResult::InstallFailed));
    ASSERT_EQ(failing.messages.size(), 1u);
    EXPECT_EQ(failing.messages[0], kInstallFailedText);
    EXPECT_TRUE(failing.unloaded);
}

TEST(HookBinding, LoadHooksTheMainWindowAndUnloadUninstallsAndReleasesTheLibrary) {
    HookProbe probe;
    ASSERT_TRUE(probe.Start());
    HookReceiver mainWindow;
    std::vector<std::string> messages;
    CHookLibrary library;
    ASSERT_EQ(
        library.Load(mainWindow.Handle(), [&](const std::string& t) { messages.push_back(t); }),
        CHookLibrary::LoadResult::Installed);
    EXPECT_TRUE(messages.empty());
    ASSERT_TRUE(library.IsLoaded());
    EXPECT_EQ(GetModuleHandleA("VTHook.dll"), library.Module());

    ASSERT_TRUE(probe.Deliver(WM_NCRBUTTONDOWN, HTCLOSE, 0));
    EXPECT_EQ(mainWindow.Count(HookRightButtonMessage()), 1u);

    library.Unload();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(GetModuleHandleA("VTHook.dll"), nullptr);
    // The probe still maps the library; without UninstallHook it would go on posting.
    ASSERT_TRUE(probe.Deliver(WM_NCRBUTTONDOWN, HTCLOSE, 0));
    ASSERT_TRUE(probe.Deliver(WM_MOUSEWHEEL, 0, 0));
    EXPECT_EQ(mainWindow.Notices().size(), 1u);
    library.Unload();  // a second teardown does nothing
}

// The teardown releases the library until the system has really unloaded it,
// and never more: a stale handle may by then belong to another module.
TEST(HookBinding, ReleaseStopsWhenTheModuleIsGoneOrIsNoLongerTheNamedOne) {
    const std::string path = BinPath("VTHook_revision.dll");
    const char* name = "VTHook_revision.dll";

    HMODULE h = nullptr;
    for (int i = 0; i < 3; ++i) h = LoadLibraryA(path.c_str());
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(ReleaseLibraryFully(h, name, 10), 3);
    EXPECT_EQ(GetModuleHandleA(name), nullptr);

    // At most maxCalls releases.
    for (int i = 0; i < 12; ++i) h = LoadLibraryA(path.c_str());
    EXPECT_EQ(ReleaseLibraryFully(h, name, 10), 10);
    EXPECT_EQ(GetModuleHandleA(name), h);
    FreeLibrary(h);
    FreeLibrary(h);
    ASSERT_EQ(GetModuleHandleA(name), nullptr);

    // The handle now belongs to a module of another name (as after the hook
    // library was unloaded and something else was mapped at its address): only
    // the caller's own reference is released, the module stays.
    h = LoadLibraryA(path.c_str());
    ASSERT_EQ(LoadLibraryA(path.c_str()), h);
    EXPECT_EQ(ReleaseLibraryFully(h, "VTHook.dll", 10), 1);
    EXPECT_EQ(GetModuleHandleA(name), h);
    FreeLibrary(h);
    EXPECT_EQ(GetModuleHandleA(name), nullptr);
}

}  // namespace
