#pragma once

#include "app/Nocturo.h"
#include "platform/SettingsStore.h"
#include "platform/render/Framebuffer.h"

#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace nocturo {

// A fault in one script line: the line changes nothing.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The headless front end: runs Nocturo on a virtual clock, driven by script lines.
class Simulator {
public:
    // The files the application keeps (the user's picture) outlive a quit, as the store does:
    // in `files`, or for the simulator's life.
    Simulator(SettingsStore& store, std::string resourceDir, KeptFiles* files = nullptr);
    ~Simulator();

    // Carries out one line; throws ScriptError when it cannot be parsed or carried out. Output
    // (a dump) goes to `out`.
    void execute(const std::string& line, std::ostream& out);
    // Runs a whole script; returns the exit status: 0 at its end, 2 at the first bad line,
    // whose number and fault go to `err`.
    int run(std::istream& script, std::ostream& out, std::ostream& err);

    // The state as one line of JSON.
    std::string dump() const;
    // What the photographer sees, in one short line of words.
    std::string status() const;

    Nocturo* app() const { return app_.get(); }
    double clock() const { return clock_; }

    // Renders the screen into a PNG; set by a front end that links the renderer.
    using PngWriter = std::function<void(Nocturo&, const std::string& file, float scale)>;
    void setPngWriter(PngWriter writer) { pngWriter_ = std::move(writer); }
    // Writes a simulated photograph (`expose`) into a file; without one, `expose` is refused.
    using PhotographWriter = std::function<void(const Framebuffer&, const std::string& file)>;
    void setPhotographWriter(PhotographWriter writer) { photographWriter_ = std::move(writer); }

private:
    void requireLaunched(const std::string& command) const;
    void doStore(const std::vector<std::string>& words, const std::string& line);
    void doTouch(const std::vector<std::string>& words);
    void doControl(const std::vector<std::string>& words);
    void doPress(const std::vector<std::string>& words);
    void doCall(const std::vector<std::string>& words);
    void doExpose(const std::vector<std::string>& words);

    SettingsStore& store_;
    MemoryKeptFiles ownFiles_;
    KeptFiles& files_;
    std::string resourceDir_;
    std::unique_ptr<Nocturo> app_;
    double clock_ = 0.0;
    PngWriter pngWriter_;
    PhotographWriter photographWriter_;
    static constexpr int fingerId = 1;
    static constexpr int maxFingers = 10;
};

} // namespace nocturo
