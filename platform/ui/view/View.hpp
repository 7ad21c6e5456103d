#pragma once

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/LayerDelegate.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/EdgeInsets.hpp"
#include "platform/ui/layout/LayoutAnchor.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/view/Responder.hpp"
#include "platform/ui/view/ViewAnimationOptions.hpp"

namespace pellavo::ns {
class Coder;
} // namespace pellavo::ns

namespace pellavo::ui {

class Event;
class GestureRecognizer;
class View;
class ViewController;
class Window;
namespace layout {
class LayoutEngine;
}

namespace detail {
// Deduces the class that declares the draw(cg::Rect) found by name lookup in T.
template <class C>
C* drawOwner(void (C::*)(cg::Rect));

// True when a class between T and View declares draw (also a non-public one, which
// the lookup cannot see and therefore must be an override).
template <class T>
constexpr bool overridesDraw() {
    if constexpr (requires { drawOwner(&T::draw); })
        return !std::is_same_v<decltype(drawOwner(&T::draw)), View*>;
    else
        return true;
}
} // namespace detail

// A rectangle on screen with its own layer. The view is its layer's delegate: the
// layer lays out and draws through it, and the layer tree mirrors the view tree.
// Geometry, opacity, visibility, background and clipping live on the layer; the view
// keeps the rest. Views are main-thread objects made with ns::make.
class PELLAVO_EXPORT View : public Responder, public ca::LayerDelegate {
public:
    // How the layer's contents fit its bounds; redraw also redraws on a size change.
    enum class ContentMode : int {
        scaleToFill = 0,
        scaleAspectFit = 1,
        scaleAspectFill = 2,
        redraw = 3,
        center = 4,
        top = 5,
        bottom = 6,
        left = 7,
        right = 8,
        topLeft = 9,
        topRight = 10,
        bottomLeft = 11,
        bottomRight = 12,
    };

    // Which parts of the frame follow a change of the superview's size.
    enum class AutoresizingMask : unsigned {
        none = 0,
        flexibleLeftMargin = 1u << 0,
        flexibleWidth = 1u << 1,
        flexibleRightMargin = 1u << 2,
        flexibleTopMargin = 1u << 3,
        flexibleHeight = 1u << 4,
        flexibleBottomMargin = 1u << 5,
    };

    static constexpr cg::Float noIntrinsicMetric = -1;
    // The tint of a tree where no view sets one.
    static Color defaultTintColor() { return {0, 122.0 / 255.0, 1, 1}; }

    explicit View(const cg::Rect& frame = {});
    // From an interface file: the coder's "frame", and its "subviews" added in order
    // once the view is made.
    explicit View(const ns::Coder& coder);
    ~View() override;
    std::string_view className() const override { return "UIView"; }

    const std::shared_ptr<ca::Layer>& layer() const { return layer_; }

    // ---- geometry (non-finite values are ignored)
    // The bounding box of the bounds under the transform, about the anchor point.
    cg::Rect frame() const { return layer_->frame(); }
    // Keeps bounds.origin; a negative size is standardised. Under a scale (and
    // translation) the bounds take size ÷ |scale|; under any other transform the size.
    virtual void setFrame(const cg::Rect& frame);
    cg::Rect bounds() const { return layer_->bounds(); }
    // Keeps the centre. A new size autoresizes the subviews at once, marks the view
    // for layout, and for display in redraw mode.
    virtual void setBounds(const cg::Rect& bounds);
    cg::Point center() const { return layer_->position(); }
    virtual void setCenter(cg::Point center);
    // The affine part of the layer's transform.
    cg::AffineTransform transform() const;
    virtual void setTransform(const cg::AffineTransform& transform);

    // ---- appearance kept on the layer
    double alpha() const;
    // Clamped to [0, 1]; NaN is ignored.
    virtual void setAlpha(double alpha);
    bool isHidden() const { return layer_->isHidden(); }
    virtual void setIsHidden(bool hidden);
    std::optional<Color> backgroundColor() const;
    virtual void setBackgroundColor(std::optional<Color> color);
    bool clipsToBounds() const { return layer_->masksToBounds(); }
    void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
    ContentMode contentMode() const { return contentMode_; }
    virtual void setContentMode(ContentMode mode);

    // ---- kept by the view
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    virtual void setIsUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setIsMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
    bool isExclusiveTouch() const { return exclusiveTouch_; }
    void setIsExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }
    EdgeInsets layoutMargins() const { return layoutMargins_; }
    // A change marks the view for layout; non-finite insets are ignored.
    void setLayoutMargins(const EdgeInsets& margins);
    AutoresizingMask autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(AutoresizingMask mask) { autoresizingMask_ = mask; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool value) { autoresizesSubviews_ = value; }
    // True: the frame enters constraint layout as required values. False takes the view
    // out of autoresizing; constraints place it instead.
    bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool value);

    // ---- tint
    // The view's own tint, else its superview's, else defaultTintColor().
    Color tintColor() const;
    // nullopt inherits again.
    void setTintColor(std::optional<Color> color);
    // Runs, parents first, whenever the tint a view shows changes.
    virtual void tintColorDidChange() {}

    // ---- hierarchy
    std::shared_ptr<View> superview() const { return superviewRef_.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    // The window at the root of this tree, or null.
    std::shared_ptr<Window> window() const;
    // Puts the view on top. Re-adding a subview brings it to the front and runs no
    // hooks. Null, the view itself and its ancestors are ignored.
    void addSubview(const std::shared_ptr<View>& view);
    // The index is clamped to 0…count.
    void insertSubview(const std::shared_ptr<View>& view, std::ptrdiff_t index);
    // A sibling that is not a subview puts the view at the bottom (below) or top (above).
    void insertSubviewBelow(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling);
    void insertSubviewAbove(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling);
    void bringSubviewToFront(const std::shared_ptr<View>& view);
    void sendSubviewToBack(const std::shared_ptr<View>& view);
    // Without a superview: nothing.
    virtual void removeFromSuperview();
    // True for the view itself and every view under it.
    bool isDescendant(const View* ancestor) const;
    // This view or the first of its descendants (depth first) with the tag.
    std::shared_ptr<View> viewWithTag(int tag);

    // Hooks on the moved view (null when it leaves its superview)…
    virtual void willMoveToSuperview(const std::shared_ptr<View>& newSuperview) { (void)newSuperview; }
    virtual void didMoveToSuperview() {}
    // …and on every view of the moved tree when its window changes.
    virtual void willMoveToWindow(const std::shared_ptr<Window>& newWindow) { (void)newWindow; }
    virtual void didMoveToWindow() {}
    // Hooks on the superview.
    virtual void didAddSubview(const std::shared_ptr<View>& subview) { (void)subview; }
    virtual void willRemoveSubview(const std::shared_ptr<View>& subview) { (void)subview; }

    // ---- gesture recognisers (kept here; the recognisers do the rest)
    // Null and a recogniser already attached are ignored.
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return recognizers_; }

    // ---- layout
    // Views start marked; the end-of-turn pass lays out marked views in visible windows.
    void setNeedsLayout() { layer_->setNeedsLayout(); }
    // Lays out this view and its marked descendants now, in a window or not.
    void layoutIfNeeded();
    // Positions the subviews. The base solves the constraints of the tree and sets the
    // frame of every constraint-placed subview through setFrame.
    virtual void layoutSubviews();

    // ---- display
    // Marks the whole view; the end-of-turn pass redraws marked views.
    void setNeedsDisplay();
    // Marks only that part of the bounds: the pass redraws it over the view's last
    // picture, and draw(rect) is given it (on whole pixels).
    void setNeedsDisplay(const cg::Rect& rect);
    // Redraws now when marked and the bounds are not empty.
    void displayIfNeeded();
    // Draws the content into the current context, in bounds space. Only classes that
    // override it get a backing store (recorded when ns::make builds them).
    virtual void draw(cg::Rect rect) { (void)rect; }

    // ---- sizing
    // The bounds size.
    virtual cg::Size sizeThatFits(cg::Size size) const;
    // Resizes to sizeThatFits(bounds size), keeping the frame origin.
    void sizeToFit();
    // (noIntrinsicMetric, noIntrinsicMetric) when the view has no natural size.
    virtual cg::Size intrinsicContentSize() const { return {noIntrinsicMetric, noIntrinsicMetric}; }
    // Tells constraint layout the natural size changed; frame-laid views ignore it.
    virtual void invalidateIntrinsicContentSize();

    // ---- constraints
    // The constraints installed on this view (activation installs a constraint on the
    // nearest common ancestor of its items).
    const std::vector<std::shared_ptr<LayoutConstraint>>& constraints() const;
    // Refused with a log line unless this view is a common ancestor of the items.
    void addConstraint(const std::shared_ptr<LayoutConstraint>& constraint);
    void addConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    void removeConstraint(const std::shared_ptr<LayoutConstraint>& constraint);
    void removeConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    LayoutXAxisAnchor leadingAnchor();
    LayoutXAxisAnchor trailingAnchor();
    LayoutXAxisAnchor leftAnchor();
    LayoutXAxisAnchor rightAnchor();
    LayoutXAxisAnchor centerXAnchor();
    LayoutYAxisAnchor topAnchor();
    LayoutYAxisAnchor bottomAnchor();
    LayoutYAxisAnchor centerYAnchor();
    LayoutDimension widthAnchor();
    LayoutDimension heightAnchor();
    // How strongly a constraint-placed view keeps to its intrinsic size: size ≤ intrinsic
    // at the hugging priority (250), size ≥ intrinsic at the compression one (750).
    // Clamped to 1…1000.
    float contentHuggingPriority(LayoutConstraint::Axis axis) const;
    void setContentHuggingPriority(float priority, LayoutConstraint::Axis axis);
    float contentCompressionResistancePriority(LayoutConstraint::Axis axis) const;
    void setContentCompressionResistancePriority(float priority, LayoutConstraint::Axis axis);
    // The update pass runs bottom-up before each layout pass and inside layoutIfNeeded,
    // calling updateConstraints on marked views (every view starts marked). Overrides
    // call the base.
    virtual void updateConstraints() {}
    void setNeedsUpdateConstraints();
    bool needsUpdateConstraints() const { return needsUpdateConstraints_; }
    void updateConstraintsIfNeeded();
    // A view whose subviews live in a scrolled content area answers its content size:
    // its far edges, as constraints of its descendants see them, stand there. Others
    // answer nothing.
    virtual std::optional<cg::Size> layoutContentSize() const { return std::nullopt; }
    // Receives the solved content extent of each axis whose far content edge a
    // constraint fixes.
    virtual void setLayoutContentSize(std::optional<cg::Float> width, std::optional<cg::Float> height) {
        (void)width;
        (void)height;
    }

    // ---- hit-testing
    // The deepest visible, interactive view under the point (bounds space), front
    // subviews first, then this view; null when this view is hidden, alpha < 0.01,
    // not interactive, singularly transformed, blocked by an animation, or the point
    // lies outside it.
    virtual std::shared_ptr<View> hitTest(cg::Point point, const Event* event);
    // Half-open bounds containment.
    virtual bool pointInside(cg::Point point, const Event* event) const;
    // True from the start of a view animation of this view to its end (delay
    // included), unless the animation allows user interaction.
    virtual bool isInteractionBlockedByAnimation() const;

    // ---- animation blocks (ViewAnimation.cpp)
    // Runs `animations` at once; the model changes at once and each view's position,
    // bounds, transform, alpha and background colour that it changes (also through
    // layout or autoresizing it causes) animate from what was shown. The completion
    // runs once on the main queue: true at start + delay + duration (next turn for a
    // duration ≤ 0), false at once when the layer or one of its animations is
    // removed. A surrounding transaction's duration and disabled actions do not
    // apply. The default curve is ease-in-ease-out.
    static void animate(double duration, std::function<void()> animations,
                        std::function<void(bool)> completion = {});
    static void animate(double duration, double delay, ViewAnimationOptions options,
                        std::function<void()> animations, std::function<void(bool)> completion = {});
    // A damped spring that settles at the end of the duration instead of a curve.
    static void animate(double duration, double delay, double dampingRatio, double initialVelocity,
                        ViewAnimationOptions options, std::function<void()> animations,
                        std::function<void(bool)> completion = {});
    // The changes apply without animations of their own; with transitionCrossDissolve
    // the view's subtree fades from a picture of it taken before the block.
    static void transition(const std::shared_ptr<View>& view, double duration, ViewAnimationOptions options,
                           std::function<void()> animations, std::function<void(bool)> completion = {});

    // ---- conversion between bounds spaces
    // Null stands for the window, or the root of the tree when there is none. Views in
    // different trees meet in screen space. A singular transform inverts as the
    // identity, so results stay finite.
    cg::Point convertTo(cg::Point point, const View* view) const;
    cg::Point convertFrom(cg::Point point, const View* view) const;
    // The bounding box of the converted corners.
    cg::Rect convertTo(const cg::Rect& rect, const View* view) const;
    cg::Rect convertFrom(const cg::Rect& rect, const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    cg::Point convertTo(cg::Point point, const std::shared_ptr<V>& view) const {
        return convertTo(point, static_cast<const View*>(view.get()));
    }
    template <class V>
        requires std::derived_from<V, View>
    cg::Point convertFrom(cg::Point point, const std::shared_ptr<V>& view) const {
        return convertFrom(point, static_cast<const View*>(view.get()));
    }
    template <class V>
        requires std::derived_from<V, View>
    cg::Rect convertTo(const cg::Rect& rect, const std::shared_ptr<V>& view) const {
        return convertTo(rect, static_cast<const View*>(view.get()));
    }
    template <class V>
        requires std::derived_from<V, View>
    cg::Rect convertFrom(const cg::Rect& rect, const std::shared_ptr<V>& view) const {
        return convertFrom(rect, static_cast<const View*>(view.get()));
    }
    // Screen space: where window frames live.
    cg::Point convertToScreen(cg::Point point) const;
    cg::Point convertFromScreen(cg::Point point) const;

    // ---- controller
    // The controller this view is the root view of, or null. It hears about the
    // view's layout and comes next in the responder chain.
    std::shared_ptr<ViewController> owningViewController() const { return owningViewController_.lock(); }

    // ---- responder: the owning controller, else the superview
    std::shared_ptr<Responder> nextResponder() const override;

    // ---- layer delegate
    void layoutSublayers(ca::Layer& layer) override;
    void draw(const ca::Layer& layer, cg::Context& context) override;
    bool drawsContent() const override { return drawsContent_; }
    // None for the view's own layer: views animate only inside animation blocks.
    std::optional<std::shared_ptr<ca::Action>> action(ca::Layer& layer, std::string_view key) override;

protected:
    void init() override;
    // The layer this view owns, asked once while the view is made.
    virtual std::shared_ptr<ca::Layer> makeLayer();

    // ---- setters
    // What a property change needs redone; combine with |.
    enum class Invalidate : unsigned {
        nothing = 0,
        display = 1u << 0,        // setNeedsDisplay
        layout = 1u << 1,         // setNeedsLayout
        intrinsicSize = 1u << 2,  // invalidateIntrinsicContentSize
    };
    friend constexpr Invalidate operator|(Invalidate a, Invalidate b) {
        return static_cast<Invalidate>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
    }
    // Marks what `what` names, in the order display, layout, intrinsic size.
    void invalidate(Invalidate what);
    // The setter of a property kept by the view: stores `value` into `field` when it
    // differs (==; a setter that clamps or refuses values does so before), then marks
    // what `what` names. Returns whether the value changed; an equal value does nothing.
    template <class T, class U>
    bool change(T& field, U&& value, Invalidate what = Invalidate::nothing) {
        if (field == value) return false;
        field = std::forward<U>(value);
        invalidate(what);
        return true;
    }
    // change() with a follow-up for what derives from the field (restyling, passing it
    // on to a subview), run after the store and before the marks.
    template <class T, class U, class Then>
        requires std::invocable<Then&>
    bool change(T& field, U&& value, Invalidate what, Then&& then) {
        if (field == value) return false;
        field = std::forward<U>(value);
        then();
        invalidate(what);
        return true;
    }

private:
    template <class T>
    friend void didConstruct(ns::Constructed<T>, View* view) {
        view->drawsContent_ = detail::overridesDraw<T>();
    }
    friend class DisplayCycle;
    friend class layout::LayoutEngine;
    friend class ViewController;
    friend class ViewAnimationBlock;

    // The action for a change of the own layer's key: null outside animation blocks.
    std::shared_ptr<ca::Action> animationAction(std::string_view key);

    void applyFrame(const cg::Rect& frame);
    void boundsDidChange(const cg::Rect& oldBounds);
    void autoresizeSubviews(cg::Size oldSize, cg::Size newSize);
    void notifyTintChange();
    void attachSubview(const std::shared_ptr<View>& view, std::size_t index);
    static void resignResponderLeaving(const std::shared_ptr<Window>& oldWindow, View& subtree);
    void reorderSubview(const std::shared_ptr<View>& view, std::size_t index);
    void placeLayer(const std::shared_ptr<View>& view, std::size_t index);
    const View* rootView() const;
    cg::Point pointToSuperview(cg::Point point) const;
    cg::Point pointFromSuperview(cg::Point point) const;

    std::shared_ptr<ca::Layer> layer_;
    std::weak_ptr<ViewController> owningViewController_;
    View* superview_ = nullptr; // cleared by the superview's destructor
    std::weak_ptr<View> superviewRef_;
    std::vector<std::shared_ptr<View>> subviews_;
    std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
    std::optional<Color> tintColor_;
    double alpha_ = 1;
    EdgeInsets layoutMargins_{8, 8, 8, 8};
    ContentMode contentMode_ = ContentMode::scaleToFill;
    AutoresizingMask autoresizingMask_ = AutoresizingMask::none;
    int tag_ = 0;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    bool exclusiveTouch_ = false;
    bool autoresizesSubviews_ = true;
    bool translatesAutoresizingMask_ = true;
    bool drawsContent_ = false;
    int animationsBlockingInteraction_ = 0;
    // Constraint layout.
    std::vector<std::shared_ptr<LayoutConstraint>> constraints_;
    std::shared_ptr<layout::LayoutEngine> layoutEngine_;  // on the root of a tree that uses constraints
    float huggingPriority_[2] = {LayoutPriority::defaultLow, LayoutPriority::defaultLow};
    float compressionPriority_[2] = {LayoutPriority::defaultHigh, LayoutPriority::defaultHigh};
    bool needsUpdateConstraints_ = true;
    // Decoded subviews waiting for init(), which adds them.
    std::vector<std::shared_ptr<View>> decodedSubviews_;
};

constexpr View::AutoresizingMask operator|(View::AutoresizingMask a, View::AutoresizingMask b) {
    return static_cast<View::AutoresizingMask>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr View::AutoresizingMask operator&(View::AutoresizingMask a, View::AutoresizingMask b) {
    return static_cast<View::AutoresizingMask>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}
constexpr bool any(View::AutoresizingMask mask) { return static_cast<unsigned>(mask) != 0; }

} // namespace pellavo::ui
