#include "platform/ui/controller/ViewControllerTransitionCoordinator.hpp"

#include <utility>

namespace pellavo::ui {

bool ViewControllerTransitionCoordinator::animateAlongsideTransition(Block animation, Block completion) {
    if (animationsRan_) return false;
    if (animation) animations_.push_back(std::move(animation));
    if (completion) completions_.push_back(std::move(completion));
    return true;
}

void ViewControllerTransitionCoordinator::runAlongsideAnimations() {
    if (animationsRan_) return;
    // A block may add more; they join this run.
    for (std::size_t i = 0; i < animations_.size(); ++i) {
        const Block block = animations_[i];
        block(*this);
    }
    animationsRan_ = true;
    animations_.clear();
}

void ViewControllerTransitionCoordinator::runCompletions() {
    if (completionsRan_) return;
    completionsRan_ = true;
    const std::vector<Block> completions = std::move(completions_);
    completions_.clear();
    for (const auto& block : completions) block(*this);
}

} // namespace pellavo::ui
