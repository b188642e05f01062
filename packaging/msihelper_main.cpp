// VTMsiHelper.exe <action> "<program file>": run by the installer packages.
//   end         ends a running Vantrel started from the program file, and
//               waits until no program holds its hook library any more
//   unregister  removes the Run value and the Explorer verb naming it
//   leftovers   schedules program files still held after the removal, and
//               the folder, for deletion at the next start
//   remember    notes them before an upgrade removes the older product
//   restore     puts back what that removal took (see msihelper.h)
//   autostart   turns "Load with Windows" on after a first install
//   start       starts the installed program for the installing user
// Exit code 0 when done, 1 when the instance could not be reached, 2 on a bad
// command line. A program without a window: nothing is ever shown.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "packaging/msihelper.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    std::string action = __argv[1], program = __argv[2];
    if (action == "end") {
        bool ended = vt::EndRunningInstance(program, 10000) != vt::EndResult::Failed;
        // Its files can go only once no program holds the hook library.
        std::string hook = program.substr(0, program.find_last_of('\\') + 1) + "VTHook.dll";
        bool released = vt::WaitForHookLibraryRelease(hook, 5000);
        return ended && released ? 0 : 1;
    }
    if (action == "unregister") {
        vt::RemoveShellIntegration(HKEY_CURRENT_USER, program);
        return 0;
    }
    if (action == "leftovers") {
        vt::RemoveLeftoversAtRestart(program);
        return 0;
    }
    if (action == "remember") {
        vt::RememberShellIntegration(HKEY_CURRENT_USER, program);
        return 0;
    }
    if (action == "restore") {
        vt::RestoreShellIntegration(HKEY_CURRENT_USER);
        return 0;
    }
    if (action == "autostart") {
        vt::EnableLoadWithWindows(HKEY_CURRENT_USER, program);
        return 0;
    }
    if (action == "start") return vt::StartInstalledProgram(program) ? 0 : 1;
    return 2;
}
