#pragma once

#include "platform/ns/Export.hpp"

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

private:
    void draw(const Layer& layer, bool placed);
    // The device-space box of everything the layer draws under `ctm` (its own space
    // to device): its ink, its sublayers unless it masks to bounds, and its shadow
    // when `withShadow`. Generous by a pixel; the null rect when it draws nothing.
    cg::Rect coverage(const Layer& layer, const LayerSnapshot& s, const cg::AffineTransform& ctm,
                      bool withShadow) const;
    // The part of the layer's box the current clip lets through, on whole device
    // pixels: the null rect when nothing of the layer can show.
    cg::Rect visibleBox(const Layer& layer, const LayerSnapshot& s, bool withShadow) const;
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
};

} // namespace pellavo::ca
