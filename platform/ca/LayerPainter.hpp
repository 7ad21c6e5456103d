#pragma once

#include "platform/ns/Export.hpp"

#include <functional>
#include <optional>
#include <vector>

#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ca/RasterCache.hpp"

namespace pellavo::cg {
class Context;
class Image;
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
    // Resampling (an image not drawn pixel for pixel, a gradient) steps through its source
    // from where the drawn area starts and from the origin of the surface drawn on, so a
    // picture redrawn in parts would differ from the same picture drawn whole by a level
    // here and there. Given the device-pixel frame of the target, resampled drawing is
    // made tile by tile of a grid fixed to the frame (kResampleTile pixels square), each
    // tile whole on a surface of its own, and laid down pixel for pixel.
    void resampleWithin(const cg::Rect& frame) { frame_ = frame; }

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
    // The side of the tiles resampled drawing is done in.
    static constexpr int kResampleTile = 128;
    // The layer casts a shadow.
    static bool castsShadow(const LayerSnapshot& s);
    // The box grown by the layer's shadow and by a pixel for antialiasing.
    static cg::Rect withShadow(const cg::Rect& box, const LayerSnapshot& s, const cg::AffineTransform& ctm);
    // Adds the device boxes that hold the edges of the layer's own drawing (and of its
    // masking clip) that are neither vertical nor horizontal: Cairo rasterises a pixel row
    // that such an edge crosses differently when the drawing is cut at a side within that
    // row. Resampled drawing adds none when drawn within a frame (see resampleWithin).
    // The device rect a masking layer clips to when that clip is a plain rectangle (no
    // rounding, no turn); the null rect otherwise.
    static cg::Rect maskRect(const LayerSnapshot& s, const cg::AffineTransform& ctm);
    static void addSlantedEdges(const Layer& layer, const LayerSnapshot& s, const cg::AffineTransform& ctm,
                                std::vector<cg::Rect>& into);

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
    // Draws an image into `at` (user space): pixel for pixel straight in, otherwise
    // through a surface of its own when a frame is set.
    void drawImage(const cg::Image& image, const cg::Rect& at);
    // Lays a picture placed on the device by its offset onto the target pixel for pixel,
    // with the context's alpha, through its clip.
    void layDown(_cairo_surface* picture);
    // Fills or strokes key.path as the key says, within a frame from the layer's picture
    // of it (made whole, kept while the key holds), straight in otherwise.
    void drawPath(const Layer& layer, RasterCache::Slot slot, RasterCache::Key key);
    // Runs `paint`, which covers at most `area` (user space), tile by tile of the frame's
    // grid when a frame is set (see resampleWithin), then lays each tile down with the
    // context's alpha through its clip (and the area, when `clipToArea`, so that the clips
    // meet as they would drawn straight in). Straight in when no frame is set.
    void drawResampled(const cg::Rect& area, bool clipToArea, const std::function<void(cg::Context&)>& paint);

    cg::Context& context_;
    std::optional<double> mediaTime_;
    std::function<cg::Rect(const Layer&)> cull_;
    std::optional<cg::Rect> frame_;
};

} // namespace pellavo::ca
