#include "pellavo/Button/RenderLayerImage.hpp"

#include <cmath>
#include <utility>

#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::detail {

std::optional<ui::Image> renderLayerImage(const ca::Layer& layer) {
    const cg::Size size = layer.frame().size;
    if (!(std::isfinite(size.width) && size.width > 0 && std::isfinite(size.height) && size.height > 0))
        return std::nullopt;
    ui::graphicsBeginImageContextWithOptions(size, false, 0);
    std::optional<ui::Image> image;
    if (cg::Context* context = ui::graphicsGetCurrentContext()) {
        layer.render(*context);
        ui::Image taken = ui::graphicsGetImageFromCurrentImageContext();
        if (!taken.isEmpty()) image = std::move(taken);
    }
    ui::graphicsEndImageContext();
    return image;
}

} // namespace pellavo::detail
