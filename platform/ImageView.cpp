#include "platform/ImageView.h"

namespace nocturo {

void ImageView::setImage(std::shared_ptr<const Image> image) {
    if (image == image_)
        return;
    image_ = std::move(image);
    setNeedsDisplay();
}

} // namespace nocturo
