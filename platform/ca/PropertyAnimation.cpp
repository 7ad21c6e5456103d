#include "platform/ca/PropertyAnimation.hpp"

#include "platform/ca/PresentationState.hpp"

namespace pellavo::ca {

void PropertyAnimation::setKeyPath(std::string path) {
    if (isFrozen()) return;
    parsed_ = KeyPath::parse(path);
    keyPath_ = std::move(path);
}

void PropertyAnimation::setIsAdditive(bool additive) {
    if (!isFrozen()) additive_ = additive;
}

void PropertyAnimation::setIsCumulative(bool cumulative) {
    if (!isFrozen()) cumulative_ = cumulative;
}

void PropertyAnimation::assign(const PropertyAnimation& other) {
    Animation::assign(other);
    keyPath_ = other.keyPath_;
    parsed_ = other.parsed_;
    additive_ = other.additive_;
    cumulative_ = other.cumulative_;
}

void PropertyAnimation::apply(double t, PresentationState& state, double fallbackDuration) const {
    if (!parsed_) return;
    const auto phase = phaseAt(t, fallbackDuration);
    if (!phase) return;
    const auto value = valueAt(*phase, effectiveDuration(fallbackDuration), *parsed_, state);
    if (value && isFinite(*value)) state.apply(*parsed_, *value, additive_);
}

} // namespace pellavo::ca
