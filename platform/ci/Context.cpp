#include "platform/ci/Context.hpp"

#include <string>

#include "platform/ci/BlurCore.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::ci {

std::shared_ptr<const cg::Image> Context::createImage(const Image& image, cg::Rect from) const {
    if (!from.isFinite()) return nullptr;
    const cg::Rect rect = from.intersection(image.extent()).integral();
    if (rect.isNull() || rect.isEmpty()) return nullptr;
    // Extents are whole pixels of int-sized bitmaps grown by a bounded reach,
    // so the rectangle is in int range; check before converting all the same.
    const double limit = 1 << 30;
    if (!(rect.minX() > -limit && rect.maxX() < limit && rect.minY() > -limit && rect.maxY() < limit))
        return nullptr;
    const PixelRect area{static_cast<int>(rect.minX()) - image.pixelsX(),
                         static_cast<int>(rect.minY()) - image.pixelsY(), static_cast<int>(rect.width()),
                         static_cast<int>(rect.height())};
    if (area.width > kMaxBlurSide || area.height > kMaxBlurSide ||
        static_cast<long long>(area.width) * area.height > kMaxBlurPixels) {
        ns::log("ci::Context: " + std::to_string(area.width) + " x " + std::to_string(area.height) +
                " pixels is over the image size limit");
        return nullptr;
    }
    return gaussianBlur(*image.pixels(), image.blurSigma(), area);
}

} // namespace pellavo::ci
