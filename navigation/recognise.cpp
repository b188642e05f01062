#include "navigation/recognise.h"

#include <commctrl.h>
#include <dlgs.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstring>

#include "framework/handles.h"
#include "framework/text.h"
#include "framework/wnd.h"
#include "navigation/itemdialog.h"
#include "navigation/remote.h"
#include "navigation/sendwindow.h"

namespace vt::nav {

namespace {

// The two ids a snake-list dialog's rich-edit file name box may have.
constexpr int kSnakeListNameBox = 48;
constexpr int kSnakeListNameBoxLater = 54;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Class name read into a buffer of the given size; empty for a vanished window.
std::string ClassOf(HWND w, int bufChars) { return WindowClassName(w, bufChars); }

struct DescendantSearch {
    const std::string* wanted;
    bool all;
    std::vector<CWnd> found;
};

BOOL CALLBACK CollectMatching(HWND w, LPARAM param) {
    auto* s = reinterpret_cast<DescendantSearch*>(param);
    if (ClassNameMatches(ClassOf(w, 256), *s->wanted)) {
        s->found.emplace_back(w);
        if (!s->all) return FALSE;
    }
    return TRUE;
}

// One walk's windows, and the class names already read by class atom: a
// window's atom (one round trip for another process's window) names its
// class, while reading the name itself costs two.
struct ClassWalk {
    std::vector<std::pair<HWND, std::string>>* windows;
    std::vector<std::pair<ATOM, std::string>> names;
};

BOOL CALLBACK CollectAll(HWND w, LPARAM param) {
    auto* walk = reinterpret_cast<ClassWalk*>(param);
    const auto atom = static_cast<ATOM>(GetClassLongPtrA(w, GCW_ATOM));
    const std::string* known = nullptr;
    for (const auto& n : walk->names)
        if (atom && n.first == atom) known = &n.second;
    if (known) {
        walk->windows->emplace_back(w, *known);
    } else {
        walk->windows->emplace_back(w, ClassOf(w, 256));
        if (atom && !walk->windows->back().second.empty())
            walk->names.emplace_back(atom, walk->windows->back().second);
    }
    return TRUE;
}

std::vector<CWnd> SearchDescendants(CWnd parent, const std::string& wanted, bool all) {
    DescendantSearch s{&wanted, all, {}};
    if (parent.IsWindow())
        EnumChildWindows(parent.GetSafeHwnd(), CollectMatching, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
using ModuleFirstFn = BOOL(WINAPI*)(HANDLE, LPMODULEENTRY32);

// A 32-bit Vantrel cannot take a module snapshot of a 64-bit process; the
// kernel still knows the image path.
std::string QueryImagePath(DWORD pid) {
    UniqueKernelHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!h) return {};
    char buf[MAX_PATH * 4] = {};
    DWORD size = sizeof buf;
    return QueryFullProcessImageNameA(h.Get(), 0, buf, &size) ? std::string(buf) : std::string();
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool ClassNameMatches(const std::string& actual, const std::string& wanted) {
    if (actual.size() != wanted.size()) return false;
    for (size_t i = 0; i < actual.size(); ++i)
        if (AsciiLower(actual[i]) != AsciiLower(wanted[i])) return false;
    return true;
}

CWnd FindDescendantByClass(CWnd parent, const std::string& wantedClass) {
    std::vector<CWnd> found = SearchDescendants(parent, wantedClass, false);
    return found.empty() ? CWnd() : found.front();
}

std::vector<CWnd> FindAllDescendantsByClass(CWnd parent, const std::string& wantedClass) {
    return SearchDescendants(parent, wantedClass, true);
}

CWnd FindChildByIdAndClass(CWnd parent, int id, const std::string& wantedClass) {
    CWnd child = parent.GetDlgItem(id);
    if (!child || !ClassNameMatches(ClassOf(child.GetSafeHwnd(), 1024), wantedClass)) return CWnd();
    return child;
}

CWnd ComboTextBox(CWnd combo) {
    CWnd first = combo.GetWindow(GW_CHILD);
    if (!first) return CWnd();
    if (lstrcmpA(ClassOf(first.GetSafeHwnd(), 256).c_str(), "Edit") == 0) return first;
    return first.GetWindow(GW_HWNDNEXT);
}

std::string GetProcessImagePath(DWORD pid) {
    if (!pid) return {};
    // In every process already: asked, not loaded.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return {};
    auto snapshot = reinterpret_cast<SnapshotFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
    auto first = reinterpret_cast<ModuleFirstFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "Module32First")));
    if (!snapshot || !first) return {};
    UniqueFileHandle snap(snapshot(TH32CS_SNAPMODULE, pid));
    if (snap) {
        MODULEENTRY32 me;
        std::memset(&me, 0, sizeof me);
        me.dwSize = sizeof me;
        if (first(snap.Get(), &me)) return me.szExePath;
    }
    return QueryImagePath(pid);
}

bool IsWindowOfProgram(const std::string& exePath, CWnd window) {
    // Nothing to compare with when the program is not installed: skip the
    // process query, which is the expensive part.
    if (exePath.empty() || !window.IsWindow()) return false;
    DWORD pid = 0;
    window.GetWindowThreadProcessId(&pid);
    if (!pid) return false;
    // A module snapshot costs tens of milliseconds; the kernel's image name
    // (one cheap query) rules out a process whose file name differs, so that
    // only likely owners are snapshotted.
    const std::string quick = QueryImagePath(pid);
    if (!quick.empty() && !EqualsIgnoreCase(FileNameOf(quick), FileNameOf(exePath))) return false;
    const std::string image = GetProcessImagePath(pid);
    return !image.empty() && EqualsIgnoreCase(image, exePath);
}

std::string GetExplorerExePath() {
    char dir[1024] = {};
    const UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return {};
    return std::string(dir) + "\\explorer.exe";
}

void DescendantClasses::Walk() {
    if (walked_) return;
    walked_ = true;
    ClassWalk walk{&windows_, {}};
    if (root_.IsWindow())
        EnumChildWindows(root_.GetSafeHwnd(), CollectAll, reinterpret_cast<LPARAM>(&walk));
}

CWnd DescendantClasses::Find(const std::string& wantedClass) {
    Walk();
    for (const auto& w : windows_)
        if (ClassNameMatches(w.second, wantedClass)) return CWnd(w.first);
    return CWnd();
}

std::vector<CWnd> DescendantClasses::FindAll(const std::string& wantedClass) {
    Walk();
    std::vector<CWnd> found;
    for (const auto& w : windows_)
        if (ClassNameMatches(w.second, wantedClass)) found.emplace_back(w.first);
    return found;
}

bool IsExplorerWindow(CWnd window) {
    DescendantClasses tree(window);
    return IsExplorerWindow(tree);
}

bool IsExplorerWindow(DescendantClasses& tree) {
    if (!IsWindowOfProgram(GetExplorerExePath(), tree.Root())) return false;
    // Since Windows 7 the items view is a DirectUIHWND, not a list view, and
    // the address edit exists only while the bar is edited: the frame's class
    // is what tells.
    const std::string frame = tree.Root().GetClassName();
    if (ClassNameMatches(frame, kExplorerFrameClass) ||
        ClassNameMatches(frame, kExplorerFrameClassOlder))
        return true;
    if (!tree.Find("syslistview32")) return false;
    CWnd combo = tree.Find("combobox");
    return combo && FindDescendantByClass(combo, "edit");
}

FileDialogControls LocateFileDialogControls(CWnd window) {
    DescendantClasses tree(window);
    return LocateFileDialogControls(tree);
}

FileDialogControls LocateFileDialogControls(DescendantClasses& tree) {
    FileDialogControls c;
    const CWnd window = tree.Root();
    if (!FindChildByIdAndClass(window, lst1, "listbox")) return c;
    CWnd ok = window.GetDlgItem(IDOK);
    if (CWnd edit = FindChildByIdAndClass(window, edt1, "edit")) {
        c.fileNameBox = edit;
    } else if (CWnd ex = FindChildByIdAndClass(window, cmb13, "comboboxex32")) {
        c.fileNameBox = ComboTextBox(ex.GetWindow(GW_CHILD));
    } else if (CWnd host = tree.Find("directuihwnd")) {
        c.fileNameBox = ComboTextBox(FindDescendantByClass(host, "combobox"));
    }
    if (c.fileNameBox) c.okButton = ok;
    return c;
}

bool IsFileDialog(CWnd window) {
    DescendantClasses tree(window);
    return IsFileDialog(tree);
}

bool IsFileDialog(DescendantClasses& tree) {
    const FileDialogControls c = LocateFileDialogControls(tree);
    return (c.fileNameBox && c.okButton) || LocateItemDialog(tree).found;
}

std::string GetDesktopDirectoryDisplayName() {
    std::string name;
    IMalloc* malloc = nullptr;
    if (FAILED(SHGetMalloc(&malloc)) || !malloc) return name;
    LPITEMIDLIST desktop = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop))) {
        LPITEMIDLIST dir = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &dir))) {
            SHFILEINFOA info;
            std::memset(&info, 0, sizeof info);
            if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(dir), 0, &info, sizeof info,
                               SHGFI_PIDL | SHGFI_DISPLAYNAME))
                name = info.szDisplayName;
            malloc->Free(dir);
        }
        malloc->Free(desktop);
    }
    malloc->Release();
    return name;
}

bool TreeRootIsDesktop(CWnd tree) {
    if (!tree.IsWindow()) return false;
    const auto root = reinterpret_cast<HTREEITEM>(
        SendForResult(tree.GetSafeHwnd(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
    const std::string text = ReadRemoteTreeItemText(tree.GetSafeHwnd(), root);
    // An unreadable tree must not pass as a desktop whose name is unknown.
    return !text.empty() && EqualsIgnoreCase(text, GetDesktopDirectoryDisplayName());
}

bool IsBrowseForFolderDialog(CWnd window) {
    DescendantClasses tree(window);
    return IsBrowseForFolderDialog(tree);
}

bool IsBrowseForFolderDialog(DescendantClasses& tree) {
    if (!tree.Find("static")) return false;
    return TreeRootIsDesktop(tree.Find("systreeview32"));
}

CWnd FindSnakeListFileNameBox(CWnd window) {
    CWnd box;
    for (int id : {kSnakeListNameBox, kSnakeListNameBoxLater}) {
        // One look-up of the id, then its class against either name.
        CWnd b = window.GetDlgItem(id);
        if (!b) continue;
        const std::string cls = ClassOf(b.GetSafeHwnd(), 1024);
        if (ClassNameMatches(cls, "richedit20a") || ClassNameMatches(cls, "richedit20w"))
            box = b;  // the later id overrides the first
    }
    return box;
}

bool IsSnakeListDialog(CWnd window) {
    DescendantClasses tree(window);
    return IsSnakeListDialog(tree);
}

bool IsSnakeListDialog(DescendantClasses& tree) {
    // Whichever test is cheaper goes first: a walk already made answers the
    // class search for nothing, else the two id look-ups cost less than a walk.
    if (tree.Walked()) return tree.Find("snake list") && FindSnakeListFileNameBox(tree.Root());
    return FindSnakeListFileNameBox(tree.Root()) && tree.Find("snake list");
}

}  // namespace vt::nav
