// Slider: drawn thumbs at rest in a green tint, and one held mid-drag by a finger, with a
// label that an isSliding observer keeps up to date.
#include <memory>
#include <optional>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/Button/UISlider.hpp"
#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

const ui::Color kPanel(0x30 / 255.0, 0x30 / 255.0, 0x30 / 255.0, 1);

// Holds the isSliding observation for as long as the page is shown.
class SlidingBoard : public ui::View {
public:
    using View::View;
    std::string_view className() const override { return "GallerySlidingBoard"; }

    void watch(const std::shared_ptr<Slider>& slider, const std::shared_ptr<ui::Label>& label) {
        std::weak_ptr<ui::Label> weakLabel = label;
        observation_ = ns::Runtime::shared().observe(slider, "isSliding", [weakLabel](ns::Object& object,
                                                                                       std::string_view) {
            auto shown = weakLabel.lock();
            auto* slider = dynamic_cast<Slider*>(&object);
            if (!shown || !slider) return;
            shown->setText(slider->isSliding() ? std::optional<ns::String>("sliding") : std::nullopt);
        });
    }

private:
    ns::KeyValueObservation observation_;
};

void heading(ui::View& content, double y, const std::string& text) { addHeading(content, y, text, 0.75); }

std::shared_ptr<Slider> slider(ui::View& parent, double y, float value) {
    auto made = Slider::createSlider(240, 30, 10, 2);
    made->setFrame({16, y, 240, 30});
    made->setTintColor(uicolor::hexStr("#4AB552", 1));
    made->setValue(value);
    parent.addSubview(made);
    return made;
}

void build(ui::View& content) {
    auto board = ns::make<SlidingBoard>(content.bounds());
    board->setBackgroundColor(kPanel);
    content.addSubview(board);

    heading(*board, 12, "AT REST · 0, 0.5 and 1, tint #4AB552");
    slider(*board, 38, 0);
    slider(*board, 78, 0.5f);
    slider(*board, 118, 1);

    heading(*board, 172, "MID-DRAG · a finger on the thumb");
    auto held = slider(*board, 198, 0);
    auto label = ns::make<ui::Label>(cg::Rect{268, 198, 90, 30});
    label->setTextColor(ui::Color::white());
    label->setTextAlignment(ns::TextAlignment::left);
    board->addSubview(label);
    board->watch(held, label);

    const auto window = content.window();
    if (!window) return;
    window->layoutIfNeeded();
    const auto inWindow = [&](double x) { return held->convertTo(cg::Point{x, 15}, nullptr); };
    ui::TestDriver driver(window);
    const auto finger = driver.touchDown(inWindow(10));
    driver.move(finger, inWindow(80));
    driver.move(finger, inWindow(130));
}

const PageRegistration registration{{"Slider", "Slider", build, 0}};

} // namespace

} // namespace pellavo::gallery
