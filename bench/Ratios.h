// What the benchmarks share: the plain fill that drawing is measured against, and a reporter
// that ends the console output with each benchmark's time as a multiple of its baseline's,
// measured in the same run.
#pragma once

#include "platform/render/Framebuffer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace nocturo {

// The floor: every byte of a framebuffer of 320 x 480 points at the argument's scale written.
inline void plainFill(benchmark::State& state) {
    float scale = static_cast<float>(state.range(0));
    Framebuffer frame;
    frame.resize(static_cast<int>(320 * scale), static_cast<int>(480 * scale));
    std::uint8_t value = 0;
    for (auto _ : state) {
        std::fill(frame.pixels.begin(), frame.pixels.end(), ++value);
        benchmark::DoNotOptimize(frame.pixels.data());
        benchmark::ClobberMemory();
    }
}

// The console output, then a table: each benchmark's time and its multiple of its baseline's,
// in wall-clock and in processor time (steadier on a busy machine). With repetitions, the
// medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // `baselineOf` names the benchmark that one is measured against ("" for none); `ratioName`
    // heads the ratio columns; the times are shown in `unit` seconds, `unitName`.
    RatioReporter(std::function<std::string(const std::string&)> baselineOf, std::string ratioName,
                  double unit, std::string unitName)
        : baselineOf_(std::move(baselineOf)), ratioName_(std::move(ratioName)), unit_(unit),
          unitName_(std::move(unitName)) {}

    // Against `baseline` with the same arguments: "spotResize/3" against "plainFill/3".
    static std::function<std::string(const std::string&)> sameArguments(std::string baseline) {
        return [baseline](const std::string& name) {
            auto slash = name.find('/');
            return slash == std::string::npos ? std::string() : baseline + name.substr(slash);
        };
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            std::string name = run.run_name.str();
            if (median || (run.run_type == Run::RT_Iteration && !medians_.count(name)))
                times_[name] = {run.GetAdjustedRealTime() * seconds(run.time_unit),
                                run.GetAdjustedCPUTime() * seconds(run.time_unit)};
            if (median)
                medians_.insert(name);
        }
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const std::string time = "time (" + unitName_ + ")", cpu = "cpu (" + unitName_ + ")";
        std::printf("\n%-30s %12s %10s %12s %10s\n", "benchmark", time.c_str(), ratioName_.c_str(),
                    cpu.c_str(), ratioName_.c_str());
        for (const auto& [name, times] : times_) {
            auto base = times_.find(baselineOf_(name));
            if (base == times_.end() || !(base->second.real > 0.0) || !(base->second.cpu > 0.0))
                continue;
            std::printf("%-30s %12.2f %10.3f %12.2f %10.3f\n", name.c_str(), times.real / unit_,
                        times.real / base->second.real, times.cpu / unit_,
                        times.cpu / base->second.cpu);
        }
    }

private:
    struct Times {
        double real = 0.0;
        double cpu = 0.0;
    };
    static double seconds(benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return 1e-9;
        case benchmark::kMicrosecond:
            return 1e-6;
        case benchmark::kMillisecond:
            return 1e-3;
        default:
            return 1.0;
        }
    }

    std::function<std::string(const std::string&)> baselineOf_;
    std::string ratioName_;
    double unit_;
    std::string unitName_;
    std::map<std::string, Times> times_;
    std::set<std::string> medians_;
};

// Runs the benchmarks the command line picks, reported by `reporter`.
inline int runBenchmarks(int argc, char** argv, RatioReporter& reporter) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace nocturo
