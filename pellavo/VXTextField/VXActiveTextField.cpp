#include "pellavo/VXTextField/VXActiveTextField.hpp"

#include <optional>
#include <string>
#include <utility>

#include "pellavo/VXTextField/Line.hpp"
#include "platform/ca/BasicAnimation.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/NotificationCenter.hpp"

namespace pellavo {

namespace {

const char* const kStartKey = "ActiveLineStartAnimation";
const char* const kEndKey = "ActiveLineEndAnimation";

const ns::Selector& beginSelector() {
    static const ns::Selector selector("textFieldDidBeginEditing");
    return selector;
}
const ns::Selector& endSelector() {
    static const ns::Selector selector("textFieldDidEndEditing");
    return selector;
}

// Stays on the layer after it ends and holds its last value there: the layer's own
// strokeEnd remains 1, and what is drawn is whichever of the two was added last. A
// missing from-value starts from what is shown when the animation is added.
std::shared_ptr<ca::BasicAnimation> lineAnimation(std::string path, std::optional<ca::Value> from,
                                                  std::optional<ca::Value> to, double duration) {
    auto animation = ns::make<ca::BasicAnimation>();
    animation->setKeyPath(std::move(path));
    if (from) animation->setFromValue(std::move(from));
    if (to) animation->setToValue(std::move(to));
    animation->setDuration(duration);
    animation->setIsRemovedOnCompletion(false);
    animation->setFillMode(ca::FillMode::forwards);
    return animation;
}

} // namespace

VXActiveTextField::VXActiveTextField(cg::Rect frame) : VXBorderedTextField(frame), activeLine_(ns::make<Line>()) {}

VXActiveTextField::VXActiveTextField(const ns::Coder& coder)
    : VXBorderedTextField(coder), activeLine_(ns::make<Line>()) {}

ui::Color VXActiveTextField::activeLineColor() const { return activeLine_->color(); }

void VXActiveTextField::setActiveLineColor(ui::Color color) { activeLine_->setColor(color); }

double VXActiveTextField::activeLineWidth() const { return activeLine_->width(); }

void VXActiveTextField::setActiveLineWidth(double width) { activeLine_->setWidth(width); }

void VXActiveTextField::awakeFromNib() {
    VXBorderedTextField::awakeFromNib();
    if (wired_) return;
    wired_ = true;
    // After the placeholder's observers of the same notifications, so that the
    // placeholder floats first. Weak registrations; the base's destructor removes them.
    const auto self = sharedFromThis<ns::Object>();
    auto& center = ns::NotificationCenter::defaultCenter();
    center.addObserver(self, beginSelector(), ns::UITextFieldTextDidBeginEditingNotification, self);
    center.addObserver(self, endSelector(), ns::UITextFieldTextDidEndEditingNotification, self);
    configureActiveLine();
}

void VXActiveTextField::configureActiveLine() {
    activeLine_->layer->setFillColor(ui::Color::clear().cgColor());
    layer()->insertSublayerAbove(activeLine_->layer, bottomLine()->layer);
}

void VXActiveTextField::textFieldDidBeginEditing() {
    // The only fit of the active line: it keeps this width until the next begin.
    calculateLine(*activeLine_);
    activeLine_->layer->addAnimation(lineAnimation("strokeEnd", 0.0, 1.0, animationDuration_), kStartKey);
}

void VXActiveTextField::textFieldDidEndEditing() {
    // From wherever the line is shown now, also in the middle of a grow.
    activeLine_->layer->addAnimation(lineAnimation("strokeEnd", std::nullopt, 0.0, animationDuration_), kEndKey);
}

bool VXActiveTextField::registerWithRuntime() {
    using Self = VXActiveTextField;
    ns::ClassRegistration<Self>("VXActiveTextField", "VXBorderedTextField")
        .property<ui::Color>("activeLineColor", &Self::activeLineColor, &Self::setActiveLineColor)
        .property<double>("activeLineWidth", &Self::activeLineWidth, &Self::setActiveLineWidth)
        .property<double>("animationDuration", &Self::animationDuration, &Self::setAnimationDuration)
        .action(beginSelector(), &Self::textFieldDidBeginEditing)
        .action(endSelector(), &Self::textFieldDidEndEditing);
    return true;
}

const bool VXActiveTextField::registered_ = VXActiveTextField::registerWithRuntime();

} // namespace pellavo
