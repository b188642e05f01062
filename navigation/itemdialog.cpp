#include "navigation/itemdialog.h"

#include <dlgs.h>

#include "framework/text.h"

namespace vt::nav {

namespace {

// Alt+D as the keyboard delivers it: the D key (scan code 0x20) with the
// context bit that says Alt is held; the key-up also carries the previous
// state and the transition bits.
constexpr LPARAM kAltDDownLParam = 0x20200001;
constexpr LPARAM kAltDUpLParam = static_cast<LPARAM>(0xE0200001u);
// The address band may take a moment to show its edit, and the dialog to
// list the new folder after Enter.
constexpr DWORD kFolderChangeWaitMs = 3000;
constexpr DWORD kPollMs = 10;
// Ancestors between the breadcrumb and the address band (the progress bar
// the band draws its bar on), with room to spare.
constexpr int kBandDepth = 4;

bool IsChildOf(CWnd w, CWnd parent) { return w && w.GetParent() == parent; }

// #32770 > DUIViewWndClassName > DirectUIHWND.
bool HasDialogView(DescendantClasses& tree) {
    for (CWnd view : tree.FindAll("duiviewwndclassname"))
        if (IsChildOf(view, tree.Root()) &&
            ClassNameMatches(view.GetWindow(GW_CHILD).GetClassName(), "directuihwnd"))
            return true;
    return false;
}

// The "Address Band Root" above the breadcrumb, or absent.
CWnd AddressBandAbove(CWnd crumb, CWnd root) {
    CWnd w = crumb.GetParent();
    for (int i = 0; i < kBandDepth && w && w != root; ++i, w = w.GetParent())
        if (ClassNameMatches(w.GetClassName(), "address band root")) return w;
    return CWnd();
}

// The file type list: a combo box that is a child of the dialog itself.
bool HasTypeList(DescendantClasses& tree) {
    for (CWnd combo : tree.FindAll("combobox"))
        if (IsChildOf(combo, tree.Root())) return true;
    return false;
}

// The address band's edit while the bar is being edited: the band makes it
// on its first activation and hides it again once it loses the focus.
CWnd VisibleAddressEdit(CWnd band) {
    CWnd ex = FindDescendantByClass(band, "comboboxex32");
    if (!ex.IsWindowVisible()) return CWnd();
    CWnd edit = ComboTextBox(ex.GetWindow(GW_CHILD));
    return edit.IsWindowVisible() ? edit : CWnd();
}

// Posted, not sent: Alt+D is a keyboard accelerator, which the dialog's own
// message loop translates; it goes to the window with the focus, as a key
// press would.
void PostAltD(CWnd dialog) {
    HWND focus = GetFocus();  // the target's, while its input is attached to ours
    if (!focus || (focus != dialog.GetSafeHwnd() && !IsChild(dialog.GetSafeHwnd(), focus)))
        focus = dialog.GetSafeHwnd();
    PostMessageW(focus, WM_SYSKEYDOWN, 'D', kAltDDownLParam);
    PostMessageW(focus, WM_SYSKEYUP, 'D', kAltDUpLParam);
}

// Alt+D until the address edit shows, twice at most (a first Alt+D may only
// highlight the bar); absent if it never does.
CWnd OpenAddressEdit(TargetDriver& d, CWnd dialog, CWnd band) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (d.GaveUp() || !band.IsWindow()) return CWnd();
        PostAltD(dialog);
        const DWORD start = GetTickCount();
        do {
            if (CWnd edit = VisibleAddressEdit(band)) return edit;
            Sleep(kPollMs);
        } while (GetTickCount() - start < kAddressEditWaitMs / 2);
    }
    return CWnd();
}

std::string WithoutTrailingBackslash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

bool EndsWithIgnoreCase(const std::string& text, const std::string& tail) {
    return !tail.empty() && text.size() >= tail.size() &&
           EqualsIgnoreCase(text.substr(text.size() - tail.size()), tail);
}

// The breadcrumb's toolbar names the folder shown ("Address: C:\..."). The
// dialog lists a folder after Enter has returned: wait until it names path.
bool WaitUntilShowing(TargetDriver& d, CWnd band, const std::string& path) {
    const std::string want = WithoutTrailingBackslash(path);
    const DWORD start = GetTickCount();
    do {
        CWnd crumb = FindDescendantByClass(band, "breadcrumb parent");
        CWnd bar = FindDescendantByClass(crumb, "toolbarwindow32");
        if (EndsWithIgnoreCase(WithoutTrailingBackslash(d.GetText(bar)), want)) return true;
        if (d.GaveUp() || !band.IsWindow()) return false;
        Sleep(kPollMs);
    } while (GetTickCount() - start < kFolderChangeWaitMs);
    return false;
}

// The file name box as the dialog has it now: the Save form makes it anew
// when the folder changes, so a handle taken before may be gone.
CWnd NameBoxNow(CWnd dialog) {
    const ItemDialogControls now = LocateItemDialog(dialog);
    return now.found ? now.fileNameBox : CWnd();
}

void RestoreName(TargetDriver& d, CWnd box, const std::string& saved) {
    if (!box) return;
    d.Focus(box);
    d.Send(box, WM_SETREDRAW, TRUE);
    d.SetText(box, saved);
    d.Send(box, EM_SETSEL, 0, -1);
}

void RunFileNameRoute(TargetDriver& d, CWnd dialog, const ItemDialogControls& c,
                      const std::string& path, bool isDirectory) {
    InputAttachment input(dialog);
    d.Activate(dialog);
    const std::string saved = d.GetText(c.fileNameBox);
    d.Send(c.fileNameBox, WM_SETREDRAW, FALSE);
    d.Focus(c.fileNameBox);
    d.SetText(c.fileNameBox, path);
    d.Focus(c.okButton);
    d.Send(c.okButton, BM_CLICK);
    if (isDirectory) {
        // Open keeps its box; only one made anew is looked for again.
        RestoreName(d, c.fileNameBox.IsWindow() ? c.fileNameBox : NameBoxNow(dialog), saved);
    } else if (c.fileNameBox.IsWindow()) {
        d.Send(c.fileNameBox, WM_SETREDRAW, TRUE);  // a refused file leaves it open
    }
}

void RunAddressBandRoute(TargetDriver& d, CWnd dialog, const ItemDialogControls& c,
                         const std::string& path, bool choose) {
    InputAttachment input(dialog);
    d.Activate(dialog);
    // The Enter below goes to the address edit itself, never through the
    // focus, so the name box keeps its text meanwhile; it is read to be
    // written into the box the dialog may make anew.
    const std::string saved = c.fileNameBox ? d.GetText(c.fileNameBox) : std::string();
    bool arrived = false;
    if (CWnd edit = OpenAddressEdit(d, dialog, c.addressBand)) {
        d.SetText(edit, path);
        d.PressKey(edit, VK_RETURN);
        arrived = WaitUntilShowing(d, c.addressBand, path);
    }
    // Found afresh where the dialog made it anew; where the new tree shows
    // none, the box held before, should the dialog have kept it.
    CWnd box = NameBoxNow(dialog);
    if (!box && c.fileNameBox.IsWindow()) box = c.fileNameBox;
    // A picker is told to choose only once it shows the folder: an OK before
    // would choose the folder it was in. A name in its box would choose that
    // name's folder instead.
    if (choose && arrived) {
        if (box) d.SetText(box, "");
        d.Focus(c.okButton);
        d.Send(c.okButton, BM_CLICK);
        return;
    }
    RestoreName(d, box, saved);
}

void RunNameOnlyRoute(TargetDriver& d, CWnd dialog, const ItemDialogControls& c,
                      const std::string& path) {
    InputAttachment input(dialog);
    d.Activate(dialog);
    d.Focus(c.fileNameBox);
    d.SetText(c.fileNameBox, path);
    d.Send(c.fileNameBox, EM_SETSEL, 0, -1);
}

}  // namespace

bool IsSelectFolderText(const std::string& okText) {
    std::string plain;
    for (char ch : okText)
        if (ch != '&') plain += ch;
    return EqualsIgnoreCase(plain, "Select Folder");
}

ItemDialogControls LocateItemDialog(CWnd window) {
    DescendantClasses tree(window);
    return LocateItemDialog(tree);
}

ItemDialogControls LocateItemDialog(DescendantClasses& tree) {
    ItemDialogControls c;
    const CWnd dialog = tree.Root();
    CWnd ok = FindChildByIdAndClass(dialog, IDOK, "button");
    if (!ok || !HasDialogView(tree)) return c;
    CWnd band = AddressBandAbove(tree.Find("breadcrumb parent"), dialog);
    if (!band) return c;
    if (CWnd ex = FindChildByIdAndClass(dialog, cmb13, "comboboxex32")) {
        c.form = ItemDialogForm::Open;
        c.fileNameBox = ComboTextBox(ex.GetWindow(GW_CHILD));
    } else if (CWnd sink = tree.Find("floatnotifysink")) {
        c.form = ItemDialogForm::Save;
        c.fileNameBox = ComboTextBox(FindDescendantByClass(sink, "combobox"));
    }
    if (!HasTypeList(tree) && IsSelectFolderText(ok.GetWindowText()))
        c.form = ItemDialogForm::FolderPicker;
    else if (!c.fileNameBox)
        return ItemDialogControls();
    c.okButton = ok;
    c.addressBand = band;
    c.found = true;
    return c;
}

ItemDialogRoute ChooseItemDialogRoute(ItemDialogForm form, bool isDirectory, bool hasNameBox) {
    switch (form) {
        case ItemDialogForm::Open:
            if (hasNameBox) return ItemDialogRoute::FileName;
            return isDirectory ? ItemDialogRoute::AddressBand : ItemDialogRoute::None;
        case ItemDialogForm::Save:
            if (isDirectory) return ItemDialogRoute::AddressBand;
            return hasNameBox ? ItemDialogRoute::NameOnly : ItemDialogRoute::None;
        case ItemDialogForm::FolderPicker:
            return isDirectory ? ItemDialogRoute::AddressBand : ItemDialogRoute::None;
    }
    return ItemDialogRoute::None;
}

bool DriveItemDialog(TargetDriver& d, CWnd dialog, const ItemDialogControls& c,
                     const std::string& path, bool isDirectory, bool ctrl) {
    if (!c.found) return false;
    switch (ChooseItemDialogRoute(c.form, isDirectory, static_cast<bool>(c.fileNameBox))) {
        case ItemDialogRoute::None:
            return false;
        case ItemDialogRoute::FileName:
            RunFileNameRoute(d, dialog, c, path, isDirectory);
            return true;
        case ItemDialogRoute::AddressBand:
            RunAddressBandRoute(d, dialog, c, path,
                                c.form == ItemDialogForm::FolderPicker && !ctrl);
            return true;
        case ItemDialogRoute::NameOnly:
            RunNameOnlyRoute(d, dialog, c, path);
            return true;
    }
    return false;
}

}  // namespace vt::nav
