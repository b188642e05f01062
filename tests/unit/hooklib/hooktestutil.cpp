#include "hooktestutil.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "app/hookbinding.h"

namespace vt::test {

namespace {

std::map<HWND, std::vector<HookNotice>> g_notices;

LRESULT CALLBACK ReceiverProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == HookRightButtonMessage() || msg == HookWheelMessage()) {
        g_notices[w].push_back({msg, wp, lp});
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

const char kReceiverClass[] = "VtHookTestReceiver";

}  // namespace

HookReceiver::HookReceiver() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kReceiverClass;
    RegisterClassA(&wc);  // fails harmlessly for the second receiver
    window_ = CreateWindowExA(0, kReceiverClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
}

HookReceiver::~HookReceiver() {
    if (window_) DestroyWindow(window_);
    g_notices.erase(window_);
}

const std::vector<HookNotice>& HookReceiver::Notices() const { return g_notices[window_]; }

size_t HookReceiver::Count(UINT message) const {
    const auto& n = Notices();
    return std::count_if(n.begin(), n.end(),
                         [&](const HookNotice& x) { return x.message == message; });
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool HookProbe::Start() {
    log_ = dir_.Path() + "\\probe.log";
    if (!process_.Start(BinPath("hookprobe.exe"), "\"" + log_ + "\"")) return false;
    window_ = WaitForTopWindow(process_.Pid(), "VtHookProbe");
    return window_ != nullptr;
}

std::vector<std::string> HookProbe::Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadTextFile(log_));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

bool HookProbe::Deliver(UINT msg, WPARAM wp, LPARAM lp) {
    const size_t before = Lines().size();
    if (!PostMessageA(window_, msg, wp, lp)) return false;
    const bool handled = WaitUntil([&] { return Lines().size() > before; });
    PumpMessages();
    return handled;
}

}  // namespace vt::test
