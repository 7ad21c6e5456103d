#include "platform/ca/Animation.hpp"

#include <cmath>
#include <limits>

#include "platform/ca/AnimationDelegate.hpp"
#include "platform/ca/Layer.hpp"

namespace pellavo::ca {

void Animation::setBeginTime(double t) {
    if (!frozen_) properties_.beginTime = t;
}
void Animation::setDuration(double d) {
    if (!frozen_) properties_.duration = d;
}
void Animation::setRepeatCount(double count) {
    if (!frozen_) properties_.repeatCount = count;
}
void Animation::setFillMode(FillMode mode) {
    if (!frozen_) properties_.fillMode = mode;
}
void Animation::setIsRemovedOnCompletion(bool removed) {
    if (!frozen_) properties_.removedOnCompletion = removed;
}
void Animation::setTimingFunction(std::optional<MediaTimingFunction> f) {
    if (!frozen_) properties_.timingFunction = f;
}
void Animation::setDelegate(std::weak_ptr<AnimationDelegate> delegate) {
    if (!frozen_) properties_.delegate = std::move(delegate);
}

void Animation::assign(const Animation& other) {
    properties_ = other.properties_;
}

void Animation::run(std::string_view key, Layer& layer) {
    layer.addAnimation(sharedFromThis<Animation>(), std::string(key));
}

double Animation::effectiveDuration(double fallback) const {
    const double d = properties_.duration;
    if (d > 0 && std::isfinite(d)) return d;
    return fallback > 0 && std::isfinite(fallback) ? fallback : defaultDuration;
}

double Animation::effectiveRepeatCount() const {
    return properties_.repeatCount > 0 ? properties_.repeatCount : 1;
}

double Animation::activeSpan(double fallback) const {
    const double r = effectiveRepeatCount();
    if (std::isinf(r)) return std::numeric_limits<double>::infinity();
    return effectiveDuration(fallback) * r;
}

std::optional<AnimationPhase> Animation::phaseAt(double t, double fallbackDuration) const {
    if (std::isnan(t)) return std::nullopt;
    const double d = effectiveDuration(fallbackDuration);
    const double r = effectiveRepeatCount();
    const FillMode fill = properties_.fillMode;
    const bool holdsStart = fill == FillMode::backwards || fill == FillMode::both;
    const bool holdsEnd = fill == FillMode::forwards || fill == FillMode::both;

    // The end of the last cycle, which may be a part of one.
    auto endPhase = [r]() {
        const double last = std::ceil(r) - 1;
        return AnimationPhase{last, r - last};
    };

    if (t < 0) return holdsStart ? std::optional(AnimationPhase{0, 0}) : std::nullopt;
    if (t >= activeSpan(fallbackDuration)) return holdsEnd ? std::optional(endPhase()) : std::nullopt;

    const double q = t / d;
    // Endless animations take the cycle fraction from fmod, so a long run never
    // loses it to rounding.
    double cycle = std::floor(q);
    double fraction = std::isinf(r) ? std::fmod(t, d) / d : q - cycle;
    if (fraction < 0) fraction = 0;
    if (fraction >= 1) cycle += 1, fraction = 0;
    // Rounding may put the last instant of the span on the next cycle.
    if (cycle >= r) return endPhase();
    return AnimationPhase{cycle, fraction};
}

double Animation::progress(double fraction, double) const {
    const auto& curve = properties_.timingFunction;
    return curve ? curve->evaluate(fraction) : fraction;
}

} // namespace pellavo::ca
