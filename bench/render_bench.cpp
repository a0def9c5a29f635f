// Rendering against the floor: each screen's full redraw, a spot resize, the flips there and back
// and an unchanged frame, next to a plain fill of the same framebuffer, at 1x, 2x and 3x. The table
// at the end gives each one's cost as a multiple of the fill's at its scale.

#include "bench/Ratios.h"
#include "frontends/sim/Simulator.h"
#include "platform/render/Renderer.h"

#include <benchmark/benchmark.h>
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
std::vector<std::string> then(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> settingsScript = {"launch", "wait 1.4",
                                                 "press goToSettings:", "wait 2.5"};

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

// A flip a quarter and three quarters of the way through: the screen turning away, then the
// next one turning in, one frame of each in turn.
void turn(benchmark::State& state, const std::vector<std::string>& script) {
    float scale = static_cast<float>(state.range(0));
    Screen screen(script);
    Nocturo& app = *screen.sim.app();
    const double times[2] = {app.runLoop().now(), app.runLoop().now() + 0.4};
    int half = 0;
    for (auto _ : state) {
        half ^= 1;
        benchmark::DoNotOptimize(screen.renderer->render(*app.window(), app.application(),
                                                         times[half], scale, screen.frame));
        benchmark::ClobberMemory();
    }
}

// The flip to the settings.
void flip(benchmark::State& state) {
    turn(state, then(paintingScript, {"press goToSettings:", "wait 0.2"}));
}

// The flip back to the painting screen while the settings' scroll indicators still show from
// the flash that greets them.
void flipBack(benchmark::State& state) {
    turn(state, then(paintingScript,
                     {"press goToSettings:", "wait 1.2", "press finishSettings:", "wait 0.2"}));
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
BENCHMARK(flip)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(flipBack)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(unchangedFrame)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

} // namespace

using namespace nocturo;

int main(int argc, char** argv) {
    RatioReporter reporter(RatioReporter::sameArguments("plainFill"), "x fill", 1e-6, "us");
    return runBenchmarks(argc, argv, reporter);
}
