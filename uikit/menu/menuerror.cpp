#include "uikit/menu/menuerror.h"

#include <utility>

#include "framework/text.h"
#include "framework/trace.h"

namespace vt::menu {

namespace {
ErrorReporter s_reporter = nullptr;
}  // namespace

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&text), 0,
        nullptr);
    if (n == 0 || !text) return "Error message 0x" + HexDigits(code) + " not found";
    std::string s(text, n);
    LocalFree(text);
    return s;
}

void ShowLastError() {
    DWORD code = GetLastError();
    if (code == 0) return;
    std::string text = SystemErrorText(code);
    if (s_reporter)
        s_reporter(text);
    else
        Trace("menu: " + text);
}

ErrorReporter SetErrorReporter(ErrorReporter reporter) {
    return std::exchange(s_reporter, reporter);
}

HookInstallError::HookInstallError(DWORD code)
    : text_("the popup-menu hook could not be installed: " + SystemErrorText(code)), code_(code) {}

}  // namespace vt::menu
