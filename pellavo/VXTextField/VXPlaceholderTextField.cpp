#include "pellavo/VXTextField/VXPlaceholderTextField.hpp"

#include <cmath>
#include <string_view>
#include <utility>

#include "pellavo/VXTextField/FontAnimation.hpp"
#include "platform/dispatch/Queue.hpp"
#include "platform/ns/ClassRegistration.hpp"
#include "platform/ns/Clock.hpp"
#include "platform/ns/Coder.hpp"
#include "platform/ns/NotificationCenter.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo {

namespace {

const ns::Selector& minimizePlaceholderSelector() {
    static const ns::Selector selector("minimizePlaceholder");
    return selector;
}
const ns::Selector& maximizePlaceholderSelector() {
    static const ns::Selector selector("maximizePlaceholder");
    return selector;
}

} // namespace

// Both initialisers only store the defaults: the wiring waits for awakeFromNib.
VXPlaceholderTextField::VXPlaceholderTextField(cg::Rect frame) : ui::TextField(frame) {}

VXPlaceholderTextField::VXPlaceholderTextField(const ns::Coder& coder) : ui::TextField(coder) {}

VXPlaceholderTextField::~VXPlaceholderTextField() {
    ns::NotificationCenter::defaultCenter().removeObserver(this);
    // The font animations go with their members, which takes their links off the run loop.
}

// ------------------------------------------------------------------ properties

void VXPlaceholderTextField::setMinimumPlaceholderFontSize(double size) {
    if (std::isfinite(size)) minimumPlaceholderFontSize_ = size;
}

void VXPlaceholderTextField::setOriginalPlaceholderFontSize(double size) {
    if (std::isfinite(size)) originalPlaceholderFontSize_ = size;
}

void VXPlaceholderTextField::setPlaceholderDuration(double duration) {
    if (std::isfinite(duration)) placeholderDuration_ = duration;
}

ui::Color VXPlaceholderTextField::placeholderColor() const { return label()->textColor(); }

void VXPlaceholderTextField::setPlaceholderColor(std::optional<ui::Color> color) {
    label()->setTextColor(std::move(color));
}

std::optional<ns::String> VXPlaceholderTextField::tweePlaceholder() const { return label()->text(); }

void VXPlaceholderTextField::setTweePlaceholder(std::optional<ns::String> text) {
    addPlaceholderLabelIfNeeded();
    label()->setText(std::move(text));
}

std::optional<ns::AttributedString> VXPlaceholderTextField::attributedTweePlaceholder() const {
    return label()->attributedText();
}

void VXPlaceholderTextField::setAttributedTweePlaceholder(std::optional<ns::AttributedString> text) {
    addPlaceholderLabelIfNeeded();
    label()->setAttributedText(std::move(text));
}

std::shared_ptr<ui::Label> VXPlaceholderTextField::placeholderLabel() { return label(); }

const std::shared_ptr<ui::Label>& VXPlaceholderTextField::label() const {
    if (!placeholderLabel_) placeholderLabel_ = ns::make<ui::Label>();
    return placeholderLabel_;
}

// ------------------------------------------------------------------ set-up

void VXPlaceholderTextField::awakeFromNib() {
    ui::TextField::awakeFromNib();
    // A second wake (a code-made field woken by hand twice) wires nothing again.
    if (wired_) return;
    wired_ = true;
    initializeTextField();
}

void VXPlaceholderTextField::initializeTextField() {
    const auto self = sharedFromThis<ns::Object>();
    auto& center = ns::NotificationCenter::defaultCenter();
    center.addObserver(self, minimizePlaceholderSelector(), ns::UITextFieldTextDidBeginEditingNotification, self);
    center.addObserver(self, maximizePlaceholderSelector(), ns::UITextFieldTextDidEndEditingNotification, self);
    minimizeFontAnimation_ = ns::make<FontAnimation>(self, ns::Selector("minimizePlaceholderFontSize"));
    maximizeFontAnimation_ = ns::make<FontAnimation>(self, ns::Selector("maximizePlaceholderFontSize"));
    const auto& placeholder = label();
    placeholder->setFont(placeholder->font().withSize(originalPlaceholderFontSize_));
}

void VXPlaceholderTextField::addPlaceholderLabelIfNeeded() {
    const auto placeholder = label();
    if (placeholder->superview()) return;
    addSubview(placeholder);
    placeholder->setTranslatesAutoresizingMaskIntoConstraints(false);
    const auto field = sharedFromThis<ui::View>();
    placeholder->leadingAnchor().constraintEqualTo(field->leadingAnchor())->setActive(true);
    placeholder->trailingAnchor().constraintLessThanOrEqualTo(field->trailingAnchor())->setActive(true);
    bottomConstraint_ = placeholder->bottomAnchor().constraintEqualTo(field->bottomAnchor(), 0);
    bottomConstraint_->setActive(true);
    // Weaker than the label's compression resistance plus the bottom edge: at rest it
    // stretches the label over the field, floated it gives way to the label's height.
    const auto centerY = placeholder->centerYAnchor().constraintEqualTo(field->centerYAnchor());
    centerY->setPriority(ui::LayoutPriority::defaultHigh);
    centerY->setActive(true);
}

// ------------------------------------------------------------------ text

void VXPlaceholderTextField::setText(std::optional<ns::String> text) {
    ui::TextField::setText(std::move(text));
    setCorrectPlaceholderSize();
}

void VXPlaceholderTextField::setAttributedText(std::optional<ns::AttributedString> text) {
    ui::TextField::setAttributedText(std::move(text));
    setCorrectPlaceholderSize();
}

void VXPlaceholderTextField::setCorrectPlaceholderSize() {
    if (!text().isEmpty())
        minimizePlaceholder();
    else if (!isEditing())
        maximizePlaceholder();
}

// ------------------------------------------------------------------ states

void VXPlaceholderTextField::minimizePlaceholder() {
    if (bottomConstraint_) bottomConstraint_->setConstant(-frame().height());
    animatePlaceholder(true);
}

void VXPlaceholderTextField::maximizePlaceholder() {
    if (!text().isEmpty()) return;
    if (bottomConstraint_) bottomConstraint_->setConstant(0);
    animatePlaceholder(false);
}

void VXPlaceholderTextField::animatePlaceholder(bool minimize) {
    // The newest font change wins: whatever an older run still has in flight (ticks,
    // its completion) sees another generation and leaves the label alone.
    const std::uint64_t generation = ++fontRunGeneration_;
    const std::weak_ptr<VXPlaceholderTextField> weak = weakFromThis<VXPlaceholderTextField>();
    ui::View::animate(
        placeholderDuration_, 0, ui::ViewAnimationOptions::preferredFramesPerSecond30,
        [weak, minimize, generation] {
            const auto self = weak.lock();
            if (!self) return;
            if (minimize && self->minimizationAnimationType_ == MinimizationAnimationType::immediately) {
                // Font first, so that this layout pass already places the small label.
                self->startFontRun(minimize, generation);
                self->layoutIfNeeded();
            } else {
                self->layoutIfNeeded();
                self->startFontRun(minimize, generation);
            }
        },
        [weak, minimize, generation](bool) {
            const auto self = weak.lock();
            if (!self || self->fontRunGeneration_ != generation) return;
            // Ends the run for good: ticks queued before this point no longer apply.
            ++self->fontRunGeneration_;
            const auto& animation = minimize ? self->minimizeFontAnimation_ : self->maximizeFontAnimation_;
            if (animation) {
                animation->startTime.reset();
                animation->displayLink->setPaused(true);
            }
            // The last tick lands up to a frame short of the target.
            self->applyFontSize(minimize ? self->minimumPlaceholderFontSize_ : self->originalPlaceholderFontSize_);
        });
}

void VXPlaceholderTextField::startFontRun(bool minimize, std::uint64_t generation) {
    if (generation != fontRunGeneration_) return;
    const auto& own = minimize ? minimizeFontAnimation_ : maximizeFontAnimation_;
    const auto& other = minimize ? maximizeFontAnimation_ : minimizeFontAnimation_;
    if (other) {
        other->startTime.reset();
        other->displayLink->setPaused(true);
    }
    // Without font animations (a field not yet woken) or without a duration to
    // interpolate over, the size changes in one step.
    const bool oneStep = (minimize && minimizationAnimationType_ == MinimizationAnimationType::immediately) ||
                         !own || !(placeholderDuration_ > 0);
    if (oneStep) {
        if (own) own->startTime.reset();
        applyFontSize(minimize ? minimumPlaceholderFontSize_ : originalPlaceholderFontSize_);
        return;
    }
    own->startTime = ns::absoluteTimeGetCurrent();
    own->displayLink->setPaused(false);
}

// ------------------------------------------------------------------ ticks

void VXPlaceholderTextField::minimizePlaceholderFontSize() {
    const auto& animation = minimizeFontAnimation_;
    if (!animation || !animation->startTime) return;
    const double elapsed = ns::absoluteTimeGetCurrent() - *animation->startTime;
    const double progress = 1 - elapsed / placeholderDuration_;
    if (progress < 0) return;
    queueFontSize(minimumPlaceholderFontSize_ + progress * (originalPlaceholderFontSize_ - minimumPlaceholderFontSize_));
}

void VXPlaceholderTextField::maximizePlaceholderFontSize() {
    const auto& animation = maximizeFontAnimation_;
    if (!animation || !animation->startTime) return;
    const double elapsed = ns::absoluteTimeGetCurrent() - *animation->startTime;
    const double progress = elapsed / placeholderDuration_;
    queueFontSize(minimumPlaceholderFontSize_ + progress * (originalPlaceholderFontSize_ - minimumPlaceholderFontSize_));
}

void VXPlaceholderTextField::queueFontSize(double size) {
    // A duration changed to 0 mid-run would give ±∞ or NaN here.
    if (!std::isfinite(size)) return;
    const std::weak_ptr<VXPlaceholderTextField> weak = weakFromThis<VXPlaceholderTextField>();
    const std::uint64_t generation = fontRunGeneration_;
    dispatch::Queue::main().async([weak, generation, size] {
        const auto self = weak.lock();
        if (!self || self->fontRunGeneration_ != generation) return;
        self->applyFontSize(size);
    });
}

void VXPlaceholderTextField::applyFontSize(double size) {
    if (!std::isfinite(size)) return;
    const auto& placeholder = label();
    placeholder->setFont(placeholder->font().withSize(size));
}

// ------------------------------------------------------------------ runtime

bool VXPlaceholderTextField::registerWithRuntime() {
    using Self = VXPlaceholderTextField;
    ns::ClassRegistration<Self>("VXPlaceholderTextField", "UITextField")
        .property<double>("minimumPlaceholderFontSize", &Self::minimumPlaceholderFontSize,
                          &Self::setMinimumPlaceholderFontSize)
        .property<double>("originalPlaceholderFontSize", &Self::originalPlaceholderFontSize,
                          &Self::setOriginalPlaceholderFontSize)
        .property<double>("placeholderDuration", &Self::placeholderDuration, &Self::setPlaceholderDuration)
        .property<std::optional<ui::Color>>("placeholderColor", &Self::placeholderColor, &Self::setPlaceholderColor)
        .property<std::optional<ns::String>>("tweePlaceholder", &Self::tweePlaceholder, &Self::setTweePlaceholder)
        .action(ns::Selector("setCorrectPlaceholderSize"), &Self::setCorrectPlaceholderSize)
        .action(minimizePlaceholderSelector(), &Self::minimizePlaceholder)
        .action(ns::Selector("minimizePlaceholderFontSize"), &Self::minimizePlaceholderFontSize)
        .action(maximizePlaceholderSelector(), &Self::maximizePlaceholder)
        .action(ns::Selector("maximizePlaceholderFontSize"), &Self::maximizePlaceholderFontSize);
    return true;
}

const bool VXPlaceholderTextField::registered_ = VXPlaceholderTextField::registerWithRuntime();

} // namespace pellavo
