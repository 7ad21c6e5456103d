#pragma once

#include <memory>

#include "platform/ui/ViewControllerContextTransitioning.hpp"

namespace pellavo::ui {

// Animates a custom presentation or dismissal. animateTransition puts the views in
// the context's container and calls completeTransition when it is done.
class ViewControllerAnimatedTransitioning {
public:
    virtual ~ViewControllerAnimatedTransitioning() = default;

    virtual double transitionDuration(const std::shared_ptr<ViewControllerContextTransitioning>& context) = 0;
    virtual void animateTransition(const std::shared_ptr<ViewControllerContextTransitioning>& context) = 0;
    // After completeTransition, with its argument.
    virtual void animationEnded(bool transitionCompleted) { (void)transitionCompleted; }
};

} // namespace pellavo::ui
