#include "platform/ca/BasicAnimation.hpp"

#include <algorithm>
#include <cmath>

#include "platform/ca/PresentationState.hpp"
#include "platform/ca/ValueInterpolation.hpp"

namespace pellavo::ca {

void BasicAnimation::setFromValue(std::optional<Value> v) {
    if (!isFrozen()) properties_.fromValue = std::move(v);
}

void BasicAnimation::setToValue(std::optional<Value> v) {
    if (!isFrozen()) properties_.toValue = std::move(v);
}

void BasicAnimation::setCapturedFromValue(std::optional<Value> v) {
    if (!isFrozen()) properties_.capturedFrom = std::move(v);
}

void BasicAnimation::setSpringTiming(double dampingRatio, double initialVelocity) {
    if (isFrozen()) return;
    const double damping = std::isnan(dampingRatio) ? 1.0 : std::clamp(dampingRatio, 0.01, 1.0);
    properties_.spring = Spring{damping, std::isfinite(initialVelocity) ? initialVelocity : 0.0};
}

void BasicAnimation::assign(const BasicAnimation& other) {
    PropertyAnimation::assign(other);
    properties_ = other.properties_;
}

std::shared_ptr<Animation> BasicAnimation::copy() const {
    auto c = ns::make<BasicAnimation>();
    c->assign(*this);
    return c;
}

double BasicAnimation::progress(double fraction, double duration) const {
    const auto& spring = properties_.spring;
    if (!spring) return PropertyAnimation::progress(fraction, duration);
    const double T = duration;
    const double t = fraction * T;
    if (!(t < T)) return 1;
    if (!(t > 0)) return 0;
    const double zeta = spring->damping, v0 = spring->velocity;
    if (zeta < 1) {
        // Decays to a thousandth of the distance by the end of the duration.
        const double w0 = std::log(1000.0) / (zeta * T);
        const double wd = w0 * std::sqrt(1 - zeta * zeta);
        return 1 - std::exp(-zeta * w0 * t) *
                       (std::cos(wd * t) + ((zeta * w0 - v0) / wd) * std::sin(wd * t));
    }
    const double w0 = 9.23 / T;
    return 1 - std::exp(-w0 * t) * (1 + (w0 - v0) * t);
}

std::optional<Value> BasicAnimation::valueAt(const AnimationPhase& phase, double duration, const KeyPath& path,
                                             const PresentationState& state) const {
    const ValueKind kind = path.valueKind();
    std::optional<Value> from = properties_.fromValue ? properties_.fromValue : properties_.capturedFrom;
    if (!from) from = isAdditive() ? std::optional(additiveIdentity(path)) : state.model(path);
    std::optional<Value> to = properties_.toValue;
    if (!to) to = isAdditive() ? std::optional(additiveIdentity(path)) : state.model(path);
    if (!from || !to || kindOf(*from) != kind || kindOf(*to) != kind) return std::nullopt;
    if (!isFinite(*from) || !isFinite(*to)) return std::nullopt;

    auto value = interpolate(*from, *to, progress(phase.fraction, duration));
    if (value && isCumulative() && phase.cycle > 0) value = accumulate(*value, *from, *to, phase.cycle);
    return value;
}

} // namespace pellavo::ca
