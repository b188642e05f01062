// The application object: one global instance derived from CWinApp, reached
// through GetApp(). RunApplication (called from WinMain) runs InitInstance,
// the message loop and ExitInstance.
#pragma once
#include <windows.h>

#include <string>

#include "framework/registry.h"
#include "framework/wnd.h"
#include "resources/resource.h"

namespace vt {

// Command-line record: ParseParam is called once per argument, in order; the
// switch flag is set when the argument began with '/' or '-', and the text then
// comes without that character.
class CCommandLineInfo {
public:
    virtual ~CCommandLineInfo() = default;
    virtual void ParseParam(const char* param, bool isSwitch, bool isLast);
    std::string fileName_;
};

// Framework id of the "Exit" command.
constexpr UINT ID_APP_EXIT = ID_APP_EXIT_CMD;
// String resource id of the application title.
constexpr UINT AFX_IDS_APP_TITLE = AFX_IDS_APP_TITLE_RES;

class CWinApp {
public:
    explicit CWinApp(const char* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return exitCode_; }
    // The message loop; returns ExitInstance's code: the WM_QUIT code, or -1
    // when the queue could not be read.
    virtual int Run();

    // Feeds the arguments (after the program name) to info.ParseParam.
    void ParseCommandLine(CCommandLineInfo& info) const;
    // Feeds the given arguments; the program's own __argv uses this too.
    static void ParseArguments(CCommandLineInfo& info, int argc, const char* const* argv);

    // The profile root becomes HKCU\Software\<key>\<application name>\.
    void SetRegistryKey(const char* key);
    CRegProfile Profile() const { return CRegProfile(registryKey_, appName_); }
    int GetProfileInt(const char* section, const char* entry, int def) const {
        return Profile().GetProfileInt(section, entry, def);
    }
    std::string GetProfileString(const char* section, const char* entry,
                                 const std::string& def = "") const {
        return Profile().GetProfileString(section, entry, def);
    }
    bool WriteProfileInt(const char* section, const char* entry, int value) const {
        return Profile().WriteProfileInt(section, entry, value);
    }
    bool WriteProfileString(const char* section, const char* entry,
                            const std::string& value) const {
        return Profile().WriteProfileString(section, entry, value);
    }

    // Commands that the main window does not handle come here ("Exit").
    CMessageTable& Table() { return table_; }

    // The main window (not owned: its owner is the derived application);
    // null before it exists and after it is destroyed.
    CWnd* MainWnd() const { return mainWnd_; }
    HWND MainWindowHandle() const { return mainWnd_ ? mainWnd_->hwnd_ : nullptr; }
    void SetMainWnd(CWnd* window) { mainWnd_ = window; }
    // Told by a frame window at its WM_NCDESTROY: when it is the main
    // window, it is forgotten and the message loop ends.
    void OnWindowDestroyed(const CWnd* window);

    HINSTANCE instance_ = nullptr;
    std::string appName_;      // from the string resource AFX_IDS_APP_TITLE
    std::string registryKey_;  // empty until SetRegistryKey
    std::string exeName_;      // the program file's name without extension

protected:
    // GetMessage on this thread's queue; tests replace it to make it fail.
    virtual BOOL GetNextMessage(MSG& msg);
    // Closes the main window (its teardown runs), which ends the message loop.
    void OnAppExit();
    int exitCode_ = 0;

private:
    CWnd* mainWnd_ = nullptr;  // not owned

private:
    friend int RunApplication(HINSTANCE, int);
    void InitFromModule(HINSTANCE inst);
    CMessageTable table_;
};

// The one application object, or null.
CWinApp* GetApp();

// Framework side of WinMain: InitInstance, then Run or (on failure) only
// ExitInstance. Returns the process exit code.
int RunApplication(HINSTANCE inst, int showCmd);

}  // namespace vt
