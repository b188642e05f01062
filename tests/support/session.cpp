#include "support/session.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/instancechecker.h"
#include "app/settings.h"
#include "shell/shellintegration.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "support/navtest.h"

namespace e2e {
namespace test = vt::test;

namespace {
const char* kMapping = "CInstanceChecker_MMF_Vantrel";

bool MappingExists() {
    vt::UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping));
    return static_cast<bool>(m);
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD vk, bool up) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

INPUT Mouse(DWORD flags, DWORD data = 0) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    return in;
}
}  // namespace

HWND PublishedWindow() {
    vt::UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping));
    if (!m) return nullptr;
    vt::UniqueMapView v(MapViewOfFile(m.Get(), FILE_MAP_READ, 0, 0, 4));
    if (!v) return nullptr;
    return vt::CInstanceChecker::UnpackWindow(*static_cast<const DWORD*>(v.Get()));
}

std::vector<HWND> VisibleMenus(DWORD pid) {
    std::vector<HWND> menus;
    for (HWND w : test::TopWindowsOfProcess(pid))
        if (IsWindowVisible(w) && test::ClassNameOf(w) == "#32768") menus.push_back(w);
    return menus;
}

namespace {
// The pixels a window shows on the screen, row by row; empty if it has no area.
std::vector<DWORD> PixelsOnScreen(HWND w) {
    RECT r;
    if (!GetWindowRect(w, &r)) return {};
    const int cx = r.right - r.left, cy = r.bottom - r.top;
    if (cx <= 0 || cy <= 0) return {};
    std::vector<DWORD> pixels(static_cast<size_t>(cx) * cy);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, cx, cy, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    if (!GetDIBits(mem, bmp, 0, static_cast<UINT>(cy), pixels.data(), &bi, DIB_RGB_COLORS))
        pixels.clear();
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

::testing::AssertionResult KeyChangesLook(HWND w, WORD vk, DWORD timeoutMs) {
    const std::vector<DWORD> before = PixelsOnScreen(w);
    if (before.empty()) return ::testing::AssertionFailure() << Describe(w) << " shows nothing";
    PressKey(vk);
    if (test::WaitUntil([&] { return PixelsOnScreen(w) != before; }, timeoutMs))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "key " << vk << " pressed in " << Describe(w)
                                         << " changed nothing within " << timeoutMs << " ms";
}
}  // namespace

::testing::AssertionResult MenuTookInput(HWND menu, DWORD timeoutMs) {
    ::testing::AssertionResult down = KeyChangesLook(menu, VK_DOWN, timeoutMs);
    return down ? KeyChangesLook(menu, VK_UP, timeoutMs) : down;
}

::testing::AssertionResult RetrievedEarlierInput(HWND edit, DWORD timeoutMs) {
    if (!edit || !IsWindow(edit))
        return ::testing::AssertionFailure() << "no edit box to type into";
    const std::string before = navtest::Text(edit);
    // A letter no test types: it shows only once the dialog's thread has taken
    // everything queued ahead of it.
    PressKey('Q');
    std::string now;
    if (!test::WaitUntil([&] { return (now = navtest::Text(edit)) != before; }, timeoutMs))
        return ::testing::AssertionFailure() << "a letter typed into " << Describe(edit)
                                             << " did not show within " << timeoutMs << " ms";
    PressKey(VK_BACK);
    if (!test::WaitUntil([&] { return (now = navtest::Text(edit)) == before; }, timeoutMs))
        return ::testing::AssertionFailure() << "the box shows \"" << now << "\" instead of \""
                                             << before << "\" after the letter was deleted";
    return ::testing::AssertionSuccess();
}

namespace {
HWND FocusIn(DWORD thread) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}
}  // namespace

::testing::AssertionResult DialogTookInput(HWND dialog, DWORD timeoutMs) {
    const DWORD thread = dialog ? GetWindowThreadProcessId(dialog, nullptr) : 0;
    if (!thread) return ::testing::AssertionFailure() << "no dialog to press keys in";
    if (GetForegroundWindow() != dialog)
        return ::testing::AssertionFailure()
               << Describe(dialog) << " is not in front but " << Describe(GetForegroundWindow());
    const HWND start = FocusIn(thread);
    PressKey(VK_TAB);
    HWND now = start;
    if (!test::WaitUntil([&] { return (now = FocusIn(thread)) != start; }, timeoutMs))
        return ::testing::AssertionFailure()
               << "Tab in " << Describe(dialog) << " left the focus on " << Describe(start)
               << " for " << timeoutMs << " ms";
    PressChord({VK_SHIFT}, VK_TAB);
    if (!test::WaitUntil([&] { return (now = FocusIn(thread)) == start; }, timeoutMs))
        return ::testing::AssertionFailure()
               << "Shift+Tab in " << Describe(dialog) << " left the focus on " << Describe(now)
               << " (in " << (GetAncestor(now, GA_ROOT) == dialog ? "it" : "another window")
               << ") instead of " << Describe(start);
    return ::testing::AssertionSuccess();
}

RegistryBaseline::RegistryBaseline() { Clear(); }
RegistryBaseline::~RegistryBaseline() { Clear(); }

void RegistryBaseline::Clear() {
    const std::string verb = std::string("Software\\Classes\\") + vt::kVerbKey;
    test::DeleteRegTree(HKEY_CURRENT_USER, verb);
    test::DeleteRegTree(HKEY_LOCAL_MACHINE, verb);
    vt::CRegKey run;
    if (run.Open(HKEY_CURRENT_USER, vt::kRunKey, KEY_SET_VALUE)) run.DeleteValue(vt::kRunValueName);
}

ProgramCopy::ProgramCopy(const std::string& name) : dir_(name) {
    ok_ = !dir_.Path().empty() && !Put(test::BinPath("Vantrel.exe"), "Vantrel.exe").empty() &&
          !Put(test::BinPath("VTHook.dll"), "VTHook.dll").empty();
}

std::string ProgramCopy::Put(const std::string& from, const std::string& name) const {
    const std::string to = dir_.Path() + "\\" + name;
    return CopyFileA(from.c_str(), to.c_str(), FALSE) ? to : std::string();
}

VantrelRun::VantrelRun() {
    // The defaults of a first run, except what a test would trip over: no
    // hot key and no tray icon unless the test asks for them.
    settings.shortcutType = vt::ShortcutType::None;
    settings.showTray = false;
}

VantrelRun::~VantrelRun() {
    if (process_.Running()) {
        // A polite end first, so that the hook and the tray icon go too.
        if (window_) PostMessageA(window_, WM_COMMAND, 57665, 0);
        if (!process_.WaitForExit(5000)) process_.Terminate();
    }
    test::WaitUntil([] { return !MappingExists(); }, 5000);
}

namespace {
std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string s = "error " + std::to_string(code);
    if (text) {
        s += std::string(" (") + text;
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
            s.pop_back();
        s += ")";
        LocalFree(text);
    }
    return s;
}

std::string StartName(const std::string& which, const std::string& args) {
    return which + " (\"Vantrel.exe" + (args.empty() ? "" : " " + args) + "\")";
}
}  // namespace

std::string VantrelRun::ProgramPath() const {
    return (programDir.empty() ? test::BinDir() : programDir) + "\\" + program;
}

::testing::AssertionResult VantrelRun::Launch(const std::string& args) {
    vt::CSettingsStore store(vt::CRegProfile("Quorvane.", "Vantrel"));
    store.settings = settings;
    store.folders = folders;
    store.SaveSettings();
    store.Profile().WriteProfileInt("", vt::regname::kAlreadyRun, 1);
    if (editProfile) editProfile();
    process_.UseLimitedRights(limitedRights);
    args_ = args;
    const std::string dir = programDir.empty() ? test::BinDir() : programDir;
    if (process_.Start(ProgramPath(), args, dir, desktop)) return ::testing::AssertionSuccess();
    const DWORD error = GetLastError();
    return ::testing::AssertionFailure()
           << StartName("the first start", args) << " of " << ProgramPath()
           << " could not be started: " << SystemErrorText(error);
}

::testing::AssertionResult VantrelRun::WaitReady() {
    const bool published =
        test::WaitUntil([&] { return PublishedWindow() != nullptr || !process_.Running(); }, 20000);
    window_ = PublishedWindow();
    if (published && window_) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << StartName("the first start", args_);
    if (!process_.Running())
        return failure << " (pid " << process_.Pid() << ") ended with exit code "
                       << process_.ExitCode() << " before it published its window";
    std::string windows;
    for (HWND w : test::TopWindowsOfProcess(process_.Pid()))
        if (IsWindowVisible(w)) windows += "\n  " + Describe(w);
    return failure << " (pid " << process_.Pid()
                   << ") is running but published no window within 20 s; its visible windows:"
                   << (windows.empty() ? " none" : windows);
}

::testing::AssertionResult VantrelRun::Forward(const std::string& args) {
    test::ChildProcess second;
    const std::string dir = programDir.empty() ? test::BinDir() : programDir;
    if (!second.Start(ProgramPath(), args, dir, desktop)) {
        const DWORD error = GetLastError();
        return ::testing::AssertionFailure() << StartName("a second start", args)
                                             << " could not be started: " << SystemErrorText(error);
    }
    if (second.WaitForExit(20000)) return ::testing::AssertionSuccess();
    std::string windows;
    for (HWND w : test::TopWindowsOfProcess(second.Pid()))
        if (IsWindowVisible(w)) windows += "\n  " + Describe(w);
    return ::testing::AssertionFailure()
           << StartName("a second start", args) << " (pid " << second.Pid()
           << ") did not end within 20 s; its visible windows:"
           << (windows.empty() ? " none" : windows);
}

HWND VantrelRun::WaitForMenu(DWORD timeoutMs) const {
    HWND menu = nullptr;
    test::WaitUntil(
        [&] {
            auto menus = VisibleMenus(Pid());
            menu = menus.empty() ? nullptr : menus.front();
            return menu != nullptr;
        },
        timeoutMs);
    return menu;
}

bool VantrelRun::WaitForMenuGone(DWORD timeoutMs) const {
    return test::WaitUntil([&] { return !MenuShown(); }, timeoutMs);
}

std::vector<HWND> VantrelRun::MessageBoxes(const std::string& text) const {
    std::vector<HWND> boxes;
    for (HWND w : test::TopWindowsOfProcess(Pid())) {
        if (!IsWindowVisible(w) || test::ClassNameOf(w) != "#32770") continue;
        HWND label = GetDlgItem(w, 0xFFFF);  // a message box's text
        if (label && test::TextOf(label).find(text) != std::string::npos) boxes.push_back(w);
    }
    return boxes;
}

DWORD VantrelRun::StoredShowTray() const {
    return static_cast<DWORD>(
        vt::CRegProfile("Quorvane.", "Vantrel").GetProfileInt("", vt::regname::kShowTray, -1));
}

void PressKey(WORD vk) { Send({Key(vk, false), Key(vk, true)}); }

void PressChord(const std::vector<WORD>& modifiers, WORD vk) { PressChords({{modifiers, vk}}); }

void PressChords(const std::vector<Chord>& chords) {
    std::vector<INPUT> in;
    for (const Chord& c : chords) {
        for (WORD m : c.modifiers) in.push_back(Key(m, false));
        in.push_back(Key(c.vk, false));
        in.push_back(Key(c.vk, true));
        for (auto it = c.modifiers.rbegin(); it != c.modifiers.rend(); ++it)
            in.push_back(Key(*it, true));
    }
    Send(in);
}

HWND PressChordForMenu(const VantrelRun& run, const std::vector<WORD>& modifiers, WORD vk) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        PressChord(modifiers, vk);
        if (HWND menu = run.WaitForMenu(3000)) return menu;
    }
    return nullptr;
}

void MoveMouse(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in = Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
    in.mi.dx = MulDiv(screen.x, 65535, cx - 1);
    in.mi.dy = MulDiv(screen.y, 65535, cy - 1);
    Send({in});
    test::WaitUntil(
        [&] {
            POINT p;
            return GetCursorPos(&p) && p.x == screen.x && p.y == screen.y;
        },
        2000);
}

void TurnWheel(int clicks) {
    Send({Mouse(MOUSEEVENTF_WHEEL, static_cast<DWORD>(clicks * WHEEL_DELTA))});
}
void RightButtonDown() { Send({Mouse(MOUSEEVENTF_RIGHTDOWN)}); }
void RightButtonUp() { Send({Mouse(MOUSEEVENTF_RIGHTUP)}); }

std::string LongLower(const std::string& path) {
    char buf[MAX_PATH];
    DWORD n = GetLongPathNameA(path.c_str(), buf, MAX_PATH);
    return navtest::Lower(n && n < MAX_PATH ? std::string(buf, n) : path);
}

std::string Describe(HWND w) {
    if (!w) return "no window";
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return test::ClassNameOf(w) + " \"" + test::TextOf(w) + "\" of process " + std::to_string(pid);
}

void PickSecondItem(const VantrelRun& run) {
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    ASSERT_TRUE(run.WaitForMenuGone());
}

void PopAndPickSecondItem(VantrelRun& run) {
    ASSERT_TRUE(run.Forward("/pop"));
    ASSERT_TRUE(run.WaitForMenu());
    PickSecondItem(run);
}

void PickSecondItemAndExpectDialogIn(const VantrelRun& run, HWND dialog,
                                     const std::string& folder) {
    PickSecondItem(run);
    if (::testing::Test::HasFatalFailure()) return;
    const std::string want = LongLower(folder);
    EXPECT_TRUE(test::WaitUntil([&] {
        return LongLower(navtest::FileDialogFolder(dialog)) == want;
    })) << navtest::FileDialogFolder(dialog);
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == dialog; }))
        << Describe(GetForegroundWindow());
}

bool BringToFront(HWND w) {
    return test::WaitUntil(
        [&] {
            if (GetForegroundWindow() == w) return true;
            SetForegroundWindow(w);
            return false;
        },
        10000);
}

HookRecord ReadHookRecord() {
    HookRecord r;
    // The library's shared section is the same memory in every process that
    // maps it; mapping it here as well reads what Vantrel wrote.
    HMODULE lib = LoadLibraryA(test::BinPath("VTHook.dll").c_str());
    if (!lib) return r;
    auto* base = reinterpret_cast<const BYTE*>(lib);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_SECTION_HEADER* sec = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++sec) {
        if (memcmp(sec->Name, ".VT\0", 4) != 0) continue;
        auto* fields = reinterpret_cast<const volatile LONG*>(base + sec->VirtualAddress);
        r.target = fields[0];
        r.hook = fields[1];
    }
    FreeLibrary(lib);
    return r;
}

HWND ExplorerWindowTitled(const std::string& title) {
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "ExplorerWClass", nullptr)))
        if (IsWindowVisible(w) && test::TextOf(w).find(title) != std::string::npos) return w;
    return nullptr;
}

}  // namespace e2e
