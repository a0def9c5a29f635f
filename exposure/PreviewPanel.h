#pragma once

#include "exposure/ExposureCache.h"
#include "exposure/ExposureSimulator.h"
#include "exposure/PhotographView.h"
#include "platform/Control.h"
#include "platform/InterfaceLoader.h"
#include "platform/Label.h"
#include "platform/RunLoop.h"

#include <memory>
#include <string>

namespace nocturo {

class NocturoAppDelegate;

// The settings screen's "Preview": the photograph a timed run with the settings in force would
// leave, walked sideways in front of the camera at the pace its slider sets and exposed at the
// brightness its other slider sets. The photograph is made in slices on the run loop, so the
// controls keep answering; a new pace starts it again, a new brightness only develops it anew.
// A finger dragged over the picture draws the walk instead, on the scale of the photograph it
// was drawn over; "Straight" walks straight again. Nothing is computed while the panel is closed.
class PreviewPanel {
public:
    static constexpr float minPace = 0.05f;
    static constexpr float maxPace = 2.0f;
    static constexpr float minStops = -4.0f;
    static constexpr float maxStops = 4.0f;
    // Frames of the run played in one slice, and the time between slices.
    static constexpr int framesPerSlice = 40;
    static constexpr double sliceInterval = 1.0 / 60.0;

    explicit PreviewPanel(NocturoAppDelegate& controller);
    ~PreviewPanel();
    PreviewPanel(const PreviewPanel&) = delete;
    PreviewPanel& operator=(const PreviewPanel&) = delete;

    // How a preview of `width` x `height` pixels photographs a run walked at `pace`.
    static ExposureSimulator::Options previewOptions(int width, int height, double pace,
                                                     double screenHeight);

    // Reads the two stored settings and shows them on the panel's controls.
    void loadSettings();
    void open();
    void close();
    void settingsOpened() { close(); }

    float pace() const { return pace_; }
    float stops() const { return stops_; }
    bool isOpen() const;
    // Whether a photograph is being made.
    bool isComputing() const { return sliceCall_ != 0; }
    // The drawn walk, in metres; empty for the straight one.
    const std::vector<ExposureWalk::Place>& drawnWalk() const { return path_; }

    std::string bindField(const std::string& field, Object* object);
    std::string bindAction(const std::string& selector, Control& control);

    View* previewView = nullptr;
    PhotographView* previewPhotographView = nullptr;
    Slider* previewPaceSlider = nullptr;
    Slider* previewStopsSlider = nullptr;
    Label* previewPaceLabel = nullptr;
    Label* previewStopsLabel = nullptr;
    Label* previewInfoLabel = nullptr;

private:
    void recompute(bool sameSettings);
    void slice();
    void develop();
    void cancelSlices();
    void showSettings();
    void paceChanging(Slider& sender);
    void stopsChanging(Slider& sender);
    void walkDrawn(const std::vector<Point>& points);

    NocturoAppDelegate& controller_;
    float pace_ = 0.5f;
    float stops_ = 0.0f;
    std::unique_ptr<ExposureCache> cache_;
    std::unique_ptr<ExposureSimulator> sim_;
    RunLoop::CallId sliceCall_ = 0;
    std::vector<ExposureWalk::Place> path_;
    // Metres a point of the picture stood for in the last photograph; zero before the first.
    double metresPerPoint_ = 0.0;
};

} // namespace nocturo
