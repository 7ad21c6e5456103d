#include "platform/ci/Image.hpp"

namespace pellavo::ci {

Image::Image(std::shared_ptr<const cg::Image> pixels) : pixels_(std::move(pixels)) {
    if (!pixels_) pixels_ = std::make_shared<const cg::Image>(0, 0);
    extent_ = cg::Rect(0, 0, pixels_->width(), pixels_->height());
}

Image Image::withBlur(double sigma, cg::Rect extent) const {
    Image copy = *this;
    copy.blurSigma_ = sigma;
    copy.extent_ = extent;
    return copy;
}

Image Image::placed(std::shared_ptr<const cg::Image> pixels, int x, int y) {
    Image image(std::move(pixels));
    image.pixelsX_ = x;
    image.pixelsY_ = y;
    image.extent_ = image.extent_.offsetBy(x, y);
    return image;
}

} // namespace pellavo::ci
