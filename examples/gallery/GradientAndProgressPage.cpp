// Gradient views and linear progress bars: the angle as assigned, the transition's
// centre and width, the light blur over stripes, bars at several values and looks
// (one caught halfway through an animation), and one of each from an interface file.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXGradientView.hpp"
#include "pellavo/VXLinearProgressView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/nib/Nib.hpp"

namespace pellavo::gallery {

namespace {

const ui::Color kTrough(0.86, 1);

const char* const kFromFile = R"(<interface version="1">
  <object class="VXGradientView" frame="16 498 60 60">
    <property name="firstColor" value="red"/>
    <property name="secondColor" value="blue"/>
    <property name="angleº" value="90"/>
  </object>
  <object class="VXLinearProgressView" frame="92 524 267 8">
    <property name="barColor" value="#DBDBDB"/>
    <property name="firstColor" value="red"/>
    <property name="secondColor" value="blue"/>
    <property name="maximumValue" value="50"/>
    <property name="progress" value="25"/>
  </object>
</interface>)";

void caption(ui::View& content, const cg::Rect& frame, const std::string& text,
             ns::TextAlignment alignment = ns::TextAlignment::center) {
    auto label = ns::make<ui::Label>(frame);
    label->setText(ns::String(text));
    label->setFont(ui::Font::systemFont(11, ui::Font::Weight::regular));
    label->setTextColor(ui::Color(0.35, 1));
    label->setTextAlignment(alignment);
    content.addSubview(label);
}

std::shared_ptr<VXGradientView> gradient(ui::View& content, const cg::Rect& frame) {
    auto view = ns::make<VXGradientView>(frame);
    view->setFirstColor(ui::Color::red());
    view->setSecondColor(ui::Color::blue());
    content.addSubview(view);
    return view;
}

// Vertical black and white stripes, 2 points each, for the blur to smear.
void stripes(ui::View& content, const cg::Rect& frame) {
    auto panel = ns::make<ui::View>(frame);
    panel->setBackgroundColor(ui::Color::black());
    for (double x = 2; x < frame.width(); x += 4) {
        auto stripe = ns::make<ui::View>(cg::Rect{x, 0, 2, frame.height()});
        stripe->setBackgroundColor(ui::Color::white());
        panel->addSubview(stripe);
    }
    content.addSubview(panel);
}

std::shared_ptr<VXLinearProgressView> bar(ui::View& content, double y, double height, float progress,
                                          const std::string& text) {
    auto view = ns::make<VXLinearProgressView>(cg::Rect{16, y + (16 - height) / 2, 300, height});
    view->setBarColor(kTrough);
    view->setFirstColor(ui::Color::red());
    view->setSecondColor(ui::Color::blue());
    view->setProgress(progress, false);
    content.addSubview(view);
    caption(content, {324, y, 45, 16}, text, ns::TextAlignment::left);
    return view;
}

void build(ui::View& content) {
    addHeading(content, 8, "ANGLE · as assigned, red to blue");
    const float angles[] = {0, 45, 90, 135, 180, 270};
    for (int i = 0; i < 6; ++i) {
        const double x = 37.5 + (i % 3) * 120;
        const double y = 30 + (i / 3) * 76;
        gradient(content, {x, y, 60, 60})->setAngleº(angles[i]);
        caption(content, {x - 10, y + 61, 80, 14}, std::to_string(static_cast<int>(angles[i])) + "°");
    }

    addHeading(content, 186, "RATIO · FADE            BLUR OVER STRIPES");
    auto soft = gradient(content, {9.5, 210, 80, 50});
    soft->setColorRatio(0.2f);
    soft->setFadeIntensity(0.3f);
    auto hard = gradient(content, {101.5, 210, 80, 50});
    hard->setColorRatio(0.8f);
    hard->setFadeIntensity(0);
    stripes(content, {187.5, 204, 184, 62});
    for (int i = 0; i < 2; ++i) {
        auto blurred = gradient(content, {193.5 + i * 92, 210, 80, 50});
        blurred->setIsBlur(true);
        blurred->setBlurOpacity(static_cast<float>(i));
    }
    const std::string captions[] = {"0.2 · 0.3", "0.8 · 0", "opacity 0", "opacity 1"};
    for (int i = 0; i < 4; ++i) caption(content, {9.5 + i * 92, 268, 80, 14}, captions[i]);

    addHeading(content, 288, "PROGRESS · 300 × 8 and 300 × 16");
    bar(content, 310, 8, 0, "0");
    bar(content, 334, 8, 35, "35");
    bar(content, 358, 8, 100, "100");
    bar(content, 382, 16, 60, "inset 2")->setBarInset(2);
    bar(content, 406, 16, 60, "square")->setIsCornersRounded(false);
    auto dark = bar(content, 430, 16, 70, "dark");
    dark->setBarColor(ui::Color(0.15, 1));
    dark->setFirstColor(ui::Color(0, 0.8, 0.2, 1));
    dark->setSecondColor(ui::Color(1, 0.9, 0, 1));
    // Two seconds from 20 to 80: the one-second picture shows it halfway, at 50.
    auto animated = bar(content, 454, 8, 20, "20 → 80");
    animated->setAnimationDuration(2);
    animated->setProgress(80, true);

    addHeading(content, 476, "FROM AN INTERFACE FILE · angle 90 · 25 of 50");
    for (const auto& object : ui::Nib::fromData(kFromFile, "GradientAndProgress")->instantiate(nullptr))
        if (auto view = std::dynamic_pointer_cast<ui::View>(object)) content.addSubview(view);
}

const PageRegistration registration{{"GradientAndProgress", "Gradients and progress", build, 1}};

} // namespace

} // namespace pellavo::gallery
