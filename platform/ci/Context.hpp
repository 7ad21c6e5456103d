#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"
#include "platform/ci/Image.hpp"

namespace pellavo::ci {

// Renders image recipes into bitmaps. Holds no state: usable from any thread.
class PELLAVO_EXPORT Context {
public:
    // The pixels of the whole-pixel rectangle around `from` ∩ the image's
    // extent. Null when that is empty, `from` is not finite, or the result
    // would exceed the bitmap size limits.
    std::shared_ptr<const cg::Image> createImage(const Image& image, cg::Rect from) const;
};

} // namespace pellavo::ci
