#pragma once

#include "platform/Image.h"
#include "platform/render/Renderer.h"

#include <memory>
#include <string>

namespace nocturo {

// What one photograph after another shares: the pictures, decoded once, and a renderer that
// keeps them resampled to the sizes a photograph draws them at. A preview that follows a slider
// makes many photographs, and decoding and resampling the pictures would cost more than the run.
class ExposureCache {
public:
    explicit ExposureCache(std::string resourceDir);
    ~ExposureCache();
    ExposureCache(const ExposureCache&) = delete;
    ExposureCache& operator=(const ExposureCache&) = delete;

    const std::string& resourceDir() const { return images_.resourceDir(); }
    ImageLibrary& images() { return images_; }
    Renderer& renderer() { return *renderer_; }

private:
    ImageLibrary images_;
    std::unique_ptr<Renderer> renderer_;
};

} // namespace nocturo
