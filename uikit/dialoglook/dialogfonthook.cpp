#include "uikit/dialoglook/dialogfonthook.h"

#include <map>
#include <utility>

#include "framework/gdi.h"
#include "framework/handles.h"
#include "framework/trace.h"

namespace vt {

namespace {

// Control ids of the system colour dialog's template: the basic and custom
// colour boxes and the colour spectrum (COLOR_BOX1, COLOR_CUSTOM1,
// COLOR_RAINBOW of the system's colordlg.h).
constexpr int kColorBasicBoxes = 720;
constexpr int kColorCustomBoxes = 721;
constexpr int kColorSpectrum = 710;

struct DialogFontState {
    std::string face;
    UniqueFont sharedFont;                           // owned
    UniqueHook hook;                                 // owned
    std::map<HWND, WNDPROC> subclassed;              // dialog -> its previous procedure
    std::vector<std::pair<HWND, UniqueFont>> fonts;  // fonts made for a dialog's controls, owned
};

DialogFontState& State() {
    static DialogFontState state;
    return state;
}

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

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
    if (s.hook) {
        s.hook.Reset();
        s.sharedFont.Reset();
        s.face.clear();
    }
    s.face = face ? face : "";
    s.sharedFont.Reset(CreatePointFont(size, s.face.c_str()));
    s.hook.Reset(
        SetWindowsHookExA(WH_CALLWNDPROC, DialogFontHookProc, nullptr, GetCurrentThreadId()));
}

LRESULT CALLBACK DialogFontHookProc(int code, WPARAM wParam, LPARAM lParam) {
    auto& s = State();
    try {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && call && call->message == WM_INITDIALOG) {
            HWND dialog = call->hwnd;
            if (!IsMessageBoxWindow(dialog) && !IsColorDialogWindow(dialog) &&
                !s.subclassed.count(dialog)) {
                auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
                    dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DialogFontWndProc)));
                if (previous) s.subclassed[dialog] = previous;
            }
        }
    } catch (...) {
        TraceCurrentException("DialogFontHookProc");
    }
    return CallNextHookEx(s.hook.Get(), code, wParam, lParam);
}

LRESULT CALLBACK DialogFontWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& s = State();
    auto it = s.subclassed.find(window);
    if (it == s.subclassed.end()) return DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC previous = it->second;
    if (message == WM_NCDESTROY) {
        CallWindowProcA(previous, window, message, wParam, lParam);
        s.subclassed.erase(window);
        ReleaseFonts(window);
        return 0;
    }
    const LRESULT result = CallWindowProcA(previous, window, message, wParam, lParam);
    if (message != WM_INITDIALOG) return result;
    try {
        // Some systems (Wine among them) build a message box from a template
        // with every kind of button and remove the unused ones only in its
        // own WM_INITDIALOG: only now does it look like what it is.
        if (IsMessageBoxWindow(window)) {
            if (GetWindowLongPtrA(window, GWLP_WNDPROC) ==
                reinterpret_cast<LONG_PTR>(DialogFontWndProc))
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            s.subclassed.erase(window);
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

bool IsDialogFontHookInstalled() { return static_cast<bool>(State().hook); }
std::string DialogFontFace() { return State().face; }
HFONT DialogFontSharedFont() { return State().sharedFont.Get(); }
bool IsDialogFontSubclassed(HWND dialog) { return State().subclassed.count(dialog) != 0; }

std::vector<HFONT> DialogFontsOf(HWND dialog) {
    std::vector<HFONT> out;
    for (const auto& f : State().fonts)
        if (f.first == dialog) out.push_back(f.second.Get());
    return out;
}

}  // namespace vt
