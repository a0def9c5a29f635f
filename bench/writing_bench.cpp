// A pass of light writing against the floor: each frame shows the next column of a picture in
// the band, next to a plain fill of the same framebuffer, at 1x, 2x and 3x. The table at the
// end gives each one's cost as a multiple of the fill's at its scale.

#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/render/Renderer.h"
#include "writing/BandView.h"
#include "writing/PassTiming.h"
#include "writing/WritingPicture.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

namespace {

using namespace nocturo;

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

// Every frame a new column of the wave of colour, in a band of 20 points: the column taken from
// the picture, then the screen drawn.
void bandFrame(benchmark::State& state) {
    float scale = static_cast<float>(state.range(0));
    ImageLibrary images(NOCTURO_RESOURCE_DIR);
    Renderer renderer(images);
    RunLoop loop;
    Application application;
    application.setStatusBarHidden(true, false);
    Window window({0, 0, 320, 480});
    window.setRunLoop(&loop);
    BandView band({0, 0, 320, 480});
    band.setBandWidth(20.0f);
    window.addSubview(&band);
    auto wave = images.imageNamed("writingWave.png");
    if (!wave) {
        state.SkipWithError("no writingWave.png");
        return;
    }
    WritingPicture picture = WritingPicture::fromImage(*wave);
    PassTiming timing(picture.width(), 3.0);
    Framebuffer frame;
    int column = 0;
    for (auto _ : state) {
        column = (column + 1) % timing.columns();
        band.setColumn(picture.column(column, timing.columns()));
        benchmark::DoNotOptimize(renderer.render(window, application, 0.0, scale, frame));
        benchmark::ClobberMemory();
    }
}

BENCHMARK(plainFill)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(bandFrame)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

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
            auto fill =
                times_.find("plainFill" + name.substr(slash == std::string::npos ? 0 : slash));
            if (slash == std::string::npos || fill == times_.end() || fill->second <= 0.0)
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
