// The application object: single instance, command line, start-up and exit.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "app/instancechecker.h"
#include "app/mainframe.h"
#include "framework/app.h"
#include "framework/cominit.h"

namespace vt {

// Base of the application class: COM is started by InitInstance and ended by
// ExitInstance, through one object that owns it.
class CqvApp : public CWinApp {
public:
    using CWinApp::CWinApp;
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    std::optional<CComInit> com_;
};

class CVantrelApp : public CqvApp {
public:
    CVantrelApp();
    BOOL InitInstance() override;

    CMainFrame* MainFrame() const { return frame_.get(); }
    HICON AppIcon() const { return appIcon_; }
    const std::string& Command() const { return command_; }

private:
    std::string command_;
    std::unique_ptr<CInstanceChecker> checker_;  // lives as long as the process
    std::unique_ptr<CMainFrame> frame_;
    HICON appIcon_ = nullptr;  // shared resource icon: never destroyed
};

// The folder of the running program file, without a trailing backslash.
std::string ProgramFolder();

}  // namespace vt
