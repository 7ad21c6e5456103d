#include "platform/ui/layout/LayoutConstraint.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/ns/Console.hpp"
#include "platform/ui/view/View.hpp"
#include "platform/ui/layout/LayoutEngine.hpp"
#include "platform/ui/layout/VisualFormat.hpp"

namespace pellavo::ui {

namespace {

const char* attributeName(LayoutConstraint::Attribute attribute) {
    using A = LayoutConstraint::Attribute;
    switch (attribute) {
    case A::notAnAttribute: return "notAnAttribute";
    case A::left: return "left";
    case A::right: return "right";
    case A::top: return "top";
    case A::bottom: return "bottom";
    case A::leading: return "leading";
    case A::trailing: return "trailing";
    case A::width: return "width";
    case A::height: return "height";
    case A::centerX: return "centerX";
    case A::centerY: return "centerY";
    case A::leftMargin: return "leftMargin";
    case A::rightMargin: return "rightMargin";
    case A::topMargin: return "topMargin";
    case A::bottomMargin: return "bottomMargin";
    case A::leadingMargin: return "leadingMargin";
    case A::trailingMargin: return "trailingMargin";
    }
    return "?";
}

std::string number(double value) { return ns::String::describing(value).utf8(); }

} // namespace

LayoutConstraint::LayoutConstraint(const std::shared_ptr<View>& item, Attribute attribute, Relation relation,
                                   const std::shared_ptr<View>& toItem, Attribute toAttribute, double multiplier,
                                   double constant)
    : firstItem_(item), secondItem_(toItem), firstAttribute_(attribute), secondAttribute_(toAttribute),
      relation_(relation) {
    if (std::isfinite(multiplier))
        multiplier_ = multiplier;
    else
        ns::log("Ignoring the non-finite multiplier " + number(multiplier) + " of constraint " + description().utf8());
    if (std::isfinite(constant))
        constant_ = constant;
    else
        ns::log("Ignoring the non-finite constant " + number(constant) + " of constraint " + description().utf8());
}

LayoutConstraint::~LayoutConstraint() = default;

void LayoutConstraint::setConstant(double constant) {
    if (!std::isfinite(constant)) {
        ns::log("Ignoring the non-finite constant " + number(constant) + " of constraint " + description().utf8());
        return;
    }
    if (constant == constant_)
        return;
    constant_ = constant;
    if (isActive())
        markItemsForLayout();
}

void LayoutConstraint::setPriority(float priority) {
    if (std::isnan(priority)) {
        ns::log("Ignoring the priority nan of constraint " + description().utf8());
        return;
    }
    priority = std::clamp(priority, 1.0f, LayoutPriority::required);
    if (priority == priority_)
        return;
    priority_ = priority;
    if (isActive())
        markItemsForLayout();
}

void LayoutConstraint::setActive(bool active) {
    if (active == isActive())
        return;
    const auto self = sharedFromThis<LayoutConstraint>();
    if (!active) {
        if (auto view = installedOn_.lock())
            view->removeConstraint(self);
        return;
    }
    std::string reason;
    auto view = layout::LayoutEngine::installationView(*this, reason);
    if (!view) {
        if (!reason.empty())
            ns::log("Unable to activate constraint " + description().utf8() + ": " + reason);
        return;
    }
    view->addConstraint(self);
}

void LayoutConstraint::activate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints)
        if (constraint)
            constraint->setActive(true);
}

void LayoutConstraint::deactivate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints)
        if (constraint)
            constraint->setActive(false);
}

std::vector<std::shared_ptr<LayoutConstraint>> LayoutConstraint::constraintsWithVisualFormat(
    const ns::String& format, FormatOptions options, const Metrics& metrics, const Views& views) {
    return VisualFormat::parse(format, options, metrics, views).constraints;
}

void LayoutConstraint::markItemsForLayout() const {
    for (const auto& item : {firstItem(), secondItem()})
        if (item)
            if (auto superview = item->superview())
                superview->setNeedsLayout();
}

ns::String LayoutConstraint::description() const {
    auto itemName = [](const std::shared_ptr<View>& item) {
        return item ? std::string(item->className()) : std::string("(freed)");
    };
    std::string text;
    if (!identifier_.isEmpty())
        text += identifier_.utf8() + ": ";
    text += itemName(firstItem()) + "." + attributeName(firstAttribute_);
    text += relation_ == Relation::equal ? " == " : relation_ == Relation::lessThanOrEqual ? " <= " : " >= ";
    if (secondAttribute_ != Attribute::notAnAttribute) {
        text += itemName(secondItem()) + "." + attributeName(secondAttribute_);
        if (multiplier_ != 1)
            text += " * " + number(multiplier_);
        if (constant_ > 0)
            text += " + " + number(constant_);
        else if (constant_ < 0)
            text += " - " + number(-constant_);
    } else {
        text += number(constant_);
    }
    if (priority_ != LayoutPriority::required)
        text += " @" + number(priority_);
    return ns::String(text);
}

} // namespace pellavo::ui
