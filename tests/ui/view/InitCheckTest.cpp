#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ca/Layer.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/controller/ViewController.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/view/Window.hpp"
#include "tests/support/AppTest.hpp"

namespace pellavo {
namespace {

// One class per first use: the line is written once per class for the whole process.
class SkippedView : public ui::View {
public:
    using View::View;
};
class SkippedWindow : public ui::Window {
public:
    using Window::Window;
};
class SkippedController : public ui::ViewController {};
class SkippedLayer : public ca::Layer {};
class SkippedRecognizer : public ui::TapGestureRecognizer {};
class MadeView : public ui::View {
public:
    using View::View;
};

using InitCheckTest = testing::AppTest;

std::string lineFor(const std::string& className) {
    return className + " was created without ns::make; its init() never ran";
}

// The one place that makes these objects without ns::make, to prove the check.
TEST_F(InitCheckTest, FirstUseOfAnObjectNotMadeByMakeLogsItsClassOnce) {
    struct Row {
        const char* className;
        std::function<void()> use;
    };
    const std::vector<Row> rows{
        {"pellavo::(anonymous namespace)::SkippedView",
         [&] {
             window()->addSubview(std::make_shared<SkippedView>());
             window()->addSubview(std::make_shared<SkippedView>());
         }},
        {"pellavo::(anonymous namespace)::SkippedWindow",
         [&] {
             const auto shown = std::make_shared<SkippedWindow>(cg::Rect{0, 0, 10, 10});
             shown->setIsHidden(false);
             shown->setIsHidden(true);
         }},
        {"pellavo::(anonymous namespace)::SkippedController",
         [&] {
             const auto controller = std::make_shared<SkippedController>();
             controller->loadViewIfNeeded();
         }},
        {"pellavo::(anonymous namespace)::SkippedLayer",
         [&] {
             window()->layer()->addSublayer(std::make_shared<SkippedLayer>());
             window()->layer()->addSublayer(std::make_shared<SkippedLayer>());
         }},
        {"pellavo::(anonymous namespace)::SkippedRecognizer",
         [&] { window()->addGestureRecognizer(std::make_shared<SkippedRecognizer>()); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.className);
        const std::size_t before = loggedLines().size();
        row.use();
        const auto lines = loggedLines();
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_EQ(lines.back(), lineFor(row.className));
    }
}

TEST_F(InitCheckTest, ObjectsMadeByMakeAreNeverReported) {
    window()->addSubview(ns::make<MadeView>());
    window()->layer()->addSublayer(ns::make<ca::Layer>());
    window()->addGestureRecognizer(ns::make<ui::TapGestureRecognizer>());
    ns::make<ui::ViewController>()->loadViewIfNeeded();
    const auto shown = ns::make<ui::Window>(cg::Rect{0, 0, 10, 10});
    shown->setIsHidden(false);
    shown->setIsHidden(true);
    EXPECT_EQ(loggedLines(), std::vector<std::string>{});
}

} // namespace
} // namespace pellavo
