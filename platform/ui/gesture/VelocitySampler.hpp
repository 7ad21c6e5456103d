#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "platform/ns/Clock.hpp"

namespace pellavo::ui {

// A gesture's speed from timed samples of a value (a point, a scale): the change
// since the oldest sample no older than the window, per second.
template <class T>
class VelocitySampler {
public:
    explicit VelocitySampler(double windowSeconds) : window_(ns::secondsToNanoseconds(windowSeconds)) {}

    bool empty() const { return samples_.empty(); }
    void clear() { samples_.clear(); }

    // Records a sample; the velocity over the window, or nothing while no time
    // has passed since the oldest sample kept.
    std::optional<T> add(std::int64_t time, T value) {
        samples_.push_back(Sample{time, value});
        const std::int64_t oldestAllowed = time - window_;
        while (!samples_.empty() && samples_.front().time < oldestAllowed) samples_.pop_front();
        const Sample& oldest = samples_.front();
        if (time <= oldest.time) return std::nullopt;
        const double dt = static_cast<double>(time - oldest.time) / 1e9;
        return (value - oldest.value) * (1.0 / dt);
    }

private:
    struct Sample {
        std::int64_t time;
        T value;
    };
    std::int64_t window_;
    std::deque<Sample> samples_;
};

} // namespace pellavo::ui
