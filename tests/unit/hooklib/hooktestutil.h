// Helpers of the hook tests: a window that records the hook's registered
// messages, and the hookprobe fixture, a separate process with a window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "support/testsupport.h"

namespace vt::test {

struct HookNotice {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message-only window of this process that records every hook message it gets.
class HookReceiver {
public:
    HookReceiver();
    ~HookReceiver();
    HookReceiver(const HookReceiver&) = delete;
    HookReceiver& operator=(const HookReceiver&) = delete;
    HWND Handle() const { return window_; }
    const std::vector<HookNotice>& Notices() const;
    size_t Count(UINT message) const;

private:
    HWND window_ = nullptr;  // owned: destroyed with the receiver
};

// The hookprobe fixture: a real process with a window of its own class that
// logs the mouse messages it receives.
class HookProbe {
public:
    bool Start();
    HWND Window() const { return window_; }
    // The fixture's log, one "NAME wParam lParam" line per message.
    std::vector<std::string> Lines() const;
    // Posts msg to the fixture's window and waits until the fixture has handled
    // it. Its hook runs before that, so anything the hook posted to this
    // process is already queued; it is dispatched before returning.
    bool Deliver(UINT msg, WPARAM wp, LPARAM lp);

private:
    ScratchDir dir_{"hookprobe"};
    std::string log_;
    ChildProcess process_;
    HWND window_ = nullptr;
};

std::string ReadTextFile(const std::string& path);

}  // namespace vt::test
