// A pass of light writing against the floor: each frame shows the next column of a picture in
// the band, next to a plain fill of the same framebuffer, at 1x, 2x and 3x. The table at the
// end gives each one's cost as a multiple of the fill's at its scale.

#include "bench/Ratios.h"
#include "platform/Application.h"
#include "platform/RunLoop.h"
#include "platform/Window.h"
#include "platform/render/Renderer.h"
#include "writing/BandView.h"
#include "writing/PassTiming.h"
#include "writing/WritingPicture.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace nocturo;

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

} // namespace

using namespace nocturo;

int main(int argc, char** argv) {
    RatioReporter reporter(RatioReporter::sameArguments("plainFill"), "x fill", 1e-6, "us");
    return runBenchmarks(argc, argv, reporter);
}
