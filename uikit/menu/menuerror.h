// How the menu toolkit reports system errors: through a reporter that the
// application sets (it shows the text in an "Error" box); the toolkit shows
// nothing itself. HookInstallError is the one failure menus cannot work past.
#pragma once
#include <windows.h>

#include <exception>
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
// without it. Its own text rather than the standard error classes' (which
// bring a second string implementation of their own into the program).
class HookInstallError : public std::exception {
public:
    explicit HookInstallError(DWORD code);
    const char* what() const noexcept override { return text_.c_str(); }
    DWORD Code() const { return code_; }

private:
    std::string text_;
    DWORD code_;
};

}  // namespace vt::menu
