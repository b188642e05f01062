// How the menu toolkit reports system errors: through a reporter that the
// application sets (it shows the text in an "Error" box); the toolkit shows
// nothing itself. HookInstallError is the one failure menus cannot work past.
#pragma once
#include <windows.h>

#include <stdexcept>
#include <string>

namespace vt::menu {

// The system's message text for an error code (neutral language), or
// "Error message 0x%lx not found".
std::string SystemErrorText(DWORD code);
// Reports GetLastError()'s text through the reporter unless the code is 0;
// the operation then continues. Without a reporter the text only goes to the
// debugger trace.
void ShowLastError();
using ErrorReporter = void (*)(const std::string& text);
ErrorReporter SetErrorReporter(ErrorReporter reporter);

// Thrown when the popup-menu hook cannot be installed; menus cannot work
// without it.
class HookInstallError : public std::runtime_error {
public:
    explicit HookInstallError(DWORD code);
    DWORD Code() const { return code_; }

private:
    DWORD code_;
};

}  // namespace vt::menu
