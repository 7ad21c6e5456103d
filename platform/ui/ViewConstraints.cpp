// The constraint-layout part of ui::View.
#include <algorithm>
#include <cmath>

#include "platform/ui/View.hpp"
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
    if (value == translatesAutoresizingMask_)
        return;
    translatesAutoresizingMask_ = value;
    layout::LayoutEngine::translatesChanged(*this);
}

void View::setLayoutMargins(const EdgeInsets& margins) {
    if (margins == layoutMargins_ || !std::isfinite(margins.top) || !std::isfinite(margins.left) ||
        !std::isfinite(margins.bottom) || !std::isfinite(margins.right))
        return;
    layoutMargins_ = margins;
    setNeedsLayout();
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

float View::contentHuggingPriority(LayoutConstraint::Axis axis) const {
    return huggingPriority_[axis == LayoutConstraint::Axis::horizontal ? 0 : 1];
}

void View::setContentHuggingPriority(float priority, LayoutConstraint::Axis axis) {
    if (std::isnan(priority))
        return;
    float& slot = huggingPriority_[axis == LayoutConstraint::Axis::horizontal ? 0 : 1];
    priority = std::clamp(priority, 1.0f, LayoutPriority::required);
    if (priority == slot)
        return;
    slot = priority;
    layout::LayoutEngine::contentPrioritiesChanged(*this);
}

float View::contentCompressionResistancePriority(LayoutConstraint::Axis axis) const {
    return compressionPriority_[axis == LayoutConstraint::Axis::horizontal ? 0 : 1];
}

void View::setContentCompressionResistancePriority(float priority, LayoutConstraint::Axis axis) {
    if (std::isnan(priority))
        return;
    float& slot = compressionPriority_[axis == LayoutConstraint::Axis::horizontal ? 0 : 1];
    priority = std::clamp(priority, 1.0f, LayoutPriority::required);
    if (priority == slot)
        return;
    slot = priority;
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
