#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::ci {

// A recipe for pixels: a source bitmap, placed in image space, with a pending
// blur. Nothing is computed until a ci::Context renders part of it. Image
// space is in pixels with y down, like the bitmap; the source's own pixels
// cover (0, 0, width, height). A value, readable from any thread.
class PELLAVO_EXPORT Image {
public:
    // The bitmap at its pixel size; a null bitmap is taken as an empty one.
    explicit Image(std::shared_ptr<const cg::Image> pixels);

    // Where the image can be non-transparent.
    cg::Rect extent() const { return extent_; }

    // The recipe, for filters and contexts: the bitmap, the image-space
    // position of its top-left pixel, and the deviation still to apply.
    const std::shared_ptr<const cg::Image>& pixels() const { return pixels_; }
    int pixelsX() const { return pixelsX_; }
    int pixelsY() const { return pixelsY_; }
    double blurSigma() const { return blurSigma_; }
    // The same source blurred by `sigma` (already effective) over `extent`.
    Image withBlur(double sigma, cg::Rect extent) const;
    // Bitmap placed at (x, y), nothing pending.
    static Image placed(std::shared_ptr<const cg::Image> pixels, int x, int y);

private:
    std::shared_ptr<const cg::Image> pixels_;
    int pixelsX_ = 0;
    int pixelsY_ = 0;
    double blurSigma_ = 0;
    cg::Rect extent_;
};

} // namespace pellavo::ci
