#pragma once

#include "platform/ns/Export.hpp"

#include <optional>

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
    void drawBody(const Layer& layer, const LayerSnapshot& s);
    void drawWithShadow(const Layer& layer, const LayerSnapshot& s);
    void drawBackdrop(const Layer& layer, const LayerSnapshot& s);
    void drawContents(const Layer& layer, const LayerSnapshot& s);
    void drawShape(const LayerSnapshot& s);
    void drawGradient(const LayerSnapshot& s);
    void drawBorder(const LayerSnapshot& s);
    void drawTransitionImage(const LayerSnapshot& s, double alpha);

    cg::Context& context_;
    std::optional<double> mediaTime_;
};

} // namespace pellavo::ca
