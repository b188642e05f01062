// A dialog whose controls are managed: a control created later in the
// dialog is managed too (through WM_PARENTNOTIFY).
#pragma once
#include <windows.h>

#include "uikit/dialoglook/coolcontrolsmanager.h"
#include "uikit/dialoglook/dialogwatcher.h"

namespace vt {

class CCoolControlsManager::CCMDialog : public CDialogWatcher::CFollowed {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
};

}  // namespace vt
