#include "platform/ui/control/ActivityIndicatorView.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/Layer.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/cg/Context.hpp"
#include "platform/cg/MutablePath.hpp"
#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::ui {
namespace {

constexpr int kSpokes = 12;
constexpr double kSide = 20;
constexpr double kLargeSide = 37;
// Each spoke is 2 × 5 pt with round caps, its outer end on the rim.
constexpr double kSpokeWidth = 2;
constexpr double kSpokeLength = 5;
constexpr double kFaintestAlpha = 0.25;

double sideFor(ActivityIndicatorView::Style style) {
    return style == ActivityIndicatorView::Style::whiteLarge ? kLargeSide : kSide;
}

} // namespace

ActivityIndicatorView::ActivityIndicatorView(Style style)
    : View(cg::Rect{0, 0, sideFor(style), sideFor(style)}), style_(style) {}

void ActivityIndicatorView::init() {
    View::init();
    if (hidesWhenStopped_) setIsHidden(true);
}

void ActivityIndicatorView::setActivityIndicatorViewStyle(Style style) {
    change(style_, style, Invalidate::display | Invalidate::intrinsicSize);
}

void ActivityIndicatorView::startAnimating() {
    if (animating_) return;
    animating_ = true;
    setIsHidden(false);
    addSpin();
}

void ActivityIndicatorView::stopAnimating() {
    if (!animating_) return;
    animating_ = false;
    layer()->removeAnimation("spin");
    if (hidesWhenStopped_) setIsHidden(true);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides) {
    hidesWhenStopped_ = hides;
    if (!animating_) setIsHidden(hides);
}

void ActivityIndicatorView::draw(cg::Rect) {
    cg::Context* context = graphicsGetCurrentContext();
    if (context == nullptr) return;
    const cg::Rect b = bounds().standardized();
    const double k = std::min(b.width(), b.height()) / kSide;
    if (!(k > 0)) return;
    const cg::Point c{b.midX(), b.midY()};
    const double outer = kSide / 2 * k;
    const double cap = kSpokeWidth / 2 * k;
    // Caps reach past the segment's ends by half the width.
    const double r0 = outer - kSpokeLength * k + cap;
    const double r1 = outer - cap;
    const double grey = style_ == Style::gray ? 0.5 : 1.0;
    context->setLineWidth(kSpokeWidth * k);
    context->setLineCap(cg::LineCap::round);
    for (int i = 0; i < kSpokes; ++i) {
        // The brightest spoke points up; the others trail it against the turn.
        const double angle = -std::numbers::pi / 2 - i * (2 * std::numbers::pi / kSpokes);
        const double alpha = 1.0 - (1.0 - kFaintestAlpha) * i / (kSpokes - 1);
        cg::MutablePath path;
        path.moveTo({c.x + r0 * std::cos(angle), c.y + r0 * std::sin(angle)});
        path.addLineTo({c.x + r1 * std::cos(angle), c.y + r1 * std::sin(angle)});
        context->setStrokeColor(cg::Color(grey, grey, grey, alpha));
        context->addPath(path.path());
        context->strokePath();
    }
}

void ActivityIndicatorView::addSpin() {
    auto spin = ns::make<ca::BasicAnimation>();
    spin->setKeyPath("transform.rotation.z");
    spin->setFromValue(ca::Value(0.0));
    spin->setToValue(ca::Value(2 * std::numbers::pi));
    spin->setDuration(1);
    spin->setRepeatCount(std::numeric_limits<double>::infinity());
    spin->setTimingFunction(ca::MediaTimingFunction::linear());
    layer()->addAnimation(spin, "spin");
}

cg::Size ActivityIndicatorView::intrinsicContentSize() const { return {sideFor(style_), sideFor(style_)}; }
cg::Size ActivityIndicatorView::sizeThatFits(cg::Size) const { return intrinsicContentSize(); }

} // namespace pellavo::ui
