#include "platform/ui/view/ViewPropertyAnimator.hpp"

#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

namespace {

ViewAnimationOptions optionsFor(ViewAnimationCurve curve) {
    switch (curve) {
    case ViewAnimationCurve::easeIn: return ViewAnimationOptions::curveEaseIn;
    case ViewAnimationCurve::easeOut: return ViewAnimationOptions::curveEaseOut;
    case ViewAnimationCurve::linear: return ViewAnimationOptions::curveLinear;
    default: return ViewAnimationOptions::curveEaseInOut;
    }
}

} // namespace

std::shared_ptr<ViewPropertyAnimator> ViewPropertyAnimator::make(double duration, ViewAnimationCurve curve,
                                                                 std::function<void()> animations) {
    auto animator = ns::make<ViewPropertyAnimator>(duration, curve);
    animator->addAnimations(std::move(animations));
    return animator;
}

void ViewPropertyAnimator::addAnimations(std::function<void()> animations) {
    if (animations && state_ == State::inactive) animations_.push_back(std::move(animations));
}

void ViewPropertyAnimator::addCompletion(std::function<void(ViewAnimatingPosition)> completion) {
    if (completion && state_ != State::finished) completions_.push_back(std::move(completion));
}

void ViewPropertyAnimator::startAnimation() { startAnimation(0); }

void ViewPropertyAnimator::startAnimation(double afterDelay) {
    if (state_ != State::inactive) return;
    state_ = State::running;
    auto blocks = std::move(animations_);
    animations_.clear();
    // The completion holds the animator: the engine keeps it until it has run.
    auto self = sharedFromThis<ViewPropertyAnimator>();
    View::animate(
        duration_, afterDelay, optionsFor(curve_),
        [&blocks] {
            for (const auto& block : blocks) block();
        },
        [self](bool finished) {
            self->state_ = State::finished;
            const auto completions = std::move(self->completions_);
            self->completions_.clear();
            for (const auto& completion : completions)
                completion(finished ? ViewAnimatingPosition::end : ViewAnimatingPosition::current);
        });
}

} // namespace pellavo::ui
