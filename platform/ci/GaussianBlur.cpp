#include "platform/ci/GaussianBlur.hpp"

#include "platform/ci/BlurCore.hpp"
#include "platform/ci/Context.hpp"

namespace pellavo::ci {

std::optional<Image> GaussianBlur::outputImage() const {
    if (!inputImage_) return std::nullopt;
    Image input = *inputImage_;
    const double sigma = effectiveBlurSigma(radius_, input.pixels()->width(), input.pixels()->height());
    if (sigma == 0) return input;
    if (input.blurSigma() > 0) {
        // A blur of a blur: render the first over its whole extent, then blur that.
        auto pixels = Context().createImage(input, input.extent());
        if (!pixels) return std::nullopt;
        const cg::Rect extent = input.extent();
        input = Image::placed(std::move(pixels), static_cast<int>(extent.minX()), static_cast<int>(extent.minY()));
    }
    const double reach = blurReach(sigma);
    return input.withBlur(sigma, input.extent().insetBy(-reach, -reach));
}

} // namespace pellavo::ci
