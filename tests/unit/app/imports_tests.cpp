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
