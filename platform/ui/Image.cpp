#include "platform/ui/Image.hpp"

#include <cmath>

#include "platform/backend/ImageCodec.hpp"

namespace pellavo::ui {

Image::Image(std::shared_ptr<const cg::Image> image, double scale)
    : image_(std::move(image)), scale_(std::isfinite(scale) && scale > 0 ? scale : 1) {}

bool Image::isEmpty() const { return !image_ || image_->width() <= 0 || image_->height() <= 0; }

cg::Size Image::size() const {
    if (isEmpty()) return {};
    return {image_->width() / scale_, image_->height() / scale_};
}

Image Image::withRenderingMode(RenderingMode mode) const {
    Image copy = *this;
    copy.renderingMode_ = mode;
    return copy;
}

Image Image::fromData(std::span<const std::byte> data) {
    auto decoded = backend::decodeImage(data);
    if (!decoded) return {};
    return Image(std::move(decoded), 1);
}

std::vector<std::byte> Image::pngData() const {
    if (isEmpty()) return {};
    return backend::encodePng(*image_);
}

} // namespace pellavo::ui
