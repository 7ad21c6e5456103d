// The platform the components stand on: layers, shapes, gradients, text and an animation.
#include <cmath>
#include <limits>
#include <numbers>

#include "examples/gallery/Gallery.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/GradientLayer.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/control/Label.hpp"

namespace pellavo::gallery {

namespace {

constexpr double pi = std::numbers::pi;

std::shared_ptr<ca::Layer> square(cg::Rect frame, cg::Color color) {
    auto layer = ns::make<ca::Layer>();
    layer->setFrame(frame);
    layer->setBackgroundColor(color);
    return layer;
}

void addLayers(ca::Layer& row) {
    auto shadowed = square({16, 0, 72, 72}, {1, 0.58, 0, 1});
    shadowed->setCornerRadius(16);
    shadowed->setShadowOpacity(0.35f);
    shadowed->setShadowRadius(6);
    shadowed->setShadowOffset({0, 4});
    row.addSublayer(shadowed);

    auto ring = square({107, 0, 72, 72}, {1, 1, 1, 1});
    ring->setCornerRadius(36);
    ring->setBorderWidth(6);
    ring->setBorderColor(cg::Color(0, 0.48, 1, 1));
    row.addSublayer(ring);

    // Group opacity: the overlap of the two squares is not darker than the rest.
    auto group = square({198, 0, 72, 72}, {0.2, 0.78, 0.35, 1});
    group->setOpacity(0.5f);
    group->addSublayer(square({24, 24, 48, 48}, {0.9, 0.1, 0.2, 1}));
    row.addSublayer(group);

    auto turned = square({296, 6, 60, 60}, {0.55, 0.3, 0.85, 1});
    turned->setCornerRadius(8);
    turned->setTransform(ca::Transform3D::makeRotation(pi / 12, 0, 0, 1));
    row.addSublayer(turned);
}

std::shared_ptr<ca::ShapeLayer> shape(const ui::BezierPath& path, std::optional<cg::Color> fill,
                                      std::optional<cg::Color> stroke, double lineWidth) {
    auto layer = ns::make<ca::ShapeLayer>();
    layer->setPath(path.cgPath());
    layer->setFillColor(fill);
    layer->setStrokeColor(stroke);
    layer->setLineWidth(lineWidth);
    layer->setLineJoin(cg::LineJoin::round);
    layer->setLineCap(cg::LineCap::round);
    return layer;
}

void addShapes(ca::Layer& row) {
    ui::BezierPath star;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? 36 : 15;
        const double angle = -pi / 2 + i * pi / 5;
        const cg::Point p{52 + radius * std::cos(angle), 38 + radius * std::sin(angle)};
        if (i == 0)
            star.move(p);
        else
            star.addLine(p);
    }
    star.close();
    row.addSublayer(shape(star, cg::Color(1, 0.8, 0, 1), cg::Color(0.9, 0.45, 0, 1), 3));

    ui::BezierPath wave;
    wave.move({110, 40});
    wave.addCurve({190, 40}, {130, -5}, {170, 85});
    wave.addQuadCurve({250, 40}, {220, 0});
    row.addSublayer(shape(wave, std::nullopt, cg::Color(0, 0.48, 1, 1), 5));

    auto arc = shape(ui::BezierPath::arc({315, 38}, 30, 0, 2 * pi, true), std::nullopt, cg::Color(0.2, 0.78, 0.35, 1),
                     8);
    arc->setStrokeEnd(0.7);
    row.addSublayer(arc);
}

void addGradients(ca::Layer& row) {
    auto strip = ns::make<ca::GradientLayer>();
    strip->setFrame({16, 0, 230, 72});
    strip->setCornerRadius(12);
    strip->setColors({{1, 0.23, 0.19, 1}, {1, 0.8, 0, 1}, {0.2, 0.78, 0.35, 1}, {0, 0.48, 1, 1}, {0.55, 0.3, 0.85, 1}});
    strip->setStartPoint({0, 0.5});
    strip->setEndPoint({1, 0.5});
    row.addSublayer(strip);

    auto disc = ns::make<ca::GradientLayer>();
    disc->setFrame({272, 0, 72, 72});
    disc->setCornerRadius(36);
    disc->setColors({{0.35, 0.78, 0.98, 1}, {0.1, 0.2, 0.6, 1}});
    disc->setLocations(std::vector<double>{0.2, 1});
    row.addSublayer(disc);
}

void addText(ui::View& content, double y) {
    struct Line {
        const char* text;
        ui::Font font;
        ui::Color color;
    };
    const Line lines[] = {
        {"System 17: the quick brown fox", ui::Font::systemFont(17), ui::Color::black()},
        {"HelveticaNeue-Light 24", ui::Font("HelveticaNeue-Light", 24), ui::Color(0.2, 0.2, 0.25, 1)},
        {"Bold 17 in the tint colour", ui::Font::boldSystemFont(17), ui::View::defaultTintColor()},
        {"漢字 かな カナ · Ελληνικά · Кириллица", ui::Font::systemFont(15), ui::Color(0.8, 0.2, 0.3, 1)},
    };
    for (const auto& line : lines) {
        auto view = ns::make<ui::Label>(cg::Rect{16, y, 343, line.font.lineHeight() + 4});
        view->setText(ns::String(line.text));
        view->setFont(line.font);
        view->setTextColor(line.color);
        view->setTextAlignment(ns::TextAlignment::left);
        content.addSubview(view);
        y += line.font.lineHeight() + 8;
    }
}

void addSpinner(ca::Layer& row) {
    auto arc = shape(ui::BezierPath::arc({20, 20}, 16, 0, 2 * pi, true), std::nullopt, cg::Color(0, 0.48, 1, 1), 5);
    arc->setFrame({16, 0, 40, 40});
    arc->setStrokeEnd(0.75);
    auto spin = ns::make<ca::BasicAnimation>();
    spin->setKeyPath("transform.rotation.z");
    spin->setFromValue(0.0);
    spin->setToValue(2 * pi);
    spin->setDuration(1.6);
    spin->setRepeatCount(std::numeric_limits<double>::infinity());
    arc->addAnimation(spin, "spin");
    row.addSublayer(arc);

    // A colour that breathes there and back.
    const cg::Color red{1, 0.23, 0.19, 1};
    auto dot = square({76, 4, 32, 32}, red);
    dot->setCornerRadius(16);
    auto breathe = ns::make<ca::KeyframeAnimation>();
    breathe->setKeyPath("backgroundColor");
    breathe->setValues({std::optional<cg::Color>(red), std::optional<cg::Color>(cg::Color(1, 0.8, 0, 1)),
                        std::optional<cg::Color>(red)});
    breathe->setDuration(2.4);
    breathe->setRepeatCount(std::numeric_limits<double>::infinity());
    dot->addAnimation(breathe, "breathe");
    row.addSublayer(dot);
}

std::shared_ptr<ui::View> row(ui::View& content, double y, double height) {
    auto view = ns::make<ui::View>(cg::Rect{0, y, content.bounds().size.width, height});
    view->setIsUserInteractionEnabled(false);
    content.addSubview(view);
    return view;
}

void build(ui::View& content) {
    addHeading(content, 12, "LAYERS · radius, shadow, border, opacity, turn");
    addLayers(*row(content, 38, 80)->layer());
    addHeading(content, 130, "SHAPES · fill, stroke, curves, stroke end");
    addShapes(*row(content, 150, 84)->layer());
    addHeading(content, 246, "GRADIENTS · axial, locations, rounded");
    addGradients(*row(content, 272, 80)->layer());
    addHeading(content, 366, "TEXT · pinned faces and fallback");
    addText(content, 390);
    addHeading(content, 520, "ANIMATION · endless turn, keyframed colour");
    addSpinner(*row(content, 546, 44)->layer());
}

const PageRegistration registration{{"platform", "Platform", build, 0.5}};

} // namespace

} // namespace pellavo::gallery
