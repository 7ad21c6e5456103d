// The circular check box: unchecked, checked, titled, a custom look and one flipped by a tap.
#include "examples/gallery/Gallery.hpp"
#include "pellavo/CheckBox/VXCircularCheckBox.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

std::shared_ptr<VXCircularCheckBox> checkBox(ui::View& content, double y, std::string text,
                                             VXCircularCheckBoxData data = {}) {
    addHeading(content, y, std::move(text));
    auto box = VXCircularCheckBox::loadWith({16, y + 24, 200, 40}, std::move(data));
    content.addSubview(box);
    return box;
}

void build(ui::View& content) {
    checkBox(content, 12, "DEFAULTS · unchecked, box alone, centred");

    VXCircularCheckBoxData checked;
    checked.checked = true;
    checkBox(content, 88, "CHECKED", checked);

    VXCircularCheckBoxData titled = checked;
    titled.labelText = "Remember me";
    checkBox(content, 164, "CHECKED · titled", titled);

    VXCircularCheckBoxData custom;
    custom.checked = true;
    custom.borderRadius = 20;
    custom.circleRadius = 10;
    custom.borderColor = ui::Color::blue();
    custom.circleColor = ui::Color::red();
    custom.labelText = "Remember me";
    custom.labelFont = ui::Font::boldSystemFont(17);
    checkBox(content, 240, "CUSTOM LOOK · 20 / 10, bold title", custom);

    VXCircularCheckBoxData tapped;
    tapped.labelText = "Tapped once";
    auto flipped = checkBox(content, 316, "UNCHECKED, THEN TAPPED ON ITS BOX", tapped);
    if (const auto window = content.window()) {
        window->layoutIfNeeded();
        // The box sits 5 points from the left edge, centred vertically.
        ui::TestDriver(window).tap(flipped->convertTo(cg::Point{11, 20}, nullptr));
    }
}

const PageRegistration registration{{"VXCircularCheckBox", "Circular check box", build}};

} // namespace

} // namespace pellavo::gallery
