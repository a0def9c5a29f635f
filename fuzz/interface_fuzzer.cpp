// The interface file loader, with the application's classes and controller. A bad file is
// refused with a fault that names it; a file that loads is launched as well, touched and its
// every control used: whatever a file connects, the application must not fall over.

#include "app/Nocturo.h"
#include "soak/TinyResources.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace nocturo;

namespace {

void useEveryControl(const Interface& ui) {
    for (const auto& object : ui.objects()) {
        if (auto* segmented = dynamic_cast<SegmentedControl*>(object.get())) {
            segmented->choose(0);
            segmented->choose(segmented->numberOfSegments() - 1);
        } else if (auto* sw = dynamic_cast<Switch*>(object.get())) {
            sw->flip(!sw->isOn());
        } else if (auto* slider = dynamic_cast<Slider*>(object.get())) {
            slider->slide(slider->maximumValue());
        } else if (auto* button = dynamic_cast<Button*>(object.get())) {
            button->press();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TinyResources resources(NOCTURO_RESOURCE_DIR);
    static const ClassRegistry registry = Nocturo::classRegistry();
    static ImageLibrary images(resources.dir());

    Application application;
    RunLoop loop;
    MemorySettingsStore store;
    auto controller =
        std::make_unique<NocturoAppDelegate>(Services{application, loop, store, images});
    Interface ui;
    try {
        InterfaceLoader loader(registry, images);
        ui = loader.loadText(std::string(reinterpret_cast<const char*>(data), size),
                             "MainWindow.json", *controller);
    } catch (const InterfaceError& e) {
        // A bad file says which file it was.
        if (std::string(e.what()).rfind("MainWindow.json: ", 0) != 0) {
            std::fprintf(stderr, "interface fuzzer: a fault that does not name the file: %s\n",
                         e.what());
            std::abort();
        }
        return 0;
    }

    Window* window = ui.window();
    window->setRunLoop(&loop);
    applicationMain(0, nullptr, application, *controller);
    loop.advanceTo(2.0);
    window->touchDown(1, {160.0f, 340.0f});
    window->touchDown(2, {300.0f, 460.0f});
    window->touchMove(1, {160.0f, 400.0f});
    window->touchUp(1, {160.0f, 400.0f});
    window->touchCancel(2);
    useEveryControl(ui);
    loop.advanceTo(4.0);
    useEveryControl(ui);
    loop.advanceTo(6.0);

    // As the application ends: the controller first, while the views it points into stand.
    controller.reset();
    return 0;
}
