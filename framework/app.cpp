#include "framework/app.h"

#include <stdlib.h>

#include "framework/text.h"
#include "framework/trace.h"

namespace vt {

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* GetApp() { return g_app; }

void CCommandLineInfo::ParseParam(const char* param, bool, bool) {
    if (fileName_.empty()) fileName_ = param;
}

CWinApp::CWinApp(const char* appName) {
    if (appName) appName_ = appName;
    g_app = this;
    table_.OnCommand(ID_APP_EXIT, [this](UINT) { OnAppExit(); });
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::InitFromModule(HINSTANCE inst) {
    instance_ = inst;
    char path[kPathBufferBytes] = {};
    GetModuleFileNameA(inst, path, sizeof path);
    std::string exe(path);
    auto slash = exe.find_last_of("\\/");
    if (slash != std::string::npos) exe.erase(0, slash + 1);
    auto dot = exe.find_last_of('.');
    if (dot != std::string::npos) exe.erase(dot);
    exeName_ = exe;
    if (appName_.empty()) {
        char title[256] = {};
        if (LoadStringA(inst, AFX_IDS_APP_TITLE, title, sizeof title) > 0)
            appName_ = title;
        else
            appName_ = exe;
    }
}

void CWinApp::SetRegistryKey(const char* key) { registryKey_ = key ? key : ""; }

void CWinApp::ParseArguments(CCommandLineInfo& info, int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const char* p = argv[i] ? argv[i] : "";
        bool isSwitch = p[0] == '/' || p[0] == '-';
        if (isSwitch) ++p;
        info.ParseParam(p, isSwitch, i == argc - 1);
    }
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const {
    ParseArguments(info, __argc, __argv);
}

BOOL CWinApp::GetNextMessage(MSG& msg) { return GetMessageA(&msg, nullptr, 0, 0); }

int CWinApp::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = GetNextMessage(msg);
        if (got == 0) {
            exitCode_ = static_cast<int>(msg.wParam);
            break;
        }
        if (got == -1) {
            // The queue cannot be read: end with a failure code rather than
            // spin on the error or act on a message that was never filled in.
            Trace("GetMessage failed with error " + std::to_string(GetLastError()));
            exitCode_ = -1;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return ExitInstance();
}

void CWinApp::OnWindowDestroyed(const CWnd* window) {
    if (!window || window != mainWnd_) return;
    mainWnd_ = nullptr;
    PostQuitMessage(0);
}

void CWinApp::OnAppExit() {
    if (mainWnd_ && mainWnd_->hwnd_)
        mainWnd_->SendMessage(WM_CLOSE);
    else
        PostQuitMessage(0);
}

int RunApplication(HINSTANCE inst, int) {
    CWinApp* app = GetApp();
    if (!app) return 1;
    app->InitFromModule(inst);
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

}  // namespace vt
