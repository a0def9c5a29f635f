#pragma once

#include "app/Nocturo.h"
#include "exposure/ExposureCache.h"
#include "exposure/ExposureWalk.h"
#include "exposure/LightSum.h"
#include "platform/KeptFiles.h"
#include "platform/SettingsStore.h"
#include "platform/render/Renderer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nocturo {

// The photograph of one timed run, made before any shutter opens. A second application on its
// own virtual clock, over a copy of the settings and of the user's picture, plays the run as the
// screen would (the countdown's dark, the light for its length or a pass of light writing, the dark
// after it), frame by frame at 60 a second; each frame's light is added to a photograph where the
// walk has carried the screen at that moment, smeared along the stretch it covers while it shows.
// The application the settings came from is not touched.
class ExposureSimulator {
public:
    // The screen's refresh: frames a second.
    static constexpr double screenRate = 60.0;
    // The fewest frames a second a preview draws.
    static constexpr double leastPreviewRate = 10.0;
    // A run lit "until touched" is photographed as if touched this long after the light began.
    static constexpr double untilTouchedLength = 10.0;
    // How much of the dark after the light is photographed, unless the options say otherwise.
    static constexpr double darkEndLength = 1.0;
    // A photograph larger than this many pixels is made at fewer pixels a metre.
    static constexpr double maxPixels = 8.0e6;

    struct Options {
        // Metres a second along the walk.
        double pace = 0.5;
        // Photograph pixels a metre in front of the camera; 1000 is one a millimetre.
        double pixelsPerMetre = 1000.0;
        // The screen's physical height in metres (see screenHeightOf).
        double screenHeight = 0.14;
        // A drawn walk, in metres, walked at `pace`; empty walks straight to the right.
        std::vector<ExposureWalk::Place> path;
        // The screen is drawn at no fewer pixels a point than this, in whole multiples of the
        // photograph's, and added up in linear light: the small anti-aliased edges of a screen
        // drawn coarsely give less light than the real screen's fine pixels. Zero draws it at
        // the photograph's own pixels, the fastest.
        double leastDrawingScale = 1.0;
        // When above zero, the photograph is made at fewer pixels a metre where it would be
        // wider or taller than this (a picture on the settings screen).
        int fitWidth = 0;
        int fitHeight = 0;
        // When above zero, a frame is drawn only each time the screen travels this many
        // photograph pixels (but from 10 to 60 frames a second): for a small preview, where
        // frames closer together would not show.
        double pixelsPerFrame = 0.0;
        // Seconds of the dark after the light (where the painting screen's dim controls show
        // again) that are photographed, from 0 to 10.
        double darkEnd = darkEndLength;
        // Where the application keeps the user's picture, read (never written) so that a run
        // that writes it with light has it; none leaves the copy without one.
        const KeptFiles* files = nullptr;
    };

    // The screen's physical height that the photograph (and the light writing) uses.
    static double screenHeightOf(const NocturoAppDelegate& controller);

    // Launches the copy and starts its run. Throws InterfaceError when the interface file is bad.
    ExposureSimulator(const SettingsStore& settings, const std::string& resourceDir,
                      Options options);
    // The same, with pictures and a renderer shared with other photographs; `cache` must outlive
    // the simulator, and serves one simulator at a time.
    ExposureSimulator(const SettingsStore& settings, ExposureCache& cache, Options options);
    ~ExposureSimulator();
    ExposureSimulator(const ExposureSimulator&) = delete;
    ExposureSimulator& operator=(const ExposureSimulator&) = delete;

    // Photographs another run on the same copy, walked and drawn as `options` say (its files
    // are not read again): the settings are the same, so the light is, and only the launch is
    // saved. A run under way is cancelled first.
    void restart(const Options& options);

    // Plays up to `frames` more frames; returns whether the run is over. The settings screen
    // calls it in slices so that its controls keep answering.
    bool advance(int frames);
    void finish();
    bool isDone() const { return nextFrame_ >= frames_; }

    // Seconds from the run's start.
    double lightStart() const { return lightStart_; }
    double lightEnd() const { return lightEnd_; }
    double runLength() const { return runLength_; }
    int frameCount() const { return frames_; }
    double frameRate() const { return frameRate_; }
    // Frames that differed from the one before and were drawn again.
    int framesDrawn() const { return framesDrawn_; }

    double pixelsPerMetre() const { return pixelsPerMetre_; }
    // Where the screen's top-left corner is in the photograph, in pixels, at `seconds` from the
    // run's start.
    ExposureWalk::Place screenCorner(double seconds) const;
    int screenWidth() const { return frameWidth_; }
    int screenHeight() const { return frameHeight_; }

    // The light added up so far, and the photograph developed at `stops` (see LightSum).
    const LightSum& light() const { return *light_; }
    Framebuffer photograph(double stops) const { return light_->develop(stops); }

private:
    void start(const SettingsStore& settings, const Options& options);
    void beginRun(const Options& options);
    void addPending(double until);

    std::unique_ptr<ExposureCache> ownCache_;
    ExposureCache* cache_ = nullptr;
    MemorySettingsStore store_;
    MemoryKeptFiles files_;
    std::unique_ptr<Nocturo> app_;
    std::optional<ExposureWalk> walk_;
    Framebuffer frame_;
    LinearFrame shown_;
    double shownSince_ = 0.0;
    std::unique_ptr<LightSum> light_;
    double runStart_ = 0.0;
    double lightStart_ = 0.0;
    double lightEnd_ = 0.0;
    double runLength_ = 0.0;
    bool untilTouched_ = false;
    bool touched_ = false;
    float scale_ = 1.0f;
    int oversample_ = 1;
    double pixelsPerMetre_ = 1000.0;
    ExposureWalk::Place origin_;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int frames_ = 0;
    double frameRate_ = screenRate;
    int nextFrame_ = 0;
    int framesDrawn_ = 0;
};

} // namespace nocturo
