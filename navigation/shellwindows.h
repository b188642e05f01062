// The shell's own list of its open folder windows, one entry per browser: a
// folder window, or on Windows 11 each tab of one (all tabs of a window give
// that window's handle). Behind this interface so that the choice of entry can
// be tested with a list made in the test; the real list is CShellWindowsCom.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace vt::nav {

class CShellWindowList {
public:
    virtual ~CShellWindowList() = default;

    // False when the shell keeps no such list or cannot be reached; nothing
    // else is asked then.
    virtual bool Open() = 0;
    // The number of entries; negative when the list cannot count them (Wine
    // answers E_NOTIMPL), which is taken for a list that names no window.
    virtual int Count() = 0;
    // The entry's top-level window; null when the entry does not answer
    // (busy, or its window has closed meanwhile).
    virtual HWND TopWindow(int index) = 0;
    // The window of the entry's own view (its tab); null when it cannot tell.
    virtual HWND TabWindow(int index) = 0;
    // Shows the folder in that entry, in place; false when the entry refused
    // or could not be reached. The path is a file system path or a parsing
    // name ("::{GUID}"), never a URL: "#" is part of a folder name.
    virtual bool Browse(int index, const std::string& path) = 0;
    // The file system folder the entry shows; empty for a virtual folder
    // (This PC, Control Panel, a search) or when the entry does not tell.
    virtual std::string FolderPath(int /*index*/) { return {}; }
};

// Makes the list on the thread that will use it (COM objects belong to the
// apartment that made them); null when it cannot be made.
using ShellWindowListFactory = std::function<std::unique_ptr<CShellWindowList>()>;

}  // namespace vt::nav
