// The preview's panel: its controls and settings, and the photograph made in slices.

#include "exposure/PreviewPanel.h"

#include "app/NocturoAppDelegate.h"
#include "app/SettingsTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace nocturo {

namespace {
std::string formatted(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
} // namespace

PreviewPanel::PreviewPanel(NocturoAppDelegate& controller) : controller_(controller) {}

PreviewPanel::~PreviewPanel() {
    cancelSlices();
}

ExposureSimulator::Options PreviewPanel::previewOptions(int width, int height, double pace,
                                                        double screenHeight) {
    ExposureSimulator::Options options;
    options.pace = pace;
    options.screenHeight = screenHeight;
    options.fitWidth = std::max(2, width);
    options.fitHeight = std::max(2, height);
    // At the preview's few pixels a millimetre, drawing finer or more often would not show.
    options.leastDrawingScale = 0.0;
    options.pixelsPerFrame = 3.0;
    return options;
}

bool PreviewPanel::isOpen() const {
    return previewView && controller_.settingsView &&
           previewView->superview() == controller_.settingsView;
}

void PreviewPanel::open() {
    if (!previewView || !controller_.settingsView)
        return;
    controller_.settingsView->addSubview(previewView);
    recompute(false);
}

void PreviewPanel::close() {
    cancelSlices();
    sim_.reset();
    if (previewView)
        previewView->removeFromSuperview();
}

void PreviewPanel::cancelSlices() {
    if (sliceCall_ != 0)
        controller_.services().runLoop.cancel(sliceCall_);
    sliceCall_ = 0;
}

// The settings cannot change while the panel covers them: a new walk photographs another run on
// the copy already launched, and only opening the panel launches a new one.
void PreviewPanel::recompute(bool sameSettings) {
    cancelSlices();
    if (!sameSettings)
        sim_.reset();
    if (!isOpen() || !previewPhotographView) {
        sim_.reset();
        return;
    }
    if (!cache_)
        cache_ = std::make_unique<ExposureCache>(controller_.services().images.resourceDir());
    const Rect frame = previewPhotographView->frame();
    ExposureSimulator::Options options =
        previewOptions(static_cast<int>(frame.width()), static_cast<int>(frame.height()), pace_,
                       ExposureSimulator::screenHeightOf(controller_));
    options.path = path_;
    options.files = controller_.services().files;
    try {
        if (sim_)
            sim_->restart(options);
        else
            sim_ =
                std::make_unique<ExposureSimulator>(controller_.services().store, *cache_, options);
    } catch (const std::exception& e) {
        if (previewInfoLabel)
            previewInfoLabel->setText(std::string("No preview: ") + e.what());
        return;
    }
    if (previewInfoLabel)
        previewInfoLabel->setText("Making the picture...");
    sliceCall_ = controller_.services().runLoop.performAfterDelay(0.0, [this] { slice(); });
}

void PreviewPanel::slice() {
    sliceCall_ = 0;
    if (!sim_)
        return;
    if (!sim_->advance(framesPerSlice)) {
        sliceCall_ =
            controller_.services().runLoop.performAfterDelay(sliceInterval, [this] { slice(); });
        return;
    }
    develop();
}

void PreviewPanel::develop() {
    if (!sim_ || !sim_->isDone())
        return;
    if (previewPhotographView) {
        previewPhotographView->setPhotograph(sim_->photograph(stops_));
        const Rect shown = previewPhotographView->pictureRect();
        if (shown.width() > 0.0f && sim_->pixelsPerMetre() > 0.0)
            metresPerPoint_ =
                sim_->light().width() / static_cast<double>(shown.width()) / sim_->pixelsPerMetre();
    }
    if (previewInfoLabel)
        previewInfoLabel->setText(
            path_.empty() ? formatted("Straight: %.1f m walked in ", pace_ * sim_->runLength()) +
                                formatted("%.1f s", sim_->runLength())
                          : formatted("Drawn walk, %.1f s", sim_->runLength()));
}

// The drawn points, from the first, on the scale of the photograph they were drawn over.
void PreviewPanel::walkDrawn(const std::vector<Point>& points) {
    if (points.size() < 2 || !(metresPerPoint_ > 0.0))
        return;
    path_.clear();
    for (Point p : points)
        path_.push_back({(p.x - points.front().x) * metresPerPoint_,
                         (p.y - points.front().y) * metresPerPoint_});
    recompute(true);
}

// ---- [settings]

void PreviewPanel::loadSettings() {
    const SettingsStore& store = controller_.services().store;
    pace_ = std::get<float>(readSetting(store, SettingsKey::previewPace));
    stops_ = std::get<float>(readSetting(store, SettingsKey::previewStops));
    if (previewPaceSlider)
        previewPaceSlider->setValue(pace_);
    if (previewStopsSlider)
        previewStopsSlider->setValue(stops_);
    showSettings();
}

void PreviewPanel::showSettings() {
    if (previewPaceLabel)
        previewPaceLabel->setText(formatted("Walking pace: %.2f m/s", pace_));
    if (previewStopsLabel)
        previewStopsLabel->setText(formatted("Brightness: %+.1f stops", stops_));
}

void PreviewPanel::paceChanging(Slider& sender) {
    const float pace = std::clamp(sender.value(), minPace, maxPace);
    if (pace == pace_)
        return;
    pace_ = pace;
    showSettings();
    controller_.services().store.setFloat(SettingsKey::previewPace, pace_);
    recompute(true);
}

void PreviewPanel::stopsChanging(Slider& sender) {
    const float stops = std::clamp(sender.value(), minStops, maxStops);
    if (stops == stops_)
        return;
    stops_ = stops;
    showSettings();
    controller_.services().store.setFloat(SettingsKey::previewStops, stops_);
    develop();
}

std::string PreviewPanel::bindField(const std::string& field, Object* object) {
    if (field == "previewView")
        return bindTyped(previewView, object, "View");
    if (field == "previewPhotographView") {
        std::string fault = bindTyped(previewPhotographView, object, "PhotographView");
        if (fault.empty())
            previewPhotographView->pathDrawn = [this](const std::vector<Point>& points) {
                walkDrawn(points);
            };
        return fault;
    }
    if (field == "previewPaceSlider")
        return bindTyped(previewPaceSlider, object, "Slider");
    if (field == "previewStopsSlider")
        return bindTyped(previewStopsSlider, object, "Slider");
    if (field == "previewPaceLabel")
        return bindTyped(previewPaceLabel, object, "Label");
    if (field == "previewStopsLabel")
        return bindTyped(previewStopsLabel, object, "Label");
    if (field == "previewInfoLabel")
        return bindTyped(previewInfoLabel, object, "Label");
    return "unknown field '" + field + "'";
}

std::string PreviewPanel::bindAction(const std::string& selector, Control& control) {
    std::function<void(Control&)> run;
    if (selector == "showExposurePreview:") {
        run = [this](Control&) { open(); };
    } else if (selector == "finishExposurePreview:") {
        run = [this](Control&) { close(); };
    } else if (selector == "previewStraightWalk:") {
        run = [this](Control&) {
            path_.clear();
            recompute(true);
        };
    } else if (selector == "previewPaceChanging:" || selector == "previewStopsChanging:") {
        if (!dynamic_cast<Slider*>(&control))
            return "the action '" + selector + "' needs a Slider, not a " + control.className();
        const bool isPace = selector == "previewPaceChanging:";
        run = [this, isPace](Control& c) {
            if (auto* slider = dynamic_cast<Slider*>(&c))
                isPace ? paceChanging(*slider) : stopsChanging(*slider);
        };
    } else {
        return "unknown action '" + selector + "'";
    }
    control.setAction(selector, std::move(run));
    return {};
}

} // namespace nocturo
