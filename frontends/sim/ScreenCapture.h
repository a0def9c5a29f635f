#pragma once

// The simulator's `render FILE.png [SCALE]`: what the screen shows at the run loop's time,
// drawn by the renderer every front end uses; and `expose`'s photographs, as PNG files.

#include "app/Nocturo.h"
#include "frontends/sim/Simulator.h"
#include "platform/render/PngFile.h"
#include "platform/render/Renderer.h"

#include <string>

namespace nocturo {

inline Framebuffer captureScreen(Nocturo& app, float scale) {
    Framebuffer frame;
    if (!app.window())
        return frame;
    Renderer renderer(app.images());
    renderer.draw(*app.window(), app.application(), app.runLoop().now(), scale, frame);
    return frame;
}

inline Simulator::PngWriter screenPngWriter() {
    return [](Nocturo& app, const std::string& file, float scale) {
        if (!writePng(captureScreen(app, scale), file))
            throw ScriptError("cannot write the picture '" + file + "'");
    };
}

inline Simulator::PhotographWriter photographPngWriter() {
    return [](const Framebuffer& photograph, const std::string& file) {
        if (!writePng(photograph, file))
            throw ScriptError("cannot write the picture '" + file + "'");
    };
}

} // namespace nocturo
