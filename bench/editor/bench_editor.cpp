// editor_open_ms: the folder editor for a folder whose icon file holds 300
// icons, from the start of the command to the moment the dialog has painted
// everything and waits for the user (its first idle). editor_open_ratio: the
// same against the same template opened bare (no initialisation, no
// headings, an empty picker) in the same run, interleaved.
#include <windows.h>

#include <cstdio>
#include <string>

#include "dialogs/foldereditdlg.h"
#include "shell/iconsources.h"
#include "framework/dialog.h"
#include "resources/resource.h"
#include "support/benchsupport.h"

using namespace vt;

namespace {}  // namespace

int main() {
    bench::DialogIdleTimer timer;
    HWND owner = timer.Owner();
    const std::string iconFile = bench::BinPath("bench_icons300.dll");
    std::string folder = iconFile.substr(0, iconFile.find_last_of('\\'));
    const UINT count = ExtractIconExA(iconFile.c_str(), -1, nullptr, nullptr, 0);
    if (!owner || count != 300) {
        fprintf(stderr, "benchmark setup failed (owner %p, %u icons)\n", static_cast<void*>(owner),
                count);
        return 1;
    }
    ComputeIconReferenceValues(folder);

    auto editor = [&] {
        return timer.TimeToFirstIdle([&] {
            CFolderEditDlg dlg(owner);
            dlg.path_ = folder;
            dlg.title_ = "Benchmark";
            dlg.iconFile_ = iconFile;
            dlg.iconIndex_ = 150;
            dlg.DoModal();
        });
    };
    auto bare = [&] {
        return timer.TimeToFirstIdle([&] {
            CDialog dlg(IDD_ADDEDIT, owner);
            dlg.DoModal();
        });
    };
    // One of each first: fonts, classes and the library's pages get loaded.
    editor();
    bare();
    const bench::Paired p = bench::Interleave(15, editor, bare);
    bench::Comment("editor: an icon file of %u icons, item 151 chosen; to the dialog's first idle",
                   count);
    bench::PrintRatio("editor_open_ms", "editor_open_bare_ms", "editor_open_ratio", p);
    return 0;
}
