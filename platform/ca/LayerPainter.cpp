#include "platform/ca/LayerPainter.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/ca/Layer.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/Path.hpp"
#include "platform/ci/BlurCore.hpp"

namespace pellavo::ca {

namespace {

using cg::AffineTransform;
using cg::Float;
using cg::Point;
using cg::Rect;

bool isSingular(const AffineTransform& t) {
    const Float det = t.determinant();
    return !t.isFinite() || !std::isfinite(det) || std::fabs(det) < 1e-12;
}

bool geometryIsFinite(const LayerSnapshot& s) {
    return s.bounds.isFinite() && s.position.isFinite() && s.anchorPoint.isFinite() && s.transform.isFinite();
}

// A drawn length: non-finite or negative values draw as 0.
Float length(Float v) { return std::isfinite(v) && v > 0 ? v : 0; }

AffineTransform placement(const LayerSnapshot& s) {
    const Float ox = s.bounds.origin.x + s.anchorPoint.x * s.bounds.size.width;
    const Float oy = s.bounds.origin.y + s.anchorPoint.y * s.bounds.size.height;
    return AffineTransform::makeTranslation(-ox, -oy)
        .concatenating(s.transform.flattened())
        .concatenating(AffineTransform::makeTranslation(s.position.x, s.position.y));
}

Float cornerRadius(const LayerSnapshot& s) {
    const Rect b = s.bounds.standardized();
    return std::min({length(s.cornerRadius), b.size.width / 2, b.size.height / 2});
}

const cg::Path& roundedBounds(const Layer& layer, const LayerSnapshot& s) {
    return layer.pathCache().roundedRect(PathCache::Outline::bounds, s.bounds.standardized(), cornerRadius(s));
}

bool visible(const std::optional<cg::Color>& c) { return c && c->clamped().alpha > 0; }

bool hasShadow(const LayerSnapshot& s) { return s.shadowOpacity > 0 && visible(s.shadowColor); }

bool hasBorder(const LayerSnapshot& s) { return length(s.borderWidth) > 0 && visible(s.borderColor); }

bool isFading(const LayerSnapshot& s) { return s.transitionProgress && s.transitionImage; }

// The opacity the layer's own drawing composites with: a fade scales it by its progress.
float drawnOpacity(const LayerSnapshot& s) {
    const double progress = isFading(s) ? std::clamp(*s.transitionProgress, 0.0, 1.0) : 1.0;
    return s.isHidden ? 0.0f : s.opacity * static_cast<float>(progress);
}

// Whether anything of the layer can show.
bool shows(const LayerSnapshot& s) { return (isFading(s) || drawnOpacity(s) > 0) && geometryIsFinite(s); }

// Where a fade's earlier picture goes: it keeps its size about the anchor point when the
// bounds changed since. Null when it has no usable bounds.
Rect transitionRect(const LayerSnapshot& s) {
    if (!s.transitionImageBounds.isFinite()) return Rect::null();
    const Rect from = s.transitionImageBounds.standardized();
    const Rect b = s.bounds.standardized();
    const Rect at{b.origin.x + s.anchorPoint.x * (b.size.width - from.size.width),
                  b.origin.y + s.anchorPoint.y * (b.size.height - from.size.height), from.size.width,
                  from.size.height};
    return at.isFinite() ? at : Rect::null();
}

// Where contents of this point size sit in the bounds under the gravity.
Rect gravityRect(ContentsGravity gravity, const Rect& b, cg::Size image) {
    Float w = image.width, h = image.height;
    switch (gravity) {
    case ContentsGravity::resize: return b;
    case ContentsGravity::resizeAspect:
    case ContentsGravity::resizeAspectFill: {
        const Float sx = b.size.width / w, sy = b.size.height / h;
        const Float k = gravity == ContentsGravity::resizeAspect ? std::min(sx, sy) : std::max(sx, sy);
        w *= k, h *= k;
        break;
    }
    default: break;
    }
    Float x = b.origin.x + (b.size.width - w) / 2;
    Float y = b.origin.y + (b.size.height - h) / 2;
    switch (gravity) {
    case ContentsGravity::top: y = b.minY(); break;
    case ContentsGravity::bottom: y = b.maxY() - h; break;
    case ContentsGravity::left: x = b.minX(); break;
    case ContentsGravity::right: x = b.maxX() - w; break;
    case ContentsGravity::topLeft: x = b.minX(), y = b.minY(); break;
    case ContentsGravity::topRight: x = b.maxX() - w, y = b.minY(); break;
    case ContentsGravity::bottomLeft: x = b.minX(), y = b.maxY() - h; break;
    case ContentsGravity::bottomRight: x = b.maxX() - w, y = b.maxY() - h; break;
    default: break;
    }
    return {x, y, w, h};
}

Rect contentsRect(const LayerSnapshot& s) {
    const cg::Image& image = *s.contents;
    const Float scale = std::isfinite(s.contentsScale) && s.contentsScale > 0 ? s.contentsScale : 1;
    const cg::Size size{image.width() / scale, image.height() / scale};
    if (!(size.width > 0) || !(size.height > 0)) return Rect::null();
    return gravityRect(s.contentsGravity, s.bounds.standardized(), size);
}

// The box, in the layer's own space, of what the layer itself draws (not its sublayers
// or shadow); the null rect when it draws nothing.
Rect ownInk(const Layer& layer, const LayerSnapshot& s, bool withPath = true) {
    const Rect b = s.bounds.standardized();
    Rect box = visible(s.backgroundColor) || hasBorder(s) || layer.needsBackdrop() ? b : Rect::null();
    if (s.contents) {
        box = box.unionWith(contentsRect(s));
    } else if (s.kind == LayerSnapshot::Kind::shape) {
        const ShapeProperties& shape = s.shape;
        if (withPath && shape.path && !shape.path->isEmpty()) {
            // Sharp miter joins and square caps reach past half the width.
            const Float width = visible(shape.strokeColor) ? length(shape.lineWidth) : 0;
            box = box.unionWith(
                layer.pathCache().inkBox(*shape.path, width, shape.lineJoin, shape.miterLimit, shape.lineCap));
        }
    } else if (s.kind == LayerSnapshot::Kind::gradient) {
        if (!s.gradient.colors.empty()) box = box.unionWith(b);
    } else if (layer.drawsContent()) {
        box = box.unionWith(b);
    }
    if (s.masksToBounds && !box.isNull()) box = box.intersection(b);
    return box;
}

// A layer whose whole picture is one drawing operation composites the same with its
// opacity applied to that operation as through a group of its own, which would cost a
// surface, its clearing and a second composite.
bool drawsOnce(const Layer& layer, const LayerSnapshot& s) {
    if (!layer.sublayers().empty() || hasBorder(s) || hasShadow(s) || layer.needsBackdrop()) return false;
    int operations = visible(s.backgroundColor) ? 1 : 0;
    if (s.contents) {
        ++operations;
    } else if (s.kind == LayerSnapshot::Kind::shape) {
        if (visible(s.shape.fillColor)) ++operations;
        if (visible(s.shape.strokeColor) && length(s.shape.lineWidth) > 0) ++operations;
    } else if (s.kind == LayerSnapshot::Kind::gradient) {
        if (!s.gradient.colors.empty()) ++operations;
    } else if (layer.drawsContent()) {
        return false;
    }
    return operations <= 1;
}

cg::Color mix(const cg::Color& a, const cg::Color& b, double f) {
    return {a.red + (b.red - a.red) * f, a.green + (b.green - a.green) * f, a.blue + (b.blue - a.blue) * f,
            a.alpha + (b.alpha - a.alpha) * f};
}

// The colour of sorted stops at t, the ends extended.
cg::Color colorAt(const std::vector<cg::GradientStop>& stops, double t) {
    auto next = std::find_if(stops.begin(), stops.end(), [t](const cg::GradientStop& s) { return s.location >= t; });
    if (next == stops.begin()) return stops.front().color;
    if (next == stops.end()) return stops.back().color;
    const auto prev = next - 1;
    const double f = (t - prev->location) / (next->location - prev->location);
    return mix(prev->color, next->color, std::isfinite(f) ? std::clamp(f, 0.0, 1.0) : 1.0);
}

// Locations as drawn: a count other than the colours' spaces them evenly, NaN reads
// as 0, stops are sorted (stably), and stops outside [0, 1] are replaced by the
// colours interpolated at 0 and 1.
std::vector<cg::GradientStop> gradientStops(const GradientProperties& g) {
    const std::size_t n = g.colors.size();
    const bool given = g.locations && g.locations->size() == n;
    std::vector<cg::GradientStop> stops;
    stops.reserve(n + 2);
    for (std::size_t i = 0; i < n; ++i) {
        double at = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0;
        if (given) {
            at = (*g.locations)[i];
            if (std::isnan(at)) at = 0;
            at = std::clamp(at, -1e9, 1e9);
        }
        stops.push_back({at, g.colors[i]});
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](const cg::GradientStop& a, const cg::GradientStop& b) { return a.location < b.location; });
    if (stops.front().location >= 0 && stops.back().location <= 1) return stops;
    std::vector<cg::GradientStop> inside;
    if (stops.front().location < 0) inside.push_back({0, colorAt(stops, 0)});
    for (const auto& stop : stops)
        if (stop.location >= 0 && stop.location <= 1) inside.push_back(stop);
    if (stops.back().location > 1) inside.push_back({1, colorAt(stops, 1)});
    return inside;
}

// The pixel box of the non-transparent part of an ARGB32 surface; false when empty.
bool inkBox(const unsigned char* data, int width, int height, int stride, ci::PixelRect& box) {
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x)
            if (row[x] >> 24) {
                first = x;
                break;
            }
        if (first < 0) continue;
        for (int x = width - 1; x >= first; --x)
            if (row[x] >> 24) {
                last = x;
                break;
            }
        x0 = std::min(x0, first), x1 = std::max(x1, last);
        y0 = std::min(y0, y), y1 = y;
    }
    if (x1 < 0) return false;
    box = {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
    return true;
}

} // namespace

LayerPainter::LayerPainter(cg::Context& context, std::optional<double> mediaTime)
    : context_(context), mediaTime_(mediaTime) {}

void LayerPainter::drawPlaced(const Layer& layer) { draw(layer, true); }

void LayerPainter::drawInOwnSpace(const Layer& layer) { draw(layer, false); }

void LayerPainter::draw(const Layer& layer, bool placed) {
    if (cull_) {
        const Rect box = cull_(layer);
        if (!box.isNull() && !box.intersects(context_.deviceClipBounds())) return;
    }
    LayerSnapshot s;
    layer.snapshot(s);
    if (mediaTime_) layer.applyPresentation(*mediaTime_, s);
    // A fade shows the picture from before the change at 1 − p under the layer at p.
    const bool fading = isFading(s);
    const float opacity = drawnOpacity(s);
    if (!shows(s)) return;
    const AffineTransform local =
        placed ? placement(s) : AffineTransform::makeTranslation(-s.bounds.origin.x, -s.bounds.origin.y);
    if (isSingular(local.concatenating(context_.ctm())) || !context_.isDrawingEnabled()) return;

    cg::Context::SavedState saved(context_);
    context_.concatenate(local);
    if (fading) drawTransitionImage(s, 1 - std::clamp(*s.transitionProgress, 0.0, 1.0));
    if (!(opacity > 0)) return;
    const bool shadowed = hasShadow(s);
    if (opacity >= 1) {
        shadowed ? drawWithShadow(layer, s) : drawBody(layer, s);
    } else if (drawsOnce(layer, s)) {
        context_.setAlpha(context_.alpha() * opacity);
        drawBody(layer, s);
    } else {
        // The group covers only what the layer can draw, not the whole surface.
        const Rect box = visibleBox(layer, s, shadowed);
        if (box.isNull()) return;
        cg::Context::SavedState clipped(context_);
        context_.clipToDeviceRect(box);
        context_.beginTransparencyLayer();
        shadowed ? drawWithShadow(layer, s) : drawBody(layer, s);
        context_.endTransparencyLayer(opacity);
    }
}

bool LayerPainter::showsLayer(const LayerSnapshot& s) { return shows(s); }

bool LayerPainter::castsShadow(const LayerSnapshot& s) { return hasShadow(s); }

AffineTransform LayerPainter::placementOf(const LayerSnapshot& s) { return placement(s); }

bool LayerPainter::isUsable(const AffineTransform& ctm) { return !isSingular(ctm); }

Rect LayerPainter::ownBox(const Layer& layer, const LayerSnapshot& s, const AffineTransform& ctm) {
    // A turned path's box is found on the device, from its mapped points.
    const ShapeProperties& shape = s.shape;
    const bool turnedPath = (ctm.b != 0 || ctm.c != 0) && !s.contents && s.kind == LayerSnapshot::Kind::shape &&
                            shape.path && !shape.path->isEmpty();
    Rect box = ownInk(layer, s, !turnedPath);
    if (isFading(s)) box = box.unionWith(transitionRect(s));
    if (!layer.sublayers().empty() && s.masksToBounds) box = box.unionWith(s.bounds.standardized());
    Rect device = box.isNull() ? box : box.applying(ctm);
    if (turnedPath) {
        const Float width = visible(shape.strokeColor) ? length(shape.lineWidth) : 0;
        Rect path = layer.pathCache().deviceInkBox(*shape.path, width, shape.lineJoin, shape.miterLimit,
                                                   shape.lineCap, ctm);
        if (s.masksToBounds && !path.isNull()) path = path.intersection(s.bounds.standardized().applying(ctm));
        device = device.unionWith(path);
    }
    return device;
}

Rect LayerPainter::withShadow(const Rect& box, const LayerSnapshot& s, const AffineTransform& ctm) {
    if (box.isNull()) return box;
    Rect out = box;
    if (hasShadow(s)) {
        const Float sigma = length(s.shadowRadius) * std::sqrt(std::fabs(ctm.determinant()));
        const Float reach = ci::blurReach(sigma);
        const cg::Size offset = (s.shadowOffset.isFinite() ? s.shadowOffset : cg::Size{}).applying(ctm);
        // The blur starts from whole pixels of ink and lands at a fractional offset,
        // each of which can spread it a pixel past the reach.
        const Float spread = reach + 2;
        out = out.unionWith(box.offsetBy(offset.width, offset.height).insetBy(-spread, -spread));
    }
    return out.insetBy(-1, -1);
}

Rect LayerPainter::maskRect(const LayerSnapshot& s, const AffineTransform& ctm) {
    if (!s.masksToBounds || ctm.b != 0 || ctm.c != 0 || cornerRadius(s) > 0) return Rect::null();
    return s.bounds.standardized().applying(ctm);
}

void LayerPainter::addSlantedEdges(const Layer& layer, const LayerSnapshot& s, const AffineTransform& ctm,
                                   std::vector<Rect>& into) {
    const Rect own = ownBox(layer, s, ctm);
    if (own.isNull()) return;
    // Fills and strokes draw from pictures made whole (drawPath), so only clips slant:
    // a mask, a gradient's outline, the rect contents are cut to; and drawing by code.
    const bool drawsFreely = !s.contents && s.kind == LayerSnapshot::Kind::plain && layer.drawsContent();
    if (drawsFreely || layer.needsBackdrop()) {
        into.push_back(own.insetBy(-1, -1));
        return;
    }
    const bool gradient = s.kind == LayerSnapshot::Kind::gradient && !s.gradient.colors.empty() && !s.contents;
    if (ctm.b != 0 || ctm.c != 0) {
        if (s.masksToBounds || gradient || s.contents || isFading(s)) into.push_back(own.insetBy(-1, -1));
        return;
    }
    // Upright, only rounded corners slant.
    const Float r = cornerRadius(s);
    if (!(r > 0) || (!s.masksToBounds && !gradient)) return;
    const Rect b = s.bounds.standardized();
    for (const Rect& corner : {Rect{b.minX(), b.minY(), r, r}, Rect{b.maxX() - r, b.minY(), r, r},
                               Rect{b.minX(), b.maxY() - r, r, r}, Rect{b.maxX() - r, b.maxY() - r, r, r}})
        into.push_back(corner.applying(ctm).insetBy(-1, -1));
}

Rect LayerPainter::coverage(const Layer& layer, const LayerSnapshot& s, const AffineTransform& ctm,
                            bool shadow) const {
    Rect box = ownBox(layer, s, ctm);
    if (!s.masksToBounds) {
        for (const auto& sublayer : layer.sublayers()) {
            LayerSnapshot sub;
            sublayer->snapshot(sub);
            if (mediaTime_) sublayer->applyPresentation(*mediaTime_, sub);
            if (!shows(sub)) continue;
            const AffineTransform at = placement(sub).concatenating(ctm);
            if (isSingular(at)) continue;
            box = box.unionWith(coverage(*sublayer, sub, at, true));
        }
    }
    if (box.isNull()) return box;
    return shadow ? withShadow(box, s, ctm) : box.insetBy(-1, -1);
}

Rect LayerPainter::visibleBox(const Layer& layer, const LayerSnapshot& s, bool shadow) const {
    const Rect clip = context_.deviceClipBounds();
    if (clip.isNull()) return clip;
    // The tracker that culls already holds this box (its boxes include shadows), found
    // from the same values; walking the subtree again would cost as much as its drawing.
    const Rect known = shadow && cull_ ? cull_(layer) : Rect::null();
    const Rect box = !known.isNull() ? known : coverage(layer, s, context_.ctm(), shadow);
    // A box past what arithmetic can place is left to the clip alone.
    const Rect shown = box.isFinite() ? box.intersection(clip) : box.isNull() ? box : clip;
    if (shown.isNull() || shown.isEmpty()) return Rect::null();
    return shown.integral();
}

void LayerPainter::drawTransitionImage(const LayerSnapshot& s, double alpha) {
    if (!(alpha > 0)) return;
    const Rect at = transitionRect(s);
    if (at.isNull()) return;
    cg::Context::SavedState saved(context_);
    context_.setAlpha(alpha);
    drawImage(*s.transitionImage, at);
}

void LayerPainter::drawBody(const Layer& layer, const LayerSnapshot& s) {
    if (layer.needsBackdrop()) drawBackdrop(layer, s);

    if (visible(s.backgroundColor)) {
        const AffineTransform m = context_.ctm();
        if (cornerRadius(s) > 0 || m.b != 0 || m.c != 0) {
            RasterCache::Key key;
            key.path = roundedBounds(layer, s);
            key.color = *s.backgroundColor;
            drawPath(layer, RasterCache::Slot::background, std::move(key));
        } else {
            // An upright rectangle rasterises alike however it is cut.
            context_.setFillColor(*s.backgroundColor);
            context_.fill(s.bounds.standardized());
        }
    }

    const bool ownDrawing = s.contents || s.kind != LayerSnapshot::Kind::plain || layer.drawsContent();
    if (ownDrawing) {
        cg::Context::SavedState saved(context_);
        if (s.masksToBounds) context_.clip(roundedBounds(layer, s));
        if (s.contents) {
            drawContents(layer, s);
        } else if (s.kind == LayerSnapshot::Kind::shape) {
            drawShape(layer, s);
        } else if (s.kind == LayerSnapshot::Kind::gradient) {
            drawGradient(layer, s);
        } else {
            // A drawing layer that has not displayed yet draws straight in, within its bounds.
            context_.clip(s.bounds.standardized());
            layer.draw(context_);
        }
    }

    const auto& sublayers = layer.sublayers();
    if (!sublayers.empty()) {
        std::optional<cg::Context::SavedState> clipped;
        if (s.masksToBounds) {
            clipped.emplace(context_);
            context_.clip(roundedBounds(layer, s));
        }
        // By index, holding each: a drawing callback may change the tree.
        for (std::size_t i = 0; i < sublayers.size(); ++i) {
            const std::shared_ptr<Layer> sublayer = sublayers[i];
            draw(*sublayer, true);
        }
    }

    drawBorder(layer, s);
}

void LayerPainter::drawContents(const Layer& layer, const LayerSnapshot& s) {
    const cg::Image& image = *s.contents;
    const Rect at = contentsRect(s);
    if (at.isNull()) return;
    if (!context_.canStretch(image, at)) {
        layer.logOnce("contents skipped: their transform is too extreme to sample");
        return;
    }
    drawImage(image, at);
}

namespace {

// Whether an image drawn into `at` under `m` lands on device pixels one to one (at any
// offset): each pixel is then sampled alike wherever the drawing starts.
bool landsOneToOne(const cg::Image& image, const Rect& at, const AffineTransform& m) {
    const double w = image.width(), h = image.height();
    return m.b == 0 && m.c == 0 && std::fabs(m.a * at.size.width - w) <= 1e-9 * w &&
           std::fabs(m.d * at.size.height - h) <= 1e-9 * h;
}

} // namespace

void LayerPainter::drawImage(const cg::Image& image, const Rect& at) {
    if (landsOneToOne(image, at, context_.ctm())) {
        context_.draw(image, at);
        return;
    }
    // Clipped to its rect as it lays down, not before: two antialiased clips on one
    // edge would darken it twice.
    drawResampled(at, true, [&image, &at](cg::Context& part) { part.drawPadded(image, at); });
}

void LayerPainter::drawResampled(const Rect& area, bool clipToArea, const std::function<void(cg::Context&)>& paint) {
    if (!frame_) {
        cg::Context::SavedState saved(context_);
        if (clipToArea) context_.clip(area);
        paint(context_);
        return;
    }
    if (!context_.isDrawingEnabled()) return;
    const AffineTransform ctm = context_.ctm();
    const Rect device = area.standardized().applying(ctm);
    // Its antialiased edge may reach a pixel past the area.
    const Rect box = device.isFinite() ? device.insetBy(-1, -1).intersection(*frame_).integral() : *frame_;
    const Rect shown = box.intersection(context_.deviceClipBounds());
    if (shown.isNull() || shown.isEmpty()) return;
    cg::Context::SavedState saved(context_);
    if (clipToArea) context_.clip(area);
    // Tile by tile of the frame's grid, each made whole on a surface of its own: the
    // pixels then depend neither on where drawing starts nor on the surface drawn on.
    const double t = kResampleTile;
    for (double y = std::floor(shown.minY() / t) * t; y < shown.maxY(); y += t) {
        for (double x = std::floor(shown.minX() / t) * t; x < shown.maxX(); x += t) {
            const Rect tile = Rect(x, y, t, t).intersection(box);
            if (tile.isNull() || tile.isEmpty() || !tile.intersects(shown)) continue;
            cairo_surface_t* surface = cairo_image_surface_create(
                CAIRO_FORMAT_ARGB32, static_cast<int>(tile.size.width), static_cast<int>(tile.size.height));
            if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS) {
                cairo_surface_set_device_offset(surface, -tile.minX(), -tile.minY());
                cairo_t* cr = cairo_create(surface);
                {
                    cg::Context part(cr);
                    part.concatenate(ctm);
                    paint(part);
                }
                cairo_destroy(cr);
                cairo_surface_flush(surface);
                layDown(surface);
            }
            cairo_surface_destroy(surface);
        }
    }
}

void LayerPainter::layDown(cairo_surface_t* picture) {
    cairo_t* target = context_.native();
    cairo_save(target);
    cairo_identity_matrix(target);
    cairo_set_source_surface(target, picture, 0, 0);
    cairo_paint_with_alpha(target, context_.alpha());
    cairo_restore(target);
}

void LayerPainter::drawShape(const Layer& layer, const LayerSnapshot& s) {
    const ShapeProperties& shape = s.shape;
    if (!shape.path || shape.path->isEmpty()) return;
    if (visible(shape.fillColor)) {
        RasterCache::Key key;
        key.path = *shape.path;
        key.rule = shape.fillRule;
        key.color = *shape.fillColor;
        drawPath(layer, RasterCache::Slot::fill, std::move(key));
    }
    const Float width = length(shape.lineWidth);
    if (!visible(shape.strokeColor) || !(width > 0)) return;
    const Float from = std::isfinite(shape.strokeStart) ? std::clamp(shape.strokeStart, 0.0, 1.0) : 0;
    const Float to = std::isfinite(shape.strokeEnd) ? std::clamp(shape.strokeEnd, 0.0, 1.0) : 0;
    if (from >= to) return;
    RasterCache::Key key;
    key.path = from == 0 && to == 1 ? *shape.path : layer.pathCache().trimmed(*shape.path, from, to);
    key.color = *shape.strokeColor;
    key.stroked = true;
    key.lineWidth = width;
    key.cap = shape.lineCap;
    key.join = shape.lineJoin;
    key.miterLimit = shape.miterLimit;
    drawPath(layer, RasterCache::Slot::stroke, std::move(key));
}

void LayerPainter::drawPath(const Layer& layer, RasterCache::Slot slot, RasterCache::Key key) {
    auto draw = [&key](cg::Context& c) {
        c.addPath(key.path);
        if (key.stroked) {
            c.setStrokeColor(key.color);
            c.setLineWidth(key.lineWidth);
            c.setLineCap(key.cap);
            c.setLineJoin(key.join);
            c.setMiterLimit(key.miterLimit);
            c.strokePath();
        } else {
            c.setFillColor(key.color);
            c.fillPath(key.rule);
        }
    };
    if (!frame_) {
        draw(context_);
        return;
    }
    if (!context_.isDrawingEnabled() || key.path.isEmpty()) return;
    key.ctm = context_.ctm();
    const Rect device = layer.pathCache().deviceInkBox(key.path, key.stroked ? key.lineWidth : 0, key.join,
                                                       key.miterLimit, key.cap, key.ctm);
    if (!device.isFinite()) return;
    key.box = device.insetBy(-1, -1).intersection(*frame_).integral();
    if (key.box.isNull() || key.box.isEmpty()) return;
    cairo_surface_t* picture = layer.rasterCache().picture(slot, key, draw);
    if (picture == nullptr) return;
    layDown(picture);
    cairo_surface_destroy(picture);
}

void LayerPainter::drawGradient(const Layer& layer, const LayerSnapshot& s) {
    if (s.gradient.colors.empty()) return;
    const Rect b = s.bounds.standardized();
    if (!(b.size.width > 0) || !(b.size.height > 0)) return;
    context_.clip(roundedBounds(layer, s));
    if (s.gradient.colors.size() == 1) {
        context_.setFillColor(s.gradient.colors.front());
        context_.fill(b);
        return;
    }
    const std::vector<cg::GradientStop> stops = gradientStops(s.gradient);
    // Unit space stretched over the bounds.
    context_.concatenate(AffineTransform::makeScale(b.size.width, b.size.height)
                             .concatenating(AffineTransform::makeTranslation(b.origin.x, b.origin.y)));
    drawResampled({0, 0, 1, 1}, false, [&](cg::Context& part) {
        part.drawLinearGradient(stops, s.gradient.startPoint, s.gradient.endPoint);
    });
}

void LayerPainter::drawBorder(const Layer& layer, const LayerSnapshot& s) {
    const Float width = length(s.borderWidth);
    if (!(width > 0) || !visible(s.borderColor)) return;
    const Rect b = s.bounds.standardized();
    const Float radius = cornerRadius(s);
    const Rect inner = b.insetBy(width, width);
    const cg::Path* innerPath = !inner.isNull() && !inner.isEmpty()
                                    ? &layer.pathCache().roundedRect(PathCache::Outline::borderInside, inner,
                                                                     std::max<Float>(0, radius - width))
                                    : nullptr;
    const AffineTransform m = context_.ctm();
    if (radius > 0 || m.b != 0 || m.c != 0) {
        RasterCache::Key key;
        key.path = layer.pathCache().band(roundedBounds(layer, s), innerPath ? *innerPath : cg::Path());
        key.rule = cg::FillRule::evenOdd;
        key.color = *s.borderColor;
        drawPath(layer, RasterCache::Slot::border, std::move(key));
        return;
    }
    // Upright rectangles rasterise alike however they are cut.
    context_.setFillColor(*s.borderColor);
    context_.addPath(roundedBounds(layer, s));
    if (innerPath) context_.addPath(*innerPath);
    context_.fillPath(cg::FillRule::evenOdd);
}

void LayerPainter::drawWithShadow(const Layer& layer, const LayerSnapshot& s) {
    cairo_t* cr = context_.native();
    // The composited layer goes into a group of its own, whose alpha casts the shadow;
    // the group covers only the layer, so the ink is looked for there alone.
    const Rect box = visibleBox(layer, s, false);
    if (box.isNull()) return;
    cairo_pattern_t* body = nullptr;
    {
        cg::Context::SavedState clipped(context_);
        context_.clipToDeviceRect(box);
        cairo_push_group(cr);
        // Never clear, as in Context::beginTransparencyLayer.
        cairo_surface_mark_dirty(cairo_get_group_target(cr));
        drawBody(layer, s);
        body = cairo_pop_group(cr);
    }

    cairo_surface_t* surface = nullptr;
    if (cairo_pattern_get_surface(body, &surface) == CAIRO_STATUS_SUCCESS &&
        cairo_surface_get_type(surface) == CAIRO_SURFACE_TYPE_IMAGE &&
        cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32) {
        cairo_surface_flush(surface);
        const unsigned char* data = cairo_image_surface_get_data(surface);
        const int width = cairo_image_surface_get_width(surface);
        const int height = cairo_image_surface_get_height(surface);
        const int stride = cairo_image_surface_get_stride(surface);
        ci::PixelRect ink;
        if (data && inkBox(data, width, height, stride, ink)) {
            // The layer's own space sets both the deviation and the offset.
            const AffineTransform ctm = context_.ctm();
            const Float sigma = length(s.shadowRadius) * std::sqrt(std::fabs(ctm.determinant()));
            const Float effective = ci::effectiveBlurSigma(sigma, ink.width, ink.height);
            const int reach = ci::blurReach(effective);
            std::vector<std::uint8_t> alpha(static_cast<std::size_t>(ink.width) * ink.height);
            for (int y = 0; y < ink.height; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    data + static_cast<std::size_t>(ink.y + y) * stride) + ink.x;
                std::uint8_t* out = alpha.data() + static_cast<std::size_t>(y) * ink.width;
                for (int x = 0; x < ink.width; ++x) out[x] = static_cast<std::uint8_t>(row[x] >> 24);
            }
            const ci::PixelRect area{-reach, -reach, ink.width + 2 * reach, ink.height + 2 * reach};
            const int maskStride = cairo_format_stride_for_width(CAIRO_FORMAT_A8, area.width);
            ci::AlphaPlane blurred =
                ci::gaussianBlurAlpha(alpha.data(), ink.width, ink.height, ink.width, effective, area, maskStride);
            if (!blurred.data.empty() && blurred.stride == maskStride) {
                cairo_surface_t* mask = cairo_image_surface_create_for_data(
                    blurred.data.data(), CAIRO_FORMAT_A8, blurred.width, blurred.height, blurred.stride);
                double dx = 0, dy = 0;
                cairo_surface_get_device_offset(surface, &dx, &dy);
                const cg::Size given = s.shadowOffset.isFinite() ? s.shadowOffset : cg::Size{};
                const cg::Size offset = given.applying(ctm);
                const double mx = ink.x - dx - reach + offset.width;
                const double my = ink.y - dy - reach + offset.height;
                const cg::Color c = s.shadowColor->clamped();
                cg::Context::SavedState saved(context_);
                // Masking clips the shadow with everything else.
                if (s.masksToBounds) context_.clip(roundedBounds(layer, s));
                if (context_.isDrawingEnabled() && std::isfinite(mx) && std::isfinite(my) &&
                    std::fabs(mx) < 1e6 && std::fabs(my) < 1e6) {
                    cairo_save(cr);
                    cairo_identity_matrix(cr);
                    // The body already carries the context's alpha, and so does its blurred copy.
                    cairo_set_source_rgba(cr, c.red, c.green, c.blue,
                                          c.alpha * std::clamp(s.shadowOpacity, 0.0f, 1.0f));
                    cairo_mask_surface(cr, mask, mx, my);
                    cairo_restore(cr);
                }
                saved.restore();
                cairo_surface_destroy(mask);
            }
        }
    }
    cairo_set_source(cr, body);
    cairo_paint(cr);
    cairo_pattern_destroy(body);
}

namespace {

// The pixels of an ARGB32 image surface and where device space lies on it.
struct SurfacePixels {
    const unsigned char* data = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    double dx = 0;
    double dy = 0;
};

std::optional<SurfacePixels> imagePixels(cairo_surface_t* surface) {
    if (surface == nullptr || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32)
        return std::nullopt;
    cairo_surface_flush(surface);
    SurfacePixels p;
    p.data = cairo_image_surface_get_data(surface);
    if (p.data == nullptr) return std::nullopt;
    p.width = cairo_image_surface_get_width(surface);
    p.height = cairo_image_surface_get_height(surface);
    p.stride = cairo_image_surface_get_stride(surface);
    cairo_surface_get_device_offset(surface, &p.dx, &p.dy);
    return p;
}

std::uint32_t readWord(const unsigned char* at) {
    std::uint32_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// Premultiplied source over destination.
std::uint32_t over(std::uint32_t src, std::uint32_t dst) {
    const std::uint32_t inverse = 255 - (src >> 24);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
        out |= std::min<std::uint32_t>(255, s + (d * inverse + 127) / 255) << shift;
    }
    return out;
}

} // namespace

void LayerPainter::drawBackdrop(const Layer& layer, const LayerSnapshot& s) {
    cairo_t* cr = context_.native();
    // What lies beneath is on the frame's root surface. While an ancestor's opacity
    // group is open, that group holds what was drawn inside it so far, to be laid
    // over the root; the group alone would be empty around the layer.
    cairo_surface_t* rootSurface = cairo_get_target(cr);
    cairo_surface_t* groupSurface = cairo_get_group_target(cr);
    const auto root = imagePixels(rootSurface);
    if (!root) return;
    // The device pixels under the bounds, rounded outwards.
    const Rect device = s.bounds.standardized().applying(context_.ctm());
    if (!device.isFinite()) return;
    const double left = std::clamp(std::floor(device.minX() + root->dx), 0.0, static_cast<double>(root->width));
    const double top = std::clamp(std::floor(device.minY() + root->dy), 0.0, static_cast<double>(root->height));
    const double right = std::clamp(std::ceil(device.maxX() + root->dx), 0.0, static_cast<double>(root->width));
    const double bottom = std::clamp(std::ceil(device.maxY() + root->dy), 0.0, static_cast<double>(root->height));
    const int x0 = static_cast<int>(left), y0 = static_cast<int>(top);
    const int w = static_cast<int>(right) - x0, h = static_cast<int>(bottom) - y0;
    if (w <= 0 || h <= 0) return;
    const int outStride = cg::Image::strideForWidth(w);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(outStride) * h);
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * outStride,
                    root->data + static_cast<std::size_t>(y0 + y) * root->stride + static_cast<std::size_t>(x0) * 4,
                    static_cast<std::size_t>(outStride));
    if (groupSurface != rootSurface) {
        if (const auto group = imagePixels(groupSurface)) {
            // Root pixel → device → group pixel; the offsets are whole pixels.
            const long long shiftX = std::llround(group->dx - root->dx);
            const long long shiftY = std::llround(group->dy - root->dy);
            for (int y = 0; y < h; ++y) {
                const long long gy = y0 + y + shiftY;
                if (gy < 0 || gy >= group->height) continue;
                for (int x = 0; x < w; ++x) {
                    const long long gx = x0 + x + shiftX;
                    if (gx < 0 || gx >= group->width) continue;
                    const std::uint32_t src =
                        readWord(group->data + static_cast<std::size_t>(gy) * group->stride + static_cast<std::size_t>(gx) * 4);
                    if ((src >> 24) == 0) continue;
                    unsigned char* at = pixels.data() + static_cast<std::size_t>(y) * outStride + static_cast<std::size_t>(x) * 4;
                    const std::uint32_t result = over(src, readWord(at));
                    std::memcpy(at, &result, sizeof result);
                }
            }
        }
    }
    const cg::Image backdrop(w, h, outStride, std::move(pixels));
    cg::Context::SavedState saved(context_);
    layer.drawBackdrop(context_, backdrop);
}

} // namespace pellavo::ca
