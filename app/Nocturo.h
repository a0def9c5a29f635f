#pragma once

#include "app/NocturoAppDelegate.h"
#include "platform/InterfaceLoader.h"
#include "platform/Key.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace nocturo {

// One run of the application: its run loop, pictures, interface and controller. The settings
// store belongs to the front end and outlives it, as stored settings outlive a process.
class Nocturo {
public:
    static inline const std::string interfaceFileName = "MainWindow.json";

    // `files` keeps what the user makes beside the settings; without it, for the life of this run.
    Nocturo(SettingsStore& store, std::string resourceDir, double startTime = 0.0,
            KeptFiles* files = nullptr);
    ~Nocturo();
    Nocturo(const Nocturo&) = delete;
    Nocturo& operator=(const Nocturo&) = delete;

    // Loads the interface file and runs the process entry, which launches the controller.
    // Throws InterfaceError, naming the file, the entry and the fault, when the file is bad.
    int launch(int argc = 0, char** argv = nullptr);
    bool isLaunched() const { return launched_; }

    // A key pressed on a keyboard or a remote; ignored before launch.
    void pressKey(Key key);
    // Text the user typed for light writing, the whole line; ignored before launch.
    void typeText(std::string_view text);
    // A picture file the user chose or dropped, as bytes: kept and written with when it can be
    // read. Returns the message the screen shows when it cannot (empty when it was taken).
    std::string choosePicture(std::span<const std::uint8_t> bytes);
    // What the front end knows of its display: its height in metres (zero when it cannot tell)
    // and its frames a second.
    void setDisplay(double screenHeight, double refreshRate);

    RunLoop& runLoop() { return runLoop_; }
    Application& application() { return application_; }
    ImageLibrary& images() { return images_; }
    SettingsStore& store() { return store_; }
    NocturoAppDelegate& controller() { return *controller_; }
    const Interface& interface() const { return interface_; }
    Window* window() const { return interface_.window(); }

    // The classes of this application that an interface file may name.
    static ClassRegistry classRegistry();

private:
    SettingsStore& store_;
    MemoryKeptFiles ownFiles_;
    KeptFiles& files_;
    RunLoop runLoop_;
    Application application_;
    ImageLibrary images_;
    std::unique_ptr<NocturoAppDelegate> controller_;
    Interface interface_;
    bool launched_ = false;
};

} // namespace nocturo
