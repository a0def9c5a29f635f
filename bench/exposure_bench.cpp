// The settings screen's preview against the frame it stands for: one photograph of a 10-second
// run, made at the preview's size, next to one full drawing of the painting screen at 1x in the
// same process: the first preview, which launches the second application, and one at a new
// pace on the copy already launched, as a dragged slider makes. The table at the end gives each
// one's cost in such frames; the goal is at most 30, so that the preview follows the drag.

#include "bench/Ratios.h"
#include "exposure/ExposureSimulator.h"
#include "exposure/PreviewPanel.h"
#include "frontends/sim/Simulator.h"

#include <benchmark/benchmark.h>
#include <sstream>
#include <string>

namespace {

using namespace nocturo;

// The preview's picture on the settings screen, in pixels at 1x.
constexpr int previewWidth = 300;
constexpr int previewHeight = 120;

MemorySettingsStore tenSecondRun(bool fantasyWithStrip) {
    MemorySettingsStore store;
    store.setFloat("timedLightDelay", 0.0f);
    store.setFloat("timedLightLength", 10.0f);
    store.setBool("timedLightSound", false);
    if (fantasyWithStrip) {
        store.setObject("lightMode", std::int64_t{1});
        store.setObject("hideStrip", std::int64_t{2});
    }
    return store;
}

void paintingFrame(benchmark::State& state) {
    MemorySettingsStore store = tenSecondRun(false);
    Simulator sim(store, NOCTURO_RESOURCE_DIR);
    std::ostringstream out;
    sim.execute("launch", out);
    sim.execute("wait 1.4", out);
    Nocturo& app = *sim.app();
    Renderer renderer(app.images());
    Framebuffer frame;
    for (auto _ : state) {
        renderer.draw(*app.window(), app.application(), app.runLoop().now(), 1.0f, frame);
        benchmark::DoNotOptimize(frame.pixels.data());
        benchmark::ClobberMemory();
    }
}

void preview(benchmark::State& state, bool fantasyWithStrip) {
    MemorySettingsStore store = tenSecondRun(fantasyWithStrip);
    const ExposureSimulator::Options options =
        PreviewPanel::previewOptions(previewWidth, previewHeight, 0.5, 0.14);
    // The settings screen keeps one cache for all its previews.
    ExposureCache cache(NOCTURO_RESOURCE_DIR);
    for (auto _ : state) {
        ExposureSimulator sim(store, cache, options);
        sim.finish();
        Framebuffer photograph = sim.photograph(0.0);
        benchmark::DoNotOptimize(photograph.pixels.data());
        state.counters["framesDrawn"] = sim.framesDrawn();
    }
}

// A slider dragged: the next pace photographs another run on the copy already launched.
void previewAgain(benchmark::State& state, bool fantasyWithStrip) {
    MemorySettingsStore store = tenSecondRun(fantasyWithStrip);
    ExposureCache cache(NOCTURO_RESOURCE_DIR);
    ExposureSimulator sim(store, cache,
                          PreviewPanel::previewOptions(previewWidth, previewHeight, 0.5, 0.14));
    sim.finish();
    double pace = 0.5;
    for (auto _ : state) {
        pace = pace >= 1.0 ? 0.5 : pace + 0.01;
        sim.restart(PreviewPanel::previewOptions(previewWidth, previewHeight, pace, 0.14));
        sim.finish();
        Framebuffer photograph = sim.photograph(0.0);
        benchmark::DoNotOptimize(photograph.pixels.data());
    }
}

void previewSpotAgain(benchmark::State& state) {
    previewAgain(state, false);
}
void previewFantasyWithStripAgain(benchmark::State& state) {
    previewAgain(state, true);
}

void previewSpot(benchmark::State& state) {
    preview(state, false);
}
void previewFantasyWithStrip(benchmark::State& state) {
    preview(state, true);
}

BENCHMARK(paintingFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(previewSpot)->Unit(benchmark::kMillisecond);
BENCHMARK(previewFantasyWithStrip)->Unit(benchmark::kMillisecond);
BENCHMARK(previewSpotAgain)->Unit(benchmark::kMillisecond);
BENCHMARK(previewFantasyWithStripAgain)->Unit(benchmark::kMillisecond);

} // namespace

using namespace nocturo;

int main(int argc, char** argv) {
    RatioReporter reporter(
        [](const std::string& name) {
            return name.rfind("preview", 0) == 0 ? std::string("paintingFrame") : std::string();
        },
        "frames", 1e-3, "ms");
    return runBenchmarks(argc, argv, reporter);
}
