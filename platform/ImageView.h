#pragma once

#include "platform/Image.h"
#include "platform/View.h"

#include <memory>

namespace nocturo {

// A view that shows a picture scaled to its bounds. It takes no touches unless told to.
class ImageView : public View {
public:
    explicit ImageView(Rect frame = {}) : View(frame) { setUserInteractionEnabled(false); }
    const char* className() const override { return "ImageView"; }

    const std::shared_ptr<const Image>& image() const { return image_; }
    void setImage(std::shared_ptr<const Image> image);
    // The file name of the picture shown, or empty.
    std::string imageName() const { return image_ ? image_->name : std::string(); }

private:
    std::shared_ptr<const Image> image_;
};

} // namespace nocturo
