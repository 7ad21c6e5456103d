#include "pellavo/PopBubble.hpp"

#include <cmath>
#include <numbers>
#include <type_traits>
#include <utility>

#include "platform/ca/Layer.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/control/Control.hpp"
#include "platform/ui/control/VisualEffectView.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo {

namespace {

// Sizes the bubble cannot draw with count as 0.
double usable(double value) { return std::isfinite(value) && value > 0 ? value : 0; }

bool isFinite(cg::Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The overlay's opening fade takes this part of the spring.
constexpr double kOverlayFadeShare = 1.0 / 3.0;
constexpr double kSpringDamping = 0.7;
constexpr double kSpringVelocity = 3;
// Not 0: the close ends on a scale the transform can still be inverted from.
constexpr double kClosedScale = 0.0001;

[[maybe_unused]] const auto registration =
    ns::ClassRegistration<PopBubble>("PopBubble", "UIView").action(ns::Selector("dismiss"), &PopBubble::dismiss);

} // namespace

std::optional<PopBubbleType> popBubbleTypeFromRawValue(int raw) {
    if (raw == static_cast<int>(PopBubbleType::up)) return PopBubbleType::up;
    if (raw == static_cast<int>(PopBubbleType::down)) return PopBubbleType::down;
    return std::nullopt;
}

// ------------------------------------------------------------------ options

PopBubbleOption PopBubbleOption::arrowSize(cg::Size size) { return PopBubbleOption(ArrowSize{size}); }
PopBubbleOption PopBubbleOption::animationIn(double duration) { return PopBubbleOption(AnimationIn{duration}); }
PopBubbleOption PopBubbleOption::animationOut(double duration) { return PopBubbleOption(AnimationOut{duration}); }
PopBubbleOption PopBubbleOption::cornerRadius(double radius) { return PopBubbleOption(CornerRadius{radius}); }
PopBubbleOption PopBubbleOption::sideEdge(double edge) { return PopBubbleOption(SideEdge{edge}); }
PopBubbleOption PopBubbleOption::blackOverlayColor(ui::Color color) {
    return PopBubbleOption(BlackOverlayColor{color});
}
PopBubbleOption PopBubbleOption::overlayBlur(ui::BlurEffect::Style style) {
    return PopBubbleOption(OverlayBlur{ui::BlurEffect(style)});
}
PopBubbleOption PopBubbleOption::type(PopBubbleType type) { return PopBubbleOption(Type{type}); }
PopBubbleOption PopBubbleOption::color(ui::Color color) { return PopBubbleOption(Color{color}); }

// ------------------------------------------------------------------ making

PopBubble::PopBubble() : PopBubble(std::nullopt, {}, {}) {}

PopBubble::PopBubble(std::function<void()> showHandler, std::function<void()> dismissHandler)
    : PopBubble(std::nullopt, std::move(showHandler), std::move(dismissHandler)) {}

PopBubble::PopBubble(std::optional<std::vector<PopBubbleOption>> options, std::function<void()> showHandler,
                     std::function<void()> dismissHandler)
    : ui::View(cg::Rect{}), blackOverlay_(ns::make<ui::Control>()) {
    setBackgroundColor(ui::Color::clear());
    setOptions(options);
    didShowHandler_ = std::move(showHandler);
    didDismissHandler_ = std::move(dismissHandler);
}

PopBubble::~PopBubble() = default;

void PopBubble::setOptions(const std::optional<std::vector<PopBubbleOption>>& options) {
    if (!options) return;
    for (const auto& option : *options) {
        std::visit(
            [this](const auto& setting) {
                using Case = std::decay_t<decltype(setting)>;
                if constexpr (std::is_same_v<Case, PopBubbleOption::ArrowSize>) setArrowSize(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::AnimationIn>) setAnimationIn(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::AnimationOut>) setAnimationOut(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::CornerRadius>)
                    setPopCornerRadius(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::SideEdge>) setSideEdge(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::BlackOverlayColor>)
                    setBlackOverlayColor(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::OverlayBlur>) setOverlayBlur(setting.value);
                else if constexpr (std::is_same_v<Case, PopBubbleOption::Type>) setPopBubbleType(setting.value);
                else setPopColor(setting.value);
            },
            option.value_);
    }
}

// ------------------------------------------------------------------ showing

void PopBubble::show(std::shared_ptr<ui::View> content, std::shared_ptr<ui::View> fromView) {
    show(std::move(content), std::move(fromView), ui::Application::shared().keyWindow());
}

void PopBubble::show(std::shared_ptr<ui::View> content, std::shared_ptr<ui::View> fromView,
                     std::shared_ptr<ui::View> inView) {
    if (!fromView || !inView) return;
    const cg::Rect source = fromView->frame();
    const cg::Point edge{source.midX(), popBubbleType_ == PopBubbleType::up ? source.minY() : source.maxY()};
    // A source without a superview: null stands for the window, where its frame then lives.
    const cg::Point point = inView->convertFrom(edge, fromView->superview());
    show(std::move(content), point, std::move(inView));
}

void PopBubble::show(std::shared_ptr<ui::View> content, cg::Point point) {
    show(std::move(content), point, ui::Application::shared().keyWindow());
}

void PopBubble::show(std::shared_ptr<ui::View> content, cg::Point point, std::shared_ptr<ui::View> inView) {
    if (!content || !inView || !isFinite(point)) return;
    // Nested into itself the tree could not hold all three.
    if (content == inView || content.get() == this || inView.get() == this) return;
    isDismissing_ = false;
    ++generation_;
    // The frame is set below: under the scale a close leaves, it would store a size
    // ten thousand times too large.
    setTransform(cg::AffineTransform::identity());

    blackOverlay_->setAutoresizingMask(ui::View::AutoresizingMask::flexibleWidth |
                                       ui::View::AutoresizingMask::flexibleHeight);
    blackOverlay_->setFrame(inView->bounds());
    if (overlayBlur_) {
        // One effect view for the bubble's life; the overlay's alpha stays as it is, so a
        // first blurred show starts opaque and a later one fades in from the close.
        if (!effectView_) {
            effectView_ = ns::make<ui::VisualEffectView>(overlayBlur_);
            blackOverlay_->addSubview(effectView_);
        } else {
            effectView_->setEffect(overlayBlur_);
        }
        effectView_->setFrame(blackOverlay_->bounds());
        effectView_->setIsUserInteractionEnabled(false);
    } else {
        blackOverlay_->setBackgroundColor(blackOverlayColor_);
        blackOverlay_->setAlpha(0);
    }
    inView->addSubview(blackOverlay_);
    // Stored once however often it is added.
    blackOverlay_->addTarget(sharedFromThis<PopBubble>(), &PopBubble::dismiss, ui::Control::Event::touchUpInside);

    containerView_ = inView;
    contentView_ = std::move(content);
    contentView_->setBackgroundColor(ui::Color::clear());
    contentView_->layer()->setCornerRadius(usable(popCornerRadius_));
    contentView_->setClipsToBounds(true);
    arrowShowPoint_ = point;
    show();
}

void PopBubble::show() {
    const auto container = containerView_.lock();
    setNeedsDisplay();
    cg::Rect contentFrame = contentView_->frame();
    contentFrame.origin.y = popBubbleType_ == PopBubbleType::up ? 0 : usable(arrowSize_.height);
    contentView_->setFrame(contentFrame);
    addSubview(contentView_);
    container->addSubview(sharedFromThis<PopBubble>());
    create();
    setTransform(cg::AffineTransform::makeScale(0, 0));

    std::weak_ptr<PopBubble> weak = sharedFromThis<PopBubble>();
    const std::uint64_t generation = generation_;
    ui::View::animate(
        animationIn_, 0, kSpringDamping, kSpringVelocity, ui::ViewAnimationOptions{},
        [this] { setTransform(cg::AffineTransform::identity()); },
        [weak, generation](bool) {
            auto self = weak.lock();
            // The spring reports at its end even when a close replaced it meanwhile.
            if (!self || self->generation_ != generation) return;
            const auto handler = self->didShowHandler_;
            if (handler) handler();
        });
    const auto& overlay = blackOverlay_;
    ui::View::animate(animationIn_ * kOverlayFadeShare, 0, ui::ViewAnimationOptions::curveLinear,
                      [&overlay] { overlay->setAlpha(1); });
}

void PopBubble::create() {
    const auto container = containerView_.lock();
    const cg::Point p = *arrowShowPoint_;
    const cg::Size size = contentView_->frame().size;
    const double w = size.width;
    const double h = size.height;
    const double ah = usable(arrowSize_.height);
    const double containerWidth = container->bounds().width();
    const double edge = w < container->frame().width() && std::isfinite(sideEdge_) ? sideEdge_ : 0;

    double x = p.x - w / 2;
    if (x + w - containerWidth > 0)
        x = containerWidth - w - edge;
    else if (x < 0)
        x = edge;
    const double ax = p.x - x;
    const bool up = popBubbleType_ == PopBubbleType::up;
    const double y = up ? p.y - h - ah : p.y;

    // The bubble scales about the arrow tip; the frame below puts the position under it.
    layer()->setAnchorPoint({w > 0 ? ax / w : 0.5, up ? 1.0 : 0.0});
    setFrame({x, y, w, h + ah});
    placementX_ = x;
}

// ------------------------------------------------------------------ drawing

void PopBubble::draw(cg::Rect rect) {
    View::draw(rect);
    if (!arrowShowPoint_) return;
    constexpr double pi = std::numbers::pi;
    const double W = bounds().width();
    const double H = bounds().height();
    const double r = usable(popCornerRadius_);
    const double aw = usable(arrowSize_.width);
    const double ah = usable(arrowSize_.height);
    const double pointX = arrowShowPoint_->x;
    const double ax = pointX - placementX_;
    const bool up = popBubbleType_ == PopBubbleType::up;

    // At a side of the bubble exactly, the arrow's outer base point lies beyond it: its
    // side runs straight down the bubble's and the corner there fills square.
    const double baseY = up ? H - ah : ah;
    const double outerY = up ? ah : H + ah;
    const cg::Point left{ax - aw / 2, pointX == placementX_ ? outerY : baseY};
    const cg::Point right{ax + aw / 2, pointX == placementX_ + W ? outerY : baseY};

    ui::BezierPath path;
    if (up) {
        const double bottom = H - ah;
        path.move({ax, H});
        path.addLine(left);
        path.addLine({r, bottom});
        path.addArc({r, bottom - r}, r, pi / 2, pi, true);
        path.addLine({0, r});
        path.addArc({r, r}, r, pi, 3 * pi / 2, true);
        path.addLine({W - r, 0});
        path.addArc({W - r, r}, r, 3 * pi / 2, 0, true);
        path.addLine({W, bottom - r});
        path.addArc({W - r, bottom - r}, r, 0, pi / 2, true);
        path.addLine(right);
    } else {
        path.move({ax, 0});
        path.addLine(right);
        path.addLine({W - r, ah});
        path.addArc({W - r, ah + r}, r, 3 * pi / 2, 0, true);
        path.addLine({W, H - r});
        path.addArc({W - r, H - r}, r, 0, pi / 2, true);
        path.addLine({r, H});
        path.addArc({r, H - r}, r, pi / 2, pi, true);
        path.addLine({0, ah + r});
        path.addArc({r, ah + r}, r, pi, 3 * pi / 2, true);
        path.addLine(left);
    }
    popColor_.setFill();
    path.fill();
}

// ------------------------------------------------------------------ closing

void PopBubble::dismiss() {
    if (!superview() || isDismissing_ || !arrowShowPoint_) return;
    isDismissing_ = true;
    // The opening's completion is stale from here on.
    const std::uint64_t generation = ++generation_;
    std::weak_ptr<PopBubble> weak = sharedFromThis<PopBubble>();
    ui::View::animate(
        animationOut_, 0, ui::ViewAnimationOptions{},
        [this] {
            setTransform(cg::AffineTransform::makeScale(kClosedScale, kClosedScale));
            blackOverlay_->setAlpha(0);
        },
        [weak, generation](bool) {
            auto self = weak.lock();
            // A show since the close began keeps the bubble up.
            if (!self || self->generation_ != generation) return;
            if (self->contentView_) self->contentView_->removeFromSuperview();
            self->blackOverlay_->removeFromSuperview();
            self->removeFromSuperview();
            self->isDismissing_ = false;
            const auto handler = self->didDismissHandler_;
            if (handler) handler();
        });
}

} // namespace pellavo
