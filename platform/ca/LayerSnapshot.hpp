#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/KeyPath.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/ca/Value.hpp"
#include "platform/cg/Color.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ca {

// Where contents sit in the bounds, named by what the eye sees (top is the top of
// the screen), so image content modes map onto these one to one.
enum class ContentsGravity : std::uint8_t {
    resize,
    resizeAspect,
    resizeAspectFill,
    center,
    top,
    bottom,
    left,
    right,
    topLeft,
    topRight,
    bottomLeft,
    bottomRight,
};

// Every layer's own drawn values, with their defaults: the layer holds one as its
// model and the snapshot is one (with the kinds' values and the transition added).
struct PELLAVO_EXPORT LayerProperties {
    // Geometry.
    cg::Rect bounds;
    cg::Point position;
    cg::Point anchorPoint{0.5, 0.5};
    Transform3D transform;

    // Appearance.
    float opacity = 1;
    bool isHidden = false;
    std::optional<cg::Color> backgroundColor;
    cg::Float cornerRadius = 0;
    bool masksToBounds = false;
    cg::Float borderWidth = 0;
    std::optional<cg::Color> borderColor = cg::Color(0, 0, 0, 1);
    std::optional<cg::Color> shadowColor = cg::Color(0, 0, 0, 1);
    float shadowOpacity = 0;
    cg::Size shadowOffset{0, -3};
    cg::Float shadowRadius = 3;
    cg::ImageRef contents;
    ContentsGravity contentsGravity = ContentsGravity::resize;
    cg::Float contentsScale = 1;

    // Contents compare by identity.
    friend bool operator==(const LayerProperties&, const LayerProperties&) = default;
};

// A shape layer's own values, with their defaults: the layer holds one as its
// model and the snapshot carries a copy.
struct PELLAVO_EXPORT ShapeProperties {
    std::optional<cg::Path> path;
    std::optional<cg::Color> fillColor = cg::Color(0, 0, 0, 1);
    std::optional<cg::Color> strokeColor;
    cg::Float lineWidth = 1;
    cg::LineCap lineCap = cg::LineCap::butt;
    cg::LineJoin lineJoin = cg::LineJoin::miter;
    cg::Float miterLimit = 10;
    cg::FillRule fillRule = cg::FillRule::nonZero;
    cg::Float strokeStart = 0;
    cg::Float strokeEnd = 1;

    friend bool operator==(const ShapeProperties&, const ShapeProperties&) = default;
};

// A gradient layer's own values, held and copied the same way.
struct PELLAVO_EXPORT GradientProperties {
    std::vector<cg::Color> colors;
    std::optional<std::vector<double>> locations;
    cg::Point startPoint{0.5, 0};
    cg::Point endPoint{0.5, 1};

    friend bool operator==(const GradientProperties&, const GradientProperties&) = default;
};

// Every value the renderer draws, for every kind of layer: every layer's values (the
// base), then its kind's. A layer fills one with its model values (Layer::snapshot);
// in presentation mode the animation engine then overwrites what it animates
// (Layer::applyPresentation). The renderer reads only this, so no layer is copied
// per frame.
struct PELLAVO_EXPORT LayerSnapshot : LayerProperties {
    enum class Kind : std::uint8_t { plain, shape, gradient };
    Kind kind = Kind::plain;

    // Shape and gradient layers.
    ShapeProperties shape;
    GradientProperties gradient;

    // A fade running on the layer (presentation only): the picture taken before the
    // change, of the bounds given, drawn at 1 − progress under the layer at progress.
    std::optional<double> transitionProgress;
    cg::ImageRef transitionImage;
    cg::Rect transitionImageBounds;

    // The same values draw the same pixels (NaN never equals itself, so it always redraws).
    friend bool operator==(const LayerSnapshot&, const LayerSnapshot&) = default;
};

// The snapshot's value for an animatable key (opacities as numbers); nothing for a
// key that this kind of layer does not have.
PELLAVO_EXPORT std::optional<Value> snapshotValue(const LayerSnapshot& snapshot, AnimatableKey key);

} // namespace pellavo::ca
