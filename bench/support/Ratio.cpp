#include "Ratio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

namespace korvex::bench {

namespace {

struct TimeRatio {
    std::string name, baseline, ours;
};
struct CounterRatio {
    std::string name, bench, counter;
};
std::vector<TimeRatio>& timeRatios() {
    static std::vector<TimeRatio> r;
    return r;
}
std::vector<CounterRatio>& counterRatios() {
    static std::vector<CounterRatio> r;
    return r;
}

// Keeps the median of every benchmark while the console reporter prints as usual.
class MedianCollector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, benchmark::BenchmarkReporter::Run> medians;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (single || run.aggregate_name == "median") medians[run.run_name.str()] = run;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

void DeclareRatio(const std::string& name, const std::string& baseline, const std::string& ours) {
    timeRatios().push_back({name, baseline, ours});
}

void DeclareCounterRatio(const std::string& name, const std::string& bench, const std::string& counter) {
    counterRatios().push_back({name, bench, counter});
}

int RunWithRatios(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0) repetitionsGiven = true;
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregatesOnly = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven) {
        args.push_back(repetitions.data());
        args.push_back(aggregatesOnly.data());
    }
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    MedianCollector reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // The console reporter may leave a colour reset on the last line: start the summary on a line of its own.
    std::printf("\n");
    int missing = 0;
    for (const auto& r : timeRatios()) {
        const auto b = reporter.medians.find(r.baseline), o = reporter.medians.find(r.ours);
        if (b == reporter.medians.end() || o == reporter.medians.end()) {
            std::printf("RATIO %s missing (benchmarks filtered out?)\n", r.name.c_str());
            ++missing;
            continue;
        }
        const double baseline = b->second.GetAdjustedRealTime(), ours = o->second.GetAdjustedRealTime();
        std::printf("RATIO %s %.3f\n", r.name.c_str(), ours > 0 ? baseline / ours : 0.0);
        std::printf("  median %s: %.3f %s; baseline %s: %.3f %s\n", r.ours.c_str(), ours,
                    benchmark::GetTimeUnitString(o->second.time_unit), r.baseline.c_str(), baseline,
                    benchmark::GetTimeUnitString(b->second.time_unit));
    }
    for (const auto& r : counterRatios()) {
        const auto it = reporter.medians.find(r.bench);
        if (it == reporter.medians.end() || !it->second.counters.count(r.counter)) {
            std::printf("RATIO %s missing (benchmarks filtered out?)\n", r.name.c_str());
            ++missing;
            continue;
        }
        std::printf("RATIO %s %.3f\n", r.name.c_str(), double(it->second.counters.at(r.counter)));
        std::printf("  median %s counter %s\n", r.bench.c_str(), r.counter.c_str());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace korvex::bench
