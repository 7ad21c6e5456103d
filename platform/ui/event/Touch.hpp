#pragma once

#include <concepts>
#include <cstdint>
#include <memory>

#include "platform/ns/Export.hpp"
#include "platform/cg/Geometry.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ui {

class View;
class Window;

// One finger on the screen, the same object from touch-down to lift. Locations are
// kept in screen space (where window frames live) and converted on request.
class PELLAVO_EXPORT Touch : public ns::Object {
public:
    enum class Phase : std::uint8_t { began, moved, stationary, ended, cancelled };

    // A touch beginning at a point of the screen, stamped with the clock's time.
    explicit Touch(cg::Point screenLocation);
    std::string_view className() const override { return "UITouch"; }

    Phase phase() const { return phase_; }
    // In the view's bounds space; null means the touch's window (the screen when the
    // touch hit no window).
    cg::Point location(const View* view) const;
    cg::Point previousLocation(const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    cg::Point location(const std::shared_ptr<V>& view) const {
        return location(static_cast<const View*>(view.get()));
    }
    template <class V>
        requires std::derived_from<V, View>
    cg::Point previousLocation(const std::shared_ptr<V>& view) const {
        return previousLocation(static_cast<const View*>(view.get()));
    }
    cg::Point screenLocation() const { return location_; }
    cg::Point previousScreenLocation() const { return previousLocation_; }
    // Seconds on the shared clock at the last change.
    double timestamp() const { return timestamp_; }

    // The view hit when the touch began, held until the touch has ended and its view
    // heard so; null when the touch hit nothing.
    std::shared_ptr<View> view() const;
    std::shared_ptr<Window> window() const { return window_.lock(); }

    // For hosts (the test driver, backends): the touch moves to a phase and a point;
    // the old point becomes the previous location and the time is stamped again.
    void update(Phase phase, cg::Point screenLocation);
    void update(Phase phase) { update(phase, location_); }

    bool isFinished() const { return phase_ == Phase::ended || phase_ == Phase::cancelled; }

private:
    friend class Application;

    // How far the touch's own view has been told about it.
    enum class ViewDelivery : std::uint8_t {
        none,       // not delivered: no view, or refused by the multiple/exclusive rules
        active,     // began delivered; moves and the end follow
        endWaiting, // the end is held back while a recogniser may still take the touch
        done,       // ended or cancelled delivered; nothing more
    };

    cg::Point location_;
    cg::Point previousLocation_;
    double timestamp_ = 0;
    Phase phase_ = Phase::began;
    ViewDelivery delivery_ = ViewDelivery::none;
    bool hitTested_ = false;
    bool beganDelivered_ = false;
    std::shared_ptr<View> view_;
    std::weak_ptr<View> viewAfterEnd_;
    std::weak_ptr<Window> window_;
};

} // namespace pellavo::ui
