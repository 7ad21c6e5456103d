#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/URL.hpp"
#include "platform/ui/graphics/Image.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

// What the image browser shows: the image at hand, how it fills the screen, and where
// a sharper copy may be downloaded from.
struct PELLAVO_EXPORT VXImageInfo {
    // The same numbers as the content modes of the same names.
    enum class ImageMode : int { aspectFit = 1, aspectFill = 2 };
    // nullopt for any other integer.
    static std::optional<ImageMode> imageModeFromRawValue(int raw);

    VXImageInfo(ui::Image image, ImageMode imageMode, std::optional<ns::URL> imageHD = std::nullopt);

    const ui::Image image;
    const ImageMode imageMode;
    std::optional<ns::URL> imageHD;

    // Aspect fit or aspect fill, after the image mode.
    ui::View::ContentMode contentMode() const;
    // The image view's frame in a container of `size`. Fit covers the container (the
    // image is letterboxed inside); fill scales the image until it covers both sides,
    // from the top-left corner, so it overflows to the right or downwards. An image
    // with a zero side has no proportions to fill with and gets the fit rectangle.
    cg::Rect calculateRect(cg::Size size) const;
};

} // namespace pellavo
