#include "platform/ca/AnimationGroup.hpp"

namespace pellavo::ca {

void AnimationGroup::setAnimations(std::vector<std::shared_ptr<Animation>> animations) {
    if (isFrozen()) return;
    std::erase(animations, nullptr);
    animations_ = std::move(animations);
}

std::shared_ptr<Animation> AnimationGroup::copy() const {
    auto c = ns::make<AnimationGroup>();
    c->assign(*this);
    c->animations_.reserve(animations_.size());
    for (const auto& child : animations_) c->animations_.push_back(child->copy());
    return c;
}

void AnimationGroup::freeze() {
    Animation::freeze();
    for (const auto& child : animations_) child->freeze();
}

void AnimationGroup::apply(double t, PresentationState& state, double fallbackDuration) const {
    const auto phase = phaseAt(t, fallbackDuration);
    if (!phase) return;
    const double d = effectiveDuration(fallbackDuration);
    const double local = d * progress(phase->fraction, d);
    for (const auto& child : animations_) child->apply(local - child->beginTime(), state, d);
}

} // namespace pellavo::ca
