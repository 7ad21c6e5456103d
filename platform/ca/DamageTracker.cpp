#include "platform/ca/DamageTracker.hpp"

#include <cmath>
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
                         const cg::AffineTransform& outer, std::optional<double> mediaTime) {
    const auto old = records_.find(&layer);
    Record* was = old == records_.end() ? nullptr : &old->second;
    const auto& sublayers = layer.sublayers();
    // A layer whose values, place and sublayer list are as last walked, with nothing
    // animating it, keeps its record: only its box is found again, from its sublayers'.
    if (was && was->version == layer.changeVersion() && !layer.hasAnimations() && !was->animated &&
        !was->alwaysRedrawn &&
        was->superlayer == superlayer && was->index == index && was->outer == outer) {
        Rect box = was->ownInk;
        for (std::size_t i = 0; i < sublayers.size(); ++i) {
            const Rect sub = walk(*sublayers[i], &layer, i, was->ctm, mediaTime);
            if (!was->snapshot.masksToBounds) box = box.unionWith(sub);
        }
        const Rect result = LayerPainter::withShadow(box, was->snapshot, was->ctm);
        was->seen = generation_;
        walked_.push_back({&layer, was, 0, true, result});
        return result;
    }
    Record record;
    record.superlayer = superlayer;
    record.index = index;
    record.version = layer.changeVersion();
    record.outer = outer;
    LayerSnapshot& s = record.snapshot;
    layer.snapshot(s);
    record.animated = layer.hasAnimations();
    if (mediaTime) layer.applyPresentation(*mediaTime, s);
    if (!LayerPainter::showsLayer(s)) return Rect::null();
    record.ctm = LayerPainter::placementOf(s).concatenating(outer);
    if (!LayerPainter::isUsable(record.ctm)) return Rect::null();
    Rect box = LayerPainter::ownBox(layer, s, record.ctm);
    record.ownInk = box;
    record.hasSublayers = !sublayers.empty();
    for (std::size_t i = 0; i < sublayers.size(); ++i) {
        const Rect sub = walk(*sublayers[i], &layer, i, record.ctm, mediaTime);
        // Masking keeps them within the bounds, which the own box already holds.
        if (!s.masksToBounds) box = box.unionWith(sub);
    }
    record.box = LayerPainter::withShadow(box, s, record.ctm);
    // A backdrop layer keeps values of its own outside the snapshot.
    record.alwaysRedrawn =
        (!s.contents && s.kind == LayerSnapshot::Kind::plain && layer.drawsContent()) || layer.needsBackdrop();
    // Cairo draws what a rectangular mask with sides between pixels holds in other ways
    // depending on how much of it is drawn at once (it leaves out such a mask where it
    // holds a whole drawing), so such a mask is redrawn whole; masks on whole pixels,
    // the usual case, are cut like any clip.
    const Rect mask = LayerPainter::maskRect(s, record.ctm);
    const bool maskBetweenPixels = !mask.isNull() && !(mask.integral() == mask);
    record.drawnWhole = LayerPainter::castsShadow(s) || layer.needsBackdrop() || maskBetweenPixels;
    LayerPainter::addSlantedEdges(layer, s, record.ctm, record.slanted);
    const Rect result = record.box;
    if (was) was->seen = generation_;  // a layer not drawn now counts as gone
    fresh_.push_back(std::move(record));
    walked_.push_back({&layer, was, fresh_.size() - 1, false, result});
    return result;
}

namespace {

// The rect on whole pixels within the frame; the frame for one that arithmetic cannot place.
Rect inFrame(const Rect& r, const Rect& frame) {
    return r.isNull() || !r.isFinite() ? frame : r.integral().intersection(frame);
}

} // namespace

std::optional<Rect> DamageTracker::redrawnPart(const Layer& layer, const Record& was, const Record& now) {
    if (now.alwaysRedrawn || !was.snapshot.contents || !now.snapshot.contents || !(was.ctm == now.ctm) ||
        was.superlayer != now.superlayer || was.index != now.index || was.hasSublayers != now.hasSublayers)
        return std::nullopt;
    const auto rect = layer.redrawnSince(was.snapshot.contents.get());
    if (!rect || was.snapshot.contents->width() != now.snapshot.contents->width() ||
        was.snapshot.contents->height() != now.snapshot.contents->height())
        return std::nullopt;
    // Nothing else may differ.
    LayerSnapshot same = was.snapshot;
    same.contents = now.snapshot.contents;
    if (!(same == now.snapshot)) return std::nullopt;
    // Resampled contents spread a changed pixel into its neighbours.
    return rect->applying(now.ctm).insetBy(-2, -2);
}

std::vector<Rect> DamageTracker::update(const Layer& root, std::optional<double> mediaTime,
                                        const cg::AffineTransform& base, const Rect& frame) {
    walked_.clear();
    fresh_.clear();
    ++generation_;
    walk(root, nullptr, 0, base, mediaTime);
    std::vector<Rect> damage;
    auto add = [&](const Rect& r) {
        if (!r.isNull()) addDamage(damage, inFrame(r, frame));
    };
    if (!known_) {
        add(frame);
    } else {
        for (const Walked& w : walked_) {
            if (w.kept) continue;
            const Record& record = current(w);
            if (!w.was) {
                add(record.box);
                continue;
            }
            const Record& was = *w.was;
            if (record.alwaysRedrawn || was.superlayer != record.superlayer || was.index != record.index ||
                was.hasSublayers != record.hasSublayers ||
                !(was.ctm == record.ctm) || !(was.snapshot == record.snapshot)) {
                if (const auto part = redrawnPart(*w.layer, was, record)) {
                    add(*part);
                    continue;
                }
                add(was.box);
                add(record.box);
            }
        }
        for (const auto& [layer, was] : records_)
            if (was.seen != generation_) add(was.box);
        widen(damage, frame);
    }
    // This update's records replace the last, in the same nodes where the layer stays.
    std::erase_if(records_, [this](const auto& entry) { return entry.second.seen != generation_; });
    for (Walked& w : walked_) {
        if (w.kept) {
            w.was->box = w.box;
        } else if (w.was) {
            std::swap(*w.was, fresh_[w.fresh]);
            w.was->seen = generation_;
        } else {
            fresh_[w.fresh].seen = generation_;
            records_.emplace(w.layer, std::move(fresh_[w.fresh]));
        }
    }
    known_ = true;
    return damage;
}

void DamageTracker::widen(std::vector<Rect>& damage, const Rect& frame) const {
    // Each rect is redrawn on its own, with only the layers its pixels meet; growing one
    // may bring in more layers, so it is looked at again until nothing grows.
    for (std::size_t i = 0; i < damage.size();) {
        const Rect d = damage[i];
        Rect need = d;
        for (const Walked& w : walked_) {
            const Record& record = current(w);
            const Rect& now = w.box;
            if (record.drawnWhole) {
                // Its last picture, a shadow of sublayers since changed, may reach past
                // today's box (which may now be empty), and damage there changes it as
                // much as damage here.
                const Rect box = w.was ? now.unionWith(w.was->box) : now;
                const bool met = (!now.isNull() && now.intersects(d)) ||
                                 (w.was && !w.was->box.isNull() && w.was->box.intersects(d));
                // Cairo composites a group whose box meets the surface's edge differently
                // from one inside it, so the rect keeps a margin past the box as the frame does.
                if (met) need = need.unionWith(inFrame(box.insetBy(-2, -2), frame));
            }
            if (now.isNull() || !now.intersects(d)) continue;
            // Cairo rasterises the rows of a shape that hold slanted edges in another way
            // when the shape is cut at a side within them, wherever the cut: those rows
            // take the whole width of what the layer draws. The frame's own sides cut
            // whole frames alike.
            // What it draws itself, a pixel of antialiasing around.
            const Rect own = inFrame(record.ownInk.isNull() ? record.ownInk : record.ownInk.insetBy(-1, -1), frame);
            if (!own.isNull() && (own.minX() < d.minX() || own.maxX() > d.maxX())) {
                for (const Rect& edges : record.slanted) {
                    const Rect e = inFrame(edges, frame);
                    if (e.isNull() || e.maxY() <= d.minY() || e.minY() >= d.maxY()) continue;
                    need = need.unionWith(Rect(own.minX(), d.minY(), own.size.width, d.size.height));
                    break;
                }
            }
        }
        if (need == d) {
            ++i;
            continue;
        }
        damage.erase(damage.begin() + static_cast<std::ptrdiff_t>(i));
        addDamage(damage, need);
        i = 0;
    }
}

Rect DamageTracker::boxOf(const Layer& layer) const {
    const auto found = records_.find(&layer);
    return found == records_.end() ? Rect::null() : found->second.box;
}

} // namespace pellavo::ca
