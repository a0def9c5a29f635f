// Draws every picture the app ships with: nocturo-artgen OUTDIR
#include "artwork.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

struct Picture {
    const char* file;
    artgen::PngFormat format;
    std::function<artgen::Canvas()> draw;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argc > 0 ? argv[0] : "nocturo-artgen");
        return 2;
    }
    try {
        using namespace artgen;
        const std::filesystem::path out = argv[1];
        std::filesystem::create_directories(out);
        const Fonts fonts{Font::load("DejaVuSans.ttf"), Font::load("DejaVuSans-Bold.ttf")};

        const std::vector<Picture> pictures = {
            {"spotMask.png", PngFormat::GreyAlpha, spotMask},
            {"rainbow.png", PngFormat::Rgb, rainbow},
            {"dotArray60.png", PngFormat::GreyAlpha, [] { return dotArray(60); }},
            {"dotArray30.png", PngFormat::GreyAlpha, [] { return dotArray(30); }},
            {"dotArray15.png", PngFormat::GreyAlpha, [] { return dotArray(15); }},
            {"launch.png", PngFormat::Rgb, [&] { return launchScreen(fonts); }},
            {"pacman480r90.png", PngFormat::Rgb, staticSpotSample},
            {"carDynamic480r90.png", PngFormat::Rgb, colourSpotSample},
            {"Rainbow480r90.png", PngFormat::Rgb, rainbowSample},
            {"stripSample480.png", PngFormat::Rgb, dotStripSample},
            {"STATICSPOTr90.png", PngFormat::Grey, [&] { return caption(fonts, "Static spot"); }},
            {"DynamicSpotr90.png", PngFormat::Grey,
             [&] { return caption(fonts, "Colour fantasy"); }},
            {"RAINBOWr90.png", PngFormat::Grey, [&] { return caption(fonts, "Rainbow"); }},
            {"stripText.png", PngFormat::Grey, [&] { return caption(fonts, "Dot strip"); }},
            {"settingsIcon.png", PngFormat::GreyAlpha, [&] { return settingsIcon(fonts); }},
            {"timedLightIcon.png", PngFormat::GreyAlpha, [&] { return timedLightIcon(); }},
            {"writingStar.png", PngFormat::Rgb, writingStar},
            {"writingHeart.png", PngFormat::Rgb, writingHeart},
            {"writingArrow.png", PngFormat::Rgb, writingArrow},
            {"writingWave.png", PngFormat::Rgb, writingWave},
        };

        std::size_t total = 0;
        for (const Picture& picture : pictures) {
            const Canvas canvas = picture.draw();
            const std::size_t bytes =
                writePng(canvas, (out / picture.file).string(), picture.format);
            total += bytes;
            std::printf("%-22s %4d x %-4d %8zu bytes\n", picture.file, canvas.width, canvas.height,
                        bytes);
        }
        std::printf("%-22s %20zu bytes\n", "total", total);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "nocturo-artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
