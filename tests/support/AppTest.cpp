#include "tests/support/AppTest.hpp"

#include "platform/ui/Screen.hpp"

namespace pellavo::testing {

void AppTest::SetUp() {
    PlatformTest::SetUp();
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
}

} // namespace pellavo::testing
