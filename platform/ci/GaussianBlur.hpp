#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ci/Image.hpp"

namespace pellavo::ci {

// The Gaussian blur filter: σ = radius, in the input's pixels.
class PELLAVO_EXPORT GaussianBlur {
public:
    std::optional<Image> inputImage() const { return inputImage_; }
    void setInputImage(std::optional<Image> image) { inputImage_ = std::move(image); }
    double radius() const { return radius_; }
    void setRadius(double radius) { radius_ = radius; }

    // The input blurred, its extent grown by ⌈3σ⌉ on every side. A radius that
    // is NaN or not positive leaves the input as it is; a huge one is capped at
    // 2 × the input's longer side. None without an input.
    std::optional<Image> outputImage() const;

private:
    std::optional<Image> inputImage_;
    double radius_ = 10;
};

} // namespace pellavo::ci
