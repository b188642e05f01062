// Locks for the few structures that more than one thread may touch.
#pragma once
#include <windows.h>

namespace vt {

// A process-local lock around a CRITICAL_SECTION. Cannot be copied.
class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&cs_); }
    ~CCriticalSection() { DeleteCriticalSection(&cs_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() { EnterCriticalSection(&cs_); }
    void Unlock() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION cs_;
};

// Holds a CCriticalSection for the lifetime of the guard.
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection& cs) : cs_(cs) { cs_.Lock(); }
    ~CSingleLock() { cs_.Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

private:
    CCriticalSection& cs_;
};

}  // namespace vt
