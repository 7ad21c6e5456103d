#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pellavo/Button/UIColor.hpp"
#include "pellavo/Button/UISlider.hpp"
#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ca/Renderer.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/view/Screen.hpp"
#include "tests/support/AppTest.hpp"
#include "tests/support/Golden.hpp"
#include "tests/support/Pixels.hpp"

namespace {

using namespace pellavo;
using State = ui::Control::State;

using pellavo::testing::expectPixel;

// Every isSliding a runtime observer hears, read back through the runtime.
struct SlidingLog {
    std::shared_ptr<std::vector<bool>> seen = std::make_shared<std::vector<bool>>();
    ns::KeyValueObservation token;

    explicit SlidingLog(const std::shared_ptr<ns::Object>& slider) {
        token = ns::Runtime::shared().observe(slider, "isSliding", [seen = seen](ns::Object& object, std::string_view) {
            const auto value = ns::Runtime::shared().value(object, "isSliding");
            seen->push_back(value && value->asBool().value_or(false));
        });
    }
};

class UISliderTest : public pellavo::testing::AppTest {
protected:
    // A createSlider slider in the window at (20, 100); its 20-point thumb starts at
    // window x 20…40 for the value 0.
    std::shared_ptr<Slider> placedSlider() {
        auto slider = Slider::createSlider(200, 30, 10, 2);
        slider->setFrame({20, 100, 200, 30});
        window()->addSubview(slider);
        runUntilIdle();
        return slider;
    }
    const cg::Point thumbCentre{30, 115};
};

TEST_F(UISliderTest, CreateSliderDrawsAWhiteDiscAndFlatTracks) {
    auto slider = Slider::createSlider(200, 30, 10, 2);
    EXPECT_EQ(slider->frame(), cg::Rect(0, 0, 200, 30));
    EXPECT_FALSE(slider->isSliding());

    ASSERT_TRUE(slider->thumbImage(State::normal).has_value());
    const ui::Image thumb = *slider->thumbImage(State::normal);
    EXPECT_EQ(thumb.size(), cg::Size(20, 20));  // the value is a radius
    EXPECT_EQ(thumb.scale(), 2);
    expectPixel(thumb, 10, 10, {255, 255, 255, 255}, "centre");
    expectPixel(thumb, 0.5, 0.5, {0, 0, 0, 0}, "corner");

    ASSERT_TRUE(slider->minimumTrackImage(State::normal).has_value());
    ASSERT_TRUE(slider->maximumTrackImage(State::normal).has_value());
    const ui::Image minimum = *slider->minimumTrackImage(State::normal);
    const ui::Image maximum = *slider->maximumTrackImage(State::normal);
    EXPECT_EQ(minimum.size(), cg::Size(1, 2));
    EXPECT_EQ(maximum.size(), cg::Size(1, 2));
    expectPixel(minimum, 0.5, 1, {255, 255, 255, 255}, "minimum track");
    expectPixel(maximum, 0.5, 1, {85, 85, 85, 255}, "maximum track");

    auto bare = Slider::createSlider(200, 30, 0, 0);
    EXPECT_FALSE(bare->thumbImage(State::normal).has_value());
    EXPECT_FALSE(bare->minimumTrackImage(State::normal).has_value());
    EXPECT_FALSE(bare->maximumTrackImage(State::normal).has_value());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto odd = Slider::createSlider(nan, -3, -1, nan);
    EXPECT_EQ(odd->frame(), cg::Rect(0, 0, 0, 0));
    EXPECT_FALSE(odd->thumbImage(State::normal).has_value());
    EXPECT_FALSE(odd->minimumTrackImage(State::normal).has_value());
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(UISliderTest, ObserversHearIsSlidingForTheWholeTouch) {
    auto slider = placedSlider();
    SlidingLog log(slider);

    const auto id = driver().touchDown(thumbCentre);
    EXPECT_EQ(*log.seen, std::vector<bool>{true});
    EXPECT_TRUE(slider->isSliding());
    driver().move(id, {80, 115});
    driver().move(id, {130, 115});
    EXPECT_EQ(*log.seen, std::vector<bool>{true});
    EXPECT_NEAR(slider->value(), 100.0 / 180, 1e-6);  // the base slider tracked the drag
    driver().up(id);
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, false}));
    EXPECT_FALSE(slider->isSliding());

    log.seen->clear();
    const auto cancelled = driver().touchDown({120, 115});
    driver().cancel(cancelled);
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, false}));

    // Off the thumb: the base does not track, yet the finger is on the slider.
    log.seen->clear();
    const float before = slider->value();
    const auto off = driver().touchDown({200, 115});
    driver().move(off, {210, 115});
    driver().up(off);
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, false}));
    EXPECT_EQ(slider->value(), before);
}

TEST_F(UISliderTest, EverySetByNameOrBySetterNotifies) {
    auto slider = ns::make<Slider>();
    SlidingLog log(slider);
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.setValue(*slider, "isSliding", ns::Value::of(true)));
    EXPECT_TRUE(runtime.setValue(*slider, "isSliding", ns::Value::of(true)));
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, true}));
    slider->setIsSliding(false);
    slider->setIsSliding(false);
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, true, false, false}));
    EXPECT_TRUE(loggedLines().empty());
}

TEST_F(UISliderTest, TintColoursTheTracksAndTemplatesTheThumb) {
    auto slider = Slider::createSlider(200, 30, 10, 2);
    const ui::Image thumb = *slider->thumbImage(State::normal);
    slider->setTintColor(ui::Color::red());
    EXPECT_EQ(slider->minimumTrackTintColor(), ui::Color::red());
    EXPECT_EQ(slider->maximumTrackTintColor(), ui::Color(0.4, 0, 0, 1));
    ASSERT_TRUE(slider->thumbImage(State::normal).has_value());
    const ui::Image templated = *slider->thumbImage(State::normal);
    EXPECT_EQ(templated.renderingMode(), ui::ImageRenderingMode::alwaysTemplate);
    EXPECT_EQ(templated.cgImage(), thumb.cgImage());  // the same pixels
    EXPECT_EQ(templated.scale(), thumb.scale());
    EXPECT_FALSE(slider->minimumTrackImage(State::normal).has_value());
    EXPECT_FALSE(slider->maximumTrackImage(State::normal).has_value());

    // Inherited from a superview the same way.
    auto holder = ns::make<ui::View>(cg::Rect{0, 0, 300, 100});
    auto inner = Slider::createSlider(200, 30, 10, 2);
    holder->addSubview(inner);
    const ui::Color green = uicolor::hexStr("#4AB552", 1);
    holder->setTintColor(green);
    EXPECT_EQ(inner->minimumTrackTintColor(), green);
    EXPECT_EQ(inner->maximumTrackTintColor(), uicolor::shadeDarker(green));
    EXPECT_EQ(inner->thumbImage(State::normal)->renderingMode(), ui::ImageRenderingMode::alwaysTemplate);

    // Without a thumb image the thumb stays empty.
    auto plain = ns::make<Slider>(cg::Rect{0, 0, 100, 30});
    plain->setTintColor(ui::Color::red());
    EXPECT_FALSE(plain->thumbImage(State::normal).has_value());
    EXPECT_EQ(plain->maximumTrackTintColor(), ui::Color(0.4, 0, 0, 1));
    window()->addSubview(plain);
    runUntilIdle();
    ca::Renderer renderer({375, 667}, 2);
    renderer.render(*window()->layer());
}

TEST_F(UISliderTest, TheRuntimeCreatesAndDescribesIt) {
    auto& runtime = ns::Runtime::shared();
    EXPECT_TRUE(runtime.isClassRegistered("Slider"));
    EXPECT_EQ(runtime.superclassName("Slider"), std::optional<std::string>("UISlider"));
    EXPECT_EQ(runtime.propertyType("Slider", "isSliding"), std::optional<std::type_index>(typeid(bool)));
    EXPECT_TRUE(runtime.instancesRespondToSelector("Slider", ns::Selector("tintColorDidChange")));

    auto made = std::dynamic_pointer_cast<Slider>(runtime.create("Slider"));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->className(), "Slider");
    made->setFrame({20, 100, 200, 30});
    window()->addSubview(made);
    runUntilIdle();
    SlidingLog log(made);
    const auto id = driver().touchDown({30, 115});
    driver().up(id);
    EXPECT_EQ(*log.seen, (std::vector<bool>{true, false}));

    // The action re-applies the tint by name.
    made->setMinimumTrackTintColor(ui::Color::black());
    EXPECT_TRUE(runtime.perform(made.get(), ns::Selector("tintColorDidChange"), nullptr));
    EXPECT_EQ(made->minimumTrackTintColor(), made->tintColor());
}

TEST_F(UISliderTest, ObservationNeverKeepsASliderAlive) {
    std::weak_ptr<Slider> weak;
    {
        auto slider = placedSlider();
        weak = slider;
        SlidingLog log(slider);
        driver().tap(thumbCentre);
        EXPECT_EQ(*log.seen, (std::vector<bool>{true, false}));
        slider->removeFromSuperview();
        slider.reset();
        runUntilIdle();
        EXPECT_TRUE(weak.expired());  // the observation outlives it and holds nothing
    }
    EXPECT_TRUE(weak.expired());

    // The observer goes first: later touches are fine and nobody hears them.
    auto slider = placedSlider();
    auto seen = std::make_shared<std::vector<bool>>();
    {
        SlidingLog log(slider);
        seen = log.seen;
    }
    driver().tap(thumbCentre);
    EXPECT_TRUE(seen->empty());
    EXPECT_FALSE(slider->isSliding());
}

// Three resting sliders at 0, 0.5 and 1 in a green tint, and a fourth held mid-drag
// beside a label that an isSliding observer fills in.
TEST_F(UISliderTest, SliderGolden) {
    auto panel = ns::make<ui::View>(cg::Rect{0, 0, 375, 200});
    panel->setBackgroundColor(ui::Color(0x30 / 255.0, 0x30 / 255.0, 0x30 / 255.0, 1));
    window()->addSubview(panel);
    const ui::Color green = uicolor::hexStr("#4AB552", 1);
    const float values[] = {0, 0.5f, 1};
    for (int i = 0; i < 3; ++i) {
        auto slider = Slider::createSlider(240, 30, 10, 2);
        slider->setFrame({20, 10.0 + 40 * i, 240, 30});
        slider->setTintColor(green);
        slider->setValue(values[i]);
        panel->addSubview(slider);
    }
    auto dragged = Slider::createSlider(240, 30, 10, 2);
    dragged->setFrame({20, 150, 240, 30});
    dragged->setTintColor(green);
    panel->addSubview(dragged);
    auto label = ns::make<ui::Label>(cg::Rect{270, 150, 90, 30});
    label->setTextColor(ui::Color::white());
    panel->addSubview(label);
    std::weak_ptr<ui::Label> weakLabel = label;
    auto token = ns::Runtime::shared().observe(dragged, "isSliding", [weakLabel](ns::Object& object, std::string_view) {
        auto shown = weakLabel.lock();
        if (!shown) return;
        const bool sliding = static_cast<Slider&>(object).isSliding();
        shown->setText(sliding ? std::optional<ns::String>("sliding") : std::nullopt);
    });
    runUntilIdle();
    const auto id = driver().touchDown({30, 165});
    driver().move(id, {110, 165});
    driver().move(id, {150, 165});
    runUntilIdle();
    EXPECT_EQ(label->text(), std::optional<ns::String>("sliding"));
    ca::Renderer renderer({375, 200}, 2);
    pellavo::testing::expectMatchesGolden(renderer.render(*panel->layer()), "pellavo_slider");
    driver().up(id);
    EXPECT_FALSE(label->text().has_value() && !label->text()->isEmpty());
}

} // namespace
