#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/LayerAnimations.hpp"
#include "platform/ca/LayerDelegate.hpp"
#include "platform/ca/LayerSnapshot.hpp"
#include "platform/ca/PathCache.hpp"
#include "platform/ca/RasterCache.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Color.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/cg/Image.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

class Animation;

// A rectangle of model values in a tree. A point p of the layer's own (bounds)
// space sits in its superlayer at position + F·(p − bounds.origin − anchor × size),
// F = transform.flattened(). Setters given NaN or ±∞ keep the old value and log.
class PELLAVO_EXPORT Layer : public ns::Object {
public:
    Layer() = default;
    std::string_view className() const override { return "CALayer"; }

    // ---- geometry
    cg::Rect bounds() const { return model_.bounds; }
    // Keeps position; a new size marks the layer for layout.
    void setBounds(const cg::Rect& bounds);
    cg::Point position() const { return model_.position; }
    void setPosition(cg::Point position);
    cg::Point anchorPoint() const { return model_.anchorPoint; }
    // Keeps position.
    void setAnchorPoint(cg::Point anchorPoint);
    // The bounding box of the bounds mapped into the superlayer.
    cg::Rect frame() const;
    // Keeps bounds.origin; position = origin + anchor × size. Under a non-singular
    // axis-aligned scale the bounds take size ÷ |scale|, otherwise the size itself.
    void setFrame(const cg::Rect& frame);
    const Transform3D& transform() const { return model_.transform; }
    // A singular transform is stored; the layer is then skipped when drawn.
    void setTransform(const Transform3D& transform);

    // ---- appearance
    float opacity() const { return model_.opacity; }
    // Clamped to [0, 1].
    void setOpacity(float opacity);
    bool isHidden() const { return model_.isHidden; }
    void setIsHidden(bool hidden);
    std::optional<cg::Color> backgroundColor() const { return model_.backgroundColor; }
    void setBackgroundColor(std::optional<cg::Color> color);
    // Drawn as min(radius, w/2, h/2): a radius past half the shorter side is a capsule.
    cg::Float cornerRadius() const { return model_.cornerRadius; }
    void setCornerRadius(cg::Float radius);
    bool masksToBounds() const { return model_.masksToBounds; }
    void setMasksToBounds(bool masks);
    cg::Float borderWidth() const { return model_.borderWidth; }
    void setBorderWidth(cg::Float width);
    std::optional<cg::Color> borderColor() const { return model_.borderColor; }
    void setBorderColor(std::optional<cg::Color> color);
    std::optional<cg::Color> shadowColor() const { return model_.shadowColor; }
    void setShadowColor(std::optional<cg::Color> color);
    float shadowOpacity() const { return model_.shadowOpacity; }
    // Clamped to [0, 1].
    void setShadowOpacity(float opacity);
    cg::Size shadowOffset() const { return model_.shadowOffset; }
    void setShadowOffset(cg::Size offset);
    cg::Float shadowRadius() const { return model_.shadowRadius; }
    void setShadowRadius(cg::Float radius);
    const cg::ImageRef& contents() const { return model_.contents; }
    void setContents(cg::ImageRef contents);
    ContentsGravity contentsGravity() const { return model_.contentsGravity; }
    void setContentsGravity(ContentsGravity gravity);
    // Pixels per point of contents and of the bitmap display() makes; must be > 0.
    cg::Float contentsScale() const { return model_.contentsScale; }
    void setContentsScale(cg::Float scale);
    // Stored only: every layer draws on the thread that renders it.
    bool drawsAsynchronously() const { return drawsAsynchronously_; }
    void setDrawsAsynchronously(bool value);
    std::weak_ptr<LayerDelegate> delegate() const { return delegate_; }
    void setDelegate(std::weak_ptr<LayerDelegate> delegate);

    // ---- tree
    std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
    const std::vector<std::shared_ptr<Layer>>& sublayers() const { return sublayers_; }
    // Appends on top; a sublayer already here moves to the top, one in another tree
    // leaves it first. Adding a layer to itself or to a descendant is refused.
    void addSublayer(const std::shared_ptr<Layer>& layer);
    // The index is clamped to 0…count.
    void insertSublayer(const std::shared_ptr<Layer>& layer, std::ptrdiff_t index);
    // A sibling that is not a sublayer puts the layer at the bottom.
    void insertSublayerBelow(const std::shared_ptr<Layer>& layer, const std::shared_ptr<Layer>& sibling);
    // A sibling that is not a sublayer puts the layer on top.
    void insertSublayerAbove(const std::shared_ptr<Layer>& layer, const std::shared_ptr<Layer>& sibling);
    void removeFromSuperlayer();
    // True for this layer and every layer under it.
    bool isDescendant(const Layer& ancestor) const;

    // ---- coordinate spaces
    // Own space → superlayer space.
    cg::AffineTransform transformToSuperlayer() const;
    // A null layer stands for the root's own space. Layers of different trees meet
    // in the space their roots sit in. A singular transform on the way in maps every
    // point to the anchor point of that layer.
    cg::Point convertFrom(cg::Point point, const Layer* layer) const;
    cg::Point convertTo(cg::Point point, const Layer* layer) const;
    // The bounding box of the converted corners.
    cg::Rect convertFrom(const cg::Rect& rect, const Layer* layer) const;
    cg::Rect convertTo(const cg::Rect& rect, const Layer* layer) const;

    // ---- layout
    void setNeedsLayout() { needsLayout_ = true; }
    bool needsLayout() const { return needsLayout_; }
    // Top-down: this layer if marked, then each sublayer's subtree.
    void layoutIfNeeded();
    // Asks the delegate; subclasses may lay out themselves.
    virtual void layoutSublayers();

    // ---- display
    void setNeedsDisplay() { needsDisplay_ = true, dirty_ = Dirty{true, cg::Rect::null()}; }
    // Only this part of the bounds needs drawing: display redraws it over the last
    // contents when those still fit the bounds. A rect that arithmetic cannot place
    // marks everything; an empty one, nothing.
    void setNeedsDisplay(const cg::Rect& rect);
    bool needsDisplay() const { return needsDisplay_; }
    void displayIfNeeded();
    // Clears the mark. A layer that draws gets a transparent bitmap of bounds size ×
    // contentsScale, origin at bounds.origin, passed to draw(in:); the result becomes
    // contents. Layers that do not draw keep their contents. When only parts were
    // marked, the bitmap starts as the last contents with those parts (on whole pixels)
    // cleared, and drawing is clipped to them.
    virtual void display();
    // While display draws: the part of the bounds being drawn (the bounds when whole).
    const cg::Rect& displayRect() const { return displayRect_; }
    // When the contents are the picture a partial display made from `from`: the part of
    // the bounds it redrew. For a renderer redrawing only what changed.
    std::optional<cg::Rect> redrawnSince(const cg::Image* from) const;
    // The layer's own drawing in its bounds space; by default the delegate's.
    virtual void draw(cg::Context& context) const;
    // Whether draw(in:) draws anything; by default the delegate's answer.
    virtual bool drawsContent() const;

    // ---- rendering
    // Draws the model tree, sublayers included, in this layer's own bounds space
    // (bounds.origin at the context's origin). A drawing layer without contents draws
    // straight into the context.
    void render(cg::Context& context) const;
    // A layer answering true gets the pixels already drawn under its bounds (their
    // device-pixel bounding box, so drawn into bounds they land where they were) in
    // drawBackdrop, before its background.
    virtual bool needsBackdrop() const { return false; }
    virtual void drawBackdrop(cg::Context& context, const cg::Image& backdrop) const;
    // The paths the renderer last built from this layer's values.
    PathCache& pathCache() const { return pathCache_; }
    // Grows with every change of this layer's own values or sublayers (what ChangeCount
    // counts, per layer): equal counts mean an equal model and sublayer list.
    std::uint64_t changeVersion() const { return changeVersion_; }
    // Animations are attached: what it shows may change with time alone.
    bool hasAnimations() const { return !animations_.isEmpty(); }
    // The pictures the renderer last drew of its fills and strokes.
    RasterCache& rasterCache() const { return rasterCache_; }

    // ---- presentation
    // Fills the snapshot with this layer's model values (kinds add their own).
    virtual void snapshot(LayerSnapshot& snapshot) const;
    // Replaces animated values for a media time; the model layer applies nothing.
    virtual void applyPresentation(double mediaTime, LayerSnapshot& snapshot) const;
    // A detached copy of this layer's own properties, without sublayers or superlayer.
    virtual std::shared_ptr<Layer> cloneLayer() const;
    // A detached copy holding the values shown at a media time.
    virtual std::shared_ptr<Layer> presentationAt(double mediaTime) const;

    // ---- animation (implemented in LayerAnimations.cpp)
    // Attaches a frozen copy under the key, replacing (and stopping) any animation
    // already there; an empty key is allowed and only removeAllAnimations removes it.
    // A null animation does nothing.
    void addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key);
    // The same, with the toolkit's bookkeeping (see LayerAnimations::AddOptions).
    void addAnimation(const std::shared_ptr<Animation>& animation, const std::string& key,
                      LayerAnimations::AddOptions options);
    // The attached copy: the same pointer every time, not the one that was added.
    std::shared_ptr<Animation> animation(std::string_view key) const;
    // Keys in insertion order.
    std::vector<std::string> animationKeys() const;
    // Stop with finished = false; the delegate hears of it through the main queue.
    void removeAnimation(std::string_view key);
    void removeAllAnimations();
    // presentationAt(ca::currentMediaTime()).
    std::shared_ptr<Layer> presentation() const;
    // Actions by key; a null pointer means no action for that key.
    const LayerAnimations::Actions& actions() const { return animations_.actions(); }
    void setActions(LayerAnimations::Actions actions) { animations_.setActions(std::move(actions)); }
    // A window's root layer animates implicitly without a superlayer.
    bool isWindowRoot() const { return animations_.isWindowRoot(); }
    void setIsWindowRoot(bool root) { animations_.setIsWindowRoot(root); }

    // ---- drawing problems
    // Logs "<class>: <what>" the first time this layer meets it, so a fault that
    // repeats every frame costs one line.
    void logOnce(std::string_view what) const;

protected:
    // Called around every change of a property, with its name ("position"),
    // only when the value really changes. The animation engine hooks in here.
    virtual void willChangeValue(std::string_view key);
    virtual void didChangeValue(std::string_view key);

    // Writes every snapshot value into the model, without the change hooks.
    virtual void adoptSnapshot(const LayerSnapshot& snapshot);
    // Copies this layer's own properties into a clone: the snapshot values, delegate, flags.
    void copyPropertiesTo(Layer& clone) const;

    // Stores value into field when it differs, between the change hooks.
    template <class T>
    bool change(T& field, const T& value, std::string_view key) {
        if (field == value) return false;
        willChangeValue(key);
        field = value;
        didChangeValue(key);
        return true;
    }
    // Logs one line naming the property when `finite` is false; returns `finite`.
    bool acceptFinite(bool finite, std::string_view property) const;
    // change() for a value that must be finite: a non-finite one is logged and kept out.
    template <class T>
    bool changeFinite(T& field, const T& value, std::string_view key) {
        bool finite;
        if constexpr (std::is_floating_point_v<T>) finite = std::isfinite(value);
        else finite = value.isFinite();
        return acceptFinite(finite, key) && change(field, value, key);
    }

private:
    std::ptrdiff_t indexOfSublayer(const Layer* layer) const;
    // Detaches layer from its tree and inserts it here at the clamped index.
    void attach(const std::shared_ptr<Layer>& layer, std::ptrdiff_t index);
    bool refusesCycle(const std::shared_ptr<Layer>& layer) const;
    // Superlayer space → own space; a singular map gives the anchor point.
    cg::Point pointFromSuperlayer(cg::Point point) const;

    LayerProperties model_;
    bool drawsAsynchronously_ = false;
    bool needsLayout_ = false;
    bool needsDisplay_ = false;
    struct Dirty {
        bool whole = false;
        cg::Rect rect = cg::Rect::null(); // bounds space, when not whole
    };
    Dirty dirty_;
    cg::Rect displayRect_;
    // What the last partial display started from and made, and the part it redrew.
    struct Partial {
        const cg::Image* from = nullptr;
        const cg::Image* made = nullptr;
        cg::Rect rect;
    };
    Partial partial_;
    std::weak_ptr<LayerDelegate> delegate_;

    std::weak_ptr<Layer> superlayer_;
    std::vector<std::shared_ptr<Layer>> sublayers_;

    LayerAnimations animations_;
    mutable std::vector<std::string> logged_;  // what logOnce has reported
    mutable PathCache pathCache_;
    mutable RasterCache rasterCache_;
    std::uint64_t changeVersion_ = 0;
};

} // namespace pellavo::ca
