#pragma once

#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

// One round dot of the bouncing-dots indicator. From its creation it grows to twice
// its size and shrinks back, step after step, each step a property animator whose
// completion starts the next, until endChain(). Internal to the library.
class PELLAVO_EXPORT DotView : public ui::View {
public:
    static constexpr double expandRate = 2;
    // The grow step; the shrink step takes animationDuration / 1.05.
    static constexpr double animationDuration = 0.4;

    // `delay` is the wait before the first step; init() starts the chain.
    DotView(ui::Color color, double delay, cg::Rect frame);
    std::string_view className() const override { return "DotView"; }

    // True when the next step shrinks the dot.
    bool expanding() const { return expanding_; }
    void setExpanding(bool expanding) { expanding_ = expanding; }
    // The wait before the next step; none counts as 0.
    std::optional<double> animationDelay() const { return animationDelay_; }
    void setAnimationDelay(std::optional<double> delay) { animationDelay_ = delay; }
    // Lets the running step finish and starts no further one.
    void endChain() { chainEnded_ = true; }

protected:
    void init() override;

private:
    // Schedules one step after animationDelay and flips to the other one.
    void startAnimation();

    double delay_;
    bool expanding_ = false;
    std::optional<double> animationDelay_;
    bool chainEnded_ = false;
};

} // namespace pellavo
