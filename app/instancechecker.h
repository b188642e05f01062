// One instance per user: a named start-up mutex serialises starts, and a
// named 4-byte mapping holds the running instance's main window handle.
#pragma once
#include <windows.h>

#include <string>

#include "framework/handles.h"
#include "framework/wnd.h"

namespace vt {

class CInstanceChecker : public CObject {
public:
    // checkerName names the start-up mutex; appName completes the mapping name.
    CInstanceChecker(const std::string& checkerName, const std::string& appName);
    ~CInstanceChecker() override;
    CInstanceChecker(const CInstanceChecker&) = delete;
    CInstanceChecker& operator=(const CInstanceChecker&) = delete;

    // "CInstanceChecker_MMF_" + application name.
    virtual std::string GetMappingName() const;
    // The window published for later starts: the application's main window.
    virtual HWND GetTrackedWindow() const;

    // Waits (without limit) for the start-up mutex and holds it.
    void LockStartup();
    void ReleaseStartupLock();
    bool HoldsStartupLock() const { return locked_; }

    bool IsPreviousInstanceRunning() const;
    // Brings the running instance's last active popup to the front; returns
    // the recorded main window (null if none or no instance).
    HWND ActivatePreviousInstance();
    // Posts WM_COMMAND (id, 0) to the recorded window, if any.
    void PostCommandToPrevious(UINT commandId);
    // Creates the mapping with GetTrackedWindow() in it and releases the
    // start-up lock. False if another instance runs or the mapping fails.
    bool PublishMainWindow();

    // The 32-bit form in which a window handle travels in the mapping
    // (window handles fit in 32 bits on 64-bit Windows too).
    static DWORD PackWindow(HWND w);
    static HWND UnpackWindow(DWORD v);

private:
    // Reads the recorded handle under the process-local mutex; false if the
    // mapping does not exist or cannot be mapped.
    bool ReadRecordedWindow(HWND& window);

    std::string appName_;
    UniqueKernelHandle localMutex_;    // brackets record accesses inside this process
    UniqueKernelHandle startupMutex_;  // named with the checker name, created not owned
    bool locked_ = false;              // the start-up mutex is held
    // The published record. Kept open for the life of the process: its
    // existence tells later starts that this instance runs.
    UniqueKernelHandle mapping_;
};

}  // namespace vt
