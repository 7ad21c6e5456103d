// The segmented control: defaults, more items, a flat thumb, a custom look, and a
// thumb held between two items by a finger.
#include <string>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/VXSegmentedControl.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/event/TestDriver.hpp"
#include "platform/ui/view/Window.hpp"

namespace pellavo::gallery {

namespace {

using Control = VXSegmentedControl;

std::shared_ptr<Control> control(ui::View& content, cg::Rect frame, std::vector<ns::String> titles = {}) {
    auto made = ns::make<Control>(frame);
    if (!titles.empty()) made->setItemTitles(std::move(titles));
    content.addSubview(made);
    return made;
}

const std::vector<ns::String> periods{"Day", "Week", "Month", "Year"};

// Holds a finger on item 1 of the control and slides it halfway to item 2.
void holdMidDrag(ui::View& content, Control& held) {
    const auto window = content.window();
    if (!window) return;
    window->layoutIfNeeded();
    const cg::Rect frame = held.frame();
    const double section = frame.width() / 4;
    const auto inWindow = [&](double x) { return held.convertTo(cg::Point{x, frame.height() / 2}, nullptr); };
    ui::TestDriver driver(window);
    const auto finger = driver.touchDown(inWindow(section * 1.5));
    driver.move(finger, inWindow(section * 2));
}

void build(ui::View& content) {
    addHeading(content, 12, "DEFAULTS · zero frame, grown to fit");
    control(content, {16, 38, 0, 0});

    addHeading(content, 96, "FOUR ITEMS · item 2 selected");
    control(content, {16, 122, 343, 36}, periods)->selectItemAt(2, false);

    addHeading(content, 180, "FLAT THUMB · white, with its shadow");
    auto flat = control(content, {16, 206, 343, 40}, {"Low", "Medium", "High"});
    flat->setUseGradient(false);
    flat->setThumbColor(ui::Color::white());
    flat->setSelectedTextColor(Control::UIColorFromRGB(0x1C1C1E));
    flat->setContainerBackgroundColor(Control::UIColorFromRGB(0xDADADE));
    flat->selectItemAt(1, false);

    addHeading(content, 268, "SQUARE · custom fonts and colours");
    auto square = control(content, {16, 294, 343, 44}, {"One", "Two", "Three", "Four"});
    square->setSegCornerRadius(0);
    square->setDefaultTextFont(ui::Font::systemFont(15));
    square->setSelectedTextFont(ui::Font::boldSystemFont(15));
    square->setDefaultTextColor(Control::UIColorFromRGB(0x3A3A5C));
    square->setSelectedTextColor(ui::Color::white());
    square->setContainerBackgroundColor(Control::UIColorFromRGB(0xE6ECF5));
    square->setThumbGradientColors(
        std::vector<ui::Color>{Control::UIColorFromRGB(0x4FA3FF), Control::UIColorFromRGB(0x1450C8)});
    square->selectItemAt(3, false);

    addHeading(content, 360, "MID-DRAG · a finger between items 1 and 2");
    // Narrow segments and a wide thumb padding, so the thumb reaches into both titles.
    auto held = control(content, {16, 386, 224, 36}, periods);
    held->setPadding({12, 20});
    held->selectItemAt(1, false);
    holdMidDrag(content, *held);
}

const PageRegistration registration{{"VXSegmentedControl", "Segmented control", build, 0.5}};

} // namespace

} // namespace pellavo::gallery
