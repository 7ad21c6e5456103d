#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/layout/LayoutConstraint.hpp"

namespace pellavo::ui {

// The visual format language:
//
//   format := (('H'|'V') ':')? ('|' conn)? view (conn view)* (conn '|')?
//   view   := '[' name ('(' pred (',' pred)* ')')? ']'
//   conn   := '' | '-' | '-' simple '-' | '-(' pred (',' pred)* ')-'
//   pred   := ('=='|'<='|'>=')? (number | metric | viewName) ('@' (number | metric))?
//   number := '-'? digits ('.' digits)?
//
// An empty connection is flush (0); a lone '-' is the standard spacing, 8 between
// views and 20 to the superview ('|'). H relates leading, trailing and width; V top,
// bottom and height.
class PELLAVO_EXPORT VisualFormat {
public:
    using Attribute = LayoutConstraint::Attribute;
    using Relation = LayoutConstraint::Relation;

    // One side of a constraint with its view still named.
    struct Item {
        enum class Kind { none, view, superview };
        Kind kind = Kind::none;
        // The view, or for a superview item the view whose superview it is.
        ns::String view;
        // Where the '|' stands, for a superview item.
        std::int64_t offset = 0;
        friend bool operator==(const Item&, const Item&) = default;
    };
    struct Spec {
        Item first;
        Attribute firstAttribute = Attribute::notAnAttribute;
        Relation relation = Relation::equal;
        Item second;
        Attribute secondAttribute = Attribute::notAnAttribute;
        double multiplier = 1;
        double constant = 0;
        float priority = LayoutPriority::required;
    };
    struct Description {
        std::vector<Spec> constraints;
        ns::String error;              // empty when the format parsed
        std::int64_t errorOffset = -1;  // in UTF-16 units
    };
    struct Result {
        std::vector<std::shared_ptr<LayoutConstraint>> constraints;
        ns::String error;
        std::int64_t errorOffset = -1;
    };

    // Reads a format against metric values and the names of the views it may use.
    static Description describe(const ns::String& format, const LayoutConstraint::Metrics& metrics,
                                const std::function<bool(const ns::String&)>& isView);
    // Makes the constraints of a format. A format that does not parse, names a view
    // that is not given, or puts '|' beside a view without a superview gives no
    // constraints and logs one line.
    static Result parse(const ns::String& format, LayoutConstraint::FormatOptions options,
                        const LayoutConstraint::Metrics& metrics, const LayoutConstraint::Views& views);
};

} // namespace pellavo::ui
