#include "tests/support/AppTest.hpp"

#include "platform/ui/view/Screen.hpp"

namespace pellavo::testing {

void AppTest::SetUp() {
    PlatformTest::SetUp();
    previousScreenBounds_ = ui::Screen::main().bounds();
    previousScreenScale_ = ui::Screen::main().scale();
    ui::Screen::main().setBounds({0, 0, 375, 667});
    ui::Screen::main().setScale(2);
    app().resetForTesting();
    window_ = ns::make<ui::Window>();
    window_->makeKeyAndVisible();
    driver_.emplace();
}

void AppTest::TearDown() {
    PlatformTest::TearDown();
    driver_.reset();
    app().resetForTesting();
    window_.reset();
    // The screen is process-wide and a rotation turns its bounds: leave it as found.
    ui::Screen::main().setBounds(previousScreenBounds_);
    ui::Screen::main().setScale(previousScreenScale_);
}

} // namespace pellavo::testing
