#include "platform/ca/Transition.hpp"

#include "platform/ca/PresentationState.hpp"

namespace pellavo::ca {

void Transition::setType(TransitionType type) {
    if (!isFrozen()) properties_.type = type;
}

void Transition::setFromImage(cg::ImageRef image, const cg::Rect& bounds) {
    if (isFrozen()) return;
    properties_.fromImage = std::move(image);
    properties_.fromBounds = bounds;
}

std::shared_ptr<Animation> Transition::copy() const {
    auto c = ns::make<Transition>();
    c->assign(*this);
    c->properties_ = properties_;
    return c;
}

void Transition::apply(double t, PresentationState& state, double fallbackDuration) const {
    const auto phase = phaseAt(t, fallbackDuration);
    if (!phase) return;
    state.transitionProgress = progress(phase->fraction, effectiveDuration(fallbackDuration));
    state.transitionImage = properties_.fromImage;
    state.transitionImageBounds = properties_.fromBounds;
}

} // namespace pellavo::ca
