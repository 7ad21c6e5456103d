#pragma once

#include <cstddef>
#include <limits>

#include "platform/ns/Export.hpp"
#include "platform/ui/gesture/GestureRecognizer.hpp"
#include "platform/ui/gesture/VelocitySampler.hpp"

namespace pellavo::ui {

// Fingers dragging. It begins once their centroid has moved more than the hysteresis
// from where it went down (the distance counts in the translation), reports changed on
// every move that changes the location, and ends when the last finger lifts.
class PELLAVO_EXPORT PanGestureRecognizer : public GestureRecognizer {
public:
    static constexpr double hysteresis = 10;
    // Velocity is measured against the oldest sample no older than this (seconds).
    static constexpr double velocityWindow = 0.1;

    using GestureRecognizer::GestureRecognizer;
    std::string_view className() const override { return "UIPanGestureRecognizer"; }

    // Touches beyond the maximum are ignored. At least 1.
    std::size_t maximumNumberOfTouches() const { return maximumTouches_; }
    void setMaximumNumberOfTouches(std::size_t count) { maximumTouches_ = count < 1 ? 1 : count; }

    // The current location minus the down point, in the view's space (null: window).
    cg::Point translation(const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    cg::Point translation(const std::shared_ptr<V>& view) const {
        return translation(static_cast<const View*>(view.get()));
    }
    // Re-bases the translation so that it reads `translation` now. Non-finite values
    // are ignored.
    void setTranslation(cg::Point translation, const View* view);
    template <class V>
        requires std::derived_from<V, View>
    void setTranslation(cg::Point value, const std::shared_ptr<V>& view) {
        setTranslation(value, static_cast<const View*>(view.get()));
    }
    // Points per second in the view's space.
    cg::Point velocity(const View* view) const;
    template <class V>
        requires std::derived_from<V, View>
    cg::Point velocity(const std::shared_ptr<V>& view) const {
        return velocity(static_cast<const View*>(view.get()));
    }

    void touchesBegan(const TouchSet& touches, const Event& event) override;
    void touchesMoved(const TouchSet& touches, const Event& event) override;
    void touchesEnded(const TouchSet& touches, const Event& event) override;
    void touchesCancelled(const TouchSet& touches, const Event& event) override;

protected:
    void reset() override;
    void applyDriven(const DrivenValues& values) override;

private:
    cg::Point centroidOf(const std::vector<std::shared_ptr<Touch>>& touches) const;
    void sample();
    void touchesLifted(const TouchSet& touches, bool cancelled);

    std::size_t maximumTouches_ = std::numeric_limits<std::size_t>::max();
    // Screen space. `current_` follows the centroid, shifted by `offset_` so that a
    // finger joining or leaving does not make it jump.
    cg::Point offset_;
    cg::Point base_;
    cg::Point current_;
    cg::Point reported_;
    cg::Point velocity_;
    VelocitySampler<cg::Point> samples_{velocityWindow};
};

} // namespace pellavo::ui
