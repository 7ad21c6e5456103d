#pragma once

#include <memory>

#include "platform/ns/Clock.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/RunLoop.hpp"
#include "platform/ui/event/Application.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::bench {

// A fresh manual clock and an empty run loop for one benchmark run; the clock that
// was shared before comes back afterwards.
class ManualTime {
public:
    ManualTime() : previous_(ns::Clock::shared()) {
        ns::Clock::setShared(clock);
        ns::RunLoop::main().resetForTesting();
    }
    ~ManualTime() {
        ns::RunLoop::main().resetForTesting();
        ns::Clock::setShared(previous_);
    }
    ManualTime(const ManualTime&) = delete;
    ManualTime& operator=(const ManualTime&) = delete;

    const std::shared_ptr<ns::ManualClock> clock = std::make_shared<ns::ManualClock>();

private:
    std::shared_ptr<ns::Clock> previous_;
};

// On top of that, a fresh application with one visible key window.
class Stage : public ManualTime {
public:
    Stage() {
        ui::Application::shared().resetForTesting();
        window = ns::make<ui::Window>();
        window->makeKeyAndVisible();
    }
    ~Stage() {
        window.reset();
        ui::Application::shared().resetForTesting();
    }

    std::shared_ptr<ui::Window> window;
};

} // namespace pellavo::bench
