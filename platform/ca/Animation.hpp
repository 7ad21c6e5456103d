#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ca/Action.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ca {

class AnimationDelegate;
class PresentationState;

enum class FillMode { removed, forwards, backwards, both };

// Where an animation stands at some time: in cycle `cycle` (0, 1, …), at `fraction`
// of it, before any timing curve.
struct PELLAVO_EXPORT AnimationPhase {
    double cycle = 0;
    double fraction = 0;
};

// Timing shared by every animation. Layers keep a frozen copy of what is added to
// them; setters on a frozen animation do nothing.
class PELLAVO_EXPORT Animation : public ns::Object, public Action {
public:
    // What a duration that is not positive and finite becomes at the top level.
    static constexpr double defaultDuration = 0.25;

    std::string_view className() const override { return "CAAnimation"; }

    // Relative to the parent group; on a layer, 0 (or non-finite) means the time it
    // is added and a positive value is an absolute media time.
    double beginTime() const { return properties_.beginTime; }
    void setBeginTime(double t);
    double duration() const { return properties_.duration; }
    void setDuration(double d);
    // 0, negative and NaN count as one cycle; fractions are allowed; +∞ never ends.
    double repeatCount() const { return properties_.repeatCount; }
    void setRepeatCount(double count);
    FillMode fillMode() const { return properties_.fillMode; }
    void setFillMode(FillMode mode);
    bool isRemovedOnCompletion() const { return properties_.removedOnCompletion; }
    void setIsRemovedOnCompletion(bool removed);
    // None means linear.
    const std::optional<MediaTimingFunction>& timingFunction() const { return properties_.timingFunction; }
    void setTimingFunction(std::optional<MediaTimingFunction> f);
    std::weak_ptr<AnimationDelegate> delegate() const { return properties_.delegate; }
    void setDelegate(std::weak_ptr<AnimationDelegate> delegate);

    // As an action: adds this animation to the layer under the key.
    void run(std::string_view key, Layer& layer) override;

    // A mutable copy, children included.
    virtual std::shared_ptr<Animation> copy() const = 0;
    bool isFrozen() const { return frozen_; }
    // Makes this animation (and its children) ignore setters from now on.
    virtual void freeze() { frozen_ = true; }

    // The duration in use: `fallback` when not positive and finite.
    double effectiveDuration(double fallback = defaultDuration) const;
    double effectiveRepeatCount() const;
    // duration × repeat count; +∞ for endless animations.
    double activeSpan(double fallback = defaultDuration) const;
    // The phase at `t` seconds after the begin, or nullopt when the animation shows
    // nothing then (outside its span without a fill that holds it).
    std::optional<AnimationPhase> phaseAt(double t, double fallbackDuration = defaultDuration) const;
    // The timing curve applied to a cycle fraction.
    virtual double progress(double fraction, double duration) const;

    // Adds this animation's contribution `t` seconds after its begin. Children of a
    // group whose duration is not positive take `fallbackDuration`, the group's.
    virtual void apply(double t, PresentationState& state, double fallbackDuration = defaultDuration) const = 0;

protected:
    void assign(const Animation& other);

private:
    // Everything a copy takes, with the defaults.
    struct Properties {
        double beginTime = 0;
        double duration = 0;
        double repeatCount = 0;
        FillMode fillMode = FillMode::removed;
        bool removedOnCompletion = true;
        std::optional<MediaTimingFunction> timingFunction;
        std::weak_ptr<AnimationDelegate> delegate;
    };

    Properties properties_;
    bool frozen_ = false;
};

} // namespace pellavo::ca
