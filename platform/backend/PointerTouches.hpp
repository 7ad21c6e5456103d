#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"

namespace pellavo::ui {
class Touch;
}

namespace pellavo::backend {

// A mouse as fingers, for a desktop window. The button is one finger. Pressed as a
// pinch, the first drag past pinchSpread adds a second finger mirrored about the press
// point, and from then on both move, mirrored, and lift together. Every call that
// changes a finger runs one turn of the main run loop that sends one event through
// ui::Application::sendEvent, carrying the other live finger as stationary; calls that
// change nothing run no turn. Points are in screen space.
class PELLAVO_EXPORT PointerTouches {
public:
    // Distance from the press point, in points, at which the mirrored finger lands.
    static constexpr double pinchSpread = 5;

    // Each returns whether it ran a turn.
    // Ignored while the button is already down.
    bool press(cg::Point point, bool pinch);
    // Ignored while the button is up or when nothing moved.
    bool drag(cg::Point point);
    bool release(cg::Point point);
    // Cancels the live fingers (the window lost focus).
    bool cancel();

    bool isPressed() const { return first_ != nullptr; }
    bool hasSecondTouch() const { return second_ != nullptr; }

private:
    cg::Point mirrored(cg::Point point) const;
    void send(bool secondChanged);
    void clear();

    std::shared_ptr<ui::Touch> first_;
    std::shared_ptr<ui::Touch> second_;
    cg::Point pressPoint_;
    bool pinch_ = false;
};

} // namespace pellavo::backend
