// VTMsiHelper.exe <action> "<program file>": run by the installer packages.
//   end         ends a running Vantrel started from the program file
//   unregister  removes the Run value and the Explorer verb naming it
// Exit code 0 when done, 1 when the instance could not be reached, 2 on a bad
// command line. A program without a window: nothing is ever shown.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "packaging/msihelper.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    std::string action = __argv[1], program = __argv[2];
    if (action == "end") return vt::EndRunningInstance(program, 10000) == vt::EndResult::Failed ? 1 : 0;
    if (action == "unregister") {
        vt::RemoveShellIntegration(HKEY_CURRENT_USER, program);
        return 0;
    }
    return 2;
}
