// The drawing kit: the dot colours with their darker shades, every icon layer as it
// comes, and every icon button at rest and highlighted.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/UIButton.hpp"
#include "pellavo/Button/UIColor.hpp"
#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

const ui::Color kPanel(0x30 / 255.0, 0x30 / 255.0, 0x30 / 255.0, 1);
const ui::Color kLight(0.85, 0.9, 1, 1);

void heading(ui::View& content, double y, const std::string& text) { addHeading(content, y, text, 0.75); }

void swatches(ui::View& content, double y) {
    const char* dots[] = {"#4284F7", "#F74239", "#FDBC02", "#4AB552"};
    for (int i = 0; i < 4; ++i) {
        const ui::Color color = uicolor::hexStr(dots[i], 1);
        for (int row = 0; row < 2; ++row) {
            auto swatch = ns::make<ui::View>(cg::Rect{16.0 + 56 * i, y + 34.0 * row, 48, 28});
            swatch->setBackgroundColor(row == 0 ? color : uicolor::shadeDarker(color));
            content.addSubview(swatch);
        }
    }
}

void shapes(ui::View& content, double y) {
    const std::vector<std::pair<std::shared_ptr<ca::Layer>, cg::Point>> placed = {
        {cashapelayer::circlePlayShape(ui::Color::white(), 40), {16, y}},
        {cashapelayer::playShape(ui::Color::white(), 20), {68, y + 10}},
        {cashapelayer::replayShape(ui::Color::red(), 20), {98, y + 10}},
        {cashapelayer::pauseShape(ui::Color::white(), {6, 20}, 4), {128, y + 10}},
        {cashapelayer::closeShape(15, ui::Color::white()), {160, y + 10}},
        {cashapelayer::backShape(18, kLight), {192, y + 9}},
        {cashapelayer::plusShape(18, kLight), {226, y + 9}},
        {cashapelayer::confirmShape(18, kLight), {260, y + 9}},
        {cashapelayer::circle(ui::Color::white(), 10), {298, y + 10}},
    };
    for (const auto& [layer, origin] : placed) {
        layer->setFrame({origin, layer->frame().size});
        content.layer()->addSublayer(layer);
    }
}

void buttons(ui::View& content, double y, bool highlighted) {
    const std::vector<std::shared_ptr<ui::Button>> made = {
        uibutton::circlePlayButton(44), uibutton::playButton(44, 30), uibutton::replayButton(44, 30),
        uibutton::pauseButton(44, 30),  uibutton::closeButton(),      uibutton::backButton(kLight),
        uibutton::plusButton(kLight),   uibutton::confirmButton(kLight),
    };
    double x = 10;
    for (const auto& button : made) {
        const cg::Size size = button->bounds().size;
        button->setFrame({x, y + (50 - size.height) / 2, size.width, size.height});
        button->setIsHighlighted(highlighted);
        content.addSubview(button);
        x += size.width - 4;
    }
}

void build(ui::View& content) {
    content.setBackgroundColor(kPanel);
    heading(content, 12, "DOT COLOURS · from hex, with darker shades");
    swatches(content, 38);
    heading(content, 118, "SHAPE LAYERS · placed directly");
    shapes(content, 144);
    heading(content, 210, "ICON BUTTONS · normal");
    buttons(content, 236, false);
    heading(content, 306, "ICON BUTTONS · highlighted");
    buttons(content, 332, true);
}

const PageRegistration registration{{"Icons", "Icons", build, 0}};

} // namespace

} // namespace pellavo::gallery
