#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Path.hpp"

namespace pellavo::ca {

// Paths the renderer builds from a layer's values, kept while those values stay the
// same so that a layer that does not change does not rebuild them every frame. Each
// layer holds one; only the thread rendering the layer's tree touches it.
class PELLAVO_EXPORT PathCache {
public:
    // The outlines a layer draws: its rounded bounds, and the inner edge of its border.
    enum class Outline { bounds, borderInside };

    // cg::Path::roundedRect(rect, radius), kept per outline.
    const cg::Path& roundedRect(Outline outline, const cg::Rect& rect, cg::Float radius);
    // The two outlines as one path (a border's band, filled even-odd), kept while both
    // stay the same.
    const cg::Path& band(const cg::Path& outer, const cg::Path& inner);
    // The box a stroke of the path covers (its points grown by the stroke's reach), or
    // the path's box for a width of 0.
    cg::Rect inkBox(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit, cg::LineCap cap);
    // The same box on a device `ctm` maps to: for a turned one, the mapped points grown by
    // the reach at the transform's largest stretch, far tighter than the turned box (a
    // ring's by √2).
    cg::Rect deviceInkBox(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit,
                          cg::LineCap cap, const cg::AffineTransform& ctm);
    // path.trimmed(from, to).
    const cg::Path& trimmed(const cg::Path& path, cg::Float from, cg::Float to);

private:
    struct Rounded {
        bool valid = false;
        cg::Rect rect;
        cg::Float radius = 0;
        cg::Path path;
    };
    struct Trim {
        bool valid = false;
        cg::Path source;
        cg::Float from = 0;
        cg::Float to = 0;
        cg::Path path;
    };
    struct Band {
        bool valid = false;
        cg::Path outer;
        cg::Path inner;
        cg::Path path;
    };
    struct Ink {
        bool valid = false;
        cg::Path path;
        cg::Float width = 0;
        cg::LineJoin join = cg::LineJoin::miter;
        cg::Float miterLimit = 0;
        cg::LineCap cap = cg::LineCap::butt;
        cg::Rect box;
        cg::Float reach = 0;
    };
    const Ink& ink(const cg::Path& path, cg::Float width, cg::LineJoin join, cg::Float miterLimit, cg::LineCap cap);
    Rounded rounded_[2];
    Band band_;
    Ink ink_[2];  // the shape's path, and the trimmed one it strokes
    int nextInk_ = 0;
    Trim trim_;
};

} // namespace pellavo::ca
