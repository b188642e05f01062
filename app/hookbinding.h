// The program's side of the hook library VTHook.dll: the two registered
// messages it posts, the product-version check, loading it and installing the
// hook for the main window, and the teardown.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/module.h"

namespace vt {

// Ids of the hook library's two registered messages. Both are registered when
// the program is loaded, before start-up runs, so a message table may use them.
UINT HookRightButtonMessage();  // a thread retrieved WM_NCRBUTTONDOWN
UINT HookWheelMessage();        // a thread retrieved WM_MOUSEWHEEL

// The texts shown when the mouse gestures cannot be offered.
extern const char kHookVersionMismatchText[];
extern const char kHookInstallFailedText[];

// True when both files carry a version resource and their product versions
// agree in major, minor and build.
bool ProductVersionsMatch(const std::string& programPath, const std::string& libraryPath);

// "VTHook.dll" in the running program's folder.
std::string HookLibraryPath();

// Releases a loaded library: the caller's own reference, then again while the
// system still has the module loaded under baseName at the same handle, at most
// maxCalls releases in all. A handle whose module is gone is never released
// again (the address may belong to another module by then). Returns the
// number of FreeLibrary calls made.
int ReleaseLibraryFully(HMODULE module, const char* baseName, int maxCalls);

// Receives the text of a failure the user must know about.
using HookMessageReporter = std::function<void(const std::string& text)>;

// Owns the loaded hook library for the main window.
class CHookLibrary {
public:
    enum class LoadResult {
        Installed,        // library loaded, InstallHook returned 1
        NotFound,         // no library next to the program or it would not load: silent
        VersionMismatch,  // product versions differ or are unreadable: reported
        NoExport,         // loaded, but without InstallHook: silent
        InstallFailed,    // InstallHook returned 0: reported
    };

    CHookLibrary() = default;
    ~CHookLibrary() { Unload(); }
    CHookLibrary(const CHookLibrary&) = delete;
    CHookLibrary& operator=(const CHookLibrary&) = delete;

    // Compares the product versions of the program and of VTHook.dll in its
    // folder, loads the library by its bare name and installs the hook for
    // mainWindow. A failure the user must know about goes to report, or to a
    // plain OK message box owned by mainWindow when report is empty.
    LoadResult Load(HWND mainWindow, const HookMessageReporter& report = {});

    // Calls UninstallHook if the library has it, then releases the library.
    // Does nothing when nothing is loaded.
    void Unload();

    bool IsLoaded() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }

private:
    HMODULE module_ = nullptr;  // owned: the LoadLibrary reference, released by Unload
};

}  // namespace vt
