#include "uikit/controls/hyperlink.h"

#include <shellapi.h>
#include <windowsx.h>

#include "framework/registry.h"

namespace vt {

namespace {

// Shared by every link for the life of the process.
HCURSOR g_linkCursor = nullptr;  // owned (a copy), never destroyed
bool g_linkCursorTried = false;

const struct {
    INT_PTR code;
    const char* text;
} kOpenFailures[] = {
    {0, "The operating system is out\nof memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied\naccess to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred. "},
    {27, "The filename association is\nincomplete or invalid."},
    {28, "The DDE transaction could not\nbe completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30,
     "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
     "being processed."},
    {31, "There is no application associated\nwith the given filename extension."},
    {32, "The specified dynamic-link library was not found."},
};

}  // namespace

CqvHyperLink::CqvHyperLink()
    : palette_{RGB(0, 0, 255), RGB(0, 128, 128), RGB(128, 0, 128), RGB(255, 0, 0)} {
    auto& t = Table();
    t.OnMessage(WM_SETCURSOR, [this](WPARAM, LPARAM) { return OnSetCursor(); });
    t.OnMessage(WM_MOUSEMOVE, [this](WPARAM, LPARAM l) -> LRESULT {
        OnMouseMove(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        return 0;
    });
    t.OnMessage(WM_LBUTTONDOWN, [this](WPARAM, LPARAM) -> LRESULT {
        OnLButtonDown();
        return 0;
    });
    t.OnMessage(WM_LBUTTONUP, [this](WPARAM, LPARAM) -> LRESULT {
        OnLButtonUp();
        return 0;
    });
    t.OnMessage(WM_SETFOCUS, [this](WPARAM, LPARAM) -> LRESULT {
        active_ = 1;
        Repaint();
        return 0;
    });
    t.OnMessage(WM_KILLFOCUS, [this](WPARAM, LPARAM) -> LRESULT {
        hover_ = 0;
        active_ = 0;
        Repaint();
        return 0;
    });
    t.OnMessage(WM_KEYDOWN, [this](WPARAM w, LPARAM) -> LRESULT {
        if (w != VK_SPACE) return Default();
        OpenTarget();
        return 0;
    });
    // A static answers HTTRANSPARENT and would never see the mouse.
    t.OnMessage(WM_NCHITTEST, [](WPARAM, LPARAM) -> LRESULT { return HTCLIENT; });
    t.OnMessage(WM_ENABLE, [this](WPARAM, LPARAM) -> LRESULT {
        LRESULT r = Default();
        Repaint(true);
        return r;
    });
}

CqvHyperLink::~CqvHyperLink() {
    // The control may outlive this object only detached; it must not keep a
    // font that is about to be deleted.
    if (IsWindow() && font_ && GetFont() == font_.Get()) SetFont(nullptr, false);
}

void CqvHyperLink::SetPalette(const Palette& p) {
    palette_ = p;
    Repaint();
}

void CqvHyperLink::Repaint(bool erase) const {
    if (!IsWindow()) return;
    InvalidateRect(hwnd_, nullptr, erase);
    if (erase) UpdateWindow(hwnd_);
}

COLORREF CqvHyperLink::TextColour() const {
    if (hover_ && (LinkOptions & kUseHoverColour)) return palette_.hover;
    if ((LinkOptions & kNoActiveColour) || !active_)
        return visited_ ? palette_.visited : palette_.link;
    return palette_.active;
}

bool CqvHyperLink::OnChildNotify(UINT msg, WPARAM w, LPARAM, LRESULT& result) {
    if (msg != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(w);
    SetTextColor(dc, TextColour());
    SetBkMode(dc, TRANSPARENT);
    result = reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
    return true;
}

void CqvHyperLink::PreSubclassWindow() {
    const std::string text = GetWindowText();
    if (target_.empty()) target_ = text;
    if (text.empty()) SetWindowText(target_);

    if (HFONT dialogFont = GetFont()) {
        LOGFONTA lf = {};
        GetObjectA(dialogFont, sizeof lf, &lf);
        lf.lfUnderline = (LinkOptions & kUnderline) ? TRUE : FALSE;
        font_.Reset(CreateFontIndirectA(&lf));
        SetFont(font_.Get(), true);
        FitToText();
    } else {
        // Nothing to measure the text with.
        LinkOptions &= ~kFitToText;
    }
    if (!(LinkOptions & kNoHandCursor)) LoadLinkCursor();
    CStatic::PreSubclassWindow();
}

void CqvHyperLink::SetCaption(const std::string& text) {
    if (!IsWindow()) return;
    ShowWindow(SW_HIDE);
    SetWindowText(text);
    FitToText();
    ShowWindow(SW_SHOW);
}

void CqvHyperLink::SetTarget(const std::string& address) {
    target_ = address;
    if (!IsWindow()) return;
    ShowWindow(SW_HIDE);
    FitToText();
    ShowWindow(SW_SHOW);
}

void CqvHyperLink::FitToText() {
    if (!(LinkOptions & kFitToText) || !IsWindow()) return;
    CWnd parent = GetParent();
    RECT win = GetWindowRect();
    MapWindowPoints(nullptr, parent.hwnd_, reinterpret_cast<POINT*>(&win), 2);
    const RECT client = GetClientRect();

    const std::string text = GetWindowText();
    SIZE ext = {};
    if (HDC dc = GetDC(hwnd_)) {
        ScopedSelect font(dc, font_ ? font_.Get() : GetFont());
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &ext);
        ReleaseDC(hwnd_, dc);
    }

    const LONG_PTR style = GetStyle();
    RECT r = win;
    const LONG height = win.bottom - win.top, width = win.right - win.left;
    if (style & SS_CENTERIMAGE) {
        r.top = win.top + (height - ext.cy) / 2;
        r.bottom = r.top + ext.cy;
    } else {
        r.bottom = win.top + ext.cy;
    }
    const LONG_PTR align = style & SS_TYPEMASK;
    if (align == SS_CENTER) {
        r.left = win.left + (width - ext.cx) / 2;
        r.right = r.left + ext.cx;
    } else if (align == SS_RIGHT) {
        r.left = win.right - ext.cx;
    } else {
        r.right = win.left + ext.cx;
    }
    // Whatever frame the control has stays around the text.
    const LONG frameX = width - (client.right - client.left);
    const LONG frameY = height - (client.bottom - client.top);
    MoveWindow(hwnd_, r.left, r.top, (r.right - r.left) + frameX, (r.bottom - r.top) + frameY,
               TRUE);
    Repaint(true);
}

LRESULT CqvHyperLink::OnSetCursor() {
    if (g_linkCursor && !(LinkOptions & kNoHandCursor)) {
        ::SetCursor(g_linkCursor);
        return TRUE;
    }
    return Default();
}

void CqvHyperLink::OnMouseMove(POINT pt) {
    if (!hover_) {
        hover_ = 1;
        Repaint();
        SetCapture(hwnd_);
        return;
    }
    const RECT client = GetClientRect();
    if (!PtInRect(&client, pt)) {
        hover_ = 0;
        ReleaseCapture();
        Repaint();
    }
}

void CqvHyperLink::OnLButtonDown() {
    if (LinkOptions & kFocusOnPress) SetFocus();
    if (LinkOptions & kOpenOnPress) OpenTarget();
    active_ = 1;
}

void CqvHyperLink::OnLButtonUp() {
    if (active_ && !(LinkOptions & kOpenOnPress)) OpenTarget();
}

void CqvHyperLink::OpenTarget() {
    if (target_.empty()) return;
    const INT_PTR r = launch ? launch(target_, SW_SHOW) : LaunchTarget(target_, SW_SHOW);
    if (r <= 32) {
        MessageBeep(MB_ICONEXCLAMATION);
        ShowOpenFailure(r);
        return;
    }
    visited_ = 1;
    Repaint();
}

std::string CqvHyperLink::OpenFailureMessage(INT_PTR code) {
    std::string text = "Can't open link:\n\n";
    for (const auto& f : kOpenFailures)
        if (f.code == code) return text + f.text;
    return text + "Unknown Error (" + std::to_string(static_cast<long long>(code)) + ") occurred.";
}

void CqvHyperLink::ShowOpenFailure(INT_PTR code) {
    const std::string text = OpenFailureMessage(code);
    if (reportFailure)
        reportFailure(text);
    else
        MessageBoxA(hwnd_, text.c_str(), nullptr, MB_ICONEXCLAMATION | MB_OK);
}

std::string CqvHyperLink::HandlerCommandLine(const std::string& command,
                                             const std::string& address) {
    std::string line = command;
    size_t at = line.find("\"%1\"");
    if (at == std::string::npos) at = line.find("%1");
    if (at != std::string::npos) line.erase(at);
    return line + " " + address;
}

INT_PTR CqvHyperLink::LaunchTarget(const std::string& address, int showCommand) {
    const INT_PTR shell = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, showCommand));
    if (shell > 32) return shell;

    // The shell could not open it: try the program that opens web pages.
    CRegKey key;
    std::string type, command;
    if (!key.Open(HKEY_CLASSES_ROOT, ".htm", KEY_QUERY_VALUE) ||
        !key.TryQueryString(nullptr, type, MAX_PATH))
        return shell;
    if (!key.Open(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", KEY_QUERY_VALUE) ||
        !key.TryQueryString(nullptr, command, MAX_PATH))
        return shell;
    const std::string line = HandlerCommandLine(command, address);
    return static_cast<INT_PTR>(WinExec(line.c_str(), static_cast<UINT>(showCommand)));
}

HCURSOR CqvHyperLink::LoadLinkCursor() {
    if (g_linkCursor || g_linkCursorTried) return g_linkCursor;
    g_linkCursorTried = true;
    char dir[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        const std::string help = std::string(dir) + "\\winhlp32.exe";
        // Only its resources are wanted: none of its code runs.
        UniqueModule lib(LoadLibraryExA(help.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (lib) {
            if (HCURSOR hand = LoadCursorA(lib.Get(), MAKEINTRESOURCEA(106)))
                g_linkCursor = CopyCursor(hand);
        }
    }
    // Systems without the help program's cursor have their own hand.
    if (!g_linkCursor) g_linkCursor = LoadCursorA(nullptr, IDC_HAND);
    return g_linkCursor;
}

}  // namespace vt
