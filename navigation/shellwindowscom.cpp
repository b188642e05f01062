#include "navigation/shellwindowscom.h"

#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <cstring>

#include "framework/handles.h"
#include "framework/systemlibrary.h"
#include "framework/text.h"

namespace vt::nav {

namespace {

// One COM reference, released when it goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// The entry's browser object, or none.
bool ItemAt(IShellWindows* windows, int index, ComRef<IDispatch>& item) {
    if (!windows) return false;
    VARIANT v;
    memset(&v, 0, sizeof v);
    v.vt = VT_I4;
    v.lVal = index;
    return SUCCEEDED(windows->Item(v, item.Put())) && item;
}

bool WebBrowserAt(IShellWindows* windows, int index, ComRef<IWebBrowser2>& browser) {
    ComRef<IDispatch> item;
    if (!ItemAt(windows, index, item)) return false;
    return SUCCEEDED(item->QueryInterface(IID_IWebBrowser2, browser.PutVoid())) && browser;
}

// The browser of the entry's own view: on Windows 11 that is one tab's, where
// the web browser object answers for the whole window.
bool ShellBrowserAt(IShellWindows* windows, int index, ComRef<IShellBrowser>& browser) {
    ComRef<IDispatch> item;
    if (!ItemAt(windows, index, item)) return false;
    ComRef<IServiceProvider> services;
    if (FAILED(item->QueryInterface(IID_IServiceProvider, services.PutVoid())) || !services)
        return false;
    if (SUCCEEDED(
            services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid())) &&
        browser)
        return true;
    return SUCCEEDED(
               services->QueryService(IID_IShellBrowser, IID_IShellBrowser, browser.PutVoid())) &&
           browser;
}

// Navigate2 takes an item id list as a byte array, which keeps a "#" in a
// folder name from being read as a URL fragment. The array functions are
// bound here, on the one road that needs them, so that the program does not
// load their library at every start.
bool NavigateToItemIdList(IWebBrowser2* browser, PCIDLIST_ABSOLUTE pidl) {
    using CreateVectorFn = SAFEARRAY*(WINAPI*)(VARTYPE, LONG, ULONG);
    using DestroyFn = HRESULT(WINAPI*)(SAFEARRAY*);
    const UniqueModule oleAut(LoadSystemLibrary("oleaut32.dll"));
    if (!oleAut) return false;
    auto createVector = reinterpret_cast<CreateVectorFn>(
        reinterpret_cast<void*>(GetProcAddress(oleAut.Get(), "SafeArrayCreateVector")));
    auto destroy = reinterpret_cast<DestroyFn>(
        reinterpret_cast<void*>(GetProcAddress(oleAut.Get(), "SafeArrayDestroy")));
    if (!createVector || !destroy) return false;
    const UINT size = ILGetSize(pidl);
    SAFEARRAY* bytes = createVector(VT_UI1, 0, size);
    if (!bytes) return false;
    memcpy(bytes->pvData, pidl, size);  // a vector of bytes is one block
    VARIANT target;
    memset(&target, 0, sizeof target);  // VT_EMPTY
    target.vt = VT_ARRAY | VT_UI1;
    target.parray = bytes;
    VARIANT empty;
    memset(&empty, 0, sizeof empty);
    const HRESULT hr = browser->Navigate2(&target, &empty, &empty, &empty, &empty);
    destroy(bytes);
    return SUCCEEDED(hr);
}

}  // namespace

UniqueItemIdList ItemIdListFromPath(const std::string& path) {
    if (path.empty()) return nullptr;
    const std::wstring wide = ToWide(path);
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &pidl, 0, nullptr))) return nullptr;
    return UniqueItemIdList(pidl);
}

CShellWindowsCom::~CShellWindowsCom() {
    if (windows_) windows_->Release();
}

bool CShellWindowsCom::Open() {
    if (windows_) return true;
    openResult_ = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                                   reinterpret_cast<void**>(&windows_));
    if (FAILED(openResult_)) windows_ = nullptr;
    return windows_ != nullptr;
}

int CShellWindowsCom::Count() {
    LONG n = 0;
    if (!windows_) return 0;
    if (FAILED(windows_->get_Count(&n))) return -1;
    return n < 0 ? 0 : static_cast<int>(n);
}

HWND CShellWindowsCom::TopWindow(int index) {
    ComRef<IWebBrowser2> browser;
    if (!WebBrowserAt(windows_, index, browser)) return nullptr;
    SHANDLE_PTR h = 0;
    if (FAILED(browser->get_HWND(&h))) return nullptr;
    return reinterpret_cast<HWND>(h);
}

HWND CShellWindowsCom::TabWindow(int index) {
    ComRef<IShellBrowser> browser;
    if (!ShellBrowserAt(windows_, index, browser)) return nullptr;
    HWND tab = nullptr;
    return SUCCEEDED(browser->GetWindow(&tab)) ? tab : nullptr;
}

bool CShellWindowsCom::Browse(int index, const std::string& path) {
    UniqueItemIdList pidl = ItemIdListFromPath(path);
    if (!pidl) return false;
    ComRef<IShellBrowser> shell;
    if (ShellBrowserAt(windows_, index, shell) &&
        SUCCEEDED(shell->BrowseObject(pidl.get(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE)))
        return true;
    ComRef<IWebBrowser2> web;
    return WebBrowserAt(windows_, index, web) && NavigateToItemIdList(web.Get(), pidl.get());
}

std::string CShellWindowsCom::FolderPath(int index) {
    // The entry's own view (its tab on Windows 11) knows its folder as an
    // item id list; only a folder of the file system has a path for it.
    ComRef<IShellBrowser> shell;
    if (!ShellBrowserAt(windows_, index, shell)) return {};
    ComRef<IShellView> view;
    if (FAILED(shell->QueryActiveShellView(view.Put())) || !view) return {};
    ComRef<IFolderView> folderView;
    if (FAILED(view->QueryInterface(IID_IFolderView, folderView.PutVoid())) || !folderView)
        return {};
    ComRef<IPersistFolder2> folder;
    if (FAILED(folderView->GetFolder(IID_IPersistFolder2, folder.PutVoid())) || !folder) return {};
    PIDLIST_ABSOLUTE raw = nullptr;
    if (FAILED(folder->GetCurFolder(&raw)) || !raw) return {};
    const UniqueItemIdList pidl(raw);
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(pidl.get(), path)) return {};
    return ToNarrow(path);
}

std::unique_ptr<CShellWindowList> MakeSystemShellWindowList() {
    return std::make_unique<CShellWindowsCom>();
}

}  // namespace vt::nav
