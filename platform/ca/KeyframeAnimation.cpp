#include "platform/ca/KeyframeAnimation.hpp"

#include <cmath>

#include "platform/ca/ValueInterpolation.hpp"

namespace pellavo::ca {

void KeyframeAnimation::setValues(std::vector<Value> values) {
    if (!isFrozen()) properties_.values = std::move(values);
}

void KeyframeAnimation::setKeyTimes(std::vector<double> times) {
    if (!isFrozen()) properties_.keyTimes = std::move(times);
}

void KeyframeAnimation::setCalculationMode(CalculationMode mode) {
    if (!isFrozen()) properties_.mode = mode;
}

void KeyframeAnimation::assign(const KeyframeAnimation& other) {
    PropertyAnimation::assign(other);
    properties_ = other.properties_;
}

std::shared_ptr<Animation> KeyframeAnimation::copy() const {
    auto c = ns::make<KeyframeAnimation>();
    c->assign(*this);
    return c;
}

std::vector<double> KeyframeAnimation::segmentTimes() const {
    const std::vector<Value>& values = properties_.values;
    const std::vector<double>& keyTimes = properties_.keyTimes;
    const std::size_t n = values.size();
    std::vector<double> times(n);
    auto even = [&] {
        for (std::size_t i = 0; i < n; ++i) times[i] = static_cast<double>(i) / static_cast<double>(n - 1);
        times[n - 1] = 1;
    };

    if (properties_.mode == CalculationMode::paced) {
        // Kinds without a distance are spaced evenly.
        std::vector<double> lengths(n - 1);
        double total = 0;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            lengths[i] = pacedDistance(values[i], values[i + 1]).value_or(1.0);
            total += lengths[i];
        }
        if (!(total > 0) || !std::isfinite(total)) return {}; // nothing to pace: hold the first value
        double sum = 0;
        times[0] = 0;
        for (std::size_t i = 0; i + 1 < n; ++i) {
            sum += lengths[i];
            times[i + 1] = sum / total;
        }
        times[n - 1] = 1;
        return times;
    }

    bool usable = keyTimes.size() == n && keyTimes.front() == 0 && keyTimes.back() == 1;
    for (std::size_t i = 1; usable && i < n; ++i) usable = keyTimes[i] >= keyTimes[i - 1];
    if (usable) return keyTimes;
    even();
    return times;
}

std::optional<Value> KeyframeAnimation::valueAt(const AnimationPhase& phase, double duration, const KeyPath& path,
                                                const PresentationState&) const {
    const std::vector<Value>& values = properties_.values;
    if (values.empty()) return std::nullopt;
    for (const auto& v : values)
        if (kindOf(v) != path.valueKind() || !isFinite(v)) return std::nullopt;
    const Value& first = values.front();
    const Value& last = values.back();
    if (values.size() == 1) return first;

    const std::vector<double> times = segmentTimes();
    std::optional<Value> value;
    if (times.empty()) {
        value = first;
    } else {
        const double p = progress(phase.fraction, duration);
        // The last segment of positive length starting at or before p; values sit
        // exactly at their times. Progress beyond either end extrapolates the end
        // segments (overshooting curves).
        std::size_t segment = 0;
        bool found = false;
        for (std::size_t i = 0; i + 1 < times.size(); ++i) {
            if (times[i + 1] <= times[i]) continue;
            if (!found || times[i] <= p) segment = i, found = true;
        }
        if (!found) {
            value = last;
        } else {
            const double t0 = times[segment], t1 = times[segment + 1];
            if (p == t1) {
                // Of values sharing a time, the last one holds from that time on.
                std::size_t j = segment + 1;
                while (j + 1 < times.size() && times[j + 1] == t1) ++j;
                value = values[j];
            } else {
                const double u = p == t0 ? 0.0 : (p - t0) / (t1 - t0);
                value = interpolate(values[segment], values[segment + 1], u);
            }
        }
    }
    if (value && isCumulative() && phase.cycle > 0) value = accumulate(*value, first, last, phase.cycle);
    return value;
}

} // namespace pellavo::ca
