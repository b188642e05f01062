#include "app/mainframe.h"

#include "dialogs/iconsources.h"

namespace vt {

CMainFrame::CMainFrame(CRegProfile profile) : store_(std::move(profile)) {
    store_.deferSystemIcons = true;
    LoadSettings();
    Table().OnMessage(WM_FINISH_STARTUP, [this](WPARAM, LPARAM) -> LRESULT {
        FinishStartup();
        return 0;
    });
}

void CMainFrame::FinishStartup() {
    EnsureIconReferenceValues();
    store_.ResolveSystemIcons();
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
    return CreateEx(0, "STATIC", "Vantrel", 0, 0, 0, 0, 0, nullptr, nullptr);
}

}  // namespace vt
