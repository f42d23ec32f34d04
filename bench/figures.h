// Timing, medians and the printed lines of the benchmark, and the checks of
// the data that every figure relies on.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace kvbench {

using Clock = std::chrono::steady_clock;

// Every figure is the median of this many runs from the same starting state.
constexpr int kRuns = 3;

double Milliseconds(Clock::time_point start);

// A pause before a short measured operation: right after a burst of registry
// and file work, the calls of the next few hundred milliseconds run several
// times slower under Wine, whoever makes them. The program and its floors
// are each timed after one, so that neither pays for the other's burst.
void Settle();
double Median(std::vector<double> values);
// `part` over `whole`; 0 when `whole` is not positive.
double Quotient(double part, double whole);

// One printed line: "NAME: N ms", "ratio NAME: R", "NAME: N MB" (whole
// megabytes, or with a tenth for MegabytesFine) or "NAME: N".
enum class Unit { Milliseconds, Ratio, Megabytes, MegabytesFine, Count };

struct Figure {
    std::string name;
    double value = 0;
    Unit unit = Unit::Milliseconds;
};
using Figures = std::vector<Figure>;

Figure Time(const std::string& name, double milliseconds);
Figure Ratio(const std::string& name, double ratio);
Figure Megabytes(const std::string& name, unsigned long long bytes);
// The program's time, the floor's ("NAME-floor") and the program's time over
// the floor's.
Figures Beside(const std::string& name, double program, double floor);

// Each figure on a line of its own on stdout, flushed at once.
void PrintFigures(const Figures& figures);

// A check of the data: when it does not hold, a note goes to stderr and the
// run ends with exit code 2.
void Expect(bool holds, const std::string& what);
bool AllExpectationsHeld();

} // namespace kvbench
