#include "platform/ui/control/PageControl.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::expectPixelNear;
using testing::pixelAt;
using testing::renderView;

// Notes each event with the page the control shows at that moment.
struct Recorder {
    std::shared_ptr<PageControl> control;
    std::vector<std::string> log;
    void changed() { log.push_back("valueChanged " + std::to_string(control->currentPage())); }
    void upInside() { log.push_back("touchUpInside " + std::to_string(control->currentPage())); }
};

class PageControlTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        control = ns::make<PageControl>(cg::Rect{0, 100, 375, 26});
        control->setNumberOfPages(5);
        window()->addSubview(control);
        recorder->control = control;
        control->addTarget(recorder, &Recorder::changed, Control::Event::valueChanged);
        control->addTarget(recorder, &Recorder::upInside, Control::Event::touchUpInside);
    }

    std::shared_ptr<PageControl> control;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(PageControlTest, CountsAndPagesAreClamped) {
    EXPECT_EQ(control->currentPage(), 0);
    control->setCurrentPage(9);
    EXPECT_EQ(control->currentPage(), 4);
    control->setCurrentPage(-2);
    EXPECT_EQ(control->currentPage(), 0);
    control->setCurrentPage(4);
    control->setNumberOfPages(3);
    EXPECT_EQ(control->currentPage(), 2);
    control->setNumberOfPages(-1);
    EXPECT_EQ(control->numberOfPages(), 0);
    EXPECT_EQ(control->currentPage(), 0);
    control->setCurrentPage(3);
    EXPECT_EQ(control->currentPage(), 0);
    EXPECT_EQ(control->intrinsicContentSize(), (cg::Size{0, 26}));
    control->setNumberOfPages(INT_MAX);
    control->setCurrentPage(INT_MAX);
    EXPECT_EQ(control->currentPage(), INT_MAX - 1);
    renderView(*control); // draws only the dots that show
}

TEST_F(PageControlTest, ATapBesideTheCurrentDotStepsThePageBeforeTouchUpInside) {
    control->setCurrentPage(2);
    const cg::Point centre = control->dotCentre(2);
    EXPECT_EQ(centre, (cg::Point{187.5, 13}));
    driver().tap({centre.x + 40, 113});
    EXPECT_EQ(recorder->log, (std::vector<std::string>{"valueChanged 3", "touchUpInside 3"}));
    recorder->log.clear();
    driver().tap({centre.x - 100, 113});
    EXPECT_EQ(recorder->log, (std::vector<std::string>{"valueChanged 2", "touchUpInside 2"}));

    // At the last page a tap to the right changes nothing.
    control->setCurrentPage(4);
    recorder->log.clear();
    driver().tap({370, 113});
    EXPECT_EQ(recorder->log, (std::vector<std::string>{"touchUpInside 4"}));
    // A touch released far away is not a tap.
    recorder->log.clear();
    auto id = driver().touchDown({10, 113});
    driver().up(id, {10, 400});
    EXPECT_TRUE(recorder->log.empty());
    EXPECT_EQ(control->currentPage(), 4);
}

TEST_F(PageControlTest, DotsInPixels) {
    auto container = ns::make<View>(cg::Rect{0, 0, 375, 26});
    container->setBackgroundColor(Color::black());
    auto dots = ns::make<PageControl>(cg::Rect{0, 0, 375, 26});
    dots->setNumberOfPages(3);
    dots->setCurrentPage(1);
    container->addSubview(dots);
    const auto picture = renderView(*container);
    // Dots 16 pt apart around the middle; the current one white, the others at 0.35.
    expectPixelNear(pixelAt(picture, 187.5, 13), {255, 255, 255, 255}, 0);
    expectPixelNear(pixelAt(picture, 171.5, 13), {89, 89, 89, 255}, 1);
    expectPixelNear(pixelAt(picture, 203.5, 13), {89, 89, 89, 255}, 1);
    expectPixelNear(pixelAt(picture, 195.5, 13), {0, 0, 0, 255}, 0);
    expectPixelNear(pixelAt(picture, 187.5, 17.5), {0, 0, 0, 255}, 0); // 7-pt dots
}

} // namespace
} // namespace pellavo::ui
