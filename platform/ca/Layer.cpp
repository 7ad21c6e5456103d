#include "platform/ca/Layer.hpp"

#include <cairo.h>


#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "platform/ca/ChangeCount.hpp"
#include "platform/ca/LayerPainter.hpp"
#include "platform/cg/Context.hpp"
#include "platform/ns/Console.hpp"

namespace pellavo::ca {

namespace {

bool finite(cg::Float v) { return std::isfinite(v); }

float clampUnit(float v) { return std::clamp(v, 0.0f, 1.0f); }

// The map from a layer's own space to its superlayer's, from raw values.
cg::AffineTransform mapToSuperlayer(const cg::Rect& bounds, cg::Point position, cg::Point anchor,
                                    const Transform3D& transform) {
    const cg::Float ox = bounds.origin.x + anchor.x * bounds.size.width;
    const cg::Float oy = bounds.origin.y + anchor.y * bounds.size.height;
    return cg::AffineTransform::makeTranslation(-ox, -oy)
        .concatenating(transform.flattened())
        .concatenating(cg::AffineTransform::makeTranslation(position.x, position.y));
}

bool isSingular(const cg::AffineTransform& t) {
    const cg::Float det = t.determinant();
    return !t.isFinite() || !std::isfinite(det) || std::fabs(det) < 1e-12;
}

const Layer* rootOf(const Layer* layer) {
    std::shared_ptr<const Layer> keep;
    while (auto parent = layer->superlayer()) {
        keep = parent;
        layer = parent.get();
    }
    return layer;
}

} // namespace

bool Layer::acceptFinite(bool isFinite, std::string_view property) const {
    if (!isFinite) {
        std::string line(className());
        line.append(": ignoring a non-finite ").append(property);
        ns::log(line);
    }
    return isFinite;
}

void Layer::logOnce(std::string_view what) const {
    if (std::find(logged_.begin(), logged_.end(), what) != logged_.end()) return;
    logged_.emplace_back(what);
    ns::log(std::string(className()) + ": " + std::string(what));
}

// ---------------------------------------------------------------- geometry

void Layer::setBounds(const cg::Rect& bounds) {
    const bool resized = bounds.size != model_.bounds.size;
    if (changeFinite(model_.bounds, bounds, "bounds") && resized) setNeedsLayout();
}

void Layer::setPosition(cg::Point position) { changeFinite(model_.position, position, "position"); }

void Layer::setAnchorPoint(cg::Point anchorPoint) { changeFinite(model_.anchorPoint, anchorPoint, "anchorPoint"); }

cg::AffineTransform Layer::transformToSuperlayer() const {
    return mapToSuperlayer(model_.bounds, model_.position, model_.anchorPoint, model_.transform);
}

cg::Rect Layer::frame() const { return model_.bounds.applying(transformToSuperlayer()); }

void Layer::setFrame(const cg::Rect& frame) {
    if (!acceptFinite(frame.isFinite(), "frame")) return;
    const cg::Rect r = frame.standardized();
    cg::Size size = r.size;
    const cg::AffineTransform f = model_.transform.flattened();
    if (f.b == 0 && f.c == 0 && !isSingular(f)) {
        const cg::Size scaled{size.width / std::fabs(f.a), size.height / std::fabs(f.d)};
        if (scaled.isFinite()) size = scaled;
    }
    setBounds({model_.bounds.origin, size});
    const cg::Point anchor = model_.anchorPoint;
    setPosition({r.origin.x + anchor.x * r.size.width, r.origin.y + anchor.y * r.size.height});
}

void Layer::setTransform(const Transform3D& transform) { changeFinite(model_.transform, transform, "transform"); }

// ---------------------------------------------------------------- appearance

void Layer::setOpacity(float opacity) {
    if (!acceptFinite(std::isfinite(opacity), "opacity")) return;
    change(model_.opacity, clampUnit(opacity), "opacity");
}

void Layer::setIsHidden(bool hidden) { change(model_.isHidden, hidden, "hidden"); }

void Layer::setBackgroundColor(std::optional<cg::Color> color) {
    change(model_.backgroundColor, color, "backgroundColor");
}

void Layer::setCornerRadius(cg::Float radius) { changeFinite(model_.cornerRadius, radius, "cornerRadius"); }

void Layer::setMasksToBounds(bool masks) { change(model_.masksToBounds, masks, "masksToBounds"); }

void Layer::setBorderWidth(cg::Float width) { changeFinite(model_.borderWidth, width, "borderWidth"); }

void Layer::setBorderColor(std::optional<cg::Color> color) { change(model_.borderColor, color, "borderColor"); }

void Layer::setShadowColor(std::optional<cg::Color> color) { change(model_.shadowColor, color, "shadowColor"); }

void Layer::setShadowOpacity(float opacity) {
    if (!acceptFinite(std::isfinite(opacity), "shadowOpacity")) return;
    change(model_.shadowOpacity, clampUnit(opacity), "shadowOpacity");
}

void Layer::setShadowOffset(cg::Size offset) { changeFinite(model_.shadowOffset, offset, "shadowOffset"); }

void Layer::setShadowRadius(cg::Float radius) { changeFinite(model_.shadowRadius, radius, "shadowRadius"); }

void Layer::setContents(cg::ImageRef contents) { change(model_.contents, contents, "contents"); }

void Layer::setContentsGravity(ContentsGravity gravity) {
    change(model_.contentsGravity, gravity, "contentsGravity");
}

void Layer::setContentsScale(cg::Float scale) {
    if (!acceptFinite(finite(scale), "contentsScale")) return;
    if (scale <= 0) {
        ns::log(std::string(className()) + ": ignoring a contentsScale that is not positive");
        return;
    }
    change(model_.contentsScale, scale, "contentsScale");
}

void Layer::setDrawsAsynchronously(bool value) { drawsAsynchronously_ = value; }

void Layer::setDelegate(std::weak_ptr<LayerDelegate> delegate) { delegate_ = std::move(delegate); }

// ---------------------------------------------------------------- tree

bool Layer::isDescendant(const Layer& ancestor) const {
    const Layer* layer = this;
    std::shared_ptr<const Layer> keep;
    while (layer) {
        if (layer == &ancestor) return true;
        keep = layer->superlayer();
        layer = keep.get();
    }
    return false;
}

std::ptrdiff_t Layer::indexOfSublayer(const Layer* layer) const {
    for (std::size_t i = 0; i < sublayers_.size(); ++i)
        if (sublayers_[i].get() == layer) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

bool Layer::refusesCycle(const std::shared_ptr<Layer>& layer) const {
    if (!isDescendant(*layer)) return false;
    ns::log(std::string(className()) + ": refusing to add a layer to itself or to one of its descendants");
    return true;
}

void Layer::attach(const std::shared_ptr<Layer>& layer, std::ptrdiff_t index) {
    const std::shared_ptr<Layer> keep = layer; // the old tree may hold the last reference
    ns::checkInitialised(*keep);
    keep->removeFromSuperlayer();
    index = std::clamp<std::ptrdiff_t>(index, 0, static_cast<std::ptrdiff_t>(sublayers_.size()));
    sublayers_.insert(sublayers_.begin() + index, keep);
    keep->superlayer_ = std::static_pointer_cast<Layer>(shared_from_this());
    ++changeVersion_;
    ChangeCount::increment();
}

void Layer::addSublayer(const std::shared_ptr<Layer>& layer) {
    if (!layer || refusesCycle(layer)) return;
    attach(layer, static_cast<std::ptrdiff_t>(sublayers_.size()));
}

void Layer::insertSublayer(const std::shared_ptr<Layer>& layer, std::ptrdiff_t index) {
    if (!layer || refusesCycle(layer)) return;
    attach(layer, index);
}

void Layer::insertSublayerBelow(const std::shared_ptr<Layer>& layer, const std::shared_ptr<Layer>& sibling) {
    if (!layer || layer == sibling || refusesCycle(layer)) return;
    const std::shared_ptr<Layer> keep = layer;
    keep->removeFromSuperlayer();
    const std::ptrdiff_t at = indexOfSublayer(sibling.get());
    attach(keep, at < 0 ? 0 : at);
}

void Layer::insertSublayerAbove(const std::shared_ptr<Layer>& layer, const std::shared_ptr<Layer>& sibling) {
    if (!layer || layer == sibling || refusesCycle(layer)) return;
    const std::shared_ptr<Layer> keep = layer;
    keep->removeFromSuperlayer();
    const std::ptrdiff_t at = indexOfSublayer(sibling.get());
    attach(keep, at < 0 ? static_cast<std::ptrdiff_t>(sublayers_.size()) : at + 1);
}

void Layer::removeFromSuperlayer() {
    const std::shared_ptr<Layer> parent = superlayer_.lock();
    superlayer_.reset();
    if (!parent) return;
    const std::ptrdiff_t at = parent->indexOfSublayer(this);
    if (at >= 0) parent->sublayers_.erase(parent->sublayers_.begin() + at);
    ++parent->changeVersion_;
    ChangeCount::increment();
}

// ---------------------------------------------------------------- coordinate spaces

cg::Point Layer::pointFromSuperlayer(cg::Point point) const {
    const cg::AffineTransform f = model_.transform.flattened();
    const cg::Rect& b = model_.bounds;
    const cg::Point anchor{b.origin.x + model_.anchorPoint.x * b.size.width,
                           b.origin.y + model_.anchorPoint.y * b.size.height};
    if (isSingular(f)) return anchor;
    const cg::Point local = (point - model_.position).applying(f.inverted());
    const cg::Point result = local + anchor;
    return result.isFinite() ? result : anchor;
}

cg::Point Layer::convertFrom(cg::Point point, const Layer* layer) const {
    // Up from `layer` to the nearest common ancestor (or its root's superlayer space),
    // then down to this layer.
    std::vector<const Layer*> down; // this and its ancestors, nearest first
    std::vector<std::shared_ptr<const Layer>> keep;
    for (const Layer* l = this; l;) {
        down.push_back(l);
        auto parent = l->superlayer();
        keep.push_back(parent);
        l = parent.get();
    }
    const Layer* meet = nullptr; // the space the point reaches going up
    if (!layer) {
        meet = down.back(); // the root's own space
    } else {
        const Layer* l = layer;
        while (l) {
            if (std::find(down.begin(), down.end(), l) != down.end()) {
                meet = l;
                break;
            }
            point = point.applying(l->transformToSuperlayer());
            auto parent = l->superlayer();
            keep.push_back(parent);
            l = parent.get();
        }
    }
    // Walk down from just under `meet` (or from the root when the trees differ).
    auto stop = meet ? std::find(down.begin(), down.end(), meet) : down.end();
    for (auto it = std::make_reverse_iterator(stop); it != down.rend(); ++it)
        point = (*it)->pointFromSuperlayer(point);
    return point;
}

cg::Point Layer::convertTo(cg::Point point, const Layer* layer) const {
    if (layer) return layer->convertFrom(point, this);
    const Layer* root = rootOf(this);
    std::shared_ptr<const Layer> keep;
    for (const Layer* l = this; l && l != root;) {
        point = point.applying(l->transformToSuperlayer());
        keep = l->superlayer();
        l = keep.get();
    }
    return point;
}

cg::Rect Layer::convertFrom(const cg::Rect& rect, const Layer* layer) const {
    if (rect.isNull() || !rect.isFinite()) return cg::Rect::null();
    return rect.mappedBounds([&](cg::Point p) { return convertFrom(p, layer); });
}

cg::Rect Layer::convertTo(const cg::Rect& rect, const Layer* layer) const {
    if (rect.isNull() || !rect.isFinite()) return cg::Rect::null();
    return rect.mappedBounds([&](cg::Point p) { return convertTo(p, layer); });
}

// ---------------------------------------------------------------- layout

void Layer::layoutIfNeeded() {
    if (needsLayout_) {
        needsLayout_ = false;
        layoutSublayers();
    }
    // A copy: layout may add or remove sublayers.
    const std::vector<std::shared_ptr<Layer>> children = sublayers_;
    for (const auto& child : children) child->layoutIfNeeded();
}

void Layer::layoutSublayers() {
    if (auto delegate = delegate_.lock()) delegate->layoutSublayers(*this);
}

// ---------------------------------------------------------------- display

void Layer::displayIfNeeded() {
    if (needsDisplay_) display();
}

void Layer::setNeedsDisplay(const cg::Rect& rect) {
    if (!rect.isFinite()) {
        setNeedsDisplay();
        return;
    }
    if (rect.isNull() || rect.isEmpty()) return;
    needsDisplay_ = true;
    if (!dirty_.whole) dirty_.rect = dirty_.rect.unionWith(rect.standardized());
}

void Layer::display() {
    needsDisplay_ = false;
    const Dirty dirty = std::exchange(dirty_, Dirty{});
    partial_ = Partial{};
    if (!drawsContent()) return;
    const cg::Rect b = model_.bounds.standardized();
    const double scale = model_.contentsScale;
    const double w = std::ceil(b.size.width * scale);
    const double h = std::ceil(b.size.height * scale);
    if (!(w >= 1) || !(h >= 1)) {
        setContents(nullptr);
        return;
    }
    std::unique_ptr<cg::Context> context;
    if (w <= cg::Context::kMaxSide && h <= cg::Context::kMaxSide)
        context = cg::Context::makeBitmap(static_cast<int>(w), static_cast<int>(h), false);
    if (!context) {
        ns::log(std::string(className()) + ": bounds too large to display");
        setContents(nullptr);
        return;
    }
    displayRect_ = b;
    const cg::ImageRef last = model_.contents;
    // Only the marked parts, over the last picture, when that picture still fits.
    const bool partial = !dirty.whole && !dirty.rect.isNull() && last && last->width() == static_cast<int>(w) &&
                         last->height() == static_cast<int>(h);
    if (partial) {
        const cg::Rect pixels = cg::Rect((dirty.rect.minX() - b.minX()) * scale, (dirty.rect.minY() - b.minY()) * scale,
                                         dirty.rect.width() * scale, dirty.rect.height() * scale)
                                    .integral()
                                    .intersection({0, 0, w, h});
        if (pixels.isNull() || pixels.isEmpty()) return;
        cairo_t* cr = context->native();
        cairo_save(cr);
        context->draw(*last, {0, 0, w, h});  // one to one: a copy
        cairo_rectangle(cr, pixels.minX(), pixels.minY(), pixels.width(), pixels.height());
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_fill(cr);
        cairo_restore(cr);
        context->clipToDeviceRect(pixels);
        displayRect_ = cg::Rect(b.minX() + pixels.minX() / scale, b.minY() + pixels.minY() / scale,
                                pixels.width() / scale, pixels.height() / scale);
    }
    context->scaleBy(scale, scale);
    context->translateBy(-b.origin.x, -b.origin.y);
    draw(*context);
    const cg::ImageRef made = context->makeImage();
    setContents(made);
    if (partial) partial_ = Partial{last.get(), made.get(), displayRect_};
    displayRect_ = b;
}

std::optional<cg::Rect> Layer::redrawnSince(const cg::Image* from) const {
    if (!partial_.from || partial_.from != from || partial_.made != model_.contents.get()) return std::nullopt;
    return partial_.rect;
}

void Layer::draw(cg::Context& context) const {
    if (auto delegate = delegate_.lock()) delegate->draw(*this, context);
}

bool Layer::drawsContent() const {
    const auto delegate = delegate_.lock();
    return delegate && delegate->drawsContent();
}

void Layer::drawBackdrop(cg::Context& context, const cg::Image& backdrop) const {
    (void)context;
    (void)backdrop;
}

// ---------------------------------------------------------------- rendering

void Layer::render(cg::Context& context) const { LayerPainter(context, std::nullopt).drawInOwnSpace(*this); }

// ---------------------------------------------------------------- presentation

void Layer::snapshot(LayerSnapshot& s) const {
    s.kind = LayerSnapshot::Kind::plain;
    static_cast<LayerProperties&>(s) = model_;
}

void Layer::applyPresentation(double mediaTime, LayerSnapshot& snapshot) const {
    animations_.apply(mediaTime, snapshot);
}

void Layer::adoptSnapshot(const LayerSnapshot& s) {
    model_ = static_cast<const LayerProperties&>(s);
    ++changeVersion_;
}

void Layer::copyPropertiesTo(Layer& clone) const {
    LayerSnapshot s;
    snapshot(s);
    clone.adoptSnapshot(s);
    clone.drawsAsynchronously_ = drawsAsynchronously_;
    clone.delegate_ = delegate_;
}

std::shared_ptr<Layer> Layer::cloneLayer() const {
    auto clone = ns::make<Layer>();
    copyPropertiesTo(*clone);
    return clone;
}

std::shared_ptr<Layer> Layer::presentationAt(double mediaTime) const {
    std::shared_ptr<Layer> clone = cloneLayer();
    LayerSnapshot s;
    snapshot(s);
    applyPresentation(mediaTime, s);
    clone->adoptSnapshot(s);
    return clone;
}

} // namespace pellavo::ca
