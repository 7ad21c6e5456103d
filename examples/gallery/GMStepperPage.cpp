// The stepper: limits, items, half steps, a custom look and a press held at the minimum.
#include "examples/gallery/Gallery.hpp"
#include "pellavo/GMStepper/GMStepper.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/event/TestDriver.hpp"

namespace pellavo::gallery {

namespace {

std::shared_ptr<GMStepper> stepper(ui::View& content, double y, std::string text, cg::Size size = {200, 40}) {
    addHeading(content, y, std::move(text));
    auto view = ns::make<GMStepper>(cg::Rect{16, y + 24, size.width, size.height});
    content.addSubview(view);
    return view;
}

void build(ui::View& content) {
    stepper(content, 12, "DEFAULT · at the minimum");

    auto top = stepper(content, 92, "AT THE MAXIMUM · 100");
    top->setMaximumValue(100);
    top->setValue(100);

    auto sizes = stepper(content, 172, "ITEMS · XS S M L XL");
    sizes->setMaximumValue(4);
    sizes->setValue(2);
    sizes->setItems({"XS", "S", "M", "L", "XL"});

    auto half = stepper(content, 252, "HALF STEPS · 2.5");
    half->setStepValue(0.5);
    half->setValue(2.5);

    auto custom = stepper(content, 332, "CUSTOM LOOK · round, bordered, narrow label", {160, 32});
    custom->setStepCornerRadius(20);
    custom->setStepBorderWidth(2);
    custom->setStepBorderColor(ui::Color::white());
    custom->setLabelWidthWeight(0.34);
    custom->setButtonsBackgroundColor(ui::Color(0.16, 0.62, 0.45, 1));
    custom->setLabelBackgroundColor(ui::Color(0.22, 0.75, 0.56, 1));
    custom->setLabelTextColor(ui::Color(0.05, 0.2, 0.15, 1));
    custom->setButtonsFont(ui::Font("AvenirNext-Bold", 16));
    custom->setLabelFont(ui::Font("AvenirNext-Bold", 18));
    custom->setValue(7);

    auto held = stepper(content, 412, "LEFT BUTTON HELD AT THE MINIMUM");
    held->setLimitHitAnimationColor(ui::Color(0.9, 0.3, 0.25, 1));
    held->layoutIfNeeded();
    // A finger that stays down on the left button: the limit flash shows.
    ui::TestDriver driver;
    const cg::Point leftButtonCenter = held->convertTo(cg::Point{25, 20}, static_cast<const ui::View*>(nullptr));
    driver.touchDown(leftButtonCenter);
}

const PageRegistration registration{{"GMStepper", "Stepper", build, 0.5}};

} // namespace

} // namespace pellavo::gallery
