#pragma once

#include <concepts>
#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/ui/event/TouchSet.hpp"

namespace pellavo::ui {

class View;

// One touch event: the touches that belong to it (changed ones and stationary ones)
// and when it happened.
class PELLAVO_EXPORT Event {
public:
    // No touches, stamped with the clock's time.
    Event();
    // Stamped with the clock's time.
    explicit Event(TouchSet touches);
    Event(TouchSet touches, double timestamp);

    const TouchSet& allTouches() const { return touches_; }
    // The touches whose view is `view`, in order.
    TouchSet touches(const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    TouchSet touches(const std::shared_ptr<V>& view) const {
        return touches(static_cast<const View*>(view.get()));
    }
    double timestamp() const { return timestamp_; }

private:
    TouchSet touches_;
    double timestamp_ = 0;
};

} // namespace pellavo::ui
