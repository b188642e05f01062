#include "uikit/dialoglook/dialogfonthook.h"

#include <memory>
#include <utility>

#include "framework/gdi.h"
#include "framework/handles.h"
#include "framework/trace.h"
#include "framework/wnd.h"

namespace vt {

namespace {

// Control ids of the system colour dialog's template: the basic and custom
// colour boxes and the colour spectrum (COLOR_BOX1, COLOR_CUSTOM1,
// COLOR_RAINBOW of the system's colordlg.h).
constexpr int kColorBasicBoxes = 720;
constexpr int kColorCustomBoxes = 721;
constexpr int kColorSpectrum = 710;

void ReleaseFonts(HWND dialog);

// The font hook's link on a followed dialog.
class CFontFollowed : public CDialogWatcher::CFollowed {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        return DialogFontWndProc(*this, msg, w, l);
    }
    // Passes a message on below this link.
    LRESULT PassOn(UINT msg, WPARAM w, LPARAM l) { return CHookWnd::WindowProc(msg, w, l); }
    void OnGone() override { ReleaseFonts(Dialog()); }
};

struct DialogFontState {
    std::string face;
    UniqueFont sharedFont;  // owned
    // The fonts made for a dialog's controls, owned.
    std::vector<std::pair<HWND, UniqueFont>> fonts;
    CDialogWatcher watcher{[](HWND dialog) { DialogFontHookProc(dialog); },
                           [](HWND) { return std::make_unique<CFontFollowed>(); }};
};

DialogFontState& State() {
    static DialogFontState state;
    return state;
}

std::string ClassOf(HWND w) { return WindowClassName(w); }

// Gives each child control of a dialog the hook's face (or, without a font,
// the shared font). Nested dialogs have their own WM_INITDIALOG.
void ApplyFace(HWND dialog) {
    auto& s = State();
    for (HWND child = GetTopWindow(dialog); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!(GetWindowLongPtrA(child, GWL_STYLE) & WS_CHILD)) continue;
        if (lstrcmpiA(ClassOf(child).c_str(), "#32770") == 0) continue;
        auto font = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        if (font) {
            LOGFONTA lf = {};
            // A font that cannot be described cannot be rebuilt in another
            // face: the control keeps it.
            if (GetObjectA(font, sizeof lf, &lf) != sizeof lf) continue;
            if (lstrcmpiA(lf.lfFaceName, s.face.c_str()) == 0) continue;
            lstrcpynA(lf.lfFaceName, s.face.c_str(), LF_FACESIZE);
            UniqueFont rebuilt(CreateFontIndirectA(&lf));
            HFONT handle = rebuilt.Get();
            s.fonts.emplace_back(dialog, std::move(rebuilt));
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
        } else {
            SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(s.sharedFont.Get()), TRUE);
        }
        SendMessageA(child, WM_PAINT, 0, 0);
    }
}

// Deletes the fonts made for a dialog's controls.
void ReleaseFonts(HWND dialog) {
    auto& fonts = State().fonts;
    for (auto it = fonts.begin(); it != fonts.end();)
        it = it->first == dialog ? fonts.erase(it) : it + 1;
}

struct CensusWalk {
    MessageBoxCensus census;
    bool stopped = false;
};

BOOL CALLBACK CountChild(HWND w, LPARAM l) {
    auto* walk = reinterpret_cast<CensusWalk*>(l);
    if (!CountMessageBoxWindow(walk->census, ClassOf(w).c_str(), GetWindowLongPtrA(w, GWL_STYLE))) {
        walk->stopped = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

WindowsVersionFacts ReadWindowsVersion() {
    WindowsVersionFacts facts;
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    // The system's own version is what decides its dialogs' look, whatever
    // the compiler thinks of the call.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
#pragma GCC diagnostic pop
        facts.read = true;
        facts.platformId = info.dwPlatformId;
        facts.productType = info.wProductType;
        facts.majorVersion = info.dwMajorVersion;
    }
    return facts;
}

bool DialogFontHookNeeded(const WindowsVersionFacts& facts) {
    const bool modernWorkstation = facts.read && facts.platformId == VER_PLATFORM_WIN32_NT &&
                                   facts.productType == VER_NT_WORKSTATION &&
                                   facts.majorVersion >= 6;
    return !modernWorkstation;
}

void InstallDialogFontHook(const char* face, int size) {
    if (!DialogFontHookNeeded(ReadWindowsVersion())) return;
    auto& s = State();
    const DWORD thread = GetCurrentThreadId();
    if (s.watcher.IsInstalled(thread)) {
        s.watcher.Uninstall(thread);
        s.sharedFont.Reset();
        s.face.clear();
    }
    s.face = face ? face : "";
    s.sharedFont.Reset(CreatePointFont(size, s.face.c_str()));
    s.watcher.Install(thread);
}

void DialogFontHookProc(HWND dialog) {
    auto& s = State();
    if (!IsMessageBoxWindow(dialog) && !IsColorDialogWindow(dialog)) s.watcher.Follow(dialog);
}

LRESULT DialogFontWndProc(CDialogWatcher::CFollowed& dialog, UINT message, WPARAM wParam,
                          LPARAM lParam) {
    const LRESULT result = static_cast<CFontFollowed&>(dialog).PassOn(message, wParam, lParam);
    if (message != WM_INITDIALOG) return result;
    const HWND window = dialog.Dialog();
    // Some systems (Wine among them) build a message box from a template
    // with every kind of button and remove the unused ones only in its own
    // WM_INITDIALOG: only now does it look like what it is.
    try {
        if (IsMessageBoxWindow(window)) {
            State().watcher.LetGo(window);
            return result;
        }
        ApplyFace(window);
    } catch (...) {
        TraceCurrentException("DialogFontWndProc");
    }
    return result;
}

bool CountMessageBoxWindow(MessageBoxCensus& census, const char* className, LONG_PTR style) {
    if (lstrcmpiA(className, "Static") == 0) {
        if (style & 3)
            ++census.iconStatics;
        else
            ++census.otherStatics;
    } else if (lstrcmpiA(className, "Button") == 0) {
        ++census.buttons;
    } else {
        ++census.others;
    }
    return census.others == 0 && census.iconStatics <= 1 && census.otherStatics <= 1 &&
           census.buttons <= 4;
}

bool IsMessageBoxCensus(const MessageBoxCensus& census) {
    return census.others == 0 && census.iconStatics == 1 && census.otherStatics == 1 &&
           census.buttons >= 1 && census.buttons <= 4;
}

bool IsMessageBoxWindow(HWND window) {
    if (!window || ClassOf(window) != "#32770") return false;
    CensusWalk walk;
    EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&walk));
    return !walk.stopped && IsMessageBoxCensus(walk.census);
}

bool IsColorDialogWindow(HWND window) {
    if (!window || ClassOf(window) != "#32770") return false;
    for (int id : {kColorBasicBoxes, kColorCustomBoxes, kColorSpectrum}) {
        HWND item = GetDlgItem(window, id);
        if (!item || lstrcmpiA(ClassOf(item).c_str(), "Static") != 0) return false;
    }
    return true;
}

bool IsDialogFontHookInstalled() { return State().watcher.AnyInstalled(); }
std::string DialogFontFace() { return State().face; }
HFONT DialogFontSharedFont() { return State().sharedFont.Get(); }
bool IsDialogFontSubclassed(HWND dialog) { return State().watcher.IsFollowed(dialog); }

std::vector<HFONT> DialogFontsOf(HWND dialog) {
    std::vector<HFONT> out;
    for (const auto& f : State().fonts)
        if (f.first == dialog) out.push_back(f.second.Get());
    return out;
}

}  // namespace vt
