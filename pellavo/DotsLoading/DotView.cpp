#include "pellavo/DotsLoading/DotView.hpp"

#include <memory>

#include "platform/ca/Layer.hpp"
#include "platform/cg/AffineTransform.hpp"
#include "platform/ui/view/ViewPropertyAnimator.hpp"

namespace pellavo {

namespace {

// The pause after a grow step, and after a shrink step before the next grow.
constexpr double pauseAfterGrow = 0.1;
constexpr double pauseAfterShrink = 0.9;

} // namespace

DotView::DotView(ui::Color color, double delay, cg::Rect frame) : ui::View(frame), delay_(delay) {
    layer()->setCornerRadius(frame.size.width / 2);
    setClipsToBounds(true);
    setBackgroundColor(color);
}

void DotView::init() {
    ui::View::init();
    animationDelay_ = delay_;
    startAnimation();
}

void DotView::startAnimation() {
    // Nothing in the chain holds the dot: a dot that goes stops its chain.
    const std::weak_ptr<DotView> weak = weakFromThis<DotView>();
    const bool grow = !expanding_;
    const double scale = grow ? expandRate : 1;
    auto animator = ui::ViewPropertyAnimator::make(
        grow ? animationDuration : animationDuration / 1.05,
        grow ? ui::ViewAnimationCurve::linear : ui::ViewAnimationCurve::easeInOut, [weak, scale] {
            if (const auto self = weak.lock()) self->setTransform(cg::AffineTransform::makeScale(scale, scale));
        });
    animator->addCompletion([weak](ui::ViewAnimatingPosition) {
        const auto self = weak.lock();
        if (self && !self->chainEnded_) self->startAnimation();
    });
    animator->startAnimation(animationDelay_.value_or(0));
    expanding_ = grow;
    animationDelay_ = grow ? pauseAfterGrow : pauseAfterShrink;
}

} // namespace pellavo
