#include "pellavo/VXGradientView.hpp"

#include <cmath>
#include <optional>
#include <vector>

#include "platform/ca/GradientLayer.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/control/BlurEffect.hpp"
#include "platform/ui/control/VisualEffectView.hpp"

namespace pellavo {

// Both initialisers store the same defaults: the frame one goes through a coder.
VXGradientView::VXGradientView(const cg::Rect& frame) : VXGradientView(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXGradientView::VXGradientView(const ns::Coder& coder) : ui::View(coder) { setBackgroundColor(ui::Color::clear()); }

// ------------------------------------------------------------------ settings

void VXGradientView::setFirstColor(ui::Color color) {
    firstColor_ = color;
    if (gradientLayer_) updateColors();
}

void VXGradientView::setSecondColor(ui::Color color) {
    secondColor_ = color;
    if (gradientLayer_) updateColors();
}

void VXGradientView::setAngleº(float angle) {
    if (!std::isfinite(angle)) return;
    float a = angle;
    if (a < 0) a += 360;
    a += 45;
    // Whole turns counted in float, so no magnitude overflows an integer. The fused
    // form equals a - turns × 360 wherever that product is exact, and for huge angles
    // it cannot round the product up to infinity.
    const float turns = std::trunc(a / 360.0f);
    if (turns >= 1) a = std::fma(-turns, 360.0f, a);
    angle_ = a;
    if (gradientLayer_) applyPoints();
}

void VXGradientView::setColorRatio(float ratio) {
    colorRatio_ = ratio;
    if (gradientLayer_) applyLocations();
}

void VXGradientView::setFadeIntensity(float intensity) {
    fadeIntensity_ = intensity;
    if (gradientLayer_) applyLocations();
}

void VXGradientView::setIsBlur(bool blur) {
    isBlur_ = blur;
    if (gradientLayer_) checkBlurStatusAndUpdateOpacity();
}

void VXGradientView::setBlurOpacity(float opacity) {
    blurOpacity_ = opacity;
    if (gradientLayer_) checkBlurStatusAndUpdateOpacity();
}

void VXGradientView::setGradientLayer(std::shared_ptr<ca::GradientLayer> layer) { gradientLayer_ = std::move(layer); }

// ------------------------------------------------------------------ drawing

void VXGradientView::draw(cg::Rect rect) {
    (void)rect;
    if (!gradientLayer_) {
        gradientLayer_ = ns::make<ca::GradientLayer>();
        layer()->insertSublayer(gradientLayer_, 0);
    }
    gradientLayer_->setFrame(bounds());
    updateColors();
    applyPoints();
    applyLocations();
    checkBlurStatusAndUpdateOpacity();
}

void VXGradientView::updateColors() { gradientLayer_->setColors({firstColor_.cgColor(), secondColor_.cgColor()}); }

void VXGradientView::checkBlurStatusAndUpdateOpacity() {
    if (!isBlur_) {
        if (blurLayer_) blurLayer_->removeFromSuperlayer();
        // A layer the host put in blurLayer's place must not strand the blur view's own.
        if (blurView_) blurView_->layer()->removeFromSuperlayer();
        blurLayer_.reset();
        blurView_.reset();
        return;
    }
    if (!blurView_) {
        blurView_ = ns::make<ui::VisualEffectView>(ui::BlurEffect(ui::BlurEffect::Style::light));
        // Sized once: the blur does not follow later size changes.
        blurView_->setFrame(bounds());
        blurLayer_ = blurView_->layer();
    }
    // The blur layer stands for the blur view's layer whenever the view exists.
    if (!blurLayer_) blurLayer_ = blurView_->layer();
    const double alpha = static_cast<double>(0.9f - 0.5f * blurOpacity_);
    gradientLayer_->setColors(
        {firstColor_.withAlphaComponent(alpha).cgColor(), secondColor_.withAlphaComponent(alpha).cgColor()});
    layer()->insertSublayerBelow(blurLayer_, gradientLayer_);
}

std::pair<cg::Point, cg::Point> VXGradientView::startEndPoints() const {
    // The angle walks the unit square's edge a quarter turn per 90 degrees; the
    // gradient runs from the opposite point to that one.
    const float q = angle_ / 90.0f;
    float x = 0;
    float y = 0;
    if (q <= 1) {
        x = q;
    } else if (q <= 2) {
        x = 1;
        y = q - 1;
    } else if (q <= 3) {
        x = 1 - (q - 2);
        y = 1;
    } else if (q <= 4) {
        y = 1 - (q - 3);
    }
    return {cg::Point{static_cast<double>(1 - x), static_cast<double>(y)},
            cg::Point{static_cast<double>(x), static_cast<double>(1 - y)}};
}

std::array<float, 2> VXGradientView::locations() const {
    const float r = colorRatio_;
    // A ratio of exactly 0 or 1 divides by zero: an infinite divisor, no transition.
    float divisor = 0;
    if (r == 0.1f) {
        divisor = 10; // keeps [0, 0.2] exact
    } else if (r < 0.5f) {
        divisor = 1 / (1 - ((0.5f - r) + 0.5f));
    } else {
        divisor = 1 / (1 - r);
    }
    const float d = fadeIntensity_ / divisor;
    return {r - d, r + d};
}

void VXGradientView::applyPoints() {
    const auto [start, end] = startEndPoints();
    gradientLayer_->setStartPoint(start);
    gradientLayer_->setEndPoint(end);
}

void VXGradientView::applyLocations() {
    const auto [first, second] = locations();
    gradientLayer_->setLocations(std::vector<double>{static_cast<double>(first), static_cast<double>(second)});
}

// ------------------------------------------------------------------ runtime

bool VXGradientView::registerWithRuntime() {
    auto& runtime = ns::Runtime::shared();
    constexpr std::string_view name = "VXGradientView";
    runtime.registerClass<VXGradientView>(name, "UIView");
    runtime.addProperty<VXGradientView, ui::Color>(name, "firstColor", &VXGradientView::firstColor,
                                                   &VXGradientView::setFirstColor);
    runtime.addProperty<VXGradientView, ui::Color>(name, "secondColor", &VXGradientView::secondColor,
                                                   &VXGradientView::setSecondColor);
    runtime.addProperty<VXGradientView, float>(name, "angle\u00BA", &VXGradientView::angleº,
                                               &VXGradientView::setAngleº);
    runtime.addProperty<VXGradientView, float>(name, "colorRatio", &VXGradientView::colorRatio,
                                               &VXGradientView::setColorRatio);
    runtime.addProperty<VXGradientView, float>(name, "fadeIntensity", &VXGradientView::fadeIntensity,
                                               &VXGradientView::setFadeIntensity);
    runtime.addProperty<VXGradientView, bool>(name, "isBlur", &VXGradientView::isBlur, &VXGradientView::setIsBlur);
    runtime.addProperty<VXGradientView, float>(name, "blurOpacity", &VXGradientView::blurOpacity,
                                               &VXGradientView::setBlurOpacity);
    return true;
}

const bool VXGradientView::registered_ = VXGradientView::registerWithRuntime();

} // namespace pellavo
