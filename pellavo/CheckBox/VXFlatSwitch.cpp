#include "pellavo/CheckBox/VXFlatSwitch.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/ca/AnimationGroup.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/KeyframeAnimation.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transaction.hpp"
#include "platform/ns/Runtime.hpp"
#include "platform/ui/graphics/BezierPath.hpp"

namespace pellavo {

namespace {

// The rotation that puts the circle's stroke start (an oval starts at its rightmost
// point) at 212°, where the check mark begins.
constexpr double circleRotation = 3.7000980142279785;

// Animation values are single precision.
ca::Value single(double v) { return ca::Value(static_cast<double>(static_cast<float>(v))); }

// Stays on the layer after it ends and holds its last value.
template <class A>
std::shared_ptr<A> held(double duration, double beginTime = 0) {
    auto animation = ns::make<A>();
    animation->setDuration(duration);
    animation->setBeginTime(beginTime);
    animation->setIsRemovedOnCompletion(false);
    animation->setFillMode(ca::FillMode::forwards);
    return animation;
}

std::shared_ptr<ca::AnimationGroup> linearGroup(double duration,
                                                std::vector<std::shared_ptr<ca::Animation>> animations) {
    auto group = held<ca::AnimationGroup>(duration);
    group->setTimingFunction(ca::MediaTimingFunction::linear());
    group->setAnimations(std::move(animations));
    return group;
}

std::shared_ptr<ca::KeyframeAnimation> paced(std::string keyPath, double duration, double beginTime,
                                             std::vector<double> values, std::vector<double> keyTimes) {
    auto animation = held<ca::KeyframeAnimation>(duration, beginTime);
    animation->setKeyPath(std::move(keyPath));
    std::vector<ca::Value> stored;
    for (double v : values) stored.push_back(single(v));
    animation->setValues(std::move(stored));
    // Paced mode spaces the values by distance; the key times are kept but unused.
    animation->setKeyTimes(std::move(keyTimes));
    animation->setCalculationMode(ca::CalculationMode::paced);
    return animation;
}

std::shared_ptr<ca::BasicAnimation> basic(std::string keyPath, double duration, double beginTime, double from,
                                          double to) {
    auto animation = held<ca::BasicAnimation>(duration, beginTime);
    animation->setKeyPath(std::move(keyPath));
    animation->setFromValue(single(from));
    animation->setToValue(single(to));
    return animation;
}


} // namespace

// Both initialisers store the same defaults: the frame one goes through a coder.
VXFlatSwitch::VXFlatSwitch(const cg::Rect& frame) : VXFlatSwitch(ns::Coder::with(ns::Coder::frameKey, frame)) {}

VXFlatSwitch::VXFlatSwitch(const ns::Coder& coder)
    : ui::Control(coder),
      strokeColor_(ui::Color::black()),
      trailStrokeColor_(ui::Color::gray()),
      trailCircle_(ns::make<ca::ShapeLayer>()),
      circle_(ns::make<ca::ShapeLayer>()),
      checkmark_(ns::make<ca::ShapeLayer>()) {}

void VXFlatSwitch::init() {
    ui::Control::init();
    configure();
}

void VXFlatSwitch::configure() {
    for (const auto& shape : {trailCircle_, circle_, checkmark_}) {
        shape->setLineJoin(cg::LineJoin::round);
        shape->setLineCap(cg::LineCap::round);
        shape->setLineWidth(lineWidth_);
        shape->setFillColor(ui::Color::clear().cgColor());
        layer()->addSublayer(shape);
        shape->setStrokeColor((shape == trailCircle_ ? trailStrokeColor_ : strokeColor_).cgColor());
    }
    setSelected(false, false);
    addTarget(weakFromThis(), ns::Selector("handleTouchUpInside"), Event::touchUpInside);
}

// ------------------------------------------------------------------ properties

void VXFlatSwitch::setLineWidth(double width) {
    // A NaN or infinite width would poison every path at the next layout.
    if (!std::isfinite(width)) return;
    lineWidth_ = width;
    circle_->setLineWidth(width);
    checkmark_->setLineWidth(width);
    trailCircle_->setLineWidth(width);
}

void VXFlatSwitch::setStrokeColor(ui::Color color) {
    strokeColor_ = color;
    circle_->setStrokeColor(color.cgColor());
    checkmark_->setStrokeColor(color.cgColor());
}

void VXFlatSwitch::setTrailStrokeColor(ui::Color color) {
    trailStrokeColor_ = color;
    trailCircle_->setStrokeColor(color.cgColor());
}

// ------------------------------------------------------------------ state

void VXFlatSwitch::setIsSelected(bool selected) {
    ui::Control::setIsSelected(selected);
    setSelected(selected, false);
}

void VXFlatSwitch::setSelected(bool selected, bool animated) {
    isSelectedInternal_ = selected;
    checkmark_->removeAllAnimations();
    circle_->removeAllAnimations();
    trailCircle_->removeAllAnimations();
    resetLayerValues(selected, animated);
    if (animated) addAnimations(selected);
}

void VXFlatSwitch::handleTouchUpInside() {
    const auto answer = ns::Runtime::shared().value(*this, "selected");
    const bool selected = answer ? answer->asBool().value_or(isSelectedInternal_) : isSelectedInternal_;
    setSelected(!selected, animatesOnTouch_);
    sendActions(Event::valueChanged);
}

void VXFlatSwitch::resetLayerValues(bool desiredSelectedState, bool stateWillBeAnimated) {
    const ca::Transaction::ActionsDisabled scope;
    const bool on = desiredSelectedState != stateWillBeAnimated;
    checkmark_->setStrokeEnd(on ? finalStrokeEndForCheckmark : 0);
    checkmark_->setStrokeStart(on ? finalStrokeStartForCheckmark : 0);
    trailCircle_->setOpacity(on ? 1 : 0);
    circle_->setStrokeStart(0);
    circle_->setStrokeEnd(on ? 0 : 1);
}

void VXFlatSwitch::addAnimations(bool desiredSelectedState) {
    const bool on = desiredSelectedState;
    const double end = finalStrokeEndForCheckmark;
    const double start = finalStrokeStartForCheckmark;
    const double bounce = checkmarkBounceAmount;

    auto strokeEnd = on ? paced("strokeEnd", animationDuration, 0, {0, end + bounce, end}, {0, 0.24, 0.3})
                        : paced("strokeEnd", animationDuration, 0, {end, end + bounce, -bounce}, {0, 0.06, 0.3});
    auto strokeStart =
        on ? paced("strokeStart", animationDuration / 2, animationDuration / 2, {0, start + bounce, start},
                   {0, 0.09, 0.15})
           : paced("strokeStart", animationDuration / 2, 0, {start, start + bounce, 0}, {0, 0.06, 0.15});
    checkmark_->addAnimation(linearGroup(animationDuration, {strokeEnd, strokeStart}), "checkmarkAnimation");

    // Turning on, the circle unwinds in the first half; turning off, it redraws in the second.
    auto circleEnd = on ? basic("strokeEnd", animationDuration / 2, 0, 1, -bounce)
                        : basic("strokeEnd", animationDuration / 2, animationDuration / 2, 0, 1);
    circle_->addAnimation(linearGroup(animationDuration, {circleEnd}), "circleStrokeEnd");

    auto trail = basic("opacity", animationDuration, 0, on ? 0 : 1, on ? 1 : 0);
    trail->setTimingFunction(ca::MediaTimingFunction::linear());
    trailCircle_->addAnimation(trail, "trailCircleColor");
}

// ------------------------------------------------------------------ geometry

void VXFlatSwitch::layoutSublayers(ca::Layer& layer) {
    ui::Control::layoutSublayers(layer);
    if (&layer != this->layer().get()) return;

    const ca::Transaction::ActionsDisabled scope;
    const cg::Rect box = bounds();
    // Bounds narrower than the line give no circle at all rather than a mirrored one.
    const double r = std::max(0.0, std::min(box.size.width, box.size.height) * 0.5 - lineWidth_ * 0.5);
    const double ox = (box.size.width - 2 * r) * 0.5;
    const double oy = (box.size.height - 2 * r) * 0.5;
    const double cx = ox + r;
    const double cy = oy + r;
    const cg::Path oval = ui::BezierPath::ovalIn({ox, oy, 2 * r, 2 * r}).cgPath();

    trailCircle_->setPath(oval);

    circle_->setTransform(ca::Transform3D::identity());
    circle_->setFrame(box);
    circle_->setPath(oval);
    circle_->setTransform(ca::Transform3D::makeRotation(circleRotation, 0, 0, 1));

    // Both arms end on the circle, 32° and 40° above the horizontal diameter; the bend
    // lies 0.1r left of and 0.4r below the centre.
    checkmarkSplitPoint_ = {ox + r * 0.9, oy + r * 1.4};
    ui::BezierPath check;
    check.move({cx - r * 0.8480480961564261, cy - r * 0.5299192642332048});
    check.addLine(checkmarkSplitPoint_);
    check.addLine({cx + r * 0.7660444431189779, cy - r * 0.6427876096865396});
    checkmark_->setFrame(box);
    checkmark_->setPath(check.cgPath());
}

// ------------------------------------------------------------------ runtime

bool VXFlatSwitch::registerWithRuntime() {
    auto& runtime = ns::Runtime::shared();
    constexpr std::string_view name = "VXFlatSwitch";
    runtime.registerClass<VXFlatSwitch>(name, "UIControl");
    runtime.addProperty<VXFlatSwitch, double>(name, "lineWidth", &VXFlatSwitch::lineWidth,
                                              &VXFlatSwitch::setLineWidth);
    runtime.addProperty<VXFlatSwitch, bool>(name, "animatesOnTouch", &VXFlatSwitch::animatesOnTouch,
                                            &VXFlatSwitch::setAnimatesOnTouch);
    runtime.addProperty<VXFlatSwitch, ui::Color>(name, "strokeColor", &VXFlatSwitch::strokeColor,
                                                 &VXFlatSwitch::setStrokeColor);
    runtime.addProperty<VXFlatSwitch, ui::Color>(name, "trailStrokeColor", &VXFlatSwitch::trailStrokeColor,
                                                 &VXFlatSwitch::setTrailStrokeColor);
    // "selected" stays UIControl's: isSelected() is virtual, so it reads this switch's state.
    runtime.addAction(name, ns::Selector("handleTouchUpInside"), &VXFlatSwitch::handleTouchUpInside);
    return true;
}

const bool VXFlatSwitch::registered_ = VXFlatSwitch::registerWithRuntime();

} // namespace pellavo
