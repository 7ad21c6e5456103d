#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/view/ViewAnimationOptions.hpp"

namespace pellavo::ui {

// Where an animator's animations stood when it completed.
enum class ViewAnimatingPosition : int { end = 0, start = 1, current = 2 };

// A view animation prepared ahead and started later. Starting runs its blocks at
// once, as View::animate does with the delay. A running animator is held by the
// animation engine until its completions have run; one never started does nothing.
class PELLAVO_EXPORT ViewPropertyAnimator : public ns::Object {
public:
    ViewPropertyAnimator(double duration, ViewAnimationCurve curve) : duration_(duration), curve_(curve) {}
    std::string_view className() const override { return "UIViewPropertyAnimator"; }

    static std::shared_ptr<ViewPropertyAnimator> make(double duration, ViewAnimationCurve curve,
                                                      std::function<void()> animations = {});

    double duration() const { return duration_; }
    ViewAnimationCurve curve() const { return curve_; }
    bool isRunning() const { return state_ == State::running; }

    // Blocks added once the animator has started are ignored.
    void addAnimations(std::function<void()> animations);
    // Completions run in the order added: `end` after delay + duration, `current` when
    // the animations were removed first.
    void addCompletion(std::function<void(ViewAnimatingPosition)> completion);
    // Only the first call starts; a negative or non-finite delay counts as 0.
    void startAnimation();
    void startAnimation(double afterDelay);

private:
    enum class State { inactive, running, finished };

    double duration_;
    ViewAnimationCurve curve_;
    State state_ = State::inactive;
    std::vector<std::function<void()>> animations_;
    std::vector<std::function<void(ViewAnimatingPosition)>> completions_;
};

} // namespace pellavo::ui
