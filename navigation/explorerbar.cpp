#include "navigation/explorerbar.h"

#include <vector>

#include "framework/text.h"

namespace vt::nav {

namespace {

constexpr char kAddressBand[] = "Address Band Root";
constexpr char kXamlBridge[] = "Microsoft.UI.Content.DesktopChildSiteBridge";
// Between two looks at a bar that is opening.
constexpr DWORD kOpenPollMs = 15;

INPUT Key(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

bool Send(std::vector<INPUT>& keys) {
    return SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

bool PressChord(WORD modifier, WORD vk) {
    std::vector<INPUT> keys{Key(modifier, false), Key(vk, false), Key(vk, true),
                            Key(modifier, true)};
    return Send(keys);
}

// Each UTF-16 unit as a character of its own (a pair of surrogates as two),
// then Enter as a key.
bool TypeAndEnter(const std::string& text) {
    std::vector<INPUT> keys;
    for (wchar_t unit : ToWide(text)) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wScan = static_cast<WORD>(unit);
        in.ki.dwFlags = KEYEVENTF_UNICODE;
        keys.push_back(in);
        in.ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        keys.push_back(in);
    }
    keys.push_back(Key(VK_RETURN, false));
    keys.push_back(Key(VK_RETURN, true));
    return Send(keys);
}

bool InFront(CWnd target) {
    const HWND front = GetForegroundWindow();
    return front && (front == target.GetSafeHwnd() ||
                     GetAncestor(front, GA_ROOTOWNER) == target.GetSafeHwnd());
}

// Polls until ready holds, the time is up, or the target stops answering.
template <class Ready>
bool WaitForBar(TargetDriver& driver, CWnd target, DWORD timeoutMs, Ready ready) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (ready()) return true;
        if (GetTickCount() - start >= timeoutMs || driver.RemainingMs() == 0) return false;
        // A target that has stopped answering will not open its bar either.
        if (driver.Send(target, WM_NULL) != SendStatus::Answered) return false;
        if (ready()) return true;
        Sleep(kOpenPollMs);
    }
}

// The keys that open the bar, in the order they are tried: Ctrl+L is the same
// in every language, Alt+D's letter is not; a first Alt+D may only highlight.
struct OpenChord {
    WORD modifier, vk;
};
constexpr OpenChord kOpenChords[] = {{VK_CONTROL, 'L'}, {VK_MENU, 'D'}};

// Presses each chord in turn until ready holds; false if none opened the bar
// or target left the front.
template <class Ready>
bool OpenBar(TargetDriver& driver, CWnd target, Ready ready) {
    for (const OpenChord& c : kOpenChords) {
        if (!InFront(target) || !PressChord(c.modifier, c.vk)) return false;
        if (WaitForBar(driver, target, kAddressBarOpenMs, ready)) return true;
    }
    return false;
}

bool FocusIsIn(CWnd host, DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return false;
    const HWND h = host.GetSafeHwnd();
    return info.hwndFocus == h || IsChild(h, info.hwndFocus);
}

}  // namespace

CWnd AddressBandEdit(CWnd band) {
    CWnd ex = FindDescendantByClass(band, "comboboxex32");
    return ex ? ComboTextBox(ex.GetWindow(GW_CHILD)) : CWnd();
}

AddressBar FindAddressBar(DescendantClasses& tree) {
    AddressBar bar;
    if (CWnd band = tree.Find(kAddressBand)) {
        bar.host = band;
        bar.edit = AddressBandEdit(band);
        // A bar the user left in edit mode takes the path as the classic one.
        bar.kind = bar.edit.IsWindowVisible() ? AddressBarKind::Classic : AddressBarKind::Band;
        return bar;
    }
    if (CWnd bridge = tree.Find(kXamlBridge)) {
        bar.kind = AddressBarKind::Xaml;
        bar.host = bridge;
        return bar;
    }
    CWnd combo = tree.Find("combobox");
    if (CWnd edit = FindDescendantByClass(combo, "edit")) {
        bar.kind = AddressBarKind::Classic;
        bar.edit = edit;
    }
    return bar;
}

bool DriveAddressBar(TargetDriver& driver, CWnd target, const AddressBar& bar,
                     const std::string& path) {
    if (driver.GaveUp()) return false;
    switch (bar.kind) {
        case AddressBarKind::None:
            return false;
        case AddressBarKind::Classic:
            driver.Activate(target);
            driver.SetText(bar.edit, path);
            driver.PressKey(bar.edit, VK_RETURN);
            return !driver.GaveUp();
        // No input attachment for the keyboard roads: keys typed into an
        // attached queue may still be waiting there when it is split again.
        // The window came back in front when the menu closed.
        case AddressBarKind::Band: {
            driver.Activate(target);
            CWnd edit;
            const bool open = OpenBar(driver, target, [&] {
                edit = AddressBandEdit(bar.host);
                return edit.IsWindowVisible();
            });
            if (!open) return false;
            driver.SetText(edit, path);
            driver.PressKey(edit, VK_RETURN);
            return !driver.GaveUp();
        }
        case AddressBarKind::Xaml: {
            driver.Activate(target);
            const DWORD thread = target.GetWindowThreadProcessId();
            if (!OpenBar(driver, target, [&] { return FocusIsIn(bar.host, thread); })) return false;
            return InFront(target) && TypeAndEnter(path);
        }
    }
    return false;
}

}  // namespace vt::nav
