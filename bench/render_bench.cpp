// Rendering against the floor: each screen's full redraw and an unchanged frame, next to a
// plain fill of the same framebuffer, at 1x, 2x and 3x. The table at the end gives each one's
// cost as a multiple of the fill's at its scale.

#include "frontends/sim/Simulator.h"
#include "platform/render/Renderer.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

using namespace nocturo;

// A launched application on one screen, with its own renderer and framebuffer.
struct Screen {
    MemorySettingsStore store;
    Simulator sim{store, NOCTURO_RESOURCE_DIR};
    std::unique_ptr<Renderer> renderer;
    Framebuffer frame;

    explicit Screen(const std::vector<std::string>& script) {
        std::ostringstream out;
        for (const std::string& line : script)
            sim.execute(line, out);
        renderer = std::make_unique<Renderer>(sim.app()->images());
    }
    bool render(float scale) {
        Nocturo& app = *sim.app();
        return renderer->render(*app.window(), app.application(), app.runLoop().now(), scale,
                                frame);
    }
};

const std::vector<std::string> paintingScript = {"launch", "wait 1.4"};
const std::vector<std::string> settingsScript = {"launch", "wait 1.4",
                                                 "press goToSettings:", "wait 2.5"};

void plainFill(benchmark::State& state) {
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

// A full redraw, as when the light's colour changes on a tick of the colour cycle.
void redraw(benchmark::State& state, const std::vector<std::string>& script) {
    float scale = static_cast<float>(state.range(0));
    Screen screen(script);
    screen.render(scale);
    for (auto _ : state) {
        screen.sim.app()->window()->markNeedsDisplay();
        benchmark::DoNotOptimize(screen.render(scale));
        benchmark::ClobberMemory();
    }
}

void paintingScreen(benchmark::State& state) {
    redraw(state, paintingScript);
}
void settingsScreen(benchmark::State& state) {
    redraw(state, settingsScript);
}

// A finger resizing the spot: every frame draws the mask at a new size.
void spotResize(benchmark::State& state) {
    float scale = static_cast<float>(state.range(0));
    Screen screen(paintingScript);
    NocturoAppDelegate& controller = screen.sim.app()->controller();
    float width = 300.0f;
    for (auto _ : state) {
        width = width >= 340.0f ? 300.0f : width + 0.5f;
        controller.setSpotSizeByWidth(width);
        benchmark::DoNotOptimize(screen.render(scale));
        benchmark::ClobberMemory();
    }
}

void unchangedFrame(benchmark::State& state) {
    float scale = static_cast<float>(state.range(0));
    Screen screen(paintingScript);
    screen.render(scale);
    for (auto _ : state) {
        bool drew = screen.render(scale);
        benchmark::DoNotOptimize(drew);
        if (drew)
            state.SkipWithError("an unchanged frame was drawn");
    }
}

BENCHMARK(plainFill)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(paintingScreen)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(settingsScreen)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(spotResize)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(unchangedFrame)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// The console output, then each benchmark's time over the plain fill's at the same scale.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-26s %12s %12s\n", "benchmark", "time (us)", "x fill");
        for (const auto& [name, time] : times_) {
            auto slash = name.find('/');
            if (slash == std::string::npos)
                continue;
            auto fill = times_.find("plainFill" + name.substr(slash));
            if (fill == times_.end() || fill->second <= 0.0)
                continue;
            std::printf("%-26s %12.2f %12.4f\n", name.c_str(), time, time / fill->second);
        }
    }

private:
    std::map<std::string, double> times_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
