#pragma once

#include <functional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

// Handed to controllers while the interface rotates, so they can animate with the
// rotation and hear when it is over.
class PELLAVO_EXPORT ViewControllerTransitionCoordinator : public ns::Object {
public:
    using Block = std::function<void(ViewControllerTransitionCoordinator& context)>;

    explicit ViewControllerTransitionCoordinator(double duration, bool animated = true)
        : duration_(duration), animated_(animated) {}
    std::string_view className() const override { return "_UIViewControllerTransitionCoordinator"; }

    double transitionDuration() const { return duration_; }
    bool isAnimated() const { return animated_; }

    // `animation` runs inside the transition's animation block, `completion` when the
    // animation has ended; either may be empty. False (and nothing kept) once the
    // animation block has run.
    bool animateAlongsideTransition(Block animation, Block completion);

    // Called by the platform: the alongside animations, inside its animation block…
    void runAlongsideAnimations();
    // …and the completions, once, when the animation has ended.
    void runCompletions();

private:
    double duration_;
    bool animated_;
    bool animationsRan_ = false;
    bool completionsRan_ = false;
    std::vector<Block> animations_;
    std::vector<Block> completions_;
};

} // namespace pellavo::ui
