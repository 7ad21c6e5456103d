#pragma once

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/LayerSnapshot.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::ca {

class Layer;

// What changed on screen between two frames of a tree. Each frame it walks the tree as
// the painter draws it and keeps, per layer drawn, the values drawn, where (the device
// transform and the place among its siblings) and the device box its subtree covered.
// A layer that is new, gone, or drawn differently damages its old and new boxes;
// a layer whose picture depends on pixels beyond the damage (a shadow blurs its whole
// ink, a backdrop reads what lies under it) is then redrawn whole.
class PELLAVO_EXPORT DamageTracker {
public:
    // Walks the tree for this frame and returns the device-pixel rects, on whole pixels
    // and within `frame`, whose pixels may differ from the last frame walked: a few,
    // merged where they overlap. The first walk (and the first after forget) damages
    // the whole frame.
    std::vector<cg::Rect> update(const Layer& root, std::optional<double> mediaTime, const cg::AffineTransform& base,
                                 const cg::Rect& frame);
    // The next update damages the whole frame.
    void forget() { records_.clear(), known_ = false; }
    // The device box of the layer's subtree in the last walk; the null rect for a layer not drawn in it.
    cg::Rect boxOf(const Layer& layer) const;

private:
    struct Record {
        const Layer* superlayer = nullptr;
        std::size_t index = 0;
        LayerSnapshot snapshot;
        cg::AffineTransform ctm;
        cg::Rect box;          // the subtree, shadow included
        bool hasSublayers = false; // a leaf may draw without a group, which rounds differently
        bool alwaysRedrawn = false; // draws straight in each frame: nothing tells when it changes
        bool drawnWhole = false;    // its pixels depend on more of the frame than the damage
        bool sampledFromTop = false; // an image or gradient: redrawn from the frame's top down
    };
    using Records = std::unordered_map<const Layer*, Record>;

    cg::Rect walk(const Layer& layer, const Layer* superlayer, std::size_t index, const cg::AffineTransform& outer,
                  std::optional<double> mediaTime, Records& into) const;

    Records records_;
    bool known_ = false;
};

// Adds a rect to a short list of damaged rects, merging rects that overlap much and
// keeping the list to a few.
PELLAVO_EXPORT void addDamage(std::vector<cg::Rect>& rects, const cg::Rect& rect);

} // namespace pellavo::ca
