// Pastel views moving through their colour pairs (the default list caught halfway through
// its first step, and three ready-made gradients in different directions), and shadow
// image views whose soft shadows are blurred on a worker queue.
#include <memory>
#include <string>

#include "examples/gallery/Gallery.hpp"
#include "pellavo/Pastel/PastelView.hpp"
#include "pellavo/VXShadowImageView.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::gallery {

namespace {

// A 64 × 64 picture of four bright quadrants, for the shadows to take their colours from.
ui::Image quadrants() {
    ui::graphicsBeginImageContextWithOptions({64, 64}, false, 1);
    if (cg::Context* context = ui::graphicsGetCurrentContext()) {
        const cg::Color colors[] = {{1, 0.25, 0.2, 1}, {1, 0.8, 0, 1}, {0.1, 0.75, 0.3, 1}, {0.15, 0.4, 1, 1}};
        for (int i = 0; i < 4; ++i) {
            context->setFillColor(colors[i]);
            context->fill({(i % 2) * 32.0, (i / 2) * 32.0, 32, 32});
        }
    }
    ui::Image image = ui::graphicsGetImageFromCurrentImageContext();
    ui::graphicsEndImageContext();
    return image;
}

void caption(ui::View& content, const cg::Rect& frame, const std::string& text) {
    auto label = ns::make<ui::Label>(frame);
    label->setText(ns::String(text));
    label->setFont(ui::Font::systemFont(11, ui::Font::Weight::regular));
    label->setTextColor(ui::Color(0.35, 1));
    label->setTextAlignment(ns::TextAlignment::center);
    content.addSubview(label);
}

void pastel(ui::View& content, double x, PastelGradient gradient, PastelView::PastelPoint from,
            PastelView::PastelPoint to, const std::string& text) {
    auto view = ns::make<PastelView>(cg::Rect{x, 236, 110, 80});
    view->setPastelGradient(gradient);
    view->setStartPastelPoint(from);
    view->setEndPastelPoint(to);
    // Long steps: a two-colour list halfway through a step shows one flat colour.
    view->setAnimationDuration(20);
    content.addSubview(view);
    view->startAnimation();
    caption(content, {x - 5, 320, 120, 14}, text);
}

std::shared_ptr<ShadowImageView> shadow(ui::View& content, double x, const ui::Image& image, const std::string& text) {
    auto view = ns::make<ShadowImageView>(cg::Rect{x, 388, 110, 110});
    view->setContentMode(ui::View::ContentMode::scaleAspectFit);
    content.addSubview(view);
    view->setImage(image);
    caption(content, {x - 15, 530, 140, 14}, text);
    return view;
}

void build(ui::View& content) {
    addHeading(content, 8, "DEFAULT · halfway through the first step");
    auto standard = ns::make<PastelView>(cg::Rect{0, 30, 375, 180});
    content.addSubview(standard);
    standard->startAnimation();

    addHeading(content, 214, "READY-MADE GRADIENTS · 20 s steps");
    using P = PastelView::PastelPoint;
    pastel(content, 11, PastelGradient::salmonRaspberry, P::left, P::right, "salmonRaspberry · →");
    pastel(content, 132.5, PastelGradient::skyIce, P::top, P::bottom, "skyIce · ↓");
    pastel(content, 254, PastelGradient::sunnyPeach, P::topLeft, P::bottomRight, "sunnyPeach · ↘");

    addHeading(content, 346, "SHADOW IMAGE VIEW · aspect fit");
    const ui::Image image = quadrants();
    shadow(content, 11, image, "defaults");
    auto lifted = shadow(content, 132.5, image, "corner 20 · y 10 · +10 %");
    lifted->setImageCornerRaidus(20);
    lifted->setShadowOffSetByY(10);
    lifted->setShadowRadiusOffSetPercentage(10);
    auto faint = shadow(content, 254, image, "alpha 0.5 · blur 8");
    faint->setShadowAlpha(0.5);
    faint->setBlurRadius(8);
}

const PageRegistration registration{{"PastelAndShadow", "Pastel and shadow views", build, 2.5}};

} // namespace

} // namespace pellavo::gallery
