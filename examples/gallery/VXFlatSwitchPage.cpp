// The check-mark switch: off, on, a custom look, a wide frame, and two switches caught
// half-way through a tap (the picture is taken 0.15 s in).
#include "examples/gallery/Gallery.hpp"
#include "pellavo/CheckBox/VXFlatSwitch.hpp"
#include "platform/ui/event/TestDriver.hpp"

namespace pellavo::gallery {

namespace {

std::shared_ptr<VXFlatSwitch> flatSwitch(ui::View& content, double y, std::string text, cg::Size size = {40, 40}) {
    addHeading(content, y, std::move(text));
    auto view = ns::make<VXFlatSwitch>(cg::Rect{16, y + 24, size.width, size.height});
    content.addSubview(view);
    return view;
}

void build(ui::View& content) {
    flatSwitch(content, 12, "OFF");

    flatSwitch(content, 92, "ON")->setIsSelected(true);

    auto custom = flatSwitch(content, 172, "ON · line width 4, blue, light-grey trail", {80, 80});
    custom->setLineWidth(4);
    custom->setStrokeColor(ui::Color(0.0, 0.48, 1.0, 1));
    custom->setTrailStrokeColor(ui::Color::lightGray());
    custom->setIsSelected(true);

    flatSwitch(content, 292, "ON · 60 × 40, the circle stays round", {60, 40})->setIsSelected(true);

    auto turningOn = flatSwitch(content, 372, "TAPPED ON · half-way");
    auto turningOff = flatSwitch(content, 452, "TAPPED OFF · half-way");
    turningOff->setIsSelected(true);

    content.layoutIfNeeded();
    ui::TestDriver driver;
    for (const auto& tapped : {turningOn, turningOff}) {
        const cg::Rect b = tapped->bounds();
        driver.tap(tapped->convertTo(cg::Point{b.size.width / 2, b.size.height / 2},
                                     static_cast<const ui::View*>(nullptr)));
    }
}

const PageRegistration registration{{"VXFlatSwitch", "Check-mark switch", build, 0.15}};

} // namespace

} // namespace pellavo::gallery
