#include "pellavo/CheckBox/VXCircularCheckBox.hpp"

#include <cmath>
#include <limits>

#include "platform/ca/BasicAnimation.hpp"
#include "platform/ca/ShapeLayer.hpp"
#include "platform/ca/Transform3D.hpp"
#include "platform/ns/AttributedString.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ui/control/Label.hpp"
#include "platform/ui/gesture/TapGestureRecognizer.hpp"
#include "platform/ui/graphics/BezierPath.hpp"
#include "platform/ui/text/StringDrawing.hpp"

namespace pellavo {

namespace {

constexpr double scaleDuration = 0.3;
// Between the control's left edge and a titled box, and between the box and its title.
constexpr double titleGap = 5;

// A size that is not a number draws nothing rather than a NaN oval.
double finiteOrZero(double v) { return std::isfinite(v) ? v : 0; }

} // namespace

VXCircularCheckBox::VXCircularCheckBox(const cg::Rect& frame)
    : ui::Control(frame),
      checkBox_(ns::make<ui::View>()),
      border_(ns::make<ca::ShapeLayer>()),
      circle_(ns::make<ca::ShapeLayer>()),
      titleLabel_(ns::make<ui::Label>()) {}

std::shared_ptr<VXCircularCheckBox> VXCircularCheckBox::loadWith(const cg::Rect& frame, VXCircularCheckBoxData data) {
    auto box = ns::make<VXCircularCheckBox>(cg::Rect{});
    box->setFrame(frame);
    box->data_ = std::move(data);
    box->createCheckBox();
    box->setChecked(box->data_.checked);
    return box;
}

void VXCircularCheckBox::createCheckBox() {
    const double s = finiteOrZero(data_.borderRadius);
    const double r = finiteOrZero(data_.circleRadius);
    const cg::Rect box{0, 0, s, s};
    checkBox_->setFrame(box);
    checkBox_->setIsUserInteractionEnabled(true);

    border_->setPath(ui::BezierPath::ovalIn(box).cgPath());
    border_->setFrame(box);
    border_->setLineWidth(1);
    border_->setStrokeColor(data_.borderColor.cgColor());
    border_->setFillColor(ui::Color::clear().cgColor());
    checkBox_->layer()->addSublayer(border_);

    // The path lies in the layer's own space, so the dot is drawn at 2q, centred in the
    // box, while the layer scales about its own centre, (s + r) / 4.
    const double q = (s - r) / 4;
    const cg::Rect dot{q, q, r, r};
    circle_->setPath(ui::BezierPath::ovalIn(dot).cgPath());
    circle_->setFrame(dot);
    circle_->setLineWidth(0);
    circle_->setFillColor(data_.circleColor.cgColor());
    checkBox_->layer()->addSublayer(circle_);

    const cg::Size size = frame().size;
    checkBox_->setCenter({size.width / 2, size.height / 2});

    auto tap = ns::make<ui::TapGestureRecognizer>();
    tap->addTarget(sharedFromThis(), ns::Selector("toggle"));
    checkBox_->addGestureRecognizer(tap);
    addSubview(checkBox_);

    if (data_.labelText.graphemeCount() > 0) {
        checkBox_->setCenter({s / 2 + titleGap, size.height / 2});
        createLabel();
    }
}

void VXCircularCheckBox::createLabel() {
    const cg::Size size = frame().size;
    const cg::Rect box = checkBox_->frame();
    const double width = size.width - box.size.width - 2 * titleGap;
    const cg::Size text =
        ui::boundingRect(data_.labelText, {width, std::numeric_limits<double>::max()},
                         ui::StringDrawingOptions::usesLineFragmentOrigin,
                         {{ns::AttributedStringKey::font, ns::Value::of(data_.labelFont)}})
            .size;
    titleLabel_->setFrame({box.maxX() + titleGap, (size.height - text.height) / 2, text.width + 2 * titleGap,
                           text.height});
    titleLabel_->setLineBreakMode(ns::LineBreakMode::byWordWrapping);
    titleLabel_->setNumberOfLines(1);
    titleLabel_->setTextColor(data_.labelColor);
    titleLabel_->setFont(data_.labelFont);
    titleLabel_->setText(data_.labelText);
    addSubview(titleLabel_);
}

void VXCircularCheckBox::setChecked(bool checked) {
    checked_ = checked;
    const double v = checked ? 1 : 0;
    // No from-value: the scale starts from what shows now, so a quick second flip
    // turns back smoothly.
    auto scale = ns::make<ca::BasicAnimation>();
    scale->setKeyPath("transform.scale");
    scale->setToValue(ca::Value(v));
    scale->setDuration(scaleDuration);
    circle_->addAnimation(scale, "scale");
    // The model keeps the new scale once the animation ends. Actions stay on: a
    // committed dot also runs the layer's implicit transform animation.
    circle_->setTransform(ca::Transform3D::makeScale(v, v, 0));
}

void VXCircularCheckBox::toggle() {
    setChecked(!checked_);
    sendActions(Event::valueChanged);
}

void VXCircularCheckBox::endTracking(const ui::Touch* touch, const ui::Event* event) {
    // The send may drop the last outside reference.
    auto self = sharedFromThis();
    toggle();
    ui::Control::endTracking(touch, event);
}

bool VXCircularCheckBox::registerWithRuntime() {
    // No default and no coder constructor: known by name, made only by loadWith.
    ns::ClassRegistration<VXCircularCheckBox>("VXCircularCheckBox", "UIControl")
        .action(ns::Selector("toggle"), &VXCircularCheckBox::toggle);
    return true;
}

const bool VXCircularCheckBox::registered_ = VXCircularCheckBox::registerWithRuntime();

} // namespace pellavo
