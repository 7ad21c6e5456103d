#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ns {
class Timer;
}
namespace pellavo::ui {
class ActivityIndicatorView;
class View;
} // namespace pellavo::ui

namespace pellavo {

// A blocking activity overlay: a 60 × 60 dark rounded square with a white spinner in the
// middle of the key window, over a clear full-screen view that swallows every touch.
// While it is up the application's network-activity flag is on. Unless hidden, it hides
// itself `indicatorTimeount` seconds after the spinner has popped in. One shared
// instance does all the work; its views are made once and reused.
class PELLAVO_EXPORT VXHub : public ns::Object {
public:
    std::string_view className() const override { return "VXHub"; }

    // Made on first use (from any thread) and never destroyed, so no view outlives the
    // platform at exit.
    static const std::shared_ptr<VXHub>& shared();

    // Seconds; read each time the time-out starts. ≤ 0 or NaN hides right after the
    // pop-in, +∞ never. Main thread only.
    double indicatorTimeount() const { return indicatorTimeount_; }
    void setIndicatorTimeount(double seconds) { indicatorTimeount_ = seconds; }

    // These three may be called from any thread; the work runs on the main queue in
    // call order, never inline. show() does nothing while the overlay is up.
    static void show();
    static void hide();
    // `completion` runs on the main queue once the overlay has left, and only when it
    // was up: never for a hide while hidden.
    static void hide(std::function<void()> completion);

private:
    friend struct VXHubTestAccess;

    const std::shared_ptr<ui::View>& overlayView();
    const std::shared_ptr<ui::View>& containerView();
    const std::shared_ptr<ui::ActivityIndicatorView>& activityIndicator();

    void showActivityIndicatorWhileBlockingUI(bool blockingUI);
    void popInIndicator(std::uint64_t generation);
    void startDismissTimer(std::uint64_t generation);
    void hideActivityIndicator(std::function<void()> completion);
    void invalidateDismissTimer();

    double indicatorTimeount_ = 60;
    // Read by show() on any thread; written on the main queue only.
    std::atomic<bool> isShowing_{false};
    std::shared_ptr<ns::Timer> dismissTimer_;
    std::shared_ptr<ui::View> overlayView_;
    std::shared_ptr<ui::View> containerView_;
    std::shared_ptr<ui::ActivityIndicatorView> activityIndicator_;
    // Bumped by every show body and every hide of a shown overlay: a completion that a
    // newer call overtook leaves the views alone. Main thread only.
    std::uint64_t generation_ = 0;
};

} // namespace pellavo
