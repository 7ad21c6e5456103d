#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"

namespace pellavo::ns {
class RunLoop;
}

namespace pellavo::ca {

// Run-loop modes a link can be added in. There is one mode underneath: links fire
// while a touch is tracked too.
enum class RunLoopMode { defaultMode, common };

// Calls its target on the display's frames: frame k lies at ⌊k·10⁹/60⌋ ns of the
// shared clock, and a link at R frames per second fires on every (60/R)-th of them.
// The run loop holds an added link; the link holds its target weakly and
// invalidates itself at the first frame after the target is gone.
class PELLAVO_EXPORT DisplayLink : public ns::Object {
    struct Key {
        explicit Key() = default;
    };

public:
    using Callback = std::function<void(DisplayLink&)>;

    // T comes from the selector, so a shared_ptr target converts without naming T.
    template <class T>
    static std::shared_ptr<DisplayLink> make(std::type_identity_t<std::weak_ptr<T>> target,
                                             void (T::*selector)(DisplayLink&)) {
        return makeWithTarget([target = std::move(target), selector](DisplayLink& link) {
            const auto strong = target.lock();
            if (!strong) return false;
            ((*strong).*selector)(link);
            return true;
        });
    }
    static std::shared_ptr<DisplayLink> make(Callback callback);

    explicit DisplayLink(Key) {}
    ~DisplayLink() override;

    std::string_view className() const override { return "CADisplayLink"; }

    // Starts firing at the first frame strictly after now. Adding twice, or adding an
    // invalidated link, does nothing.
    void add(ns::RunLoop& runLoop, RunLoopMode mode = RunLoopMode::common);
    // Removes the link from the run loop and releases the target for good. Safe inside
    // the link's own callback.
    void invalidate();
    bool isValid() const { return valid_; }

    bool isPaused() const { return paused_; }
    // Unpausing fires first at the first frame strictly after now.
    void setPaused(bool paused);

    // 0 (the default) or a negative value means 60; otherwise the largest divisor of
    // 60 not above the value.
    int preferredFramesPerSecond() const { return preferredFramesPerSecond_; }
    void setPreferredFramesPerSecond(int fps);
    // The rate the link fires at.
    int framesPerSecond() const;

    // The frame being delivered (during a callback) or last delivered, in seconds.
    double timestamp() const { return static_cast<double>(timestampNs_) / 1e9; }
    // The time between frames at the current rate, in seconds.
    double duration() const { return 1.0 / framesPerSecond(); }

    // The frame grid: frame k's time, and the first frame after `ns` whose index is a
    // multiple of `step`.
    static std::int64_t frameTime(std::int64_t k);
    static std::int64_t nextFrame(std::int64_t ns, int step);

private:
    using TargetCall = std::function<bool(DisplayLink&)>;
    static std::shared_ptr<DisplayLink> makeWithTarget(TargetCall call);

    void scheduleNext();
    void unschedule();
    void frame(std::int64_t frameIndex);

    std::shared_ptr<TargetCall> call_;
    bool valid_ = true;
    bool added_ = false;
    bool paused_ = false;
    int preferredFramesPerSecond_ = 0;
    std::uint64_t order_ = 0;
    std::uint64_t entry_ = 0;
    std::int64_t timestampNs_ = 0;
};

} // namespace pellavo::ca
