#include <gtest/gtest.h>

#include "framework/app.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "framework/trace.h"
#include "framework/wnd.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kKey = "Software\\VantrelFrameworkTest";

TEST(RegKey, TypedReadsFallBackOnWrongTypeAndMissingValues) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kKey);
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(k.SetDword("num", 0xFFFFFFFFu));
    EXPECT_TRUE(k.SetString("str", "hello"));
    const BYTE bin[3] = {1, 2, 3};
    ASSERT_EQ(RegSetValueExA(k.Get(), "bin", 0, REG_BINARY, bin, 3), ERROR_SUCCESS);
    const BYTE qw[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_EQ(RegSetValueExA(k.Get(), "qword", 0, REG_QWORD, qw, 8), ERROR_SUCCESS);

    EXPECT_EQ(k.QueryInt("num", 7), -1);
    EXPECT_EQ(k.QueryInt("str", 7), 7);  // a string where a number belongs
    EXPECT_EQ(k.QueryInt("bin", 7), 7);
    EXPECT_EQ(k.QueryInt("qword", 7), 7);
    EXPECT_EQ(k.QueryInt("missing", 7), 7);
    EXPECT_EQ(k.QueryString("str", "d"), "hello");
    EXPECT_EQ(k.QueryString("num", "d"), "d");  // a number where a string belongs
    EXPECT_EQ(k.QueryString("bin", "d"), "d");
    EXPECT_EQ(k.QueryString("missing", "d"), "d");
}

TEST(RegKey, LongStringsAreReadWholeOrRefusedBeyondTheCap) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kKey);
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, kKey));
    std::string longText(5000, 'x');
    ASSERT_TRUE(k.SetString("long", longText));
    EXPECT_EQ(k.QueryString("long", ""), longText);
    EXPECT_EQ(k.QueryString("long", "cap", 100), "cap");
    // A string stored without its terminating zero still reads correctly.
    ASSERT_EQ(RegSetValueExA(k.Get(), "nozero", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
              ERROR_SUCCESS);
    EXPECT_EQ(k.QueryString("nozero", ""), "abc");
}

TEST(RegProfile, SectionsLiveUnderSoftwareKeyApp) {
    test::ScopedRegTree clean(HKEY_CURRENT_USER, kKey);
    CRegProfile p("VantrelFrameworkTest", "App");
    EXPECT_EQ(p.KeyPath(), "Software\\VantrelFrameworkTest\\App");
    EXPECT_TRUE(p.WriteProfileInt("Entries", "Count", 3));
    EXPECT_TRUE(p.WriteProfileString("", "Name", "v"));
    CRegKey raw;
    ASSERT_TRUE(raw.Open(HKEY_CURRENT_USER, "Software\\VantrelFrameworkTest\\App\\Entries"));
    EXPECT_EQ(raw.QueryDword("Count", 0), 3u);
    EXPECT_EQ(p.GetProfileString("", "Name"), "v");
    EXPECT_EQ(p.GetProfileInt("Nope", "Count", -5), -5);
}

struct RecordingInfo : CCommandLineInfo {
    std::vector<std::string> seen;
    void ParseParam(const char* p, bool sw, bool last) override {
        seen.push_back(std::string(sw ? "S:" : "P:") + p + (last ? "!" : ""));
    }
};

TEST(CommandLine, SwitchesLoseTheirLeadCharacter) {
    const char* argv[] = {"prog.exe", "/pop", "-quit", "C:\\x", ""};
    RecordingInfo info;
    CWinApp::ParseArguments(info, 5, argv);
    std::vector<std::string> want = {"S:pop", "S:quit", "P:C:\\x", "P:!"};
    EXPECT_EQ(info.seen, want);
}

class TestFrame : public CFrameWnd {
public:
    int creates = 0;
    std::vector<UINT> commands;
    TestFrame() {
        Table().OnMessage(WM_CREATE, [this](WPARAM, LPARAM) -> LRESULT {
            ++creates;
            return 0;
        });
        Table().OnCommand(100, [this](UINT id) { commands.push_back(id); });
        Table().OnCommandRange(200, 210, [this](UINT id) { commands.push_back(id); });
        Table().OnMessage(WM_USER + 1, [](WPARAM, LPARAM) -> LRESULT {
            throw std::runtime_error("must not reach the system");
        });
    }
};

TEST(Window, SystemClassWindowIsSubclassedBeforeCreate) {
    TestFrame f;
    ASSERT_TRUE(f.CreateEx(0, "STATIC", "Probe", 0, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(f.creates, 1);
    EXPECT_EQ(CWindowImpl::FromHandlePermanent(f.hwnd_), &f);
    f.SendMessage(WM_COMMAND, 100);
    f.SendMessage(WM_COMMAND, MAKEWPARAM(205, 1));  // accelerator
    f.SendMessage(WM_COMMAND, 211);                 // outside the range
    EXPECT_EQ(f.commands, (std::vector<UINT>{100, 205}));
    {
        // The exception is contained, and it leaves a trace that names it.
        static std::vector<std::string> traced;
        traced.clear();
        TraceSink previous = SetTraceSink([](const std::string& l) { traced.push_back(l); });
        EXPECT_EQ(f.SendMessage(WM_USER + 1), 0);
        SetTraceSink(previous);
        ASSERT_EQ(traced.size(), 1u);
        EXPECT_NE(traced[0].find("must not reach the system"), std::string::npos) << traced[0];
    }
    HWND w = f.hwnd_;
    EXPECT_TRUE(f.DestroyWindow());
    EXPECT_EQ(f.hwnd_, nullptr);
    EXPECT_EQ(CWindowImpl::FromHandlePermanent(w), nullptr);
}

TEST(Window, CreateReturningMinusOneFailsCleanly) {
    struct Refuser : CWindowImpl {
        Refuser() {
            Table().OnMessage(WM_CREATE, [](WPARAM, LPARAM) -> LRESULT { return -1; });
        }
    } r;
    EXPECT_FALSE(r.CreateEx(0, "STATIC", "x", 0, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(r.hwnd_, nullptr);
}

// A message loop whose queue cannot be read ends with a failure code after
// handling what it did read, instead of acting on an unfilled message.
TEST(MessageLoop, UnreadableQueueEndsTheLoopWithAFailureCode) {
    struct FailingApp : CWinApp {
        int reads = 0;
        int dispatched = 0;
        BOOL GetNextMessage(MSG& msg) override {
            if (++reads == 1) {
                msg = MSG{};
                msg.message = WM_NULL;
                return TRUE;
            }
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return -1;
        }
        int ExitInstance() override {
            ++dispatched;
            return CWinApp::ExitInstance();
        }
    };
    static std::vector<std::string> traced;
    traced.clear();
    TraceSink previous = SetTraceSink([](const std::string& l) { traced.push_back(l); });
    FailingApp app;
    EXPECT_EQ(app.Run(), -1);
    SetTraceSink(previous);
    EXPECT_EQ(app.reads, 2);
    EXPECT_EQ(app.dispatched, 1);  // ExitInstance ran once
    ASSERT_EQ(traced.size(), 1u);
    EXPECT_NE(traced[0].find("GetMessage"), std::string::npos);
}

TEST(MessageLoop, QuitCodeBecomesTheExitCode) {
    CWinApp app;
    PostQuitMessage(42);
    EXPECT_EQ(app.Run(), 42);
}

// Only the main window's destruction ends the loop, and the application
// forgets it then, so that "Exit" afterwards has no dead window to close.
TEST(MessageLoop, DestroyingTheMainFrameForgetsItAndEndsTheLoop) {
    CWinApp app;
    CFrameWnd other, main;
    ASSERT_TRUE(other.CreateEx(0, "STATIC", "other", 0, 0, 0, 0, 0, nullptr, nullptr));
    ASSERT_TRUE(main.CreateEx(0, "STATIC", "main", 0, 0, 0, 0, 0, nullptr, nullptr));
    app.SetMainWnd(&main);
    const HWND mainHandle = main.hwnd_;
    EXPECT_EQ(app.MainWindowHandle(), mainHandle);

    ASSERT_TRUE(other.DestroyWindow());
    EXPECT_EQ(app.MainWnd(), &main);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

    ASSERT_TRUE(main.DestroyWindow());
    EXPECT_EQ(app.MainWnd(), nullptr);
    EXPECT_EQ(app.MainWindowHandle(), nullptr);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 0u);
}

TEST(Window, ViewHelpersTolerateInvalidHandles) {
    CWnd dead(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ffe0000)));
    EXPECT_FALSE(dead.IsWindow());
    EXPECT_EQ(dead.GetClassName(), "");
    EXPECT_EQ(dead.GetWindowText(), "");
    EXPECT_FALSE(dead.GetDlgItem(1));
    CWnd none;
    EXPECT_EQ(none.SendMessage(WM_GETTEXTLENGTH), 0);
}

TEST(Handles, MoveTransfersOwnership) {
    UniqueKernelHandle a(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(a);
    HANDLE raw = a.Get();
    UniqueKernelHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), raw);
    b.Reset();
    EXPECT_FALSE(b);
}

}  // namespace
