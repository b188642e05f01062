// Vantrel.exe entry point.
#include <windows.h>

#include "app/vantrelapp.h"
#include "framework/systemlibrary.h"

namespace {
vt::CVantrelApp theApp;
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
    // Before anything is loaded by name: a library planted beside a portable
    // copy must not stand in for a system one.
    vt::RestrictLibrarySearchToSystem();
    return vt::RunApplication(inst, show);
}
