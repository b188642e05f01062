// The shell's list of its windows as the system keeps it: the ShellWindows
// object (CLSID_ShellWindows). Every call goes to the shell's process; use it
// on one single-threaded apartment thread, the one that made it.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "navigation/shellwindows.h"

struct IShellWindows;

namespace vt::nav {

// An item id list, owned; freed with CoTaskMemFree.
struct ItemIdListDeleter {
    void operator()(ITEMIDLIST* p) const { CoTaskMemFree(p); }
};
using UniqueItemIdList = std::unique_ptr<ITEMIDLIST, ItemIdListDeleter>;

// The shell's item id list of a path (a folder path, possibly with "#" in it,
// or a parsing name such as "::{GUID}"); null if the shell cannot parse it.
UniqueItemIdList ItemIdListFromPath(const std::string& path);

class CShellWindowsCom : public CShellWindowList {
public:
    CShellWindowsCom() = default;
    ~CShellWindowsCom() override;
    CShellWindowsCom(const CShellWindowsCom&) = delete;
    CShellWindowsCom& operator=(const CShellWindowsCom&) = delete;

    bool Open() override;
    int Count() override;
    HWND TopWindow(int index) override;
    HWND TabWindow(int index) override;
    bool Browse(int index, const std::string& path) override;
    std::string FolderPath(int index) override;

    // What CoCreateInstance answered in Open (S_OK before it is called).
    HRESULT OpenResult() const { return openResult_; }

private:
    IShellWindows* windows_ = nullptr;  // owned reference, released by the destructor
    HRESULT openResult_ = S_OK;
};

// The factory of the real list.
std::unique_ptr<CShellWindowList> MakeSystemShellWindowList();

}  // namespace vt::nav
