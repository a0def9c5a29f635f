#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace nocturo {

// A picture in straight (not premultiplied) RGBA8, drawn at `scale` pixels a point.
struct Image {
    std::string name;
    int width = 0;
    int height = 0;
    float scale = 3.0f;
    std::vector<std::uint8_t> pixels;

    float pointWidth() const { return static_cast<float>(width) / scale; }
    float pointHeight() const { return static_cast<float>(height) / scale; }
};

// Pictures from the resource folder by file name, loaded once and shared.
class ImageLibrary {
public:
    explicit ImageLibrary(std::string resourceDir, float scale = 3.0f)
        : dir_(std::move(resourceDir)), scale_(scale) {}

    // None when there is no such picture or it cannot be decoded.
    std::shared_ptr<const Image> imageNamed(const std::string& name);
    bool exists(const std::string& name) const;
    const std::string& resourceDir() const { return dir_; }
    // Takes the pictures `other` has loaded, shared rather than copied, when both read the same
    // folder at the same scale; pictures already loaded here stay.
    void adopt(const ImageLibrary& other);

private:
    std::string dir_;
    float scale_;
    std::map<std::string, std::shared_ptr<const Image>> cache_;
};

} // namespace nocturo
