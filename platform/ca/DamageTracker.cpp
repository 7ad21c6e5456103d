#include "platform/ca/DamageTracker.hpp"

#include <limits>

#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerPainter.hpp"

namespace pellavo::ca {

namespace {

using cg::Rect;

double area(const Rect& r) { return r.isNull() ? 0 : r.width() * r.height(); }

// Rect lists stay this short; past it the two that merge most cheaply become one.
constexpr std::size_t kMaxRects = 8;

} // namespace

void addDamage(std::vector<Rect>& rects, const Rect& rect) {
    if (rect.isNull() || rect.isEmpty()) return;
    Rect added = rect;
    // Fold in every rect whose union with this one costs little more than the two apart.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < rects.size(); ++i) {
            const Rect joined = rects[i].unionWith(added);
            const double apart = area(rects[i]) + area(added) - area(rects[i].intersection(added));
            if (area(joined) <= 1.25 * apart) {
                added = joined;
                rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(i));
                merged = true;
                break;
            }
        }
    }
    rects.push_back(added);
    while (rects.size() > kMaxRects) {
        std::size_t bestA = 0, bestB = 1;
        double bestCost = std::numeric_limits<double>::infinity();
        for (std::size_t a = 0; a < rects.size(); ++a)
            for (std::size_t b = a + 1; b < rects.size(); ++b) {
                const double cost = area(rects[a].unionWith(rects[b])) - area(rects[a]) - area(rects[b]);
                if (cost < bestCost) bestCost = cost, bestA = a, bestB = b;
            }
        const Rect joined = rects[bestA].unionWith(rects[bestB]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bestB));
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bestA));
        addDamage(rects, joined);
    }
}

Rect DamageTracker::walk(const Layer& layer, const Layer* superlayer, std::size_t index,
                         const cg::AffineTransform& outer, std::optional<double> mediaTime, Records& into) const {
    Record record;
    record.superlayer = superlayer;
    record.index = index;
    LayerSnapshot& s = record.snapshot;
    layer.snapshot(s);
    if (mediaTime) layer.applyPresentation(*mediaTime, s);
    if (!LayerPainter::showsLayer(s)) return Rect::null();
    record.ctm = LayerPainter::placementOf(s).concatenating(outer);
    if (!LayerPainter::isUsable(record.ctm)) return Rect::null();
    Rect box = LayerPainter::ownBox(layer, s, record.ctm);
    const auto& sublayers = layer.sublayers();
    record.hasSublayers = !sublayers.empty();
    for (std::size_t i = 0; i < sublayers.size(); ++i) {
        const Rect sub = walk(*sublayers[i], &layer, i, record.ctm, mediaTime, into);
        // Masking keeps them within the bounds, which the own box already holds.
        if (!s.masksToBounds) box = box.unionWith(sub);
    }
    record.box = LayerPainter::withShadow(box, s, record.ctm);
    // A backdrop layer keeps values of its own outside the snapshot.
    record.alwaysRedrawn =
        (!s.contents && s.kind == LayerSnapshot::Kind::plain && layer.drawsContent()) || layer.needsBackdrop();
    // A group composites differently (by a level) when its surface is cut by the damage,
    // so faded layers are redrawn whole too.
    // Resampled images and gradients depend on where drawing starts; an image drawn one
    // pixel to one (text, mostly) is copied, not resampled.
    const cg::AffineTransform& m = record.ctm;
    const bool oneToOne = m.b == 0 && m.c == 0 && m.a == s.contentsScale && m.d == s.contentsScale &&
                          s.contentsGravity != ContentsGravity::resize;
    record.sampledFromTop =
        (s.contents && !oneToOne) || s.transitionImage || s.kind == LayerSnapshot::Kind::gradient;
    // Cairo rasterises a slanted edge that the damage cuts with different rounding, so
    // turned layers are redrawn whole too.
    record.drawnWhole = LayerPainter::castsShadow(s) || layer.needsBackdrop() || s.opacity < 1 ||
                        record.sampledFromTop || m.b != 0 || m.c != 0;
    const Rect result = record.box;
    into[&layer] = std::move(record);
    return result;
}

std::vector<Rect> DamageTracker::update(const Layer& root, std::optional<double> mediaTime,
                                        const cg::AffineTransform& base, const Rect& frame) {
    Records now;
    now.reserve(records_.size());
    walk(root, nullptr, 0, base, mediaTime, now);
    std::vector<Rect> damage;
    // Damage spans whole rows: Cairo rasterises a slanted edge that a rect's side cuts
    // with different rounding along the rows the cut crosses.
    auto inFrame = [&frame](const Rect& r) {
        const Rect cut = r.isNull() || !r.isFinite() ? frame : r.integral().intersection(frame);
        return cut.isNull() ? cut : Rect(frame.minX(), cut.minY(), frame.width(), cut.height());
    };
    auto add = [&](const Rect& r) {
        if (!r.isNull()) addDamage(damage, inFrame(r));
    };
    if (!known_) {
        add(frame);
    } else {
        for (const auto& [layer, record] : now) {
            const auto old = records_.find(layer);
            if (old == records_.end()) {
                add(record.box);
                continue;
            }
            const Record& was = old->second;
            if (record.alwaysRedrawn || was.superlayer != record.superlayer || was.index != record.index ||
                was.hasSublayers != record.hasSublayers ||
                !(was.ctm == record.ctm) || !(was.snapshot == record.snapshot)) {
                add(was.box);
                add(record.box);
            }
        }
        for (const auto& [layer, was] : records_)
            if (!now.count(layer)) add(was.box);
        // Each rect is redrawn on its own, so a picture that depends on more than the
        // pixels it covers is held whole by every rect it reaches; that may reach others.
        for (bool grew = !damage.empty(); grew;) {
            grew = false;
            for (const auto& [layer, record] : now) {
                if (!record.drawnWhole || record.box.isNull()) continue;
                // Its last picture, a shadow of sublayers since moved, may reach past today's box.
                const auto old = records_.find(layer);
                // Cairo composites a group whose box meets the surface's edge differently
                // from one inside it, so the rect keeps a margin past the box as the frame does.
                Rect whole = inFrame(
                    (old == records_.end() ? record.box : record.box.unionWith(old->second.box)).insetBy(-2, -2));
                // Images and gradients are sampled in steps from the top of what is drawn.
                if (record.sampledFromTop && !whole.isNull())
                    whole = Rect(whole.minX(), frame.minY(), whole.width(), whole.maxY() - frame.minY());
                if (whole.isNull() || whole.isEmpty()) continue;
                for (std::size_t i = 0; i < damage.size(); ++i) {
                    if (!damage[i].intersects(whole) || damage[i].contains(whole)) continue;
                    const Rect joined = damage[i].unionWith(whole);
                    damage.erase(damage.begin() + static_cast<std::ptrdiff_t>(i));
                    addDamage(damage, joined);
                    grew = true;
                    break;
                }
            }
        }
    }
    records_ = std::move(now);
    known_ = true;
    return damage;
}

Rect DamageTracker::boxOf(const Layer& layer) const {
    const auto found = records_.find(&layer);
    return found == records_.end() ? Rect::null() : found->second.box;
}

} // namespace pellavo::ca
