#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

class VXImageBrowserTransition;
class VXImageBrowserViewController;

// Where a browsed image came from: the thumbnail (held weakly) that the browser flies
// the image out of and back into, the length of that flight, and whether a drag may
// close the browser. Hand it to the browser in a std::shared_ptr.
class PELLAVO_EXPORT VXTransitionInfo {
public:
    static constexpr double defaultDuration = 0.35;

    explicit VXTransitionInfo(std::shared_ptr<ui::View> fromView);

    // Seconds of the present and the dismiss animation. A negative or non-finite value
    // is ignored.
    double duration() const { return duration_; }
    void setDuration(double duration);
    // Read by the browser once, when its view loads.
    bool canSwipe() const { return canSwipe_; }
    void setCanSwipe(bool canSwipe) { canSwipe_ = canSwipe; }
    std::shared_ptr<ui::View> fromView() const { return fromView_.lock(); }

private:
    friend class VXImageBrowserTransition;
    friend class VXImageBrowserViewController;
    friend struct VXImageBrowserTestAccess;

    double duration_ = defaultDuration;
    bool canSwipe_ = true;
    std::weak_ptr<ui::View> fromView_;
    // The thumbnail's frame in window coordinates, recorded when the browser adopts
    // its own transition.
    std::optional<cg::Rect> convertedRect_;
};

} // namespace pellavo
