// Single instance and forwarding with real processes: Vantrel.exe started the
// way a user or Explorer starts it, and this test standing in for a running
// instance where the forwarded command itself is to be observed.
#include <gtest/gtest.h>

#include "app/instancechecker.h"
#include "framework/handles.h"
#include "framework/registry.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const char* kMapping = "CInstanceChecker_MMF_Vantrel";
const char* kMutex = "vantrel instance checker";

std::string Exe() { return test::BinPath("Vantrel.exe"); }

// The window a running instance published, or null.
HWND PublishedWindow() {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping));
    if (!m) return nullptr;
    UniqueMapView v(MapViewOfFile(m.Get(), FILE_MAP_READ, 0, 0, 4));
    if (!v) return nullptr;
    return CInstanceChecker::UnpackWindow(*static_cast<const DWORD*>(v.Get()));
}

bool MappingExists() {
    UniqueKernelHandle m(OpenFileMappingA(FILE_MAP_READ, FALSE, kMapping));
    return static_cast<bool>(m);
}

class Instance : public ::testing::Test {
protected:
    void TearDown() override {
        // Whatever happened, no Vantrel may outlive the test.
        for (auto* p : {&first_, &second_, &third_}) p->Terminate();
        test::WaitUntil([] { return !MappingExists(); }, 5000);
    }
    test::ScopedRegTree clean_{HKEY_CURRENT_USER, "Software\\Quorvane."};
    test::ChildProcess first_, second_, third_;
};

// Stands in for a running instance: a window of this process published in
// the mapping, recording the commands that reach it.
class FakeRunningInstance {
public:
    FakeRunningInstance() {
        CWindowImpl::RegisterClass("VtFakeInstance");
        window_.Table().OnMessage(WM_COMMAND, [this](WPARAM w, LPARAM l) -> LRESULT {
            commands.push_back(static_cast<UINT>(w));
            lparams.push_back(l);
            return 0;
        });
        window_.CreateEx(0, "VtFakeInstance", "Vantrel", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                         nullptr, nullptr);
        mapping_.Reset(
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, kMapping));
        UniqueMapView v(MapViewOfFile(mapping_.Get(), FILE_MAP_WRITE, 0, 0, 4));
        *static_cast<DWORD*>(v.Get()) = CInstanceChecker::PackWindow(window_.hwnd_);
    }
    HWND Window() const { return window_.hwnd_; }
    std::vector<UINT> commands;
    std::vector<LPARAM> lparams;

private:
    // Plain CWindowImpl: commands go to the table, nothing is routed to an app.
    CWindowImpl window_;
    UniqueKernelHandle mapping_;
};

TEST_F(Instance, FirstStartPublishesAHiddenStaticWindowAndSecondQuitEndsIt) {
    ASSERT_TRUE(first_.Start(Exe()));
    ASSERT_TRUE(test::WaitUntil([] { return PublishedWindow() != nullptr; }));
    HWND w = PublishedWindow();
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    EXPECT_EQ(pid, first_.Pid());
    EXPECT_EQ(CWnd(w).GetWindowText(), "Vantrel");
    EXPECT_TRUE(test::ClassNameOf(w) == "Static" || test::ClassNameOf(w) == "STATIC")
        << test::ClassNameOf(w);
    EXPECT_FALSE(IsWindowVisible(w));

    ASSERT_TRUE(second_.Start(Exe(), "-quit"));
    EXPECT_TRUE(second_.WaitForExit(10000));
    EXPECT_TRUE(first_.WaitForExit(10000));
    EXPECT_FALSE(MappingExists());
}

TEST_F(Instance, UpperCaseQuitOnlyActivatesTheRunningInstance) {
    ASSERT_TRUE(first_.Start(Exe()));
    ASSERT_TRUE(test::WaitUntil([] { return PublishedWindow() != nullptr; }));
    HWND running = PublishedWindow();
    ASSERT_TRUE(second_.Start(Exe(), "/QUIT"));
    ASSERT_TRUE(second_.WaitForExit(10000));
    // Sent messages overtake posted ones, so one round trip only proves the
    // queue is being read; the second cannot come back before whatever the
    // second start posted has been handled.
    for (int trip = 0; trip < 2; ++trip) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(running, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    }
    EXPECT_TRUE(IsWindow(running)) << "\"/QUIT\" closed the running instance";
    EXPECT_TRUE(first_.Running());
    EXPECT_EQ(PublishedWindow(), running);
    // Only the real switch ends it.
    ASSERT_TRUE(third_.Start(Exe(), "/quit"));
    ASSERT_TRUE(third_.WaitForExit(10000));
    EXPECT_TRUE(first_.WaitForExit(10000));
}

TEST_F(Instance, FirstStartWithQuitExitsAtOnceWithoutAWindow) {
    ASSERT_TRUE(first_.Start(Exe(), "/quit"));
    EXPECT_TRUE(first_.WaitForExit(10000));
    EXPECT_FALSE(MappingExists());
    EXPECT_TRUE(test::TopWindowsOfProcess(first_.Pid()).empty());
}

TEST_F(Instance, ForwardsEachCommandAsAPostedCommandToTheRecordedWindow) {
    FakeRunningInstance running;
    struct Case {
        const char* args;
        UINT id;
    } cases[] = {
        {"/pop", 32777},
        {"-pop", 32777},
        {"/quit", 57665},
        {"C:\\My Folder", 32772},
    };
    for (const auto& c : cases) {
        running.commands.clear();
        // Once under load a start posted nothing while Wine's loader aborted
        // a process on its way out (ld.so's _dl_fini assertion); such a start
        // is made once more.
        bool arrived = false;
        for (int attempt = 0; attempt < 2 && !arrived; ++attempt) {
            ASSERT_TRUE(second_.Start(Exe(), c.args));
            ASSERT_TRUE(second_.WaitForExit(10000)) << c.args;
            arrived = test::WaitUntil([&] { return !running.commands.empty(); }, 5000);
        }
        ASSERT_TRUE(arrived) << c.args;
        EXPECT_EQ(running.commands, std::vector<UINT>{c.id}) << c.args;
        EXPECT_EQ(running.lparams.back(), 0);
    }
}

TEST_F(Instance, UnquotedPathArgumentsAreJoinedIntoDirToAdd) {
    FakeRunningInstance running;
    ASSERT_TRUE(second_.Start(Exe(), "C:\\My Folder"));  // two arguments: C:\My and Folder
    ASSERT_TRUE(second_.WaitForExit(10000));
    ASSERT_TRUE(test::WaitUntil([&] { return !running.commands.empty(); }, 5000));
    EXPECT_EQ(running.commands.front(), 32772u);
    CRegKey k;
    ASSERT_TRUE(k.Open(HKEY_CURRENT_USER, "Software\\Quorvane.\\Vantrel"));
    EXPECT_EQ(k.QueryString("Dir To Add", "<missing>"), "C:\\My Folder");
}

TEST_F(Instance, EmptyCommandForwardsNothingButActivates) {
    FakeRunningInstance running;
    ASSERT_TRUE(second_.Start(Exe()));
    ASSERT_TRUE(second_.WaitForExit(10000));
    test::PumpMessages();
    EXPECT_TRUE(running.commands.empty());
    EXPECT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == running.Window(); }, 5000));
}

TEST_F(Instance, PopLeavesTheWindowInFrontInFront) {
    FakeRunningInstance running;
    // The user's window, in front, in another process.
    ASSERT_TRUE(third_.Start(test::BinPath("instance_front_window.exe")));
    HWND front = test::WaitForTopWindow(third_.Pid(), "VtFrontWindow");
    ASSERT_TRUE(front);
    ASSERT_TRUE(test::WaitUntil([&] { return GetForegroundWindow() == front; }, 5000));
    ASSERT_TRUE(second_.Start(Exe(), "/pop"));
    ASSERT_TRUE(second_.WaitForExit(10000));
    ASSERT_TRUE(test::WaitUntil([&] { return !running.commands.empty(); }, 5000));
    EXPECT_EQ(running.commands.front(), 32777u);
    EXPECT_EQ(GetForegroundWindow(), front);
}

TEST_F(Instance, StartWhileTheFirstIsStartingWaitsAndForwards) {
    // This process plays the first instance that is still starting: it holds
    // the start-up mutex while the second start is launched.
    UniqueKernelHandle mutex(CreateMutexA(nullptr, TRUE, kMutex));
    ASSERT_TRUE(mutex);
    ASSERT_TRUE(second_.Start(Exe(), "/pop"));
    FakeRunningInstance running;  // publishes its window...
    ReleaseMutex(mutex.Get());    // ...and finishes starting
    ASSERT_TRUE(second_.WaitForExit(10000));
    ASSERT_TRUE(test::WaitUntil([&] { return !running.commands.empty(); }, 5000));
    EXPECT_EQ(running.commands, std::vector<UINT>{32777u});
}

TEST_F(Instance, TwoStartsAtTheSameMomentGiveExactlyOneInstance) {
    ASSERT_TRUE(first_.Start(Exe()));
    ASSERT_TRUE(second_.Start(Exe()));
    ASSERT_TRUE(test::WaitUntil([&] { return !first_.Running() || !second_.Running(); }, 10000));
    ASSERT_TRUE(test::WaitUntil([] { return PublishedWindow() != nullptr; }));
    EXPECT_NE(first_.Running(), second_.Running());
    DWORD pid = 0;
    GetWindowThreadProcessId(PublishedWindow(), &pid);
    EXPECT_EQ(pid, first_.Running() ? first_.Pid() : second_.Pid());
    ASSERT_TRUE(third_.Start(Exe(), "/quit"));
    ASSERT_TRUE(third_.WaitForExit(10000));
    EXPECT_TRUE(test::WaitUntil([&] { return !first_.Running() && !second_.Running(); }, 10000));
}

// Vantrel's own main window in a process: the hidden "Vantrel" window.
HWND MainWindowOf(const test::ChildProcess& p) {
    for (HWND w : test::TopWindowsOfProcess(p.Pid()))
        if (CWnd(w).GetWindowText() == "Vantrel" && !IsWindowVisible(w)) return w;
    return nullptr;
}

TEST_F(Instance, NameTakenByAnotherObjectDoesNotBlockLaterStarts) {
    // No shortcut, so that two instances do not compete for one.
    CRegProfile p("Quorvane.", "Vantrel");
    p.WriteProfileInt("", "Already Run", 1);
    p.WriteProfileInt("", "Shortcut Type", 0);
    p.WriteProfileInt("", "Show Tray", 0);
    // Something else holds the record's name: the window cannot be published.
    UniqueKernelHandle squatter(CreateEventA(nullptr, TRUE, FALSE, kMapping));
    ASSERT_TRUE(squatter);
    ASSERT_TRUE(first_.Start(Exe()));
    ASSERT_TRUE(test::WaitUntil([&] { return MainWindowOf(first_) != nullptr; }, 20000));
    EXPECT_FALSE(MappingExists());

    // A later start finds no running instance and becomes one itself.
    ASSERT_TRUE(second_.Start(Exe()));
    EXPECT_TRUE(test::WaitUntil([&] { return MainWindowOf(second_) != nullptr; }, 5000))
        << "the second start still waits for the start-up lock";
    EXPECT_TRUE(first_.Running());
    // And so does one more, after a first start that ended at once.
    ASSERT_TRUE(third_.Start(Exe(), "/quit"));
    EXPECT_TRUE(third_.WaitForExit(5000));

    for (auto* proc : {&first_, &second_}) {
        if (HWND w = MainWindowOf(*proc)) PostMessageA(w, WM_COMMAND, 57665, 0);
        EXPECT_TRUE(proc->WaitForExit(10000));
    }
}

TEST(InstanceChecker, WindowHandlesSurviveThe32BitRecord) {
    HWND w = GetDesktopWindow();
    EXPECT_EQ(CInstanceChecker::UnpackWindow(CInstanceChecker::PackWindow(w)), w);
    EXPECT_EQ(CInstanceChecker::UnpackWindow(0), nullptr);
}

}  // namespace
