#include "support/navtest.h"

#include <commdlg.h>

#include <cstdio>

#include "framework/text.h"
#include "navigation/remote.h"
#include "navigation/sendwindow.h"

namespace navtest {

using namespace vt;

bool Fixture::Start(const std::string& mode, const std::string& args,
                    const std::string& windowClass, const std::string& desktop) {
    log_ = dir_.Path() + "\\log.txt";
    std::string cmd = mode + " \"" + log_ + "\"";
    if (!args.empty()) cmd += " " + args;
    if (!child_.Start(test::BinPath(program), cmd, "", desktop)) return false;
    window_ = test::WaitForTopWindow(child_.Pid(), windowClass);
    return window_ != nullptr;
}

std::string Fixture::Log() const {
    std::string out;
    FILE* f = fopen(log_.c_str(), "rb");
    if (!f) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
}

bool Fixture::WaitForLog(const std::string& text, DWORD timeoutMs) const {
    return test::WaitUntil([&] { return Log().find(text) != std::string::npos; }, timeoutMs);
}

std::vector<std::string> Fixture::LogLines() const {
    std::vector<std::string> lines;
    const std::string all = Log();
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string::npos) end = all.size();
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

nav::NavigationServices FakeWorld::Services(UINT timeoutMs) {
    nav::NavigationServices s;
    s.shellExecute = [this](HWND owner, const std::string& verb, const std::string& path) {
        shellCalls.push_back({owner, verb, path});
    };
    s.keyState = [this](int vk) -> SHORT {
        const bool down = (vk == VK_SHIFT && shift) || (vk == VK_CONTROL && ctrl);
        return static_cast<SHORT>(down ? 0x8000 : 0);
    };
    s.patienceMs = timeoutMs;
    return s;
}

FolderList OneEntry(const std::string& path) {
    FolderList list;
    list[0].path = path;
    list[0].title = "entry";
    return list;
}

void Navigate(HWND target, const std::string& path, FakeWorld& world, AppSettings settings,
              HWND owner) {
    CWnd t(target);
    nav::NavigateTo(nav::kFirstFolderCommand, OneEntry(path), settings, t, owner, world.Services());
}

std::string FileDialogFolder(HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    nav::RemoteBlock block = nav::RemoteBlock::Allocate(pid, MAX_PATH);
    if (!block) return "<no block>";
    LRESULT n = 0;
    // 0x466 is CDM_GETFOLDERPATH here: send it to file dialogs only.
    if (nav::SendToWindow(dialog, CDM_GETFOLDERPATH, MAX_PATH, block.AsLParam(), &n) !=
        nav::SendStatus::Answered)
        return "<no answer>";
    char buf[MAX_PATH + 1] = {};
    if (n <= 0 || !block.Read(0, buf, MAX_PATH)) return "<unreadable>";
    return buf;
}

std::string FileDialogFolderW(HWND dialog) {
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    nav::RemoteBlock block = nav::RemoteBlock::Allocate(pid, MAX_PATH * sizeof(wchar_t));
    if (!block) return "<no block>";
    LRESULT n = 0;
    if (nav::SendToWindow(dialog, CDM_GETFOLDERPATH, MAX_PATH, block.AsLParam(), &n, 3000,
                          nav::MessageForm::Wide) != nav::SendStatus::Answered)
        return "<no answer>";
    wchar_t buf[MAX_PATH] = {};
    if (n <= 0 || !block.Read(0, buf, sizeof buf)) return "<unreadable>";
    return ToNarrow(buf, MAX_PATH);
}

std::string Text(HWND w) {
    wchar_t buf[2048] = {};
    SendMessageTimeoutW(w, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 3000,
                        nullptr);
    return ToNarrow(buf, 2048);
}

const char kMixedScriptName[] =
    "\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\xD1\x8B "  // Проекты
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "                      // 日本語
    "\xF0\x9F\x8E\xB5";                                          // U+1F3B5

std::string MakeDirW(const test::ScratchDir& dir, const std::string& name) {
    const std::string path = dir.Path() + "\\" + name;
    CreateDirectoryW(ToWide(path).c_str(), nullptr);
    return path;
}

std::pair<int, int> Selection(HWND edit) {
    const DWORD sel = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));
    return {LOWORD(sel), HIWORD(sel)};
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace navtest
