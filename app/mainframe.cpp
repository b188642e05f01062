#include "app/mainframe.h"

namespace vt {

CMainFrame::CMainFrame(CRegProfile profile) : store_(std::move(profile)) {
    LoadSettings();
}

CMainFrame::~CMainFrame() = default;

bool CMainFrame::Create() {
    return CreateEx(0, "STATIC", "Vantrel", 0, 0, 0, 0, 0, nullptr, nullptr);
}

}  // namespace vt
