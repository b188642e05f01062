#include "navigation/programs.h"

namespace vt::nav {

bool NavigateSupportedProgram(CWnd, const std::string&, HWND) {
    // The program recipes arrive in their own change; until then no program
    // window is driven and the dispatch goes on with the file dialog.
    return false;
}

}  // namespace vt::nav
