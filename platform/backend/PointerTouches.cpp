#include "platform/backend/PointerTouches.hpp"

#include <cmath>

#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/Event.hpp"
#include "platform/ui/event/Touch.hpp"

namespace pellavo::backend {

using Phase = ui::Touch::Phase;

cg::Point PointerTouches::mirrored(cg::Point point) const {
    return {2 * pressPoint_.x - point.x, 2 * pressPoint_.y - point.y};
}

// The first finger always changed; the second one only when told so.
void PointerTouches::send(bool secondChanged) {
    ui::TouchSet touches{first_};
    if (second_) {
        if (!secondChanged) second_->update(Phase::stationary);
        touches.insert(second_);
    }
    const ui::Event event(std::move(touches));
    // At once: the touches are live objects, and the next call changes them.
    auto& loop = ns::RunLoop::main();
    loop.enqueue([event] { ui::Application::shared().sendEvent(event); });
    loop.runOnce();
}

void PointerTouches::clear() {
    first_.reset();
    second_.reset();
    pinch_ = false;
}

bool PointerTouches::press(cg::Point point, bool pinch) {
    if (first_ || !point.isFinite()) return false;
    first_ = ns::make<ui::Touch>(point);
    pressPoint_ = point;
    pinch_ = pinch;
    send(false);
    return true;
}

bool PointerTouches::drag(cg::Point point) {
    if (!first_ || !point.isFinite() || point == first_->screenLocation()) return false;
    first_->update(Phase::moved, point);
    bool secondChanged = false;
    if (second_) {
        second_->update(Phase::moved, mirrored(point));
        secondChanged = true;
    } else if (pinch_ && std::hypot(point.x - pressPoint_.x, point.y - pressPoint_.y) >= pinchSpread) {
        second_ = ns::make<ui::Touch>(mirrored(point));
        secondChanged = true;
    }
    send(secondChanged);
    return true;
}

bool PointerTouches::release(cg::Point point) {
    if (!first_) return false;
    if (!point.isFinite()) point = first_->screenLocation();
    first_->update(Phase::ended, point);
    if (second_) second_->update(Phase::ended, mirrored(point));
    send(true);
    clear();
    return true;
}

bool PointerTouches::cancel() {
    if (!first_) return false;
    first_->update(Phase::cancelled);
    if (second_) second_->update(Phase::cancelled);
    send(true);
    clear();
    return true;
}

} // namespace pellavo::backend
