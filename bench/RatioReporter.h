// Console reporter that also keeps each benchmark's bytes per second and time per run, so a program
// can print its figure beside the reference measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.iterations > 0 && !run.error_occurred) {
                msPerRun[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end()) {
                rates[run.benchmark_name()] = it->second.value;
            }
        }
    }
    std::map<std::string, double> rates;
    std::map<std::string, double> msPerRun; // in the benchmark's own time unit
};
