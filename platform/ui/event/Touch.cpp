#include "platform/ui/event/Touch.hpp"

#include "platform/ns/Clock.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::ui {

Touch::Touch(cg::Point screenLocation)
    : location_(screenLocation), previousLocation_(screenLocation), timestamp_(ns::Clock::shared()->seconds()) {}

namespace {

cg::Point locate(cg::Point screenPoint, const View* view, const std::shared_ptr<Window>& window) {
    if (view) return view->convertFromScreen(screenPoint);
    if (window) return window->convertFromScreen(screenPoint);
    return screenPoint;
}

} // namespace

cg::Point Touch::location(const View* view) const { return locate(location_, view, window()); }

cg::Point Touch::previousLocation(const View* view) const { return locate(previousLocation_, view, window()); }

std::shared_ptr<View> Touch::view() const { return view_ ? view_ : viewAfterEnd_.lock(); }

void Touch::update(Phase phase, cg::Point screenLocation) {
    previousLocation_ = location_;
    if (screenLocation.isFinite()) location_ = screenLocation;
    phase_ = phase;
    timestamp_ = ns::Clock::shared()->seconds();
}

} // namespace pellavo::ui
