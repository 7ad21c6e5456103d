#include "pellavo/VXImageBrowser/VXImageInfo.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pellavo {

std::optional<VXImageInfo::ImageMode> VXImageInfo::imageModeFromRawValue(int raw) {
    switch (raw) {
    case static_cast<int>(ImageMode::aspectFit):
        return ImageMode::aspectFit;
    case static_cast<int>(ImageMode::aspectFill):
        return ImageMode::aspectFill;
    default:
        return std::nullopt;
    }
}

VXImageInfo::VXImageInfo(ui::Image image, ImageMode imageMode, std::optional<ns::URL> imageHD)
    : image(std::move(image)), imageMode(imageMode), imageHD(std::move(imageHD)) {}

ui::View::ContentMode VXImageInfo::contentMode() const {
    return imageMode == ImageMode::aspectFill ? ui::View::ContentMode::scaleAspectFill
                                              : ui::View::ContentMode::scaleAspectFit;
}

cg::Rect VXImageInfo::calculateRect(cg::Size size) const {
    const cg::Rect fit{0, 0, size.width, size.height};
    if (imageMode != ImageMode::aspectFill) return fit;
    const cg::Size i = image.size();
    if (!(i.width > 0) || !(i.height > 0) || !std::isfinite(i.width) || !std::isfinite(i.height)) return fit;
    const double scale = std::max(size.width / i.width, size.height / i.height);
    return {0, 0, i.width * scale, i.height * scale};
}

} // namespace pellavo
