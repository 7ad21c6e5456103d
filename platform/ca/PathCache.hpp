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
    Rounded rounded_[2];
    Trim trim_;
};

} // namespace pellavo::ca
