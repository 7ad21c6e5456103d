#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/control/BlurEffect.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {
class Control;
class VisualEffectView;
} // namespace pellavo::ui

namespace pellavo {

// Which side of the point the bubble takes: `up` sits above it with the arrow at the
// bottom edge, `down` below it with the arrow on top.
enum class PopBubbleType : int { up = 0, down = 1 };
// nullopt for any other int.
PELLAVO_EXPORT std::optional<PopBubbleType> popBubbleTypeFromRawValue(int raw);

// One setting of a bubble, applied through its setter when the bubble is made.
class PELLAVO_EXPORT PopBubbleOption {
public:
    static PopBubbleOption arrowSize(cg::Size size);
    static PopBubbleOption animationIn(double duration);
    static PopBubbleOption animationOut(double duration);
    static PopBubbleOption cornerRadius(double radius);
    static PopBubbleOption sideEdge(double edge);
    static PopBubbleOption blackOverlayColor(ui::Color color);
    // A blur of the given style over what lies behind the overlay.
    static PopBubbleOption overlayBlur(ui::BlurEffect::Style style);
    static PopBubbleOption type(PopBubbleType type);
    static PopBubbleOption color(ui::Color color);

private:
    friend class PopBubble;
    struct ArrowSize { cg::Size value; };
    struct AnimationIn { double value; };
    struct AnimationOut { double value; };
    struct CornerRadius { double value; };
    struct SideEdge { double value; };
    struct BlackOverlayColor { ui::Color value; };
    struct OverlayBlur { ui::BlurEffect value; };
    struct Type { PopBubbleType value; };
    struct Color { ui::Color value; };
    using Value = std::variant<ArrowSize, AnimationIn, AnimationOut, CornerRadius, SideEdge, BlackOverlayColor,
                               OverlayBlur, Type, Color>;

    explicit PopBubbleOption(Value value) : value_(std::move(value)) {}
    Value value_;
};

// A speech bubble around a content view of the host's, its arrow tip on a point (given,
// or the middle of a source view's near edge) in a container (given, or the key window).
// It sits above or below the point inside the container's width, lays a dimming or
// blurred overlay over the container behind itself and springs open from the tip; a
// tap on the overlay or dismiss() shrinks it back into the tip and removes it.
//
// Settings are plain values: a change counts from the next show (the outline from the
// next redraw). Sizes that are not finite or are negative count as 0 where read; a
// non-finite side edge counts as 0. A show without a container, content or source, or
// with a point that is not finite, does nothing. Main thread only.
class PELLAVO_EXPORT PopBubble : public ui::View {
public:
    PopBubble();
    PopBubble(std::function<void()> showHandler, std::function<void()> dismissHandler);
    // The options in order, a later one of the same case winning.
    PopBubble(std::optional<std::vector<PopBubbleOption>> options, std::function<void()> showHandler,
              std::function<void()> dismissHandler);
    ~PopBubble() override;
    std::string_view className() const override { return "PopBubble"; }

    // Base width and height of the arrow; 16 × 10.
    cg::Size arrowSize() const { return arrowSize_; }
    void setArrowSize(cg::Size size) { arrowSize_ = size; }
    // The opening spring; the overlay fades in over a third of it. 0.6 s.
    double animationIn() const { return animationIn_; }
    void setAnimationIn(double duration) { animationIn_ = duration; }
    // The close. 0.3 s.
    double animationOut() const { return animationOut_; }
    void setAnimationOut(double duration) { animationOut_ = duration; }
    // The body's corners, and the content's. 6.
    double popCornerRadius() const { return popCornerRadius_; }
    void setPopCornerRadius(double radius) { popCornerRadius_ = radius; }
    // Kept from the container's side when the bubble would overflow it. 20.
    double sideEdge() const { return sideEdge_; }
    void setSideEdge(double edge) { sideEdge_ = edge; }
    PopBubbleType popBubbleType() const { return popBubbleType_; }
    void setPopBubbleType(PopBubbleType type) { popBubbleType_ = type; }
    // The overlay's colour when there is no blur. Black at 0.2.
    ui::Color blackOverlayColor() const { return blackOverlayColor_; }
    void setBlackOverlayColor(ui::Color color) { blackOverlayColor_ = color; }
    // With a blur the overlay shows it instead of its colour.
    std::optional<ui::BlurEffect> overlayBlur() const { return overlayBlur_; }
    void setOverlayBlur(std::optional<ui::BlurEffect> blur) { overlayBlur_ = blur; }
    // The fill of the outline. White.
    ui::Color popColor() const { return popColor_; }
    void setPopColor(ui::Color color) { popColor_ = color; }

    // Without a key window the forms that need one do nothing. A source view without a
    // superview has its frame in window coordinates.
    void show(std::shared_ptr<ui::View> content, std::shared_ptr<ui::View> fromView);
    void show(std::shared_ptr<ui::View> content, std::shared_ptr<ui::View> fromView, std::shared_ptr<ui::View> inView);
    void show(std::shared_ptr<ui::View> content, cg::Point point);
    void show(std::shared_ptr<ui::View> content, cg::Point point, std::shared_ptr<ui::View> inView);
    // Only a shown bubble that is not already closing closes; the dismiss handler
    // follows the removal, unless a newer show took the bubble over meanwhile.
    void dismiss();

    using View::draw;
    void draw(cg::Rect rect) override;

private:
    friend struct PopBubbleTestAccess;

    void setOptions(const std::optional<std::vector<PopBubbleOption>>& options);
    void show();
    void create();

    cg::Size arrowSize_{16, 10};
    double animationIn_ = 0.6;
    double animationOut_ = 0.3;
    double popCornerRadius_ = 6;
    double sideEdge_ = 20;
    PopBubbleType popBubbleType_ = PopBubbleType::down;
    ui::Color blackOverlayColor_{0, 0.2};
    std::optional<ui::BlurEffect> overlayBlur_;
    ui::Color popColor_ = ui::Color::white();

    std::function<void()> didShowHandler_;
    std::function<void()> didDismissHandler_;
    std::shared_ptr<ui::Control> blackOverlay_;
    // Weak: while shown the container holds the bubble, which must not hold it back.
    std::weak_ptr<ui::View> containerView_;
    std::shared_ptr<ui::View> contentView_;
    // The arrow tip in the container's coordinates, from the last show.
    std::optional<cg::Point> arrowShowPoint_;
    bool isDismissing_ = false;
    // Bumped by every show and every close: the completions of an earlier one do nothing.
    std::uint64_t generation_ = 0;
    // Made at the first blurred show, inside the overlay, and kept.
    std::shared_ptr<ui::VisualEffectView> effectView_;
    // The bubble's x in the container at the last placement.
    double placementX_ = 0;
};

} // namespace pellavo
