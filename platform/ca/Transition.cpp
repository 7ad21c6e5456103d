#include "platform/ca/Transition.hpp"

#include "platform/ca/PresentationState.hpp"

namespace pellavo::ca {

void Transition::setType(TransitionType type) {
    if (!isFrozen()) type_ = type;
}

void Transition::setFromImage(cg::ImageRef image, const cg::Rect& bounds) {
    if (isFrozen()) return;
    fromImage_ = std::move(image);
    fromBounds_ = bounds;
}

std::shared_ptr<Animation> Transition::copy() const {
    auto c = ns::make<Transition>();
    c->assign(*this);
    c->type_ = type_;
    c->fromImage_ = fromImage_;
    c->fromBounds_ = fromBounds_;
    return c;
}

void Transition::apply(double t, PresentationState& state, double fallbackDuration) const {
    const auto phase = phaseAt(t, fallbackDuration);
    if (!phase) return;
    state.transitionProgress = progress(phase->fraction, effectiveDuration(fallbackDuration));
    state.transitionImage = fromImage_;
    state.transitionImageBounds = fromBounds_;
}

} // namespace pellavo::ca
