// The constraint-layout part of ui::View.
#include <algorithm>
#include <cmath>

#include "platform/ui/view/View.hpp"
#include "platform/ui/layout/LayoutEngine.hpp"

namespace pellavo::ui {

using Attribute = LayoutConstraint::Attribute;

const std::vector<std::shared_ptr<LayoutConstraint>>& View::constraints() const { return constraints_; }

void View::addConstraint(const std::shared_ptr<LayoutConstraint>& constraint) {
    layout::LayoutEngine::install(*this, constraint);
}

void View::addConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints)
        addConstraint(constraint);
}

void View::removeConstraint(const std::shared_ptr<LayoutConstraint>& constraint) {
    layout::LayoutEngine::uninstall(*this, constraint);
}

void View::removeConstraints(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    // A copy: the list may be this view's own.
    const auto list = constraints;
    for (const auto& constraint : list)
        removeConstraint(constraint);
}

void View::setTranslatesAutoresizingMaskIntoConstraints(bool value) {
    change(translatesAutoresizingMask_, value, Invalidate::nothing,
           [&] { layout::LayoutEngine::translatesChanged(*this); });
}

void View::setLayoutMargins(const EdgeInsets& margins) {
    if (!std::isfinite(margins.top) || !std::isfinite(margins.left) || !std::isfinite(margins.bottom) ||
        !std::isfinite(margins.right))
        return;
    change(layoutMargins_, margins, Invalidate::layout);
}

LayoutXAxisAnchor View::leadingAnchor() { return {sharedFromThis<View>(), Attribute::leading}; }
LayoutXAxisAnchor View::trailingAnchor() { return {sharedFromThis<View>(), Attribute::trailing}; }
LayoutXAxisAnchor View::leftAnchor() { return {sharedFromThis<View>(), Attribute::left}; }
LayoutXAxisAnchor View::rightAnchor() { return {sharedFromThis<View>(), Attribute::right}; }
LayoutXAxisAnchor View::centerXAnchor() { return {sharedFromThis<View>(), Attribute::centerX}; }
LayoutYAxisAnchor View::topAnchor() { return {sharedFromThis<View>(), Attribute::top}; }
LayoutYAxisAnchor View::bottomAnchor() { return {sharedFromThis<View>(), Attribute::bottom}; }
LayoutYAxisAnchor View::centerYAnchor() { return {sharedFromThis<View>(), Attribute::centerY}; }
LayoutDimension View::widthAnchor() { return {sharedFromThis<View>(), Attribute::width}; }
LayoutDimension View::heightAnchor() { return {sharedFromThis<View>(), Attribute::height}; }

namespace {

// Content priorities are stored horizontal first.
int axisIndex(LayoutConstraint::Axis axis) { return axis == LayoutConstraint::Axis::horizontal ? 0 : 1; }

// Stores a content priority clamped to [1, required]; NaN is ignored. True when
// the stored value changed.
bool storePriority(float& slot, float priority) {
    if (std::isnan(priority))
        return false;
    priority = std::clamp(priority, 1.0f, LayoutPriority::required);
    if (priority == slot)
        return false;
    slot = priority;
    return true;
}

} // namespace

float View::contentHuggingPriority(LayoutConstraint::Axis axis) const { return huggingPriority_[axisIndex(axis)]; }

void View::setContentHuggingPriority(float priority, LayoutConstraint::Axis axis) {
    if (storePriority(huggingPriority_[axisIndex(axis)], priority))
        layout::LayoutEngine::contentPrioritiesChanged(*this);
}

float View::contentCompressionResistancePriority(LayoutConstraint::Axis axis) const {
    return compressionPriority_[axisIndex(axis)];
}

void View::setContentCompressionResistancePriority(float priority, LayoutConstraint::Axis axis) {
    if (storePriority(compressionPriority_[axisIndex(axis)], priority))
        layout::LayoutEngine::contentPrioritiesChanged(*this);
}

void View::invalidateIntrinsicContentSize() { layout::LayoutEngine::intrinsicContentSizeChanged(*this); }

void View::layoutSubviews() { layout::LayoutEngine::layoutSubviews(*this); }

void View::setNeedsUpdateConstraints() { needsUpdateConstraints_ = true; }

void View::updateConstraintsIfNeeded() {
    // Bottom-up: subviews settle their constraints before their superview.
    const auto keep = sharedFromThis<View>();
    const std::vector<std::shared_ptr<View>> children = subviews_;
    for (const auto& child : children)
        if (child->superview_ == this)
            child->updateConstraintsIfNeeded();
    if (needsUpdateConstraints_) {
        needsUpdateConstraints_ = false;
        updateConstraints();
    }
}

} // namespace pellavo::ui
