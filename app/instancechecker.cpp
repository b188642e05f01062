#include "app/instancechecker.h"

#include "framework/app.h"

namespace vt {

namespace {
// Holds the process-local mutex for one record access.
class LocalLock {
public:
    explicit LocalLock(HANDLE m) : m_(m) {
        if (m_) WaitForSingleObject(m_, INFINITE);
    }
    ~LocalLock() {
        if (m_) ReleaseMutex(m_);
    }
    LocalLock(const LocalLock&) = delete;
    LocalLock& operator=(const LocalLock&) = delete;

private:
    HANDLE m_;
};
}  // namespace

CInstanceChecker::CInstanceChecker(const std::string& checkerName, const std::string& appName)
    : appName_(appName),
      localMutex_(CreateMutexA(nullptr, FALSE, nullptr)),
      startupMutex_(CreateMutexA(nullptr, FALSE, checkerName.c_str())) {}

CInstanceChecker::~CInstanceChecker() { ReleaseStartupLock(); }

std::string CInstanceChecker::GetMappingName() const { return "CInstanceChecker_MMF_" + appName_; }

HWND CInstanceChecker::GetTrackedWindow() const {
    CWinApp* app = GetApp();
    return app ? app->MainWindowHandle() : nullptr;
}

void CInstanceChecker::LockStartup() {
    if (locked_ || !startupMutex_) return;
    // An abandoned mutex (a start that crashed) is owned all the same.
    DWORD r = WaitForSingleObject(startupMutex_.Get(), INFINITE);
    locked_ = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void CInstanceChecker::ReleaseStartupLock() {
    if (!locked_) return;
    ReleaseMutex(startupMutex_.Get());
    locked_ = false;
}

bool CInstanceChecker::IsPreviousInstanceRunning() const {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, GetMappingName().c_str()));
    return static_cast<bool>(m);
}

DWORD CInstanceChecker::PackWindow(HWND w) {
    return static_cast<DWORD>(reinterpret_cast<UINT_PTR>(w));
}

HWND CInstanceChecker::UnpackWindow(DWORD v) {
    // Handles are sign-extended when they widen to 64 bits.
    return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<LONG>(v)));
}

bool CInstanceChecker::ReadRecordedWindow(HWND& window) {
    window = nullptr;
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, GetMappingName().c_str()));
    if (!m) return false;
    UniqueMapView view(MapViewOfFile(m.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    if (!view) return false;
    LocalLock lock(localMutex_.Get());
    window = UnpackWindow(*static_cast<const volatile DWORD*>(view.Get()));
    return true;
}

HWND CInstanceChecker::ActivatePreviousInstance() {
    HWND w = nullptr;
    if (!ReadRecordedWindow(w)) {
        if (IsPreviousInstanceRunning()) ReleaseStartupLock();  // could not be mapped
        return nullptr;
    }
    if (w) {
        CWnd main(w);
        CWnd popup = main.GetLastActivePopup();
        if (main.IsIconic()) main.ShowWindow(SW_RESTORE);
        popup.SetForegroundWindow();
    }
    return w;
}

void CInstanceChecker::PostCommandToPrevious(UINT commandId) {
    HWND w = nullptr;
    if (ReadRecordedWindow(w) && w) PostMessageA(w, WM_COMMAND, commandId, 0);
}

bool CInstanceChecker::PublishMainWindow() {
    if (IsPreviousInstanceRunning()) return false;
    UniqueKernelHandle m(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            sizeof(DWORD), GetMappingName().c_str()));
    if (!m) return false;
    {
        UniqueMapView view(MapViewOfFile(m.Get(), FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
        if (view) {
            LocalLock lock(localMutex_.Get());
            *static_cast<volatile DWORD*>(view.Get()) = PackWindow(GetTrackedWindow());
        }
    }
    mapping_ = std::move(m);
    ReleaseStartupLock();
    return true;
}

}  // namespace vt
