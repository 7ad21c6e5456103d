#pragma once

#include "platform/ns/Export.hpp"

#include <functional>
#include <optional>

#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

class Layer;
struct LayerSnapshot;

// The drawing code shared by Renderer and Layer::render(in:). Per layer it reads a
// snapshot (model values, then the presentation hook when a media time is given)
// and draws in this order: background, contents or the kind's own drawing,
// sublayers, border; with its opacity as a group and its shadow beneath.
class PELLAVO_EXPORT LayerPainter {
public:
    // With a media time, layers draw their presentation values.
    LayerPainter(cg::Context& context, std::optional<double> mediaTime);

    // Places the layer by its position, anchor point and transform in the current space.
    void drawPlaced(const Layer& layer);
    // Draws the layer in its own bounds space: bounds.origin at the current origin.
    void drawInOwnSpace(const Layer& layer);
    // Skips every layer whose box here (device space, sublayers and shadow included)
    // misses the clip; `box` answers the null rect for a layer it does not know, which
    // is then drawn. Only for a box computed from the same values as this frame's.
    void cullBy(std::function<cg::Rect(const Layer&)> box) { cull_ = std::move(box); }

    // The pieces of a layer's device-space box, for code that tracks what frames cover.
    // Whether anything of the layer can show.
    static bool showsLayer(const LayerSnapshot& s);
    // The layer's own space to its superlayer's.
    static cg::AffineTransform placementOf(const LayerSnapshot& s);
    // False for a transform under which the layer is skipped.
    static bool isUsable(const cg::AffineTransform& ctm);
    // What the layer itself draws (with a fade's earlier picture, and its bounds when it
    // masks sublayers) under `ctm`; the null rect when nothing.
    static cg::Rect ownBox(const Layer& layer, const LayerSnapshot& s, const cg::AffineTransform& ctm);
    // The layer casts a shadow.
    static bool castsShadow(const LayerSnapshot& s);
    // The box grown by the layer's shadow and by a pixel for antialiasing.
    static cg::Rect withShadow(const cg::Rect& box, const LayerSnapshot& s, const cg::AffineTransform& ctm);

private:
    void draw(const Layer& layer, bool placed);
    // The device-space box of everything the layer draws under `ctm` (its own space
    // to device): its ink, its sublayers unless it masks to bounds, and its shadow
    // when `shadow`. Generous by a pixel; the null rect when it draws nothing.
    cg::Rect coverage(const Layer& layer, const LayerSnapshot& s, const cg::AffineTransform& ctm,
                      bool shadow) const;
    // The part of the layer's box the current clip lets through, on whole device
    // pixels: the null rect when nothing of the layer can show.
    cg::Rect visibleBox(const Layer& layer, const LayerSnapshot& s, bool shadow) const;
    void drawBody(const Layer& layer, const LayerSnapshot& s);
    void drawWithShadow(const Layer& layer, const LayerSnapshot& s);
    void drawBackdrop(const Layer& layer, const LayerSnapshot& s);
    void drawContents(const Layer& layer, const LayerSnapshot& s);
    void drawShape(const Layer& layer, const LayerSnapshot& s);
    void drawGradient(const Layer& layer, const LayerSnapshot& s);
    void drawBorder(const Layer& layer, const LayerSnapshot& s);
    void drawTransitionImage(const LayerSnapshot& s, double alpha);

    cg::Context& context_;
    std::optional<double> mediaTime_;
    std::function<cg::Rect(const Layer&)> cull_;
};

} // namespace pellavo::ca
