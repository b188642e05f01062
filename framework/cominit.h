// COM for the calling thread, started by the constructor and ended by the
// destructor when (and only when) the start succeeded.
#pragma once
#include <objbase.h>

namespace vt {

class CComInit {
public:
    CComInit() : hr_(CoInitialize(nullptr)) {}
    ~CComInit() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    CComInit(const CComInit&) = delete;
    CComInit& operator=(const CComInit&) = delete;
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace vt
