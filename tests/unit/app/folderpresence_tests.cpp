// The folder menu's existence checks: what is shown while a check has not
// answered (the cache's decisions, exactly), and the checker's bound with
// probes that answer at once or only when the test lets them.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "app/folderchecker.h"
#include "app/folderpresence.h"
#include "framework/handles.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

using Paths = std::vector<std::string>;

TEST(FolderPresenceCache, UnansweredFoldersShowAsLastKnownAndAreNotCheckedTwice) {
    CFolderPresenceCache cache;
    // First showing: everything is checked; nothing is known yet, so all show.
    EXPECT_EQ(cache.BeginShowing({"a", "b", "c"}), (Paths{"a", "b", "c"}));
    EXPECT_FALSE(cache.AllAnswered());
    for (const char* p : {"a", "b", "c"}) {
        EXPECT_TRUE(cache.Shown(p)) << p;
        EXPECT_TRUE(cache.Checking(p)) << p;
        EXPECT_EQ(cache.Known(p), FolderPresence::Unknown) << p;
    }
    cache.Record("a", true);
    cache.Record("b", false);
    EXPECT_FALSE(cache.AllAnswered());  // c is slow
    EXPECT_TRUE(cache.Shown("a"));
    EXPECT_FALSE(cache.Shown("b"));
    EXPECT_TRUE(cache.Shown("c"));  // never known: shown

    // Second showing: c is still under way and is not asked again; b, absent
    // as last known, stays hidden until a check finds it.
    EXPECT_EQ(cache.BeginShowing({"a", "b", "c"}), (Paths{"a", "b"}));
    EXPECT_FALSE(cache.Shown("b"));
    cache.Record("a", true);
    cache.Record("b", false);
    EXPECT_FALSE(cache.AllAnswered());
    // The late answer of the first showing's check counts for this one.
    cache.Record("c", false);
    EXPECT_TRUE(cache.AllAnswered());
    EXPECT_FALSE(cache.Shown("c"));

    // Third showing: c is known absent; while its new check hangs it stays
    // hidden, and b, back on disk, shows as soon as its check says so.
    EXPECT_EQ(cache.BeginShowing({"a", "b", "c"}), (Paths{"a", "b", "c"}));
    EXPECT_FALSE(cache.Shown("c"));
    cache.Record("b", true);
    EXPECT_TRUE(cache.Shown("b"));
    cache.Record("a", false);  // a vanished: hidden at once
    EXPECT_FALSE(cache.Shown("a"));
    EXPECT_FALSE(cache.AllAnswered());
}

TEST(FolderPresenceCache, DuplicatesDroppedPathsAndStrayAnswers) {
    CFolderPresenceCache cache;
    // A path listed twice is checked once and counted once.
    EXPECT_EQ(cache.BeginShowing({"x", "x", "y"}), (Paths{"x", "y"}));
    cache.Record("x", true);
    EXPECT_FALSE(cache.AllAnswered());
    cache.Record("y", true);
    EXPECT_TRUE(cache.AllAnswered());

    // An empty showing has nothing to wait for.
    EXPECT_TRUE(cache.BeginShowing({}).empty());
    EXPECT_TRUE(cache.AllAnswered());
    // x and y were answered, so their records went with the list: a new x
    // is unknown again.
    EXPECT_EQ(cache.Known("x"), FolderPresence::Unknown);

    // A path whose check is under way keeps its record when it leaves the
    // list; its answer is kept for when it comes back.
    cache.BeginShowing({"z"});
    cache.BeginShowing({});
    EXPECT_TRUE(cache.Checking("z"));
    cache.Record("z", false);
    EXPECT_TRUE(cache.AllAnswered());  // z is not part of this showing
    EXPECT_EQ(cache.Known("z"), FolderPresence::Absent);
    EXPECT_EQ(cache.BeginShowing({"z"}), (Paths{"z"}));
    EXPECT_FALSE(cache.Shown("z"));

    // An answer for a path nobody asked about changes nothing.
    cache.Record("never", true);
    EXPECT_EQ(cache.Known("never"), FolderPresence::Unknown);
    EXPECT_FALSE(cache.AllAnswered());
}

// Probes for the checker: what exists, which path hangs until the test
// releases it (once released, it answers at once), and how often they were
// asked. Set while no check runs.
std::map<std::string, bool> g_exists;
std::string g_hangingPath;
HANDLE g_release = nullptr;  // manual-reset event, owned by the test
std::atomic<int> g_hangingCalls{0};
std::string g_gatePath;   // another path that waits, for g_gate
HANDLE g_gate = nullptr;  // manual-reset event, owned by the test
std::atomic<int> g_calls{0};

bool TestProbe(const std::string& path) {
    ++g_calls;
    if (path == g_gatePath) WaitForSingleObject(g_gate, 20000);
    if (path == g_hangingPath) {
        ++g_hangingCalls;
        // Bounded, so that a test that fails never leaves a thread behind for good.
        WaitForSingleObject(g_release, 20000);
    }
    auto it = g_exists.find(path);
    return it != g_exists.end() && it->second;
}

class FolderCheckerTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_exists = {{"one", true},  {"two", false},   {"three", true},
                    {"slow", true}, {"slow2", false}, {"four", false}};
        g_hangingPath.clear();
        g_hangingCalls = 0;
        g_calls = 0;
        release_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        g_release = release_.Get();
        g_gatePath.clear();
        gate_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        g_gate = gate_.Get();
    }
    void TearDown() override {
        SetEvent(release_.Get());
        SetEvent(gate_.Get());
    }

    // The result of one Check and how long it took.
    std::vector<bool> TimedCheck(CFolderChecker& checker, const Paths& paths, DWORD budget,
                                 DWORD& ms) {
        const DWORD t0 = GetTickCount();
        std::vector<bool> shown = checker.Check(paths, budget);
        ms = GetTickCount() - t0;
        return shown;
    }

    UniqueKernelHandle release_;
    UniqueKernelHandle gate_;
};

TEST_F(FolderCheckerTest, AnswersEveryFolderAndDoesNotWaitWhenAllAnswer) {
    CFolderChecker checker(TestProbe);
    DWORD ms = 0;
    // A generous budget that all-fast checks never come near: a checker that
    // waited it out regardless would take 5 s.
    EXPECT_EQ(TimedCheck(checker, {"one", "two", "three"}, 5000, ms),
              (std::vector<bool>{true, false, true}));
    EXPECT_LT(ms, 2000u);
    EXPECT_EQ(g_calls.load(), 3);
    // Every showing asks again: a folder made meanwhile shows.
    g_exists["two"] = true;
    EXPECT_EQ(TimedCheck(checker, {"one", "two", "three"}, 5000, ms),
              (std::vector<bool>{true, true, true}));
    EXPECT_EQ(g_calls.load(), 6);
}

TEST_F(FolderCheckerTest, AHangingCheckIsBoundedLeavesTheOthersRightAndAnswersLater) {
    g_hangingPath = "slow";
    CFolderChecker checker(TestProbe);
    const Paths paths = {"one", "slow", "two", "three"};
    DWORD ms = 0;
    // The slow one comes second, so that the checks behind it need another worker.
    EXPECT_EQ(TimedCheck(checker, paths, 300, ms), (std::vector<bool>{true, true, false, true}));
    EXPECT_GE(ms, 250u);   // it waited for the slow check, within its bound
    EXPECT_LT(ms, 3000u);  // and not for the check itself
    // The next showing does not start the hanging check again.
    EXPECT_EQ(TimedCheck(checker, paths, 300, ms), (std::vector<bool>{true, true, false, true}));
    EXPECT_LT(ms, 3000u);
    EXPECT_EQ(g_hangingCalls.load(), 1);

    // The check answers "absent" at last: the next showing leaves it out, and
    // no longer waits for anything.
    g_exists["slow"] = false;
    SetEvent(release_.Get());  // from now on the slow probe answers at once
    ASSERT_TRUE(test::WaitUntil([&] { return !checker.Check(paths, 300)[1]; }, 5000));
    EXPECT_EQ(TimedCheck(checker, paths, 5000, ms), (std::vector<bool>{true, false, false, true}));
    EXPECT_LT(ms, 2000u);
}

TEST_F(FolderCheckerTest, AnIdleWorkerTakesOverFromOneThatHangs) {
    CFolderChecker checker(TestProbe);
    // Two workers, both idle afterwards: the gate holds the first while the
    // second is started for the check behind it; then the gate opens and
    // the first answers.
    g_gatePath = "two";
    EXPECT_EQ(checker.Check({"two", "one"}, 300), (std::vector<bool>{true, true}));
    SetEvent(gate_.Get());
    ASSERT_TRUE(test::WaitUntil([&] { return !checker.Check({"two", "one"}, 300)[0]; }));
    // One wake-up reaches one worker: the one that takes the hanging check
    // must not leave the never-known, absent folder behind it unchecked.
    g_hangingPath = "slow2";
    EXPECT_EQ(checker.Check({"slow2", "four"}, 300), (std::vector<bool>{true, false}));
}

TEST_F(FolderCheckerTest, AFolderKnownAbsentStaysHiddenWhileItsCheckHangs) {
    CFolderChecker checker(TestProbe);
    DWORD ms = 0;
    EXPECT_EQ(TimedCheck(checker, {"slow2", "one"}, 5000, ms), (std::vector<bool>{false, true}));
    // Now its check hangs (and the folder is back): shown as last known,
    // absent, until the answer comes.
    g_hangingPath = "slow2";
    g_exists["slow2"] = true;
    EXPECT_EQ(TimedCheck(checker, {"slow2", "one"}, 300, ms), (std::vector<bool>{false, true}));
    EXPECT_LT(ms, 3000u);
    SetEvent(release_.Get());
    EXPECT_TRUE(test::WaitUntil(
        [&]() -> bool {
            return checker.Check({"slow2", "one"}, 300)[0];
        },
        5000));
}

TEST_F(FolderCheckerTest, ACheckerGoneWhileACheckHangsLetsItFinishAlone) {
    g_hangingPath = "slow";
    const DWORD t0 = GetTickCount();
    {
        CFolderChecker checker(TestProbe);
        checker.Check({"slow", "one"}, 100);
    }
    // Its end did not wait for the hanging check.
    EXPECT_LT(GetTickCount() - t0, 3000u);
    // The hanging probe returns into state the checker no longer owns.
    const int before = g_calls.load();
    SetEvent(release_.Get());
    CFolderChecker another(TestProbe);
    EXPECT_EQ(another.Check({"one"}, 5000), (std::vector<bool>{true}));
    EXPECT_EQ(g_calls.load(), before + 1);
}

}  // namespace
