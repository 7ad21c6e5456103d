#pragma once

#include <optional>

#include "platform/ca/Layer.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo::detail {

// The layer's model tree drawn into a transparent bitmap of its frame size at the main
// screen's scale. No image when a side is not > 0 or not finite: there is nothing to draw into.
std::optional<ui::Image> renderLayerImage(const ca::Layer& layer);

} // namespace pellavo::detail
