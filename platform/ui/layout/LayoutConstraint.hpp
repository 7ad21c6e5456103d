#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ui {

class View;
namespace layout {
class LayoutEngine;
}

// Priorities are floats from 1 to 1000; 1000 is required.
struct PELLAVO_EXPORT LayoutPriority {
    static constexpr float required = 1000;
    static constexpr float defaultHigh = 750;
    static constexpr float defaultLow = 250;
    static constexpr float fittingSizeLevel = 50;
};

// first.attribute <relation> second.attribute × multiplier + constant. Both items are
// held weakly; without a second item the constraint relates to the constant alone.
// A constraint is made inactive; activating it installs it on the nearest common
// ancestor of its items.
class PELLAVO_EXPORT LayoutConstraint : public ns::Object {
public:
    enum class Relation : int { lessThanOrEqual = -1, equal = 0, greaterThanOrEqual = 1 };
    // Layout runs left to right, so leading is left and trailing is right.
    enum class Attribute : int {
        notAnAttribute = 0,
        left,
        right,
        top,
        bottom,
        leading,
        trailing,
        width,
        height,
        centerX,
        centerY,
        leftMargin,
        rightMargin,
        topMargin,
        bottomMargin,
        leadingMargin,
        trailingMargin,
    };
    enum class Axis { horizontal, vertical };
    // Visual-format options: none are supported, so they must be empty.
    using FormatOptions = unsigned;
    using Metrics = std::map<ns::String, double>;
    using Views = std::map<ns::String, std::shared_ptr<View>>;

    // A non-finite multiplier or constant is refused with a log line and taken as 1 or 0.
    // Without a second item (or with notAnAttribute) the first attribute must be a size.
    LayoutConstraint(const std::shared_ptr<View>& item, Attribute attribute, Relation relation,
                     const std::shared_ptr<View>& toItem, Attribute toAttribute, double multiplier,
                     double constant);
    ~LayoutConstraint() override;
    std::string_view className() const override { return "NSLayoutConstraint"; }

    std::shared_ptr<View> firstItem() const { return firstItem_.lock(); }
    std::shared_ptr<View> secondItem() const { return secondItem_.lock(); }
    Attribute firstAttribute() const { return firstAttribute_; }
    Attribute secondAttribute() const { return secondAttribute_; }
    Relation relation() const { return relation_; }
    double multiplier() const { return multiplier_; }

    double constant() const { return constant_; }
    // A non-finite value is refused with a log line. A change marks the items'
    // superviews for layout.
    void setConstant(double constant);
    float priority() const { return priority_; }
    // Clamped to 1…1000; NaN is refused with a log line.
    void setPriority(float priority);
    const ns::String& identifier() const { return identifier_; }
    void setIdentifier(const ns::String& identifier) { identifier_ = identifier; }

    bool isActive() const { return !installedOn_.expired(); }
    void setActive(bool active);
    static void activate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    static void deactivate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);

    // Inactive constraints in format order, or none (with a log line) when the format
    // does not parse.
    static std::vector<std::shared_ptr<LayoutConstraint>> constraintsWithVisualFormat(
        const ns::String& format, FormatOptions options, const Metrics& metrics, const Views& views);

    // "<identifier> first.attribute == second.attribute × m + c @p", for log lines.
    ns::String description() const;

private:
    friend class layout::LayoutEngine;

    void markItemsForLayout() const;

    std::weak_ptr<View> firstItem_;
    std::weak_ptr<View> secondItem_;
    Attribute firstAttribute_;
    Attribute secondAttribute_;
    Relation relation_;
    double multiplier_ = 1;
    double constant_ = 0;
    float priority_ = LayoutPriority::required;
    ns::String identifier_;
    // The view that holds the constraint while it is active.
    std::weak_ptr<View> installedOn_;
    // A conflict is logged once, until the constraint holds again.
    bool conflictReported_ = false;
};

} // namespace pellavo::ui
