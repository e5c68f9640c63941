#pragma once

#include <string>

namespace korvex::bench {

// Declares the comparison printed as "RATIO <name> <baseline time / our time>", from the medians of the two
// named benchmarks (names as Google Benchmark reports them, without the aggregate suffix).
void DeclareRatio(const std::string& name, const std::string& baseline, const std::string& ours);

// Declares a figure printed as "RATIO <name> <value>" where value = counter `counter` of benchmark `bench`
// (median), for comparisons that are not time against time (for example audio seconds per CPU second).
void DeclareCounterRatio(const std::string& name, const std::string& bench, const std::string& counter);

// Runs the registered benchmarks (5 repetitions unless told otherwise on the command line), then prints every
// declared RATIO line followed by the medians it was computed from.
int RunWithRatios(int argc, char** argv);

} // namespace korvex::bench
