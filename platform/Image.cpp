#include "platform/Image.h"

#include <filesystem>
#include <stb/stb_image.h>

namespace nocturo {

namespace {
bool isPlainFileName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name != "." && name != "..";
}
} // namespace

bool ImageLibrary::exists(const std::string& name) const {
    std::error_code ec;
    return isPlainFileName(name) && std::filesystem::is_regular_file(dir_ + "/" + name, ec);
}

std::shared_ptr<const Image> ImageLibrary::imageNamed(const std::string& name) {
    if (!isPlainFileName(name))
        return nullptr;
    if (auto it = cache_.find(name); it != cache_.end())
        return it->second;
    int w = 0, h = 0, channels = 0;
    std::string path = dir_ + "/" + name;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!data)
        return nullptr;
    auto image = std::make_shared<Image>();
    image->name = name;
    image->width = w;
    image->height = h;
    image->scale = scale_;
    image->pixels.assign(data,
                         data + static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    stbi_image_free(data);
    cache_[name] = image;
    return image;
}

void ImageLibrary::adopt(const ImageLibrary& other) {
    if (&other == this || other.dir_ != dir_ || other.scale_ != scale_)
        return;
    for (const auto& [name, image] : other.cache_)
        cache_.emplace(name, image);
}

} // namespace nocturo
