#pragma once
// The benchmarks' one reporter: prints Google Benchmark's table as usual and keeps, for each
// benchmark, its wall and CPU time (the median when the run was repeated, else the median of
// its runs), so that a benchmark can print its ratios against a floor measured in the same run.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            TTimes &times = timesByName[run.run_name.function_name];
            if (run.run_type == Run::RT_Iteration) {
                times.real.push_back(run.GetAdjustedRealTime());
                times.cpu.push_back(run.GetAdjustedCPUTime());
            } else if (run.aggregate_name == "median") {
                times.medianReal = run.GetAdjustedRealTime();
                times.medianCpu = run.GetAdjustedCPUTime();
            }
        }
    }

    // Wall time of the benchmark called `name` in its own unit; 0 when it did not run.
    double RealTime(const std::string &name) const
    {
        const TTimes *times = Find(name);
        return times == nullptr ? 0.0
                                : (times->medianReal > 0 ? times->medianReal : Median(times->real));
    }

    // CPU time of the process's threads, likewise.
    double CpuTime(const std::string &name) const
    {
        const TTimes *times = Find(name);
        return times == nullptr ? 0.0
                                : (times->medianCpu > 0 ? times->medianCpu : Median(times->cpu));
    }

private:
    struct TTimes {
        std::vector<double> real;
        std::vector<double> cpu;
        double medianReal = 0;
        double medianCpu = 0;
    };

    const TTimes *Find(const std::string &name) const
    {
        const auto found = timesByName.find(name);
        return found == timesByName.end() ? nullptr : &found->second;
    }

    static double Median(std::vector<double> values)
    {
        if (values.empty())
            return 0.0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    std::map<std::string, TTimes> timesByName;
};
