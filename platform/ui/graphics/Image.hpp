#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"
#include "platform/ci/Image.hpp"

namespace pellavo::ui {

enum class ImageRenderingMode { automatic, alwaysOriginal, alwaysTemplate };

// An immutable picture: shared pixels plus the scale that maps them to points.
// Cheap to copy; copies share the pixels.
class PELLAVO_EXPORT Image {
public:
    using RenderingMode = ImageRenderingMode;

    Image() = default;
    // A scale that is not finite or not positive is taken as 1.
    explicit Image(std::shared_ptr<const cg::Image> image, double scale = 1);
    // An image whose point size is known exactly (an image context of a fractional
    // size rounds its pixels up; the picture still measures what was asked for).
    // A size that is not finite and positive falls back to pixels ÷ scale.
    Image(std::shared_ptr<const cg::Image> image, double scale, cg::Size pointSize);

    // The exact point size when one was given, else pixels divided by the scale;
    // zero when empty.
    cg::Size size() const;
    double scale() const { return scale_; }
    const std::shared_ptr<const cg::Image>& cgImage() const { return image_; }
    // No pixels, or a side of zero pixels.
    bool isEmpty() const;
    // The pixels at their pixel size, for the image filters; none for an empty image.
    std::optional<ci::Image> ciImage() const;

    RenderingMode renderingMode() const { return renderingMode_; }
    // Same pixels; image views and buttons read the mode to decide how to tint.
    Image withRenderingMode(RenderingMode mode) const;

    // The pixels as they are, stretched to `rect` (points) in the current graphics
    // context; nothing without a context or pixels.
    void draw(cg::Rect rect) const;

    // Decoding and encoding go through the installed codec (cg/ImageCodec.hpp): without
    // one, named and fromData give an empty image and pngData no bytes.

    // From the main bundle: `name@2x.png` at scale 2, else `name.png`, else
    // `name.jpg`, else the file named exactly `name`; empty when none decodes.
    static Image named(std::string_view name);
    // PNG or JPEG at scale 1; anything unreadable or over the decode caps gives an empty image.
    static Image fromData(std::span<const std::byte> data);
    // Straight 8-bit RGBA PNG of the pixels; empty for an empty image.
    std::vector<std::byte> pngData() const;

    // Same pixels, scale and mode.
    friend bool operator==(const Image& a, const Image& b) {
        return a.image_ == b.image_ && a.scale_ == b.scale_ && a.pointSize_ == b.pointSize_ &&
               a.renderingMode_ == b.renderingMode_;
    }

private:
    std::shared_ptr<const cg::Image> image_;
    double scale_ = 1;
    std::optional<cg::Size> pointSize_;
    RenderingMode renderingMode_ = RenderingMode::automatic;
};

} // namespace pellavo::ui
