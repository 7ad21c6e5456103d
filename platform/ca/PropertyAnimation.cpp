#include "platform/ca/PropertyAnimation.hpp"

#include "platform/ca/PresentationState.hpp"

namespace pellavo::ca {

void PropertyAnimation::setKeyPath(std::string path) {
    if (isFrozen()) return;
    properties_.parsed = KeyPath::parse(path);
    properties_.keyPath = std::move(path);
}

void PropertyAnimation::setIsAdditive(bool additive) {
    if (!isFrozen()) properties_.additive = additive;
}

void PropertyAnimation::setIsCumulative(bool cumulative) {
    if (!isFrozen()) properties_.cumulative = cumulative;
}

void PropertyAnimation::assign(const PropertyAnimation& other) {
    Animation::assign(other);
    properties_ = other.properties_;
}

void PropertyAnimation::apply(double t, PresentationState& state, double fallbackDuration) const {
    if (!properties_.parsed) return;
    const auto phase = phaseAt(t, fallbackDuration);
    if (!phase) return;
    const auto value = valueAt(*phase, effectiveDuration(fallbackDuration), *properties_.parsed, state);
    if (value && isFinite(*value)) state.apply(*properties_.parsed, *value, properties_.additive);
}

} // namespace pellavo::ca
