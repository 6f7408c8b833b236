#pragma once
// The benchmarks' one reporter: prints Google Benchmark's table as usual and keeps, for each
// benchmark, its wall and CPU time (the median when the run was repeated, else the median of
// its runs), so that a benchmark can print its ratios against a floor measured in the same run.
// A benchmark with arguments is found by its function's name and by its full name
// ("BM_Cut/5472/3648/process_time/real_time").

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            Keep(m_timesByName[run.run_name.function_name], run);
            if (run.run_name.str() != run.run_name.function_name)
                Keep(m_timesByName[run.run_name.str()], run);
        }
    }

    // A table of the wall and CPU time of each row's benchmark as multiples of each floor's,
    // both given as (label, benchmark name). What did not run is left out.
    void PrintTable(const std::string &title,
                    const std::vector<std::pair<std::string, std::string>> &floors,
                    const std::vector<std::pair<std::string, std::string>> &rows) const
    {
        std::vector<std::pair<std::string, std::string>> ran;
        for (const auto &floor : floors)
            if (RealTime(floor.second) > 0 && CpuTime(floor.second) > 0)
                ran.push_back(floor);
        if (ran.empty())
            return;
        std::printf("\n%s\n%-36s", title.c_str(), "work");
        for (const auto &[label, name] : ran)
            std::printf(" %11s %11s", ("wall x " + label).c_str(), ("cpu x " + label).c_str());
        std::printf("\n");
        for (const auto &[label, name] : rows) {
            if (RealTime(name) <= 0)
                continue;
            std::printf("%-36s", label.c_str());
            for (const auto &floor : ran)
                std::printf(" %11.2f %11.2f", RealTime(name) / RealTime(floor.second),
                            CpuTime(name) / CpuTime(floor.second));
            std::printf("\n");
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

    static void Keep(TTimes &times, const Run &run)
    {
        if (run.run_type == Run::RT_Iteration) {
            times.real.push_back(run.GetAdjustedRealTime());
            times.cpu.push_back(run.GetAdjustedCPUTime());
        } else if (run.aggregate_name == "median") {
            times.medianReal = run.GetAdjustedRealTime();
            times.medianCpu = run.GetAdjustedCPUTime();
        }
    }

    const TTimes *Find(const std::string &name) const
    {
        const auto found = m_timesByName.find(name);
        return found == m_timesByName.end() ? nullptr : &found->second;
    }

    static double Median(std::vector<double> values)
    {
        if (values.empty())
            return 0.0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }

    std::map<std::string, TTimes> m_timesByName;
};

// Runs the benchmarks the command line selects and prints their ratios with `print`.
inline void RunBenchmarksAndPrintRatios(const std::function<void(TRatioReporter &)> &print)
{
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print(reporter);
    benchmark::Shutdown();
}
