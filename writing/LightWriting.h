#pragma once

#include "platform/Control.h"
#include "platform/KeptFiles.h"
#include "platform/Label.h"
#include "platform/RunLoop.h"
#include "platform/ScrollView.h"
#include "platform/render/Font.h"
#include "writing/BandView.h"
#include "writing/PassTiming.h"
#include "writing/WritingPicture.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nocturo {

class NocturoAppDelegate;

// Light writing: a timed run whose light is a pass of a picture or a line of text, shown column
// by column in a band centred on the screen while the photographer walks sideways. The picture
// comes from one of three sources (text, a built-in picture, the user's own picture, kept in the
// application's files); the settings section chooses it and says how to walk the pass.
class LightWriting {
public:
    enum class Source { Text = 1, BuiltIn = 2, User = 3 };

    // The user's picture is kept under this name in the application's files.
    static inline const std::string keptPictureName = "writingPicture.png";
    // Rows the user's picture is kept at: the screen's height in points.
    static constexpr int keptPictureHeight = 480;

    // Without `files`, the user's picture is kept for this object's life.
    LightWriting(NocturoAppDelegate& controller, KeptFiles* files);
    ~LightWriting();
    LightWriting(const LightWriting&) = delete;
    LightWriting& operator=(const LightWriting&) = delete;

    // Reads the stored settings and the kept picture, and shows them on the section's controls.
    void loadSettings();

    bool isEnabled() const { return enabled_; }
    Source source() const { return source_; }
    const std::string& text() const { return text_; }
    int builtInPicture() const { return builtInPicture_; }
    float passLength() const { return passLength_; }
    float bandWidth() const { return bandWidth_; }
    bool isMirrored() const { return mirrored_; }
    // The user's correction of the screen's height in metres; zero when there is none.
    float userScreenHeight() const { return userScreenHeight_; }

    // The screen's height in metres: the user's correction, else what the platform tells, else a
    // typical phone's.
    double screenHeight() const;
    // What the front end knows of its display: its height in metres (not a positive number when
    // it cannot tell) and its frames a second.
    void setDisplay(double screenHeight, double refreshRate);
    double refreshRate() const { return refreshRate_; }

    // Text as the user typed it: it becomes the source and is stored.
    void typeText(std::string_view text);
    // The bytes of a file the user chose: a picture that can be read becomes the source and is
    // kept. Returns the message the screen shows when it cannot, changing nothing then.
    std::string choosePicture(std::span<const std::uint8_t> bytes);
    // What the section's message line says now (a refused file's reason, or empty).
    const std::string& message() const { return message_; }

    // The picture a pass plays with the settings in force, and how its columns are timed.
    const WritingPicture& picture() const;
    PassTiming timing() const;

    // The pass, as the timed light's light phase: the band shows column after column from now
    // for the pass length; then the band goes away.
    void beginPass();
    void endPass();
    // The light that colours text changed (a step of the colour walk): the column is lit again.
    void lightChanged();
    bool isPlaying() const { return playing_; }
    // The column shown now, counted across the columns the pass plays; none when none is shown.
    std::optional<int> shownColumn() const { return shownColumn_; }

    // The interface file's connections for the band and the settings section.
    std::string bindField(const std::string& field, Object* object);
    std::string bindAction(const std::string& selector, Control& control);

    BandView* writingBandView = nullptr;
    View* lightWritingView = nullptr;
    ScrollView* writingScrollView = nullptr;
    View* writingContentView = nullptr;
    Switch* writingSwitch = nullptr;
    SegmentedControl* writingSourceSelector = nullptr;
    SegmentedControl* writingPictureSelector = nullptr;
    Label* writingTextLabel = nullptr;
    Slider* writingPassSlider = nullptr;
    Label* writingPassLabel = nullptr;
    Slider* writingBandSlider = nullptr;
    Label* writingBandLabel = nullptr;
    Switch* writingMirrorSwitch = nullptr;
    Slider* writingHeightSlider = nullptr;
    Label* writingHeightLabel = nullptr;
    Label* writingGuidanceLabel = nullptr;
    Label* writingWarningLabel = nullptr;
    Label* writingMessageLabel = nullptr;

private:
    RunLoop& runLoop() const;
    void showColumnAt(double time);
    ColumnLight textLight() const;
    void cancelPending();
    void pictureChanged();
    void showSettings();
    void showSection();

    NocturoAppDelegate& controller_;
    MemoryKeptFiles ownFiles_;
    KeptFiles& files_;
    bool enabled_ = false;
    Source source_ = Source::Text;
    std::string text_ = "NOCTURO";
    int builtInPicture_ = 1;
    float passLength_ = 3.0f;
    float bandWidth_ = BandView::defaultBandWidth;
    bool mirrored_ = false;
    float userScreenHeight_ = 0.0f;
    double platformScreenHeight_ = 0.0;
    double refreshRate_ = PassTiming::defaultRefreshRate;
    std::string message_;

    std::shared_ptr<const Image> userPicture_;
    mutable std::unique_ptr<Font> font_;
    mutable std::optional<WritingPicture> picture_; // made again when its source changes

    bool playing_ = false;
    double passStart_ = 0.0;
    std::optional<int> shownColumn_;
    bool pending_ = false;
    RunLoop::CallId pendingCall_ = 0;
};

} // namespace nocturo
