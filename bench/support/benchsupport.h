// Helpers shared by the benchmark programs.
//
// Every figure is printed as "name: value unit" on standard output, which
// scripts/bench.sh collects for its closing table (goals in bench/goals.txt).
// Lines that explain a figure start with "# ".
//
// A ratio compares measured work with its floor: the least that the same
// system needs for the same result, measured in the same run. The two are
// interleaved in pairs (A B, then B A, ...) so that each pair sees the same
// load on the machine, and the ratio is the median of the pairs' ratios.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vt::bench {

// Milliseconds from an arbitrary origin, from the performance counter.
double NowMs();
double Median(std::vector<double> v);
// The value below which the given share (0..1) of the values lie.
double Quantile(std::vector<double> v, double share);

// A program beside the running benchmark (build/<arch>/bin).
std::string BinPath(const std::string& name);
// Starts exe with args; the caller owns the process handle (null on failure).
HANDLE Launch(const std::string& exe, const std::string& args = "");
// The window a running Vantrel published for second starts, or null.
HWND PublishedWindow();
// Dispatches what waits in this thread's queue.
void Pump();

// Measured work and its floor, paired.
struct Paired {
    std::vector<double> work, floor, ratios;
    double WorkMedian() const { return Median(work); }
    double FloorMedian() const { return Median(floor); }
    double Ratio() const { return Median(ratios); }
    size_t Pairs() const { return ratios.size(); }
};

// rounds pairs of work() and floor(), the order alternating from pair to
// pair. A negative result is a failed measurement: its pair is dropped.
Paired Interleave(int rounds, const std::function<double()>& work,
                  const std::function<double()>& floor);

// Times modal dialogs to their first idle (everything painted, queue empty).
// The owner window it makes ends each dialog at that moment; TimeToFirstIdle
// returns the milliseconds from its call to that idle, or -1 if the dialog
// never idled. One per thread.
class DialogIdleTimer {
public:
    DialogIdleTimer();
    ~DialogIdleTimer();
    DialogIdleTimer(const DialogIdleTimer&) = delete;
    DialogIdleTimer& operator=(const DialogIdleTimer&) = delete;

    HWND Owner() const { return owner_; }  // owned; null if it could not be made
    double TimeToFirstIdle(const std::function<void()>& openModal);

private:
    HWND owner_ = nullptr;
};

// "name: value unit".
void PrintFigure(const std::string& name, double value, const char* unit, int decimals = 2);
// The work, its floor and their ratio, each on its own line and in this
// order, then a comment with the number of pairs and the spread of the ratio
// (and every pair, when the environment has VT_BENCH_PAIRS).
void PrintRatio(const std::string& workName, const std::string& floorName,
                const std::string& ratioName, const Paired& p, const char* unit = "ms",
                int decimals = 2);
// "# text" on standard output, kept in order with the figures.
void Comment(const char* format, ...);

}  // namespace vt::bench
