// Vantrel.exe entry point.
#include <windows.h>

#include "app/vantrelapp.h"

namespace {
vt::CVantrelApp theApp;
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show) {
    return vt::RunApplication(inst, show);
}
