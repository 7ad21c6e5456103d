#include "pellavo/VXTextField/VXAttributedTextField.hpp"

#include <cmath>
#include <utility>

#include "platform/ca/Layer.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

// Both initialisers leave the label unmade: it comes with its first use.
VXAttributedTextField::VXAttributedTextField(cg::Rect frame) : VXActiveTextField(frame) {}

VXAttributedTextField::VXAttributedTextField(const ns::Coder& coder) : VXActiveTextField(coder) {}

std::shared_ptr<ui::Label> VXAttributedTextField::infoLabel() {
    if (!infoLabel_) infoLabel_ = ns::make<ui::Label>();
    return infoLabel_;
}

ui::Color VXAttributedTextField::infoTextColor() { return infoLabel()->textColor(); }

void VXAttributedTextField::setInfoTextColor(ui::Color color) { infoLabel()->setTextColor(color); }

double VXAttributedTextField::infoFontSize() { return infoLabel()->font().pointSize(); }

void VXAttributedTextField::setInfoFontSize(double size) {
    if (!std::isfinite(size)) return;
    const auto label = infoLabel();
    label->setFont(label->font().withSize(size));
}

// ------------------------------------------------------------------ set-up

void VXAttributedTextField::awakeFromNib() {
    VXActiveTextField::awakeFromNib();
    plugLabelIfNeeded();
}

void VXAttributedTextField::plugLabelIfNeeded() {
    const auto label = infoLabel();
    if (label->superview()) return;
    addSubview(label);
    label->setTranslatesAutoresizingMaskIntoConstraints(false);
    // Below the bounds, as wide as the field: seen because a text field does not clip.
    const auto field = sharedFromThis<ui::View>();
    label->leadingAnchor().constraintEqualTo(field->leadingAnchor(), 0)->setActive(true);
    label->trailingAnchor().constraintEqualTo(field->trailingAnchor(), 0)->setActive(true);
    label->topAnchor().constraintEqualTo(field->bottomAnchor(), 2)->setActive(true);
}

// ------------------------------------------------------------------ show and hide

void VXAttributedTextField::showInfo(const ns::AttributedString& text, bool animated) {
    show(animated, [text](ui::Label& label) { label.setAttributedText(text); });
}

void VXAttributedTextField::showInfo(const ns::String& text, bool animated) {
    show(animated, [text](ui::Label& label) { label.setText(text); });
}

void VXAttributedTextField::show(bool animated, std::function<void(ui::Label&)> setText) {
    const auto label = infoLabel();
    // A model change never removes a running view animation: without this a hide's
    // fade would run on to 0 and the label pop back to opaque at its end.
    label->layer()->removeAnimation("opacity");
    if (!animated) {
        label->setAlpha(1);
        setText(*label);
        return;
    }
    const std::weak_ptr<ui::Label> weak = label;
    ui::View::transition(label, infoAnimationDuration_, ui::ViewAnimationOptions::transitionCrossDissolve,
                         [weak, setText = std::move(setText)] {
                             const auto strong = weak.lock();
                             if (!strong) return;
                             strong->setAlpha(1);
                             setText(*strong);
                         });
}

void VXAttributedTextField::hideInfo(bool animated) {
    const auto label = infoLabel();
    if (!animated) {
        label->setAlpha(0);
        return;
    }
    const std::weak_ptr<ui::Label> weak = label;
    ui::View::animate(infoAnimationDuration_, [weak] {
        if (const auto strong = weak.lock()) strong->setAlpha(0);
    });
}

// ------------------------------------------------------------------ runtime

bool VXAttributedTextField::registerWithRuntime() {
    using Self = VXAttributedTextField;
    ns::ClassRegistration<Self>("VXAttributedTextField", "VXActiveTextField")
        .property<double>("infoAnimationDuration", &Self::infoAnimationDuration, &Self::setInfoAnimationDuration)
        .property<double>("infoFontSize", &Self::infoFontSize, &Self::setInfoFontSize)
        .property<ui::Color>("infoTextColor", &Self::infoTextColor, &Self::setInfoTextColor);
    return true;
}

const bool VXAttributedTextField::registered_ = VXAttributedTextField::registerWithRuntime();

} // namespace pellavo
