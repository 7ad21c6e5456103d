#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/controller/ViewControllerContextTransitioning.hpp"

namespace pellavo::ui {

// Animates a custom presentation or dismissal. animateTransition puts the views in
// the context's container and calls completeTransition when it is done. Until then
// the transition is pending: the platform keeps the context and the animator, and
// refuses other presentations and dismissals on that chain. An animator that never
// completes leaves it pending for good.
class PELLAVO_EXPORT ViewControllerAnimatedTransitioning {
public:
    virtual ~ViewControllerAnimatedTransitioning() = default;

    virtual double transitionDuration(const std::shared_ptr<ViewControllerContextTransitioning>& context) = 0;
    virtual void animateTransition(const std::shared_ptr<ViewControllerContextTransitioning>& context) = 0;
    // After completeTransition, with its argument.
    virtual void animationEnded(bool transitionCompleted) { (void)transitionCompleted; }
};

} // namespace pellavo::ui
