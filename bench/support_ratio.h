#pragma once
// Prints, after the usual table, each measured figure beside its baseline
// from the same run: "name / baseline = ratio (target <= limit)".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    struct Pair
    {
        std::string measured;
        std::string baseline;
        double limit;
    };

    // `differences`: each measured figure less its baseline, limit in milliseconds.
    explicit RatioReporter(std::vector<Pair> pairs, std::vector<Pair> differences = {})
        : m_pairs(std::move(pairs)), m_differences(std::move(differences))
    {
    }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration && !r.error_occurred)
                m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nRatios (measured / baseline, same run):\n");
        for (const Pair &p : m_pairs) {
            const auto m = m_times.find(p.measured);
            const auto b = m_times.find(p.baseline);
            if (m == m_times.end() || b == m_times.end() || b->second <= 0)
                continue;
            const double ratio = m->second / b->second;
            std::printf("  %-40s / %-40s = %6.2f  (target <= %.2f) %s\n", p.measured.c_str(),
                        p.baseline.c_str(), ratio, p.limit, ratio <= p.limit ? "ok" : "OVER");
        }
        for (const Pair &p : m_differences) {
            const auto m = m_times.find(p.measured);
            const auto b = m_times.find(p.baseline);
            if (m == m_times.end() || b == m_times.end())
                continue;
            // Times are in each benchmark's unit; these run in milliseconds.
            const double diff = m->second - b->second;
            std::printf("  %-40s - %-40s = %6.3f ms (target <= %.2f) %s\n", p.measured.c_str(), p.baseline.c_str(),
                        diff, p.limit, diff <= p.limit ? "ok" : "OVER");
        }
        std::fflush(stdout);
    }

private:
    std::vector<Pair> m_pairs;
    std::vector<Pair> m_differences;
    std::map<std::string, double> m_times;
};
