#include "navigation/programs.h"

#include <shellapi.h>

#include "navigation/driver.h"
#include "navigation/installlocations.h"
#include "navigation/recognise.h"

namespace vt::nav {

namespace {

constexpr int kTextChars = 1024;  // texts read from other programs' windows
constexpr int kWinZipGoButton = 5015;
constexpr int kDevenvFileNameBox = 51;
constexpr DWORD kKeyDeliveryMs = 250;

bool StartsWithSlash(const std::string& s) { return !s.empty() && s[0] == '/'; }

// Types the path into an address box and presses Enter there, then gives the
// box back the text it held before, all selected. Redrawing is off while the
// path is in the box, so the user does not see it flash.
void EnterPathAndRestore(TargetDriver& driver, CWnd box, const std::string& path) {
    const std::string saved = driver.GetText(box);
    driver.Send(box, WM_SETREDRAW, FALSE);
    driver.Focus(box);
    driver.SetText(box, path);
    driver.Send(box, WM_KEYDOWN, VK_RETURN, 0);
    driver.Send(box, WM_KEYUP, VK_RETURN, 0);
    driver.Send(box, WM_SETREDRAW, TRUE);
    driver.SetText(box, saved);
    driver.Send(box, EM_SETSEL, 0, -1);
}

// A synthesized key is queued on the input that this thread shares with the
// target while attached. Under Wine a key still queued there when we detach,
// or when our own message loop next runs, never reaches the target; so give
// the target a moment to take it. The shared key state usually shows the
// key-up being taken; when it does not, the short deadline ends the wait.
void WaitUntilKeyTaken(int vk, bool toggledBefore) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kKeyDeliveryMs) {
        const SHORT state = GetKeyState(vk);
        if (((state & kKeyToggled) != 0) != toggledBefore && !(state & kKeyIsDown)) return;
        Sleep(5);
    }
}

}  // namespace

std::string PixdroveBrowseParameters(const std::string& path) {
    std::string p = path;
    if (p.size() > 3 && p.back() == '\\') p.pop_back();
    return "/browse \"" + p + "\"";
}

FileZillaBox ChooseFileZillaBox(const std::string& firstText, const std::string& secondText) {
    if (StartsWithSlash(secondText)) return FileZillaBox::First;
    if (StartsWithSlash(firstText)) return FileZillaBox::Second;
    return FileZillaBox::None;
}

void SynthesizeEnter() {
    keybd_event(VK_RETURN, 0, KEYEVENTF_EXTENDEDKEY, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

// Each recipe tests the target's controls found by class before its owner
// program: the shared walk answers those at no cost, while the install
// location and the process image are registry and process queries. A
// control found by id (a look-up through every child of another process's
// window) comes after them.

bool NavigatePixdrove(DescendantClasses& tree, const std::string& path, HWND owner) {
    for (const char* cls :
         {"msctls_statusbar32", "ToolbarWindow32", "SysTreeView32", "SysListView32"})
        if (!tree.Find(cls)) return false;
    if (!IsWindowOfProgram(GetPixdroveExePath(), tree.Root())) return false;
    // The running Pixdrove takes the folder from a second start; nothing is
    // sent to its window.
    const std::string exe = GetPixdroveExePath();
    const std::string params = PixdroveBrowseParameters(path);
    ShellExecuteA(owner, "open", exe.c_str(), params.c_str(), nullptr, SW_SHOWNORMAL);
    return true;
}

bool NavigateWinZip(TargetDriver& driver, DescendantClasses& controls, const std::string& path) {
    const CWnd target = controls.Root();
    const CWnd tree = controls.Find("systreeview32");
    const CWnd folderBox = controls.Find("combobox");
    if (!tree || !folderBox) return false;
    if (!IsWindowOfProgram(GetWinZipExePath(), target)) return false;
    const CWnd go = FindChildByIdAndClass(target, kWinZipGoButton, "button");
    if (!go) return false;
    driver.Activate(target);
    driver.SetText(folderBox, path);
    driver.Send(go, BM_CLICK);
    return true;
}

bool NavigatePowerArchiver(TargetDriver& driver, DescendantClasses& controls,
                           const std::string& path) {
    const CWnd target = controls.Root();
    const CWnd folderBox = controls.Find("TComboBox");
    CWnd tree = controls.Find("TFolderTree");
    const bool explorerTree = !tree;
    if (explorerTree) tree = controls.Find("TVirtualExplorerTreeview");
    if (!folderBox || !tree) return false;
    if (!IsWindowOfProgram(GetPowerArchiverPath(), target)) return false;

    // The window text of another program's control is read without a
    // message, so a hung PowerArchiver cannot hold us here.
    CWnd go;
    for (CWnd c = target.GetWindow(GW_CHILD); c; c = c.GetWindow(GW_HWNDNEXT)) {
        if (c.GetWindowText(kTextChars) == "->") {
            go = c;
            break;
        }
    }
    if (!go) return false;

    driver.Activate(target);
    driver.SetText(folderBox, path);
    if (!explorerTree) {
        // "+" on the tree then opens the folder just chosen.
        driver.Send(go, BM_CLICK);
        driver.Send(tree, WM_KEYDOWN, VK_ADD, kKeyDownLParam);
        driver.Send(tree, WM_CHAR, VK_ADD, kKeyDownLParam);
        driver.Send(tree, WM_KEYUP, VK_ADD, kKeyDownLParam);
    } else {
        // This variant's go button reacts to the mouse only, and the window
        // does not repaint the new folder by itself.
        driver.Send(go, WM_LBUTTONDOWN, 0, 0);
        driver.Send(go, WM_LBUTTONUP, 0, 0);
        driver.Send(target, WM_PAINT, 0, 0);
    }
    return true;
}

bool NavigateSmartFtp(TargetDriver& driver, DescendantClasses& controls, const std::string& path) {
    const CWnd target = controls.Root();
    const CWnd rebar = controls.Find("ReBarWindow32");
    if (!rebar) return false;
    if (!IsWindowOfProgram(GetSmartFtpExePath(), target)) return false;
    const CWnd addressBox = FindDescendantByClass(rebar, "ComboBox");
    if (!addressBox) return false;
    driver.Activate(target);
    // The local view is brought up so that the address box acts on it.
    if (CWnd localView = controls.Find("SmartFtp_LocalViewClass"))
        BringWindowToTop(localView.GetSafeHwnd());
    if (const CWnd edit = ComboTextBox(addressBox)) EnterPathAndRestore(driver, edit, path);
    return true;
}

bool NavigateFileZilla(TargetDriver& driver, DescendantClasses& controls, const std::string& path) {
    const CWnd target = controls.Root();
    const std::vector<CWnd> boxes = controls.FindAll("combobox");
    if (boxes.size() != 2) return false;
    if (!IsWindowOfProgram(GetFileZillaExePath(), target)) return false;
    // A disconnected remote box is empty and disabled: it still marks the
    // other box as the local one.
    auto boxText = [&driver](CWnd box) {
        std::string text = driver.GetText(box);
        if (text.empty() && !box.IsWindowEnabled()) text = "/";
        return text;
    };
    const std::string first = boxText(boxes[0]);
    const std::string second = boxText(boxes[1]);
    CWnd chosen;
    switch (ChooseFileZillaBox(first, second)) {
        case FileZillaBox::First:
            chosen = boxes[0];
            break;
        case FileZillaBox::Second:
            chosen = boxes[1];
            break;
        case FileZillaBox::None:
            return false;
    }
    if (!FindDescendantByClass(chosen, "edit")) return false;

    InputAttachment attach(target);
    driver.Activate(target);
    driver.Focus(chosen);
    driver.SetText(chosen, path);
    if (driver.GaveUp()) return true;
    // Enter goes through the input queue to the box that now has the focus.
    const bool toggled = (GetKeyState(VK_RETURN) & kKeyToggled) != 0;
    SynthesizeEnter();
    WaitUntilKeyTaken(VK_RETURN, toggled);
    return true;
}

bool NavigateDevenv(TargetDriver& driver, CWnd target, const std::string& path) {
    if (!IsWindowOfProgram(GetDevenvExePath(), target)) return false;
    const CWnd box = FindChildByIdAndClass(target, kDevenvFileNameBox, "edit");
    if (!box) return false;
    EnterPathAndRestore(driver, box, path);
    return true;
}

bool NavigateSupportedProgram(DescendantClasses& tree, const std::string& path, HWND owner,
                              UINT patienceMs) {
    TargetDriver driver(patienceMs);
    return NavigatePixdrove(tree, path, owner) || NavigateWinZip(driver, tree, path) ||
           NavigatePowerArchiver(driver, tree, path) || NavigateSmartFtp(driver, tree, path) ||
           NavigateFileZilla(driver, tree, path) || NavigateDevenv(driver, tree.Root(), path);
}

bool NavigateSupportedProgram(CWnd target, const std::string& path, HWND owner, UINT patienceMs) {
    DescendantClasses tree(target);
    return NavigateSupportedProgram(tree, path, owner, patienceMs);
}

bool NavigatePixdrove(CWnd target, const std::string& path, HWND owner) {
    DescendantClasses tree(target);
    return NavigatePixdrove(tree, path, owner);
}

}  // namespace vt::nav
