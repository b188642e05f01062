// Cost of the icon lookups that run at load (every "*** SIL ***" entry) and
// when a folder is added: the special-folder walk dominates.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>

#include "shell/iconsources.h"
#include "framework/handles.h"

namespace {

double MicrosecondsPerCall(int calls, const std::function<void()>& f) {
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) f();
    QueryPerformanceCounter(&end);
    return (end.QuadPart - start.QuadPart) * 1e6 / freq.QuadPart / calls;
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    char docs[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, docs, CSIDL_PERSONAL, FALSE);
    const std::string plain = temp;
    const std::string shell32 = vt::GetDefaultIconFile();

    vt::ComputeIconReferenceValues(plain);
    int index = -1;
    std::string file;
    const int n = 50;
    std::printf("system_icon_index_plain_folder: %.0f us\n",
                MicrosecondsPerCall(n, [&] { vt::GetSystemIconIndex(plain, index); }));
    std::printf("system_icon_index_documents: %.0f us\n",
                MicrosecondsPerCall(n, [&] { vt::GetSystemIconIndex(docs, index); }));
    std::printf("find_default_icon_plain_folder: %.0f us\n",
                MicrosecondsPerCall(n, [&] { vt::FindDefaultIcon(plain, file, index); }));
    std::printf("load_small_icon_shell32: %.0f us\n", MicrosecondsPerCall(n, [&] {
                    vt::UniqueIcon icon(vt::LoadSmallIcon(shell32, 3));
                }));
    CoUninitialize();
    return 0;
}
