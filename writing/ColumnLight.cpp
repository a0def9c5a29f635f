#include "writing/ColumnLight.h"

#include "platform/render/Blend.h"

#include <algorithm>
#include <cmath>

namespace nocturo {

ColumnLight::ColumnLight() : rows_{{255, 255, 255}} {}

ColumnLight::ColumnLight(Color color)
    : rows_{{blend::toByte(color.red), blend::toByte(color.green), blend::toByte(color.blue)}} {}

ColumnLight ColumnLight::downPicture(const Image& picture) {
    ColumnLight light;
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() < static_cast<std::size_t>(picture.width) * picture.height * 4)
        return light;
    light.rows_.clear();
    const std::size_t x = static_cast<std::size_t>(picture.width / 2);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* p =
            picture.pixels.data() + (static_cast<std::size_t>(y) * picture.width + x) * 4;
        light.rows_.push_back({p[0], p[1], p[2]});
    }
    return light;
}

ColumnLight::Rgb ColumnLight::at(float fraction) const {
    if (rows_.size() == 1 || !std::isfinite(fraction))
        return rows_.front();
    auto last = static_cast<float>(rows_.size() - 1);
    auto row = static_cast<std::size_t>(
        std::clamp(fraction * static_cast<float>(rows_.size()), 0.0f, last));
    return rows_[row];
}

} // namespace nocturo
