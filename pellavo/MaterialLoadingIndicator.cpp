#include "pellavo/MaterialLoadingIndicator.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/MediaTimingFunction.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/ui/graphics/BezierPath.hpp"

namespace pellavo {

namespace {

constexpr double turn = 2 * std::numbers::pi;
constexpr double endless = std::numeric_limits<double>::infinity();

ui::Color colorFromHex(std::uint32_t hex, double alpha = 1) {
    const auto channel = [hex](int shift) { return static_cast<double>((hex >> shift) & 0xFFu) / 255.0; };
    return ui::Color(channel(16), channel(8), channel(0), alpha);
}

std::shared_ptr<ca::BasicAnimation> strokeStep(const char* keyPath, double from, double to, double duration,
                                               double begin) {
    auto step = ns::make<ca::BasicAnimation>();
    step->setKeyPath(keyPath);
    step->setFromValue(from);
    step->setToValue(to);
    step->setDuration(duration);
    step->setBeginTime(begin);
    step->setTimingFunction(ca::MediaTimingFunction(0.39, 0.575, 0.565, 1.0));
    step->setFillMode(ca::FillMode::forwards);
    step->setIsRemovedOnCompletion(false);
    return step;
}

} // namespace

MaterialLoadingIndicator::MaterialLoadingIndicator(const cg::Rect& frame)
    : ui::View(frame), colors_{colorFromHex(0x4285F4), colorFromHex(0xDE3E35), colorFromHex(0xF7C223),
                               colorFromHex(0x1B9A59), colorFromHex(0x4285F4)},
      circleShapeLayer_(ns::make<ca::ShapeLayer>()) {}

void MaterialLoadingIndicator::init() {
    ui::View::init();
    setBackgroundColor(ui::Color::clear());
    initShapeLayer();
}

void MaterialLoadingIndicator::initShapeLayer() {
    auto& arc = *circleShapeLayer_;
    // The code sets these directly every cycle: no implicit animations.
    arc.setActions(
        {{"strokeEnd", nullptr}, {"strokeStart", nullptr}, {"transform", nullptr}, {"strokeColor", nullptr}});
    arc.setBackgroundColor(ui::Color::clear().cgColor());
    arc.setFillColor(ui::Color::clear().cgColor());
    arc.setStrokeColor(ui::Color::blue().cgColor());
    arc.setLineWidth(5);
    arc.setLineCap(cg::LineCap::round);
    arc.setStrokeStart(0);
    arc.setStrokeEnd(MinStrokeLength);
    const cg::Rect box = bounds();
    arc.setFrame(box);
    const double width = box.size.width;
    arc.setPath(ui::BezierPath::arc({width * 0.5, box.size.height * 0.5}, width * 0.5, 0, turn, true).cgPath());
    layer()->addSublayer(circleShapeLayer_);
}

void MaterialLoadingIndicator::startAnimating() {
    if (layer()->animation("rotation")) return;
    startColorAnimation();
    startStrokeAnimation();
    startRotatingAnimation();
}

void MaterialLoadingIndicator::startColorAnimation() {
    auto color = ns::make<ca::KeyframeAnimation>();
    color->setKeyPath("strokeColor");
    color->setDuration(animationDurring_);
    std::vector<ca::Value> values;
    values.reserve(colors_.size());
    for (const ui::Color& c : colors_) values.emplace_back(std::optional<cg::Color>(c.cgColor()));
    color->setValues(std::move(values));
    color->setCalculationMode(ca::CalculationMode::paced);
    color->setRepeatCount(endless);
    circleShapeLayer_->addAnimation(color, "color");
}

void MaterialLoadingIndicator::startRotatingAnimation() {
    auto rotation = ns::make<ca::BasicAnimation>();
    rotation->setKeyPath("transform.rotation.z");
    rotation->setToValue(turn);
    rotation->setDuration(2.2);
    rotation->setIsCumulative(true);
    rotation->setIsAdditive(true);
    rotation->setRepeatCount(endless);
    layer()->addAnimation(rotation, "rotation");
}

void MaterialLoadingIndicator::startStrokeAnimation() {
    const double end = circleShapeLayer_->strokeEnd();
    auto head = strokeStep("strokeEnd", end, end + MaxStrokeLength, 0.5, 0.1);
    // The tail starts 0.2 s after the head ends and the cycle ends with it; written out,
    // as summing the parts would end the cycle a hair after 1.2 s.
    auto tail = strokeStep("strokeStart", circleShapeLayer_->strokeStart(),
                           std::abs(end + MaxStrokeLength - MinStrokeLength), 0.4, 0.8);
    auto group = ns::make<ca::AnimationGroup>();
    group->setAnimations({head, tail});
    group->setDuration(1.2);
    group->setFillMode(ca::FillMode::forwards);
    group->setIsRemovedOnCompletion(false);

    // The completion restarts only the cycle it belongs to: once that cycle was
    // removed (stopped, or replaced by a fresh start) it must not turn the arc again.
    auto cycle = std::make_shared<std::weak_ptr<ca::Animation>>();
    const std::weak_ptr<MaterialLoadingIndicator> weak = weakFromThis<MaterialLoadingIndicator>();
    ca::Transaction::begin();
    ca::Transaction::setCompletionBlock([weak, cycle] {
        const auto self = weak.lock();
        if (!self) return;
        ca::ShapeLayer& arc = *self->circleShapeLayer_;
        const auto attached = arc.animation("stroke");
        if (!attached || attached != cycle->lock()) return;
        arc.setTransform(arc.transform().rotated(MaxStrokeLength * turn, 0, 0, 1));
        arc.removeAnimation("stroke");
        self->startStrokeAnimation();
    });
    circleShapeLayer_->addAnimation(group, "stroke");
    ca::Transaction::commit();
    *cycle = circleShapeLayer_->animation("stroke");
}

void MaterialLoadingIndicator::stopAnimating() {
    circleShapeLayer_->removeAllAnimations();
    layer()->removeAllAnimations();
    circleShapeLayer_->setTransform(ca::Transform3D::identity());
    layer()->setTransform(ca::Transform3D::identity());
}

} // namespace pellavo
