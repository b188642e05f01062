// Vantrel.exe entry point.
#include <windows.h>

#include <cstdlib>

#include "app/vantrelapp.h"
#include "framework/systemlibrary.h"

// The runtime's own handler for an exception that nothing catches prints the
// exception's demangled type on the standard error, which a windowed program
// does not have; it brought the whole demangler with it (about 45 KB of the
// program). Ending the process is all it would achieve here.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {
vt::CVantrelApp theApp;
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
    // Before anything is loaded by name: a library planted beside a portable
    // copy must not stand in for a system one.
    vt::RestrictLibrarySearchToSystem();
    vt::LoadDelayedImportsFromSystem();
    return vt::RunApplication(inst, show);
}
