#include "testsupport.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <cstdio>
#include <utility>

#include "framework/gdi.h"
#include "framework/text.h"

namespace vt::test {

std::string BinDir() {
    char buf[MAX_PATH * 2] = {};
    GetModuleFileNameA(nullptr, buf, sizeof buf);
    std::string p(buf);
    auto slash = p.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

std::string BinPath(const std::string& name) { return BinDir() + "\\" + name; }

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return cond();
        PumpMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

ChildProcess::~ChildProcess() { Terminate(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(std::exchange(other.pid_, 0)),
      tid_(std::exchange(other.tid_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Terminate();
        process_ = std::exchange(other.process_, nullptr);
        pid_ = std::exchange(other.pid_, 0);
        tid_ = std::exchange(other.tid_, 0);
    }
    return *this;
}

bool CreateProcessRetryingStartupFailure(const std::function<BOOL()>& create) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (create()) return true;
        if (GetLastError() != ERROR_INTERNAL_ERROR) return false;
    }
    return false;
}

bool ChildProcess::Start(const std::string& exe, const std::string& args,
                         const std::string& workDir, const std::string& desktop) {
    Terminate();
    std::string cmd = "\"" + exe + "\"";
    if (!args.empty()) cmd += " " + args;
    std::vector<char> line(cmd.begin(), cmd.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    std::vector<char> desk(desktop.begin(), desktop.end());
    desk.push_back('\0');
    if (!desktop.empty()) si.lpDesktop = desk.data();
    PROCESS_INFORMATION pi = {};
    HANDLE token = limitedRights_ ? LimitedPrimaryToken() : nullptr;
    if (limitedRights_ && !token) return false;
    const bool started = CreateProcessRetryingStartupFailure([&] {
        const char* dir = workDir.empty() ? nullptr : workDir.c_str();
        return token ? CreateProcessAsUserA(token, exe.c_str(), line.data(), nullptr, nullptr,
                                            FALSE, 0, nullptr, dir, &si, &pi)
                     : CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      dir, &si, &pi);
    });
    if (token) CloseHandle(token);
    if (!started) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
    tid_ = pi.dwThreadId;
    return true;
}

HANDLE LimitedPrimaryToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &own)) return nullptr;
    TOKEN_LINKED_TOKEN linked = {};
    DWORD size = 0;
    const BOOL got = GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
    CloseHandle(own);
    if (!got || !linked.LinkedToken) return nullptr;
    HANDLE primary = nullptr;
    DuplicateTokenEx(linked.LinkedToken, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                     TokenPrimary, &primary);
    CloseHandle(linked.LinkedToken);
    return primary;
}

bool ChildProcess::Running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) return true;
    return WaitUntil([&] { return !Running(); }, timeoutMs);
}

DWORD ChildProcess::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::Terminate() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 5000);
    }
    CloseHandle(process_);
    process_ = nullptr;
    pid_ = tid_ = 0;
}

namespace {
struct EnumCtx {
    DWORD pid;
    std::vector<HWND> out;
};
BOOL CALLBACK CollectProcessWindow(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<EnumCtx*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == c->pid) c->out.push_back(w);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindowsOfProcess(DWORD pid) {
    EnumCtx ctx{pid, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&ctx));
    return ctx.out;
}

HWND WaitForTopWindow(DWORD pid, const std::string& className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND w : TopWindowsOfProcess(pid)) {
                if (!IsWindowVisible(w)) continue;
                if (!className.empty() && ClassNameOf(w) != className) continue;
                found = w;
                return true;
            }
            return false;
        },
        timeoutMs);
    return found;
}

std::string ClassNameOf(HWND w) {
    char buf[256] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string TextOf(HWND w) {
    char buf[4096] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

bool HotKeyIsFree(UINT modifiers, UINT vk) {
    const int id = 0x7F00;
    if (!RegisterHotKey(nullptr, id, modifiers, vk)) return false;
    UnregisterHotKey(nullptr, id);
    return true;
}

void DeleteRegTree(HKEY root, const std::string& subkey) { SHDeleteKeyA(root, subkey.c_str()); }

ScopedRegTree::ScopedRegTree(HKEY root, std::string subkey)
    : root_(root), subkey_(std::move(subkey)) {
    DeleteRegTree(root_, subkey_);
}

ScopedRegTree::~ScopedRegTree() { DeleteRegTree(root_, subkey_); }

ScratchDir::ScratchDir(const std::string& hint, const std::string& base) {
    char tmp[MAX_PATH] = {};
    if (base.empty())
        GetTempPathA(sizeof tmp, tmp);
    else
        lstrcpynA(tmp, base.c_str(), sizeof tmp);
    static LONG counter = 0;
    for (;;) {
        std::string p = std::string(tmp) + hint + "_" + std::to_string(GetCurrentProcessId()) +
                        "_" + std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(p.c_str(), nullptr)) {
            path_ = p;
            break;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}

namespace {
// Removes a folder and everything below it, in the extended-length form, so
// that paths of any length go. (Wine's SHFileOperation cuts the paths below a
// folder at MAX_PATH characters and then deletes what the cut path names: the
// files of the current folder, seen once.) Links to folders are removed, not
// followed.
void RemoveTree(const std::wstring& extended) {
    WIN32_FIND_DATAW found = {};
    HANDLE h = FindFirstFileW((extended + L"\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = extended + L"\\" + name;
            const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                                (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (folder)
                RemoveTree(child);
            else if (!DeleteFileW(child.c_str()))
                RemoveDirectoryW(child.c_str());
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RemoveDirectoryW(extended.c_str());
}
}  // namespace

ScratchDir::~ScratchDir() {
    if (path_.empty()) return;
    // Always a full path with a drive (the temporary folder or a base like C:\).
    RemoveTree(L"\\\\?\\" + vt::ToWide(path_));
}

std::string ScratchDir::MakeDir(const std::string& rel) const {
    std::string full = path_;
    size_t start = 0;
    while (start <= rel.size()) {
        size_t end = rel.find_first_of("\\/", start);
        if (end == std::string::npos) end = rel.size();
        full += "\\" + rel.substr(start, end - start);
        CreateDirectoryA(full.c_str(), nullptr);
        start = end + 1;
    }
    return full;
}

std::string ScratchDir::MakeFile(const std::string& rel, const std::string& content) const {
    std::string full = path_ + "\\" + rel;
    HANDLE f = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
        CloseHandle(f);
    }
    return full;
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    HWND tray = nullptr;
    while ((tray = FindWindowExA(nullptr, tray, "__winex11_standalone_tray", nullptr))) {
        if (!IsWindowVisible(tray)) continue;
        HWND icon = nullptr;
        while ((icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr)))
            if (IsWindowVisible(icon)) icons.push_back(icon);
    }
    return icons;
}

ScopedUserClassesRoot::ScopedUserClassesRoot() {
    HKEY classes = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &classes, nullptr) != ERROR_SUCCESS)
        return;
    active_ = RegOverridePredefKey(HKEY_CLASSES_ROOT, classes) == ERROR_SUCCESS;
    RegCloseKey(classes);  // the override keeps its own handle
}

ScopedUserClassesRoot::~ScopedUserClassesRoot() {
    if (active_) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
}

bool WriteSolidIconFile(const std::string& path,
                        const std::vector<std::pair<int, COLORREF>>& pictures) {
    std::string head, body;
    auto put16 = [](std::string& s, unsigned v) {
        s += char(v & 0xFF);
        s += char((v >> 8) & 0xFF);
    };
    auto put32 = [&](std::string& s, unsigned v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    };
    put16(head, 0);
    put16(head, 1);  // icons
    put16(head, static_cast<unsigned>(pictures.size()));
    size_t offset = 6 + 16 * pictures.size();
    for (const auto& p : pictures) {
        const unsigned n = static_cast<unsigned>(p.first);
        const unsigned maskRow = ((n + 31) / 32) * 4;
        std::string image;
        put32(image, 40);
        put32(image, n);
        put32(image, 2 * n);  // colour and mask
        put16(image, 1);
        put16(image, 32);
        for (int i = 0; i < 6; ++i) put32(image, 0);
        for (unsigned i = 0; i < n * n; ++i) {  // BGRA, opaque
            image += char(GetBValue(p.second));
            image += char(GetGValue(p.second));
            image += char(GetRValue(p.second));
            image += char(0xFF);
        }
        image.append(maskRow * n, '\0');  // AND mask: all opaque
        head += char(n & 0xFF);
        head += char(n & 0xFF);
        head += '\0';
        head += '\0';
        put16(head, 1);
        put16(head, 32);
        put32(head, static_cast<unsigned>(image.size()));
        put32(head, static_cast<unsigned>(offset));
        offset += image.size();
        body += image;
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    const std::string all = head + body;
    const bool ok = fwrite(all.data(), 1, all.size(), f) == all.size();
    return fclose(f) == 0 && ok;
}

std::vector<COLORREF> DrawnIconPixels(HICON icon, int size) {
    std::vector<COLORREF> pixels;
    if (!icon || size <= 0) return pixels;
    BITMAPINFO bi = TopDown32BitInfo(size, size);
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = mem ? CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        RECT all = {0, 0, size, size};
        FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL)) {
            GdiFlush();
            const auto* p = static_cast<const DWORD*>(bits);
            for (int i = 0; i < size * size; ++i)
                pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    if (mem) DeleteDC(mem);
    return pixels;
}

int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour) {
    int n = 0;
    for (COLORREF c : pixels) n += c == colour ? 1 : 0;
    return n;
}

}  // namespace vt::test
