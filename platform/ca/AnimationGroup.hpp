#pragma once

#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ca/Animation.hpp"

namespace pellavo::ca {

// Runs its children on its own clock: each child sees the group's time, remapped by
// the group's timing curve, minus the child's begin time, and is clipped to the
// group's span. Children apply in order, at the group's place among the layer's
// animations. Only the group's own delegate is told when it stops.
class PELLAVO_EXPORT AnimationGroup : public Animation {
public:
    std::string_view className() const override { return "CAAnimationGroup"; }

    const std::vector<std::shared_ptr<Animation>>& animations() const { return animations_; }
    void setAnimations(std::vector<std::shared_ptr<Animation>> animations);

    std::shared_ptr<Animation> copy() const override;
    void freeze() override;
    void apply(double t, PresentationState& state, double fallbackDuration = defaultDuration) const override;

private:
    std::vector<std::shared_ptr<Animation>> animations_;
};

} // namespace pellavo::ca
