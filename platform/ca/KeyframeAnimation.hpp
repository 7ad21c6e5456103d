#pragma once

#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/PropertyAnimation.hpp"

namespace pellavo::ca {

enum class CalculationMode { linear, paced };

// Runs a property through a list of values. Linear mode spaces them by keyTimes
// (when there is one per value, non-decreasing, from 0 to 1) or evenly; paced mode
// spaces them by the distance between them.
class PELLAVO_EXPORT KeyframeAnimation : public PropertyAnimation {
public:
    std::string_view className() const override { return "CAKeyframeAnimation"; }

    const std::vector<Value>& values() const { return properties_.values; }
    void setValues(std::vector<Value> values);
    const std::vector<double>& keyTimes() const { return properties_.keyTimes; }
    void setKeyTimes(std::vector<double> times);
    CalculationMode calculationMode() const { return properties_.mode; }
    void setCalculationMode(CalculationMode mode);

    std::shared_ptr<Animation> copy() const override;

protected:
    void assign(const KeyframeAnimation& other);
    std::optional<Value> valueAt(const AnimationPhase& phase, double duration, const KeyPath& path,
                                 const PresentationState& state) const override;

private:
    // The time of each value as a fraction of the duration.
    std::vector<double> segmentTimes() const;

    // Everything a copy takes, with the defaults.
    struct Properties {
        std::vector<Value> values;
        std::vector<double> keyTimes;
        CalculationMode mode = CalculationMode::linear;
    };

    Properties properties_;
};

} // namespace pellavo::ca
