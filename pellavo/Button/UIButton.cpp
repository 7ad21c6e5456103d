#include "pellavo/Button/UIButton.hpp"

#include <cmath>

#include "pellavo/Button/CAShapeLayer.hpp"
#include "pellavo/Button/RenderLayerImage.hpp"
#include "pellavo/Button/UIBezierPath.hpp"

namespace pellavo::uibutton {

namespace {

using State = ui::Control::State;

// An icon measure that can be drawn at all.
bool drawable(double size) { return std::isfinite(size) && size > 0; }

// Sizes given to the button itself: negative or non-finite become 0.
double buttonSide(double size) { return std::isfinite(size) && size > 0 ? size : 0; }

void setRenderedImage(ui::Button& button, const ca::Layer& layer, State state) {
    if (auto image = detail::renderLayerImage(layer)) button.setImage(*image, state);
}

std::shared_ptr<ui::Button> buttonWithBounds(double width, double height) {
    auto button = ns::make<ui::Button>(cg::Rect{});
    button->setBounds({0, 0, buttonSide(width), buttonSide(height)});
    return button;
}

// min(w, h, 20), spelled as the icons always have: the height if below the width, capped at 20.
double triangleEdge(double width, double height) {
    double edge = height < width ? height : width;
    if (edge > 20) edge = 20;
    return edge;
}

std::shared_ptr<ui::Button> triangleButton(double width, double height, ui::Color color) {
    auto button = buttonWithBounds(width, height);
    const double e = triangleEdge(width, height);
    if (drawable(width) && drawable(height) && drawable(e)) {
        setRenderedImage(*button, *cashapelayer::playShape(color, e), State::normal);
        setRenderedImage(*button, *cashapelayer::playShape(color.withAlphaComponent(0.7), e), State::highlighted);
    }
    button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::center);
    // Nudges the triangle right so that its centroid, not its box, sits in the middle.
    ui::EdgeInsets insets = button->imageEdgeInsets();
    const double left =
        e * uibezierpath::kTriangleHeightFactor * 0.5 - e * uibezierpath::kTriangleCentroidFactor;
    if (drawable(width) && drawable(height) && std::isfinite(left)) {
        insets.left = left;
        button->setImageEdgeInsets(insets);
    }
    return button;
}

std::shared_ptr<ui::Button> glyphButton(double side, const std::shared_ptr<ca::ShapeLayer>& glyph) {
    auto button = ns::make<ui::Button>(cg::Rect{0, 0, side, side});
    setRenderedImage(*button, *glyph, State::normal);
    return button;
}

} // namespace

std::shared_ptr<ui::Button> circlePlayButton(double diameter) {
    auto button = ns::make<ui::Button>(cg::Rect{0, 0, buttonSide(diameter), buttonSide(diameter)});
    if (drawable(diameter)) {
        setRenderedImage(*button, *cashapelayer::circlePlayShape(ui::Color::white(), diameter), State::normal);
        setRenderedImage(*button, *cashapelayer::circlePlayShape(ui::Color::lightGray(), diameter),
                         State::highlighted);
    }
    return button;
}

std::shared_ptr<ui::Button> playButton(double width, double height) {
    return triangleButton(width, height, ui::Color::white());
}

std::shared_ptr<ui::Button> replayButton(double width, double height) {
    return triangleButton(width, height, ui::Color::red());
}

std::shared_ptr<ui::Button> pauseButton(double width, double height) {
    // Sized like play and replay, so that the button can be tapped where its bars are.
    auto button = buttonWithBounds(width, height);
    const double e = height < 20 ? height : 20;
    if (drawable(width) && drawable(height) && drawable(e)) {
        const ui::Color white = ui::Color::white();
        setRenderedImage(*button, *cashapelayer::pauseShape(white, {0.3 * e, e}, 0.2 * e), State::normal);
        setRenderedImage(*button, *cashapelayer::pauseShape(white.withAlphaComponent(0.7), {0.3 * e, e}, 0.2 * e),
                         State::highlighted);
    }
    button->setContentHorizontalAlignment(ui::ContentHorizontalAlignment::center);
    return button;
}

std::shared_ptr<ui::Button> closeButton() { return glyphButton(50, cashapelayer::closeShape(15, ui::Color::white())); }

std::shared_ptr<ui::Button> backButton(ui::Color color) { return glyphButton(44, cashapelayer::backShape(18, color)); }

std::shared_ptr<ui::Button> plusButton(ui::Color color) { return glyphButton(50, cashapelayer::plusShape(18, color)); }

std::shared_ptr<ui::Button> confirmButton(ui::Color color) {
    return glyphButton(50, cashapelayer::confirmShape(18, color));
}

} // namespace pellavo::uibutton
