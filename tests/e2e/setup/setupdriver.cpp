#include "e2e/setup/setupdriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

#include "framework/registry.h"
#include "navigation/remote.h"

namespace e2e {
namespace test = vt::test;

namespace {
const UINT kSetupCommand = 32771;
vt::CRegProfile Profile() { return vt::CRegProfile("Quorvane.", "Vantrel"); }

DWORD PidOf(HWND w) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid;
}
}  // namespace

HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs, HWND except) {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : test::TopWindowsOfProcess(pid)) {
                if (w == except || !IsWindowVisible(w) || test::ClassNameOf(w) != "#32770")
                    continue;
                if (!caption.empty() && test::TextOf(w) != caption) continue;
                found = w;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

bool WaitGone(HWND w, DWORD timeoutMs) {
    return test::WaitUntil([&] { return !IsWindow(w) || !IsWindowVisible(w); }, timeoutMs);
}

bool WaitHandled(HWND dialog, HWND programWindow, DWORD timeoutMs) {
    if (!test::WaitUntil([&] { return !IsWindow(dialog); }, timeoutMs)) return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(programWindow, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

HWND OpenSetup(const VantrelRun& run) {
    PostMessageA(run.Window(), WM_COMMAND, kSetupCommand, 0);
    return WaitForDialog(run.Pid(), "Setup");
}

void Click(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Press(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool Checked(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(HWND dialog, int id, bool on) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

std::string ComboText(HWND dialog, int id, int index) {
    // Wine marshals CB_GETLBTEXT between processes as UTF-16 whichever form
    // was sent, and hands the A sender the UTF-16 bytes: ask in UTF-16.
    wchar_t buf[256] = {};
    if (SendDlgItemMessageW(dialog, id, CB_GETLBTEXTLEN, index, 0) >= 255) return {};
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf));
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, buf, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

HWND WaitForMessageBox(DWORD pid, const std::string& text, DWORD timeoutMs) {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : test::TopWindowsOfProcess(pid)) {
                if (!IsWindowVisible(w) || test::ClassNameOf(w) != "#32770") continue;
                HWND label = GetDlgItem(w, 0xFFFF);
                if (label && test::TextOf(label).find(text) != std::string::npos) {
                    found = w;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

int RemoteList::Count() const {
    return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::string RemoteList::Text(int row, int column) const {
    const size_t textBytes = 2048;
    auto block = vt::nav::RemoteBlock::Allocate(PidOf(list_), sizeof(LVITEMA) + textBytes);
    if (!block) return "<no block>";
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = static_cast<char*>(block.Address()) + sizeof(LVITEMA);
    it.cchTextMax = static_cast<int>(textBytes);
    block.Write(0, &it, sizeof it);
    SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), block.AsLParam());
    std::vector<char> text(textBytes, '\0');
    block.Read(sizeof(LVITEMA), text.data(), textBytes - 1);
    return text.data();
}

LPARAM RemoteList::Data(int row) const {
    auto block = vt::nav::RemoteBlock::Allocate(PidOf(list_), sizeof(LVITEMA));
    if (!block) return -1;
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = row;
    block.Write(0, &it, sizeof it);
    if (!SendMessageA(list_, LVM_GETITEMA, 0, block.AsLParam())) return -1;
    block.Read(0, &it, sizeof it);
    return it.lParam;
}

int RemoteList::Selected() const {
    return static_cast<int>(
        SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool RemoteList::Select(int row) const {
    auto block = vt::nav::RemoteBlock::Allocate(PidOf(list_), sizeof(LVITEMA));
    if (!block) return false;
    LVITEMA it = {};
    it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    block.Write(0, &it, sizeof it);
    return SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), block.AsLParam()) != 0;
}

bool ChooseInFolderBrowser(HWND browser, const std::string& path) {
    // The path is placed in the browser's process as UTF-16.
    auto text = vt::nav::PlaceRemoteString(browser, path);
    if (!text) return false;
    // A browser that is still filling its tree can drop the selection (seen
    // under load: OK then returned the Desktop), so it is asked again until
    // the tree shows the folder selected, once the browser is shown (it
    // applies its own start selection while it opens).
    HWND tree = GetDlgItem(browser, 14145);
    const std::string name = path.substr(path.find_last_of('\\') + 1);
    const bool selected = test::WaitUntil([&] {
        if (!IsWindowVisible(browser)) return false;
        SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, text.AsLParam());
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        return item && vt::nav::ReadRemoteTreeItemText(tree, item) == name;
    });
    if (!selected) return false;
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(browser, IDOK)));
    return WaitGone(browser);
}

bool ChooseInOpenDialog(HWND dialog, const std::string& file) {
    // The file name box: ComboBoxEx32 1148 -> ComboBox -> Edit in Wine's dialog.
    HWND ex = GetDlgItem(dialog, 1148);
    HWND combo = ex ? FindWindowExA(ex, nullptr, "ComboBox", nullptr) : nullptr;
    HWND edit = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
    if (!edit) edit = GetDlgItem(dialog, 1152);
    if (!edit) return false;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return WaitGone(dialog);
}

std::string ControlText(HWND w) {
    char buf[4096] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

bool IsDefaultButton(HWND dialog, int id) {
    const LONG_PTR style = GetWindowLongPtrA(GetDlgItem(dialog, id), GWL_STYLE);
    return (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

std::wstring WideTextOf(HWND w) {
    wchar_t buf[2048] = {};
    SendMessageW(w, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf));
    return buf;
}

int StoredInt(const std::string& section, const char* name, int def) {
    return Profile().GetProfileInt(section, name, def);
}

std::string StoredString(const std::string& section, const char* name, const std::string& def) {
    return Profile().GetProfileString(section, name, def);
}

bool StoredValueExists(const std::string& section, const std::string& name) {
    vt::CRegKey k;
    if (!Profile().OpenSection(section, k)) return false;
    return RegQueryValueExA(k.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

}  // namespace e2e
