#include "framework/systemlibrary.h"

#include <delayimp.h>

#include <cstring>
#include <vector>

namespace vt {

namespace {

// The flags of the library-search update (KB2533623), spelled here because
// older headers lack them.
constexpr DWORD kSearchSystem32 = 0x00000800;     // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr DWORD kSearchDllLoadDir = 0x00000100;   // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kAlteredSearchPath = 0x00000008;  // LOAD_WITH_ALTERED_SEARCH_PATH

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// kernel32 is in every process already; it is asked, never loaded.
FARPROC KernelEntry(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? GetProcAddress(kernel, name) : nullptr;
}

// The update adds SetDefaultDllDirectories and the search flags together:
// where the one is missing, LoadLibraryEx refuses the flags.
bool SearchFlagsKnown() {
    static const bool known = KernelEntry("SetDefaultDllDirectories") != nullptr;
    return known;
}

bool HasFolder(const char* name) { return std::strpbrk(name, "\\/:") != nullptr; }

FARPROC WINAPI DelayedImportNotice(unsigned notice, PDelayLoadInfo info) {
    if (notice != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    // Without the search flags LoadSystemLibrary names the file in the system
    // folder, which passes over the side-by-side common controls that the
    // manifest asks for: the load by bare name, as the import table's would
    // be, is left to the toolchain's helper then.
    if (!SearchFlagsKnown()) return nullptr;
    return reinterpret_cast<FARPROC>(LoadSystemLibrary(info->szDll));
}

}  // namespace

bool RestrictLibrarySearchToSystem() {
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(KernelEntry("SetDefaultDllDirectories")));
    return set && set(kSearchSystem32) != FALSE;
}

void LoadDelayedImportsFromSystem() { __pfnDliNotifyHook2 = DelayedImportNotice; }

std::string SystemLibraryPath(const char* name) {
    std::vector<char> dir(MAX_PATH * 3, '\0');
    UINT n = GetSystemDirectoryA(dir.data(), static_cast<UINT>(dir.size()));
    if (n >= dir.size()) {
        dir.assign(n + 1, '\0');
        n = GetSystemDirectoryA(dir.data(), static_cast<UINT>(dir.size()));
    }
    if (n == 0 || n >= dir.size()) return {};
    std::string path(dir.data(), n);
    if (path.back() != '\\') path += '\\';
    return path + name;
}

HMODULE LoadSystemLibrary(const char* name) {
    if (!name || !*name) return nullptr;
    if (HasFolder(name)) return LoadLibraryAtPath(name);
    if (SearchFlagsKnown()) return LoadLibraryExA(name, nullptr, kSearchSystem32);
    const std::string path = SystemLibraryPath(name);
    // With a full path and the altered search, the library's own imports are
    // looked for beside it (in the system folder) before the program's.
    return path.empty() ? nullptr : LoadLibraryExA(path.c_str(), nullptr, kAlteredSearchPath);
}

HMODULE LoadLibraryAtPath(const std::string& fullPath) {
    // Only a full path names one file: "x\y.dll" would be looked for below the
    // current folder.
    const bool full = fullPath.size() > 2 &&
                      ((fullPath[1] == ':' && (fullPath[2] == '\\' || fullPath[2] == '/')) ||
                       (fullPath[0] == '\\' && fullPath[1] == '\\'));
    if (!full) return nullptr;
    const DWORD flags =
        SearchFlagsKnown() ? kSearchDllLoadDir | kSearchSystem32 : kAlteredSearchPath;
    return LoadLibraryExA(fullPath.c_str(), nullptr, flags);
}

}  // namespace vt
