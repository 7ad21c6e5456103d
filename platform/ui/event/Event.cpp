#include "platform/ui/event/Event.hpp"

#include "platform/ns/Clock.hpp"
#include "platform/ui/event/Touch.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

Event::Event() : timestamp_(ns::Clock::shared()->seconds()) {}

Event::Event(TouchSet touches) : touches_(std::move(touches)), timestamp_(ns::Clock::shared()->seconds()) {}

Event::Event(TouchSet touches, double timestamp) : touches_(std::move(touches)), timestamp_(timestamp) {}

TouchSet Event::touches(const View* view) const {
    TouchSet result;
    if (!view) return result;
    for (const auto& touch : touches_)
        if (touch->view().get() == view) result.insert(touch);
    return result;
}

} // namespace pellavo::ui
