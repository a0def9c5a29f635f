// Light writing: the picture a pass plays, the pass itself, and the settings section.

#include "writing/LightWriting.h"

#include "app/NocturoAppDelegate.h"
#include "app/SettingsTable.h"
#include "writing/BuiltInPictures.h"
#include "writing/PictureReader.h"
#include "writing/WalkGuidance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace nocturo {

namespace {

std::string numberText(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A screen height below this on the slider means "as the display tells".
constexpr float leastScreenHeight = 0.03f;
} // namespace

LightWriting::LightWriting(NocturoAppDelegate& controller, KeptFiles* files)
    : controller_(controller), files_(files ? *files : ownFiles_) {}

LightWriting::~LightWriting() {
    cancelPending();
}

RunLoop& LightWriting::runLoop() const {
    return controller_.services().runLoop;
}

double LightWriting::screenHeight() const {
    if (userScreenHeight_ > 0.0f)
        return userScreenHeight_;
    if (std::isfinite(platformScreenHeight_) && platformScreenHeight_ > 0.0)
        return platformScreenHeight_;
    return WalkGuidance::typicalScreenHeight;
}

void LightWriting::setDisplay(double screenHeight, double refreshRate) {
    platformScreenHeight_ = screenHeight;
    refreshRate_ = std::isfinite(refreshRate) && refreshRate > 0.0 ? refreshRate
                                                                   : PassTiming::defaultRefreshRate;
    showSettings();
}

// ---- [the picture]

void LightWriting::typeText(std::string_view text) {
    text_ = storedString(text);
    source_ = Source::Text;
    message_.clear();
    pictureChanged();
    SettingsStore& store = controller_.services().store;
    store.setInteger(SettingsKey::writingSource, static_cast<int>(source_));
    store.setString(SettingsKey::writingText, text_);
}

std::string LightWriting::choosePicture(std::span<const std::uint8_t> bytes) {
    PictureReader::Result read = PictureReader::read(bytes, keptPictureHeight);
    if (!read.picture) {
        message_ = read.message;
        showSettings();
        return message_;
    }
    if (!files_.write(keptPictureName, PictureReader::encode(*read.picture))) {
        message_ = "The picture could not be kept: there is no room to keep it.";
        showSettings();
        return message_;
    }
    userPicture_ = read.picture;
    source_ = Source::User;
    message_.clear();
    pictureChanged();
    controller_.services().store.setInteger(SettingsKey::writingSource, static_cast<int>(source_));
    return {};
}

const WritingPicture& LightWriting::picture() const {
    if (picture_)
        return *picture_;
    switch (source_) {
    case Source::Text:
        if (!font_) {
            font_ = std::make_unique<Font>();
            font_->loadFile(controller_.services().images.resourceDir() +
                            "/fonts/DejaVuSans-Bold.ttf");
        }
        picture_ = font_->isLoaded() ? WritingPicture::fromText(*font_, text_) : WritingPicture();
        break;
    case Source::BuiltIn: {
        auto entry = BuiltInPictures::numbered(builtInPicture_);
        auto image =
            entry ? controller_.services().images.imageNamed(std::string(entry->file)) : nullptr;
        picture_ = image ? WritingPicture::fromImage(*image) : WritingPicture();
        break;
    }
    case Source::User:
        picture_ = userPicture_ ? WritingPicture::fromImage(*userPicture_) : WritingPicture();
        break;
    }
    return *picture_;
}

PassTiming LightWriting::timing() const {
    return PassTiming(picture().width(), passLength_, refreshRate_, mirrored_);
}

void LightWriting::pictureChanged() {
    picture_.reset();
    showSection();
    showSettings();
}

// ---- [the pass]

// The band lies over the light and under the dot strip and the controls, as the spot does.
void LightWriting::beginPass() {
    endPass();
    NocturoAppDelegate& c = controller_;
    if (!writingBandView || !c.paintingView)
        return;
    playing_ = true;
    passStart_ = runLoop().now();
    writingBandView->setBandWidth(bandWidth_);
    writingBandView->setUserInteractionEnabled(false);
    writingBandView->setFrame(c.paintingView->bounds());
    if (c.stripImageView && c.stripImageView->superview() == c.paintingView)
        c.paintingView->insertSubviewBelow(writingBandView, c.stripImageView);
    else if (c.frontControlView && c.frontControlView->superview() == c.paintingView)
        c.paintingView->insertSubviewBelow(writingBandView, c.frontControlView);
    else
        c.paintingView->addSubview(writingBandView);
    showColumnAt(0.0);
}

void LightWriting::endPass() {
    cancelPending();
    playing_ = false;
    shownColumn_.reset();
    if (writingBandView) {
        writingBandView->setColumn({});
        writingBandView->removeFromSuperview();
    }
}

// Shows the column due `elapsed` seconds into the pass and schedules the next change.
void LightWriting::showColumnAt(double elapsed) {
    PassTiming passTiming = timing();
    const WritingPicture& written = picture();
    shownColumn_ = passTiming.columnAt(elapsed);
    if (writingBandView)
        writingBandView->setColumn(
            shownColumn_ ? written.column(*shownColumn_, passTiming.columns(), textLight())
                         : std::vector<std::uint8_t>{});
    double next = passTiming.nextChangeAfter(elapsed);
    if (!std::isfinite(next))
        return;
    cancelPending();
    pending_ = true;
    // The call runs at the change or, the clock being in whole nanoseconds, a hair before it:
    // it shows the column due at the change it was scheduled for.
    pendingCall_ = runLoop().performAfterDelay(next - elapsed, [this, next] {
        pending_ = false;
        showColumnAt(std::max(next, runLoop().now() - passStart_));
    });
}

void LightWriting::lightChanged() {
    if (!playing_ || !shownColumn_ || !writingBandView || !picture().isText())
        return;
    writingBandView->setColumn(picture().column(*shownColumn_, timing().columns(), textLight()));
}

ColumnLight LightWriting::textLight() const {
    const NocturoAppDelegate& c = controller_;
    switch (c.currentLightMode) {
    case 1:
        return ColumnLight(Color{c.rollingColorRed, c.rollingColorGreen, c.rollingColorBlue, 1});
    case 2:
        if (c.theRainbowView && c.theRainbowView->image())
            return ColumnLight::downPicture(*c.theRainbowView->image());
        return ColumnLight();
    default:
        return ColumnLight(c.storedColor);
    }
}

void LightWriting::cancelPending() {
    if (pending_)
        runLoop().cancel(pendingCall_);
    pending_ = false;
}

// ---- [settings]

void LightWriting::loadSettings() {
    const SettingsStore& store = controller_.services().store;
    enabled_ = std::get<bool>(readSetting(store, SettingsKey::writingEnabled));
    source_ =
        static_cast<Source>(std::get<std::int64_t>(readSetting(store, SettingsKey::writingSource)));
    builtInPicture_ =
        static_cast<int>(std::get<std::int64_t>(readSetting(store, SettingsKey::writingPicture)));
    passLength_ = std::get<float>(readSetting(store, SettingsKey::writingPassLength));
    bandWidth_ = std::get<float>(readSetting(store, SettingsKey::writingBandWidth));
    mirrored_ = std::get<bool>(readSetting(store, SettingsKey::writingMirrored));
    userScreenHeight_ = std::get<float>(readSetting(store, SettingsKey::writingScreenHeight));
    if (const SettingRule* rule = findSetting(SettingsKey::writingText))
        text_ = readStringSetting(store, *rule);

    userPicture_.reset();
    if (auto bytes = files_.read(keptPictureName))
        userPicture_ = PictureReader::read(*bytes, keptPictureHeight).picture;
    picture_.reset();

    if (writingSwitch)
        writingSwitch->setOn(enabled_);
    if (writingPassSlider)
        writingPassSlider->setValue(passLength_);
    if (writingBandSlider)
        writingBandSlider->setValue(bandWidth_);
    if (writingMirrorSwitch)
        writingMirrorSwitch->setOn(mirrored_);
    if (writingHeightSlider)
        writingHeightSlider->setValue(static_cast<float>(screenHeight() * 100.0));
    showSection();
    showSettings();
}

void LightWriting::showSection() {
    if (writingSourceSelector)
        writingSourceSelector->setSelectedSegmentIndex(static_cast<int>(source_) - 1);
    if (writingPictureSelector)
        writingPictureSelector->setSelectedSegmentIndex(
            source_ == Source::BuiltIn ? builtInPicture_ - 1 : -1);
}

void LightWriting::showSettings() {
    if (writingTextLabel)
        writingTextLabel->setText("Text: " + text_);
    if (writingPassLabel)
        writingPassLabel->setText(numberText("Pass of %.1f s", passLength_));
    if (writingBandLabel)
        writingBandLabel->setText(numberText("Band %.0f points wide", bandWidth_));
    if (writingHeightLabel) {
        const char* from = userScreenHeight_ > 0.0f      ? "as set"
                           : platformScreenHeight_ > 0.0 ? "the display's"
                                                         : "a phone's";
        writingHeightLabel->setText(numberText("Screen %.1f cm tall", screenHeight() * 100.0) +
                                    " (" + from + ")");
    }
    if (writingMessageLabel)
        writingMessageLabel->setText(message_);
    // The walk and the columns need the picture, drawn for text: only while the section shows.
    if (!lightWritingView || !lightWritingView->superview())
        return;
    const WritingPicture& written = picture();
    PassTiming passTiming = timing();
    WalkGuidance walk(screenHeight(), written.width(), written.height(), passTiming.passLength());
    if (writingGuidanceLabel) {
        char words[96];
        std::snprintf(words, sizeof words, "Walk %.2f m in %.1f s, %.2f m a second",
                      walk.distance(), passTiming.passLength(), walk.pace());
        writingGuidanceLabel->setText(written.isEmpty() ? "Nothing to write: choose a picture"
                                                        : words);
    }
    std::string warning;
    if (walk.isTooFast()) {
        warning = "Faster than a painting walk: make the pass longer";
    } else if (passTiming.isResampled()) {
        char words[96];
        std::snprintf(words, sizeof words, "Plays %d of its %d columns, %.0f a second",
                      passTiming.columns(), passTiming.pictureColumns(), passTiming.columnRate());
        warning = words;
    }
    if (writingWarningLabel)
        writingWarningLabel->setText(warning);
}

std::string LightWriting::bindField(const std::string& field, Object* object) {
    if (field == "writingBandView")
        return bindTyped(writingBandView, object, "BandView");
    if (field == "lightWritingView")
        return bindTyped(lightWritingView, object, "View");
    if (field == "writingScrollView")
        return bindTyped(writingScrollView, object, "ScrollView");
    if (field == "writingContentView")
        return bindTyped(writingContentView, object, "View");
    if (field == "writingSwitch")
        return bindTyped(writingSwitch, object, "Switch");
    if (field == "writingSourceSelector")
        return bindTyped(writingSourceSelector, object, "SegmentedControl");
    if (field == "writingPictureSelector")
        return bindTyped(writingPictureSelector, object, "SegmentedControl");
    if (field == "writingTextLabel")
        return bindTyped(writingTextLabel, object, "Label");
    if (field == "writingPassSlider")
        return bindTyped(writingPassSlider, object, "Slider");
    if (field == "writingPassLabel")
        return bindTyped(writingPassLabel, object, "Label");
    if (field == "writingBandSlider")
        return bindTyped(writingBandSlider, object, "Slider");
    if (field == "writingBandLabel")
        return bindTyped(writingBandLabel, object, "Label");
    if (field == "writingMirrorSwitch")
        return bindTyped(writingMirrorSwitch, object, "Switch");
    if (field == "writingHeightSlider")
        return bindTyped(writingHeightSlider, object, "Slider");
    if (field == "writingHeightLabel")
        return bindTyped(writingHeightLabel, object, "Label");
    if (field == "writingGuidanceLabel")
        return bindTyped(writingGuidanceLabel, object, "Label");
    if (field == "writingWarningLabel")
        return bindTyped(writingWarningLabel, object, "Label");
    if (field == "writingMessageLabel")
        return bindTyped(writingMessageLabel, object, "Label");
    return "unknown field '" + field + "'";
}

std::string LightWriting::bindAction(const std::string& selector, Control& control) {
    SettingsStore& store = controller_.services().store;
    std::function<void(Control&)> run;
    std::string kind = "Control";
    if (selector == "showWritingSettings:") {
        run = [this](Control&) {
            if (lightWritingView && controller_.settingsView)
                controller_.settingsView->addSubview(lightWritingView);
            showSettings();
            if (writingScrollView && writingContentView &&
                writingContentView->superview() != writingScrollView) {
                writingScrollView->setCanCancelContentTouches(false);
                writingScrollView->addSubview(writingContentView);
                writingScrollView->setContentSize(writingContentView->frame().size);
                writingScrollView->setScrollEnabled(true);
            }
        };
    } else if (selector == "finishWritingSettings:") {
        run = [this](Control&) {
            if (lightWritingView)
                lightWritingView->removeFromSuperview();
        };
    } else if (selector == "editWritingText:") {
        run = [this](Control&) {
            controller_.services().application.request(Application::Request::TextEntry, text_);
        };
    } else if (selector == "chooseWritingPicture:") {
        run = [this](Control&) {
            controller_.services().application.request(Application::Request::PictureFile);
        };
    } else if (selector == "setWriting:" || selector == "setWritingMirrored:") {
        kind = "Switch";
        bool mirror = selector == "setWritingMirrored:";
        run = [this, mirror, &store](Control& c) {
            bool on = static_cast<Switch&>(c).isOn();
            if (mirror) {
                mirrored_ = on;
                showSettings();
                store.setBool(SettingsKey::writingMirrored, on);
            } else {
                enabled_ = on;
                store.setBool(SettingsKey::writingEnabled, on);
            }
        };
    } else if (selector == "switchWritingSource:") {
        kind = "SegmentedControl";
        run = [this, &store](Control& c) {
            int segment = static_cast<SegmentedControl&>(c).selectedSegmentIndex();
            if (segment < 0 || segment > 2)
                return;
            source_ = static_cast<Source>(segment + 1);
            message_.clear();
            pictureChanged();
            store.setInteger(SettingsKey::writingSource, segment + 1);
        };
    } else if (selector == "switchWritingPicture:") {
        kind = "SegmentedControl";
        run = [this, &store](Control& c) {
            int segment = static_cast<SegmentedControl&>(c).selectedSegmentIndex();
            if (segment < 0 || segment >= BuiltInPictures::count())
                return;
            builtInPicture_ = segment + 1;
            source_ = Source::BuiltIn;
            message_.clear();
            pictureChanged();
            store.setInteger(SettingsKey::writingPicture, builtInPicture_);
            store.setInteger(SettingsKey::writingSource, static_cast<int>(source_));
        };
    } else if (selector == "writingPassChanging:" || selector == "writingBandChanging:" ||
               selector == "writingHeightChanging:") {
        kind = "Slider";
        run = [this, selector, &store](Control& c) {
            float value = static_cast<Slider&>(c).value();
            if (selector == "writingPassChanging:") {
                passLength_ = std::clamp(value, 0.5f, 30.0f);
                store.setFloat(SettingsKey::writingPassLength, passLength_);
            } else if (selector == "writingBandChanging:") {
                bandWidth_ = std::clamp(value, BandView::minBandWidth, BandView::maxBandWidth);
                store.setFloat(SettingsKey::writingBandWidth, bandWidth_);
            } else {
                float metres = std::clamp(value / 100.0f, 0.0f, 0.5f);
                userScreenHeight_ = metres < leastScreenHeight ? 0.0f : metres;
                store.setFloat(SettingsKey::writingScreenHeight, userScreenHeight_);
            }
            showSettings();
        };
    } else {
        return "unknown action '" + selector + "'";
    }
    bool fits = kind == "Control" || (kind == "Switch" && dynamic_cast<Switch*>(&control)) ||
                (kind == "Slider" && dynamic_cast<Slider*>(&control)) ||
                (kind == "SegmentedControl" && dynamic_cast<SegmentedControl*>(&control));
    if (!fits)
        return "the action '" + selector + "' needs a " + kind + ", not a " + control.className();
    control.setAction(selector, std::move(run));
    return {};
}

} // namespace nocturo
