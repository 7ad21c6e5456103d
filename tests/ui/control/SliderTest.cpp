#include "platform/ui/control/Slider.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/AppTest.hpp"
#include "tests/ui/ControlsTestSupport.hpp"

namespace pellavo::ui {
namespace {

using testing::expectPixelNear;
using testing::pixelAt;
using testing::renderView;
using testing::solidImage;

struct Counter {
    int calls = 0;
    void count() { ++calls; }
};

class SliderTest : public testing::AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        slider = ns::make<Slider>(cg::Rect{20, 100, 228, 31});
        window()->addSubview(slider);
        slider->addTarget(changes, &Counter::count, Control::Event::valueChanged);
    }

    // Where the thumb centre is for a value, in window coordinates: 14 + v × 200.
    cg::Point thumbAt(double fraction) const { return {20 + 14 + fraction * 200, 115.5}; }

    std::shared_ptr<Slider> slider;
    std::shared_ptr<Counter> changes = std::make_shared<Counter>();
};

TEST_F(SliderTest, ValuesAreClampedAndNaNIsIgnored) {
    EXPECT_EQ(slider->value(), 0.f);
    EXPECT_EQ(slider->minimumValue(), 0.f);
    EXPECT_EQ(slider->maximumValue(), 1.f);
    EXPECT_TRUE(slider->isContinuous());
    slider->setValue(2);
    EXPECT_EQ(slider->value(), 1.f);
    slider->setValue(-1);
    EXPECT_EQ(slider->value(), 0.f);
    slider->setValue(0.25f);
    slider->setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(slider->value(), 0.25f);

    slider->setMinimumValue(5);
    EXPECT_EQ(slider->maximumValue(), 5.f);
    EXPECT_EQ(slider->value(), 5.f);
    slider->setMaximumValue(-2);
    EXPECT_EQ(slider->minimumValue(), -2.f);
    EXPECT_EQ(slider->value(), -2.f);
    slider->setMaximumValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(slider->maximumValue(), -2.f);
    EXPECT_EQ(slider->intrinsicContentSize(), (cg::Size{-1, 31}));
    EXPECT_EQ(changes->calls, 0) << "setting a value sends nothing";
}

TEST_F(SliderTest, TheThumbFollowsTheValue) {
    slider->setMinimumValue(10);
    slider->setMaximumValue(20);
    for (float v : {10.f, 12.5f, 20.f}) {
        slider->setValue(v);
        const cg::Rect b = slider->bounds();
        const cg::Rect thumb = slider->thumbRect(b, slider->trackRect(b), slider->value());
        EXPECT_DOUBLE_EQ(thumb.midX(), 14 + (v - 10) / 10 * (228 - 28));
        EXPECT_DOUBLE_EQ(thumb.midY(), 15.5);
        EXPECT_EQ(thumb.size, (cg::Size{28, 28}));
    }
    EXPECT_EQ(slider->trackRect(slider->bounds()), (cg::Rect{0, 14.5, 228, 2}));
}

TEST_F(SliderTest, OnlyATouchOnTheThumbDrags) {
    slider->setValue(0.5f);
    // 30 pt right of the thumb: outside the 10-pt grab margin.
    auto id = driver().touchDown({thumbAt(0.5).x + 30, 115});
    EXPECT_FALSE(slider->isTracking());
    driver().move(id, thumbAt(0.9));
    driver().up(id);
    EXPECT_EQ(slider->value(), 0.5f);
    EXPECT_EQ(changes->calls, 0);

    // Within the margin: the finger keeps its offset from the centre.
    id = driver().touchDown({thumbAt(0.5).x + 20, 115});
    EXPECT_TRUE(slider->isTracking());
    driver().move(id, {thumbAt(0.75).x + 20, 115});
    EXPECT_FLOAT_EQ(slider->value(), 0.75f);
    EXPECT_EQ(changes->calls, 1);
    driver().move(id, {thumbAt(0.75).x + 20, 140});
    EXPECT_EQ(changes->calls, 1) << "no change, no event";
    driver().move(id, {1000, 115});
    EXPECT_EQ(slider->value(), 1.f);
    EXPECT_EQ(changes->calls, 2);
    driver().up(id);
    EXPECT_EQ(changes->calls, 2);
}

TEST_F(SliderTest, ContinuousSendsOnEachChangeOtherwiseOnceAtTheEnd) {
    driver().drag(thumbAt(0), thumbAt(1), 10, 0.2);
    EXPECT_EQ(slider->value(), 1.f);
    EXPECT_EQ(changes->calls, 10);

    changes->calls = 0;
    slider->setIsContinuous(false);
    auto id = driver().touchDown(thumbAt(1));
    driver().move(id, thumbAt(0.5));
    driver().move(id, thumbAt(0.25));
    EXPECT_FLOAT_EQ(slider->value(), 0.25f);
    EXPECT_EQ(changes->calls, 0);
    driver().up(id);
    EXPECT_EQ(changes->calls, 1);

    // A drag that changes nothing sends nothing.
    id = driver().touchDown(thumbAt(0.25));
    driver().up(id);
    EXPECT_EQ(changes->calls, 1);
}

TEST_F(SliderTest, ATrackTintDropsThatTracksImages) {
    const Image track = solidImage(4, 4, {255, 0, 0, 255});
    slider->setMinimumTrackImage(track, Control::State::normal);
    slider->setMaximumTrackImage(track, Control::State::normal);
    slider->setThumbImage(solidImage(10, 10, {0, 0, 0, 255}), Control::State::highlighted);
    EXPECT_TRUE(slider->minimumTrackImage(Control::State::normal));
    EXPECT_FALSE(slider->currentThumbImage()) << "only the highlighted state has one";
    EXPECT_EQ(slider->trackRect(slider->bounds()).size.height, 4);

    slider->setMinimumTrackTintColor(Color::red());
    EXPECT_FALSE(slider->minimumTrackImage(Control::State::normal));
    EXPECT_TRUE(slider->maximumTrackImage(Control::State::normal));
    slider->setMaximumTrackTintColor(std::nullopt);
    EXPECT_FALSE(slider->maximumTrackImage(Control::State::normal));
    EXPECT_EQ(slider->minimumTrackTintColor(), Color::red());
}

TEST_F(SliderTest, TheDefaultLookAndATemplateThumbInPixels) {
    auto container = ns::make<View>(cg::Rect{0, 0, 228, 31});
    container->setBackgroundColor(Color::black());
    auto s = ns::make<Slider>(cg::Rect{0, 0, 228, 31});
    container->addSubview(s);
    s->setValue(0.5f);
    auto picture = renderView(*container);
    const cg::RGBA8 tint{0, 122, 255, 255};
    expectPixelNear(pixelAt(picture, 50, 15.5), tint, 1);              // minimum track
    expectPixelNear(pixelAt(picture, 180, 15.5), {182, 182, 182, 255}, 1); // maximum track
    expectPixelNear(pixelAt(picture, 114, 15.5), {255, 255, 255, 255}, 0); // thumb centre
    expectPixelNear(pixelAt(picture, 50, 12), {0, 0, 0, 255}, 0);       // above the 2-pt track

    s->setThumbImage(solidImage(20, 20, {255, 255, 255, 255}).withRenderingMode(Image::RenderingMode::alwaysTemplate),
                     Control::State::normal);
    EXPECT_TRUE(s->currentThumbImage());
    s->setTintColor(Color(1, 0, 0, 1));
    picture = renderView(*container);
    expectPixelNear(pixelAt(picture, 114, 15.5), {255, 0, 0, 255}, 0);
    expectPixelNear(pixelAt(picture, 50, 15.5), {255, 0, 0, 255}, 0); // the minimum track follows the tint
}

} // namespace
} // namespace pellavo::ui
