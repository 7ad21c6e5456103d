#pragma once

#include "platform/ca/Animation.hpp"

namespace pellavo::ca {

enum class TransitionType { fade };

// Fades from a picture of the layer taken before a change to the live layer. It
// animates no property: evaluation reports its progress, which the renderer of a
// view transition reads.
class Transition : public Animation {
public:
    std::string_view className() const override { return "CATransition"; }

    TransitionType type() const { return type_; }
    void setType(TransitionType type);

    std::shared_ptr<Animation> copy() const override;
    void apply(double t, PresentationState& state, double fallbackDuration = defaultDuration) const override;

private:
    TransitionType type_ = TransitionType::fade;
};

} // namespace pellavo::ca
