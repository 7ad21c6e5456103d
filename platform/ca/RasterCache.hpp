#pragma once

#include <functional>
#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Color.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Path.hpp"

struct _cairo_surface;

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

// Pictures of a layer's own fills and strokes in device pixels, each drawn whole within
// the frame it is drawn for and kept while what it shows stays the same. A shape drawn
// from its picture has the same pixels whatever part of the frame is being redrawn
// (Cairo rasterises a shape cut by the redrawn area in another way), and a shape that
// does not change is not rasterised again. Each layer holds one; only the thread
// rendering the layer's tree touches it.
class PELLAVO_EXPORT RasterCache {
public:
    enum class Slot { background, border, fill, stroke };
    static constexpr int kSlots = 4;

    // Everything a picture's pixels depend on.
    struct Key {
        cg::Path path;
        cg::FillRule rule = cg::FillRule::nonZero;
        cg::Color color;
        cg::AffineTransform ctm;  // the path's space to device pixels
        cg::Rect box;             // the device pixels the picture covers
        bool stroked = false;
        cg::Float lineWidth = 0;
        cg::LineCap cap = cg::LineCap::butt;
        cg::LineJoin join = cg::LineJoin::miter;
        cg::Float miterLimit = 10;

        friend bool operator==(const Key&, const Key&) = default;
    };

    // The picture for the key, an ARGB32 surface over key.box whose device offset places
    // it, as a reference the caller releases (cairo_surface_destroy); drawn afresh by
    // `draw` (on a context whose device space is the frame's) when the slot holds another.
    // Null when no surface can be made. Pictures past a size are drawn but not kept.
    _cairo_surface* picture(Slot slot, const Key& key, const std::function<void(cg::Context&)>& draw);

private:
    struct Release {
        void operator()(_cairo_surface* surface) const;
    };
    struct Entry {
        Key key;
        std::unique_ptr<_cairo_surface, Release> surface;
    };
    Entry entries_[kSlots];
};

} // namespace pellavo::ca
