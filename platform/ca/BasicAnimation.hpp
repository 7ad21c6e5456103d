#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/PropertyAnimation.hpp"

namespace pellavo::ca {

class LayerAnimations;

// Runs a property from one value to another. A missing from-value is the value the
// layer showed when the animation was added (the additive identity if additive); a
// missing to-value is the model value at each instant (the identity if additive).
class PELLAVO_EXPORT BasicAnimation : public PropertyAnimation {
public:
    std::string_view className() const override { return "CABasicAnimation"; }

    const std::optional<Value>& fromValue() const { return properties_.fromValue; }
    void setFromValue(std::optional<Value> v);
    const std::optional<Value>& toValue() const { return properties_.toValue; }
    void setToValue(std::optional<Value> v);

    // A damped spring in place of the timing curve, settling exactly at the end of
    // the duration: the damping ratio is clamped to [0.01, 1] (NaN counts as 1) and
    // the initial velocity is in whole distances per second (non-finite counts as 0).
    // For the toolkit's own view animations.
    void setSpringTiming(double dampingRatio, double initialVelocity);
    bool hasSpringTiming() const { return properties_.spring.has_value(); }

    std::shared_ptr<Animation> copy() const override;
    double progress(double fraction, double duration) const override;

    // The from-value taken from the layer when the animation was added.
    const std::optional<Value>& capturedFromValue() const { return properties_.capturedFrom; }

protected:
    void assign(const BasicAnimation& other);
    std::optional<Value> valueAt(const AnimationPhase& phase, double duration, const KeyPath& path,
                                 const PresentationState& state) const override;

private:
    friend class LayerAnimations;
    // Only before the animation is frozen.
    void setCapturedFromValue(std::optional<Value> v);

    struct Spring {
        double damping;
        double velocity;
    };

    // Everything a copy takes, with the defaults.
    struct Properties {
        std::optional<Value> fromValue;
        std::optional<Value> toValue;
        std::optional<Value> capturedFrom;
        std::optional<Spring> spring;
    };

    Properties properties_;
};

} // namespace pellavo::ca
