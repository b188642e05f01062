// VTHook.dll's own contract, exercised with real processes: this program
// installs the desktop-wide hook for a window of its own, and the hookprobe
// fixture, a separate process, retrieves the gestures.
#include <gtest/gtest.h>

#include "app/hookbinding.h"
#include "hooklib/vthook.h"
#include "hooktestutil.h"

using namespace vt;
using namespace vt::test;

namespace {

class HookContract : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryA(BinPath("VTHook.dll").c_str());
        ASSERT_NE(module_, nullptr);
        install_ = reinterpret_cast<vthook::InstallHookFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, "InstallHook")));
        uninstall_ = reinterpret_cast<vthook::UninstallHookFn>(
            reinterpret_cast<void*>(GetProcAddress(module_, "UninstallHook")));
        ASSERT_NE(install_, nullptr);
        ASSERT_NE(uninstall_, nullptr);
        ASSERT_TRUE(probe_.Start());
    }
    void TearDown() override {
        if (uninstall_) uninstall_();
        if (module_) FreeLibrary(module_);
    }

    // A right-button press on the caption and a wheel turn, as the window gets them.
    static constexpr WPARAM kNcWParam = HTCAPTION;
    static constexpr LPARAM kNcLParam = MAKELPARAM(150, 110);
    static constexpr WPARAM kWheelWParam = MAKEWPARAM(MK_SHIFT, 0xFF88);  // -120
    static constexpr LPARAM kWheelLParam = MAKELPARAM(200, 220);

    HMODULE module_ = nullptr;
    vthook::InstallHookFn install_ = nullptr;
    vthook::UninstallHookFn uninstall_ = nullptr;
    HookProbe probe_;
};

TEST_F(HookContract, GesturesInAnotherProcessArePostedWithZeroParametersAndStillDelivered) {
    HookReceiver rx;
    ASSERT_EQ(install_(rx.Handle()), 1);

    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONDOWN, kNcWParam, kNcLParam));
    ASSERT_EQ(rx.Notices().size(), 1u);
    EXPECT_EQ(rx.Notices()[0].message, HookRightButtonMessage());
    EXPECT_EQ(rx.Notices()[0].wParam, 0u);
    EXPECT_EQ(rx.Notices()[0].lParam, 0);

    ASSERT_TRUE(probe_.Deliver(WM_MOUSEWHEEL, kWheelWParam, kWheelLParam));
    ASSERT_EQ(rx.Notices().size(), 2u);
    EXPECT_EQ(rx.Notices()[1].message, HookWheelMessage());
    EXPECT_EQ(rx.Notices()[1].wParam, 0u);
    EXPECT_EQ(rx.Notices()[1].lParam, 0);

    // Near relatives of the gestures are not reported.
    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONUP, kNcWParam, kNcLParam));
    ASSERT_TRUE(probe_.Deliver(WM_MOUSEHWHEEL, kWheelWParam, kWheelLParam));
    EXPECT_EQ(rx.Notices().size(), 2u);

    // The program in which the gesture happened got every message unchanged.
    const auto lines = probe_.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0],
              "NCRBUTTONDOWN " + std::to_string(kNcWParam) + " " + std::to_string(kNcLParam));
    EXPECT_EQ(lines[1],
              "MOUSEWHEEL " + std::to_string(kWheelWParam) + " " + std::to_string(kWheelLParam));
    EXPECT_EQ(lines[2].rfind("NCRBUTTONUP ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("MOUSEHWHEEL ", 0), 0u);
}

TEST_F(HookContract, RealWheelInputIsReportedAndScrollsTheWindowAsUsual) {
    HookReceiver rx;
    ASSERT_EQ(install_(rx.Handle()), 1);
    HWND w = probe_.Window();
    SetForegroundWindow(w);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == w; }));
    RECT r;
    GetWindowRect(w, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);

    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_WHEEL;
    in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    ASSERT_EQ(SendInput(1, &in, sizeof in), 1u);

    ASSERT_TRUE(WaitUntil([&] { return probe_.Lines().size() == 1; }));
    const auto lines = probe_.Lines();
    const WPARAM expected = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    EXPECT_EQ(lines[0].rfind("MOUSEWHEEL " + std::to_string(expected) + " ", 0), 0u) << lines[0];
    ASSERT_TRUE(WaitUntil([&] { return rx.Count(HookWheelMessage()) == 1; }));
    EXPECT_EQ(rx.Notices().size(), 1u);
}

TEST_F(HookContract, InstallingAgainLeavesOneHookAimedAtTheNewWindow) {
    HookReceiver first, second;
    ASSERT_EQ(install_(first.Handle()), 1);
    ASSERT_EQ(install_(second.Handle()), 1);

    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONDOWN, kNcWParam, kNcLParam));
    ASSERT_TRUE(probe_.Deliver(WM_MOUSEWHEEL, kWheelWParam, kWheelLParam));
    // Two hooks would report each gesture twice.
    EXPECT_EQ(second.Count(HookRightButtonMessage()), 1u);
    EXPECT_EQ(second.Count(HookWheelMessage()), 1u);
    EXPECT_TRUE(first.Notices().empty());
}

TEST_F(HookContract, UninstallStopsThePostsAndDoesNothingWithoutAHook) {
    HookReceiver rx;
    uninstall_();  // nothing installed yet
    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONDOWN, kNcWParam, kNcLParam));
    EXPECT_TRUE(rx.Notices().empty());

    ASSERT_EQ(install_(rx.Handle()), 1);
    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONDOWN, kNcWParam, kNcLParam));
    EXPECT_EQ(rx.Notices().size(), 1u);

    uninstall_();
    uninstall_();
    ASSERT_TRUE(probe_.Deliver(WM_NCRBUTTONDOWN, kNcWParam, kNcLParam));
    ASSERT_TRUE(probe_.Deliver(WM_MOUSEWHEEL, kWheelWParam, kWheelLParam));
    EXPECT_EQ(rx.Notices().size(), 1u);

    // And it can be installed again afterwards.
    ASSERT_EQ(install_(rx.Handle()), 1);
    ASSERT_TRUE(probe_.Deliver(WM_MOUSEWHEEL, kWheelWParam, kWheelLParam));
    EXPECT_EQ(rx.Count(HookWheelMessage()), 1u);
}

}  // namespace
