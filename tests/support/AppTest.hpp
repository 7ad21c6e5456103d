#pragma once

#include <memory>
#include <optional>

#include "platform/ui/event/Application.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo::testing {

// A fresh application on the manual clock, with a visible 375 × 667 key window on the
// main screen (375 × 667 points at scale 2) and a driver for it.
class AppTest : public PlatformTest {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::Application& app() { return ui::Application::shared(); }
    const std::shared_ptr<ui::Window>& window() { return window_; }
    ui::TestDriver& driver() { return *driver_; }

private:
    std::shared_ptr<ui::Window> window_;
    std::optional<ui::TestDriver> driver_;
    cg::Rect previousScreenBounds_;
    double previousScreenScale_ = 2;
};

} // namespace pellavo::testing
