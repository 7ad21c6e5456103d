#pragma once

#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo::ui::detail {

// The image's alpha filled with the colour: how template images draw. Same size
// and scale, always-original mode; an empty image stays empty.
Image tintedImage(const Image& image, const Color& color);

// Highlight darkening: black at alpha 0.45 painted source-atop, so colour is
// scaled by 0.55 and alpha is kept. Same size, scale and mode.
Image darkenedImage(const Image& image);

} // namespace pellavo::ui::detail
