// What the program file asks the system to load before its first line runs:
// every library named in the import table is loaded and initialised at each
// start. Libraries that only a dialog needs are bound when that dialog opens.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "support/testsupport.h"

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The library names of a program's import table, lower case. The file is
// mapped as an image without loading what it imports.
std::vector<std::string> ImportedLibraries(const std::string& path) {
    std::vector<std::string> names;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image) return names;
    auto* base = reinterpret_cast<const BYTE*>(image);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress && dir.Size) {
        auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
        for (; d->Name; ++d) names.push_back(Lower(reinterpret_cast<const char*>(base + d->Name)));
    }
    FreeLibrary(image);
    return names;
}

bool Has(const std::vector<std::string>& names, const char* name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(StartupImports, TheFileDialogLibraryIsNotLoadedAtStart) {
    const std::vector<std::string> names = ImportedLibraries(vt::test::BinPath("Vantrel.exe"));
    // The table was read: the libraries every start needs are in it.
    ASSERT_TRUE(Has(names, "kernel32.dll")) << names.size() << " names";
    EXPECT_TRUE(Has(names, "user32.dll"));
    EXPECT_TRUE(Has(names, "shell32.dll"));  // the tray icon, at every start
    // Under Wine this one also starts the printing libraries.
    EXPECT_FALSE(Has(names, "comdlg32.dll"));
}

}  // namespace

namespace {

// The functions a program file imports from one library, by name.
std::vector<std::string> ImportedFunctions(const std::string& path, const char* library) {
    std::vector<std::string> names;
    HMODULE image = LoadLibraryExA(path.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!image) return names;
    auto* base = reinterpret_cast<const BYTE*>(image);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress && dir.Size) {
        auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
        for (; d->Name; ++d) {
            if (Lower(reinterpret_cast<const char*>(base + d->Name)) != library) continue;
            auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(
                base + (d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk));
            for (; thunk->u1.AddressOfData; ++thunk) {
                if (IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal)) continue;
                auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData);
                names.push_back(reinterpret_cast<const char*>(byName->Name));
            }
        }
    }
    FreeLibrary(image);
    return names;
}

// On the system's list of known libraries (loaded from the system folder
// whatever lies beside the program), or, for the common controls, taken from
// the side-by-side store that the program's manifest names.
const char* const kProtectedLibraries[] = {"kernel32.dll", "user32.dll",  "gdi32.dll",
                                           "advapi32.dll", "shell32.dll", "shlwapi.dll",
                                           "ole32.dll",    "msvcrt.dll",  "comctl32.dll"};

bool Protected(const std::string& name) {
    for (const char* p : kProtectedLibraries)
        if (name == p) return true;
    return false;
}

TEST(StartupImports, EveryImportOfTheProgramComesFromTheSystemWhateverLiesBesideIt) {
    const std::vector<std::string> names = ImportedLibraries(vt::test::BinPath("Vantrel.exe"));
    ASSERT_TRUE(Has(names, "kernel32.dll")) << names.size() << " names";
    for (const std::string& name : names) EXPECT_TRUE(Protected(name)) << name;
    // The version records are read through a library bound at run time.
    EXPECT_FALSE(Has(names, "version.dll"));
}

TEST(StartupImports, CommonControlsAndComAreBoundAtTheirFirstCall) {
    const std::string program = vt::test::BinPath("Vantrel.exe");
    const std::vector<std::string> names = ImportedLibraries(program);
    ASSERT_TRUE(Has(names, "kernel32.dll")) << names.size() << " names";
    // Loading them and what they bring (COM's runtime, the common controls'
    // window classes) is time a start need not spend before its window is
    // published; a function of theirs that the delay lists (framework/delayload) lack
    // would bring them back here. That the first call binds them is checked
    // with the framework.
    EXPECT_FALSE(Has(names, "comctl32.dll"));
    EXPECT_FALSE(Has(names, "ole32.dll"));
    // The tray icon's library is needed before the window is published.
    EXPECT_TRUE(Has(names, "shell32.dll"));
}

TEST(StartupImports, TheHookLibraryImportsOnlyKnownLibrariesAndLoadsNothing) {
    const std::string hook = vt::test::BinPath("VTHook.dll");
    const std::vector<std::string> names = ImportedLibraries(hook);
    ASSERT_TRUE(Has(names, "user32.dll")) << names.size() << " names";
    for (const std::string& name : names) EXPECT_TRUE(Protected(name)) << name;
    // Mapped into every program: it must not load a library into them.
    const std::vector<std::string> kernel = ImportedFunctions(hook, "kernel32.dll");
    ASSERT_FALSE(kernel.empty());
    for (const std::string& f : kernel)
        EXPECT_EQ(f.rfind("LoadLibrary", 0), std::string::npos) << f;
}

}  // namespace

namespace {

bool Imports(const std::vector<std::string>& functions, const char* name) {
    return std::find(functions.begin(), functions.end(), name) != functions.end();
}

// Windows 7 is the oldest system the program starts on: what Windows 7 has is
// called directly; what came later, or what Windows 7 has only with an
// update, is bound at run time with a fallback, so that the loader never
// refuses the program for a missing entry point.
TEST(StartupImports, WindowsSevenCallsAreImportedAndLaterOnesBoundAtRunTime) {
    const std::string exe = vt::test::BinPath("Vantrel.exe");
    const std::vector<std::string> kernel = ImportedFunctions(exe, "kernel32.dll");
    const std::vector<std::string> user = ImportedFunctions(exe, "user32.dll");
    const std::vector<std::string> shell = ImportedFunctions(exe, "shell32.dll");
    const std::vector<std::string> advapi = ImportedFunctions(exe, "advapi32.dll");
    ASSERT_FALSE(kernel.empty());
    ASSERT_FALSE(user.empty());

    // Windows 7 has these: imported.
    EXPECT_TRUE(Imports(kernel, "SetThreadErrorMode"));
    EXPECT_TRUE(Imports(kernel, "QueryFullProcessImageNameA"));
    EXPECT_TRUE(Imports(shell, "SHGetPathFromIDListEx"));
    EXPECT_TRUE(Imports(advapi, "RegDeleteTreeA"));

    // Windows 10's DPI calls and the library-search call of Windows 7's
    // update: bound at run time.
    for (const char* later : {"GetDpiForSystem", "GetDpiForWindow", "GetSystemMetricsForDpi",
                              "SystemParametersInfoForDpi", "SetThreadDpiAwarenessContext"})
        EXPECT_FALSE(Imports(user, later)) << later;
    for (const char* later : {"SetDefaultDllDirectories", "AddDllDirectory"})
        EXPECT_FALSE(Imports(kernel, later)) << later;
    // The module snapshot, the theme library, the gradient call and the
    // version records are bound at run time too.
    for (const char* bound : {"CreateToolhelp32Snapshot", "Module32First"})
        EXPECT_FALSE(Imports(kernel, bound)) << bound;
    const std::vector<std::string> names = ImportedLibraries(exe);
    for (const char* library : {"uxtheme.dll", "msimg32.dll", "shcore.dll", "version.dll"})
        EXPECT_FALSE(Has(names, library)) << library;
}

}  // namespace
