#include "app/Nocturo.h"

#include "exposure/PhotographView.h"
#include "timed/TimedLight.h"
#include "writing/LightWriting.h"

namespace nocturo {

Nocturo::Nocturo(SettingsStore& store, std::string resourceDir, double startTime, KeptFiles* files)
    : store_(store), files_(files ? *files : ownFiles_), runLoop_(startTime),
      images_(std::move(resourceDir)), controller_(std::make_unique<NocturoAppDelegate>(Services{
                                           application_, runLoop_, store_, images_, &files_})) {}

// The controller goes first: it stops its timer and cancels its delayed calls while the
// views it refers to still stand.
Nocturo::~Nocturo() {
    controller_.reset();
}

ClassRegistry Nocturo::classRegistry() {
    ClassRegistry registry;
    registry.add("TransitionView", [] { return std::make_unique<TransitionView>(); });
    registry.add("MyTouchView", [] { return std::make_unique<MyTouchView>(); });
    registry.add("AccelController", [] { return std::make_unique<AccelController>(); });
    registry.add("BandView", [] { return std::make_unique<BandView>(); });
    registry.add("PhotographView", [] { return std::make_unique<PhotographView>(); });
    return registry;
}

int Nocturo::launch(int argc, char** argv) {
    if (launched_)
        return 0;
    ClassRegistry registry = classRegistry();
    InterfaceLoader loader(registry, images_);
    interface_ = loader.loadFile(images_.resourceDir() + "/" + interfaceFileName, *controller_);
    interface_.window()->setRunLoop(&runLoop_);
    launched_ = true;
    return applicationMain(argc, argv, application_, *controller_);
}

} // namespace nocturo

namespace nocturo {

void Nocturo::pressKey(Key key) {
    if (launched_)
        controller_->timedLight().keyPressed(key);
}

void Nocturo::typeText(std::string_view text) {
    if (launched_)
        controller_->lightWriting().typeText(text);
}

std::string Nocturo::choosePicture(std::span<const std::uint8_t> bytes) {
    if (!launched_)
        return "Nocturo has not started yet.";
    return controller_->lightWriting().choosePicture(bytes);
}

void Nocturo::setDisplay(double screenHeight, double refreshRate) {
    controller_->lightWriting().setDisplay(screenHeight, refreshRate);
}

} // namespace nocturo
