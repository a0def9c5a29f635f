#include "exposure/ExposureCache.h"

namespace nocturo {

ExposureCache::ExposureCache(std::string resourceDir)
    : images_(std::move(resourceDir)), renderer_(std::make_unique<Renderer>(images_)) {}

ExposureCache::~ExposureCache() = default;

} // namespace nocturo
