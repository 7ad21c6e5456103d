#include "pellavo/Button/UISlider.hpp"

#include <cmath>

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/RenderLayerImage.hpp"
#include "pellavo/Button/UIColor.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/graphics/Image.hpp"

namespace pellavo {

// Declares the class to the object runtime when the library loads, so that interface
// files can create it by name and observers can watch isSliding.
struct SliderRuntime {
    static constexpr std::string_view kIsSliding = "isSliding";

    static bool registerClass() {
        ns::ClassRegistration<Slider>("Slider", "UISlider")
            // Stores only: the runtime tells the observers after every set by name.
            .property<bool>(kIsSliding, &Slider::isSliding,
                            [](Slider& slider, bool sliding) { slider.isSliding_ = sliding; })
            .action(ns::Selector("tintColorDidChange"), &Slider::tintColorDidChange);
        return true;
    }

    static void set(Slider& slider, bool sliding) {
        if (ns::Runtime::shared().setValue(slider, kIsSliding, ns::Value::of(sliding))) return;
        slider.isSliding_ = sliding;
        ns::Runtime::shared().didChangeValue(slider, kIsSliding);
    }
};

namespace {
[[maybe_unused]] const bool registeredWithRuntime = SliderRuntime::registerClass();

bool drawable(double size) { return std::isfinite(size) && size > 0; }
double side(double size) { return std::isfinite(size) && size > 0 ? size : 0; }

std::optional<ui::Image> trackImage(double barHeight, ui::Color color) {
    auto bar = ns::make<ca::Layer>();
    bar->setFrame({0, 0, 1, barHeight});
    bar->setBackgroundColor(color.cgColor());
    return detail::renderLayerImage(*bar);
}
} // namespace

Slider::Slider(const cg::Rect& frame) : ui::Slider(frame) {}

void Slider::setIsSliding(bool sliding) { SliderRuntime::set(*this, sliding); }

std::shared_ptr<Slider> Slider::createSlider(double width, double height, double pointerDiameter,
                                             double barHeight) {
    auto slider = ns::make<Slider>(cg::Rect{0, 0, side(width), side(height)});
    if (drawable(pointerDiameter)) {
        if (auto thumb = detail::renderLayerImage(*cashapelayer::circle(ui::Color::white(), pointerDiameter)))
            slider->setThumbImage(*thumb, State::normal);
    }
    if (drawable(barHeight)) {
        if (auto minimum = trackImage(barHeight, ui::Color::white()))
            slider->setMinimumTrackImage(*minimum, State::normal);
        if (auto maximum = trackImage(barHeight, ui::Color::darkGray()))
            slider->setMaximumTrackImage(*maximum, State::normal);
    }
    return slider;
}

void Slider::tintColorDidChange() {
    const ui::Color tint = tintColor();
    setMinimumTrackTintColor(tint);
    setMaximumTrackTintColor(uicolor::shadeDarker(tint));
    std::optional<ui::Image> thumb = currentThumbImage();
    if (thumb) thumb = thumb->withRenderingMode(ui::ImageRenderingMode::alwaysTemplate);
    setThumbImage(thumb, State::normal);
}

void Slider::touchesBegan(const ui::TouchSet& touches, const ui::Event* event) {
    ui::Slider::touchesBegan(touches, event);
    setIsSliding(true);
}

void Slider::touchesEnded(const ui::TouchSet& touches, const ui::Event* event) {
    ui::Slider::touchesEnded(touches, event);
    setIsSliding(false);
}

void Slider::touchesCancelled(const ui::TouchSet& touches, const ui::Event* event) {
    ui::Slider::touchesCancelled(touches, event);
    setIsSliding(false);
}

} // namespace pellavo
