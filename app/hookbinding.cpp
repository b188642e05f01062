#include "app/hookbinding.h"

#include "framework/systemlibrary.h"
#include "hooklib/vthook.h"

namespace vt {

namespace {

// The library may have been mapped again by the system for its hook; the
// teardown releases it at most this many times.
constexpr int kMaxLibraryReleases = 10;

// Registered on first use, which the initialiser below makes happen while the
// program is being loaded.
UINT RegisteredRightButtonMessage() {
    static const UINT id = RegisterWindowMessageA(vthook::kRightButtonMessageName);
    return id;
}
UINT RegisteredWheelMessage() {
    static const UINT id = RegisterWindowMessageA(vthook::kWheelMessageName);
    return id;
}
const bool g_hookMessagesRegistered =
    RegisteredRightButtonMessage() != 0 && RegisteredWheelMessage() != 0;

void ShowHookMessage(HWND owner, const std::string& text) {
    MessageBoxA(owner, text.c_str(), "Vantrel", MB_OK);
}

}  // namespace

const char kHookVersionMismatchText[] =
    "Some file versions do not match. Please try reinstalling the application. "
    "Meanwhile, activating Vantrel by right-clicking the ? button in file dialogs "
    "is NOT available.";
const char kHookInstallFailedText[] =
    "Vantrel failed to initialize the mouse hook: activating Vantrel by "
    "right-clicking the ? button in file dialogs is NOT available.";

UINT HookRightButtonMessage() { return RegisteredRightButtonMessage(); }
UINT HookWheelMessage() { return RegisteredWheelMessage(); }

bool ProductVersionsMatch(const std::string& programPath, const std::string& libraryPath) {
    const auto program = ReadProductVersion(programPath);
    const auto library = ReadProductVersion(libraryPath);
    return program && library && *program == *library;
}

std::string HookLibraryPath() {
    std::string path = ProgramFilePath();
    const auto slash = path.find_last_of("\\/");
    path.erase(slash == std::string::npos ? 0 : slash + 1);
    return path + vthook::kLibraryName;
}

int ReleaseLibraryFully(HMODULE module, const char* baseName, int maxCalls) {
    if (!module || maxCalls <= 0) return 0;
    FreeLibrary(module);  // our own reference: always valid
    int calls = 1;
    while (calls < maxCalls && GetModuleHandleA(baseName) == module) {
        FreeLibrary(module);
        ++calls;
    }
    return calls;
}

CHookLibrary::LoadResult CHookLibrary::Load(HWND mainWindow, const HookMessageReporter& report) {
    Unload();
    auto tell = [&](const char* text) {
        if (report)
            report(text);
        else
            ShowHookMessage(mainWindow, text);
    };

    // Without a library next to the program the gestures are simply unavailable.
    const std::string libraryPath = HookLibraryPath();
    if (GetFileAttributesA(libraryPath.c_str()) == INVALID_FILE_ATTRIBUTES)
        return LoadResult::NotFound;
    if (!ProductVersionsMatch(ProgramFilePath(), libraryPath)) {
        tell(kHookVersionMismatchText);
        return LoadResult::VersionMismatch;
    }

    // By the full path just compared: a bare name would be looked for
    // elsewhere too once the search is kept to the system folder.
    module_ = LoadLibraryAtPath(libraryPath);
    if (!module_) return LoadResult::NotFound;
    FARPROC proc = GetProcAddress(module_, vthook::kInstallHookExport);
    if (!proc) return LoadResult::NoExport;
    auto install = reinterpret_cast<vthook::InstallHookFn>(reinterpret_cast<void*>(proc));
    if (install(mainWindow) == 0) {
        tell(kHookInstallFailedText);
        return LoadResult::InstallFailed;
    }
    return LoadResult::Installed;
}

void CHookLibrary::Unload() {
    if (!module_) return;
    if (FARPROC proc = GetProcAddress(module_, vthook::kUninstallHookExport))
        reinterpret_cast<vthook::UninstallHookFn>(reinterpret_cast<void*>(proc))();
    ReleaseLibraryFully(module_, vthook::kLibraryName, kMaxLibraryReleases);
    module_ = nullptr;
}

}  // namespace vt
