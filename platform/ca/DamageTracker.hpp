#pragma once

#include <cstddef>
#include <cstdint>
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
// A layer that is new, gone, or drawn differently damages its old and new boxes.
// A damaged rect is then widened until redrawing it alone gives the pixels a whole
// frame would: past every slanted edge its sides would cut, and over the whole of any
// picture that depends on more than the pixels it covers (a shadow blurs its whole ink,
// a backdrop reads what lies under it). The renderer draws resampled images and
// gradients on surfaces of their own in tiles of a grid fixed to the frame
// (LayerPainter::resampleWithin), so they need no more.
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
        std::uint64_t version = 0;     // the layer's changeVersion when made
        cg::AffineTransform outer;     // the superlayer's space to device
        LayerSnapshot snapshot;
        cg::AffineTransform ctm;
        cg::Rect box;          // the subtree, shadow included
        cg::Rect ownInk;       // what it draws itself
        bool hasSublayers = false; // a leaf may draw without a group, which rounds differently
        bool alwaysRedrawn = false; // draws straight in each frame: nothing tells when it changes
        bool animated = false;      // made with animations attached: it may show their values
        bool drawnWhole = false;    // its pixels depend on more of the frame than the damage
        std::vector<cg::Rect> slanted; // device boxes holding its slanted edges (and its mask's)
        std::uint64_t seen = 0;        // the last update that walked it
    };
    // A layer walked by this update: a record made afresh (in fresh_), or the last one
    // kept because nothing of the layer changed.
    struct Walked {
        const Layer* layer = nullptr;
        Record* was = nullptr;       // the last update's record
        std::size_t fresh = 0;       // the new record in fresh_, unless kept
        bool kept = false;
        cg::Rect box;                // this update's box of the subtree
    };
    const Record& current(const Walked& w) const { return w.kept ? *w.was : fresh_[w.fresh]; }

    // Adds the records of the layer's subtree to walked_.
    cg::Rect walk(const Layer& layer, const Layer* superlayer, std::size_t index, const cg::AffineTransform& outer,
                  std::optional<double> mediaTime);
    // Where a layer whose contents are all that changed, by a partial display, drew
    // again (device space); nothing when more changed.
    static std::optional<cg::Rect> redrawnPart(const Layer& layer, const Record& was, const Record& now);
    // Widens the rects as the class comment says, against this update's records.
    void widen(std::vector<cg::Rect>& damage, const cg::Rect& frame) const;

    std::unordered_map<const Layer*, Record> records_; // the last update's
    std::vector<Walked> walked_;                        // this update's; kept for its storage
    std::vector<Record> fresh_;
    std::uint64_t generation_ = 0;
    bool known_ = false;
};

// Adds a rect to a short list of damaged rects, merging rects that overlap much and
// keeping the list to a few.
PELLAVO_EXPORT void addDamage(std::vector<cg::Rect>& rects, const cg::Rect& rect);

} // namespace pellavo::ca
