#include "platform/ui/layout/VisualFormat.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/ns/Console.hpp"
#include "platform/ui/view/View.hpp"

namespace pellavo::ui {

namespace {

using Attribute = LayoutConstraint::Attribute;
using Relation = LayoutConstraint::Relation;
using Item = VisualFormat::Item;
using Spec = VisualFormat::Spec;

constexpr double standardSpacing = 8;
constexpr double standardSuperviewSpacing = 20;

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool isNameStart(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_'; }
bool isNameChar(char16_t c) { return isNameStart(c) || isDigit(c); }

struct Predicate {
    Relation relation = Relation::equal;
    double constant = 0;
    std::optional<ns::String> view;  // a view to match instead of a constant
    float priority = LayoutPriority::required;
};

struct Connection {
    bool flush = true;      // nothing between the neighbours
    bool standard = false;  // a lone '-'
    std::vector<Predicate> predicates;
};

class Parser {
public:
    Parser(const ns::String& format, const LayoutConstraint::Metrics& metrics,
           const std::function<bool(const ns::String&)>& isView)
        : text_(format.utf16()), metrics_(metrics), isView_(isView) {}

    VisualFormat::Description run() {
        VisualFormat::Description result;
        if (!parseFormat()) {
            result.error = error_;
            result.errorOffset = static_cast<std::int64_t>(errorOffset_);
            return result;
        }
        result.constraints = std::move(specs_);
        return result;
    }

private:
    char16_t peek(std::size_t ahead = 0) const {
        return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : u'\0';
    }
    bool atEnd() const { return pos_ >= text_.size(); }
    bool fail(std::size_t offset, std::string reason) {
        error_ = ns::String(reason);
        errorOffset_ = offset;
        return false;
    }
    bool failUnexpected(const char* expected) {
        if (atEnd())
            return fail(pos_, std::string("expected ") + expected + " at the end");
        return fail(pos_, std::string("expected ") + expected);
    }

    bool parseFormat() {
        if (text_.empty())
            return fail(0, "empty format");
        if ((peek() == u'H' || peek() == u'V') && peek(1) == u':') {
            vertical_ = peek() == u'V';
            pos_ += 2;
        }
        std::optional<Item> previous;
        Connection pending;
        bool havePending = false;
        if (peek() == u'|') {
            leadingBar_ = pos_++;
            if (!parseConnection(pending))
                return false;
            havePending = true;
        }
        if (peek() != u'[')
            return failUnexpected("a view");
        for (;;) {
            ns::String name;
            std::vector<Predicate> predicates;
            if (!parseView(name, predicates))
                return false;
            Item current{Item::Kind::view, name, 0};
            if (havePending) {
                Item before = previous ? *previous : Item{Item::Kind::superview, name, static_cast<std::int64_t>(leadingBar_)};
                emitConnection(before, current, pending, !previous);
                havePending = false;
            }
            for (const Predicate& predicate : predicates)
                emitSize(current, predicate);
            previous = current;

            if (atEnd())
                return true;
            std::size_t connectionStart = pos_;
            Connection connection;
            if (!parseConnection(connection))
                return false;
            if (peek() == u'[') {
                pending = std::move(connection);
                havePending = true;
                continue;
            }
            if (peek() == u'|') {
                Item bar{Item::Kind::superview, name, static_cast<std::int64_t>(pos_)};
                ++pos_;
                emitConnection(current, bar, connection, true);
                if (!atEnd())
                    return fail(pos_, "trailing text");
                return true;
            }
            if (pos_ == connectionStart)
                return fail(pos_, "trailing text");
            return failUnexpected("a view or '|'");
        }
    }

    bool parseView(ns::String& name, std::vector<Predicate>& predicates) {
        ++pos_;  // '['
        std::size_t nameStart = pos_;
        if (!parseName(name))
            return failUnexpected("a view name");
        if (!isView_(name))
            return fail(nameStart, "unknown view '" + name.utf8() + "'");
        if (peek() == u'(') {
            ++pos_;
            if (!parsePredicates(predicates, true))
                return false;
            if (peek() != u')')
                return fail(pos_, "missing ')'");
            ++pos_;
        }
        if (peek() != u']')
            return fail(pos_, "missing ']'");
        ++pos_;
        return true;
    }

    bool parseConnection(Connection& connection) {
        if (peek() != u'-')
            return true;  // flush
        ++pos_;
        connection.flush = false;
        if (peek() == u'(') {
            ++pos_;
            if (!parsePredicates(connection.predicates, false))
                return false;
            if (peek() != u')')
                return fail(pos_, "missing ')'");
            ++pos_;
            if (peek() != u'-')
                return failUnexpected("'-' after the spacing");
            ++pos_;
            return true;
        }
        if (isDigit(peek()) || (peek() == u'-' && isDigit(peek(1))) || isNameStart(peek())) {
            Predicate predicate;
            if (!parseConstant(predicate.constant, "metric"))
                return false;
            if (peek() != u'-')
                return failUnexpected("'-' after the spacing");
            ++pos_;
            connection.predicates.push_back(predicate);
            return true;
        }
        connection.standard = true;
        return true;
    }

    bool parsePredicates(std::vector<Predicate>& predicates, bool inView) {
        for (;;) {
            Predicate predicate;
            if ((peek() == u'=' || peek() == u'<' || peek() == u'>') && peek(1) == u'=') {
                predicate.relation = peek() == u'=' ? Relation::equal
                                     : peek() == u'<' ? Relation::lessThanOrEqual
                                                      : Relation::greaterThanOrEqual;
                pos_ += 2;
            }
            if (inView && isNameStart(peek())) {
                std::size_t start = pos_;
                ns::String name;
                parseName(name);
                if (auto metric = metrics_.find(name); metric != metrics_.end()) {
                    if (!std::isfinite(metric->second))
                        return fail(start, "metric '" + name.utf8() + "' is not a finite number");
                    predicate.constant = metric->second;
                } else if (isView_(name)) {
                    predicate.view = name;
                } else {
                    return fail(start, "unknown view or metric '" + name.utf8() + "'");
                }
            } else if (!parseConstant(predicate.constant, inView ? "view or metric" : "metric")) {
                return false;
            }
            if (peek() == u'@') {
                ++pos_;
                double priority = 0;
                if (!parseConstant(priority, "metric"))
                    return false;
                // Clamped here so that the float cannot overflow; the constraint clamps
                // to its own range.
                predicate.priority = static_cast<float>(std::clamp(priority, -1e6, 1e6));
            }
            predicates.push_back(predicate);
            if (peek() != u',')
                return true;
            ++pos_;
        }
    }

    // A number or a metric name.
    bool parseConstant(double& value, const char* nameKind) {
        if (isNameStart(peek())) {
            std::size_t start = pos_;
            ns::String name;
            parseName(name);
            auto metric = metrics_.find(name);
            if (metric == metrics_.end())
                return fail(start, std::string("unknown ") + nameKind + " '" + name.utf8() + "'");
            if (!std::isfinite(metric->second))
                return fail(start, "metric '" + name.utf8() + "' is not a finite number");
            value = metric->second;
            return true;
        }
        return parseNumber(value);
    }

    bool parseNumber(double& value) {
        std::size_t start = pos_;
        std::string ascii;
        if (peek() == u'-') {
            ascii += '-';
            ++pos_;
        }
        if (!isDigit(peek())) {
            pos_ = start;
            return failUnexpected("a number or metric");
        }
        while (isDigit(peek()))
            ascii += static_cast<char>(text_[pos_++]);
        if (peek() == u'.') {
            ascii += '.';
            ++pos_;
            if (!isDigit(peek()))
                return failUnexpected("a digit after '.'");
            while (isDigit(peek()))
                ascii += static_cast<char>(text_[pos_++]);
        }
        if (peek() == u'e' || peek() == u'E')
            return fail(pos_, "a number has no exponent");
        value = std::strtod(ascii.c_str(), nullptr);
        if (!std::isfinite(value))
            return fail(start, "number out of range");
        return true;
    }

    bool parseName(ns::String& name) {
        if (!isNameStart(peek()))
            return false;
        std::u16string units;
        while (isNameChar(peek()))
            units += text_[pos_++];
        name = ns::String(std::move(units));
        return true;
    }

    Attribute leading() const { return vertical_ ? Attribute::top : Attribute::leading; }
    Attribute trailing() const { return vertical_ ? Attribute::bottom : Attribute::trailing; }
    Attribute size() const { return vertical_ ? Attribute::height : Attribute::width; }

    // The later item's leading edge against the earlier one's trailing edge (or the
    // superview's leading edge at the start).
    void emitConnection(const Item& before, const Item& after, const Connection& connection, bool toSuperview) {
        Attribute beforeAttribute = before.kind == Item::Kind::superview && after.kind == Item::Kind::view
                                        ? leading()
                                        : trailing();
        Attribute afterAttribute = after.kind == Item::Kind::superview ? trailing() : leading();
        std::vector<Predicate> predicates = connection.predicates;
        if (connection.flush || connection.standard) {
            Predicate predicate;
            predicate.constant = connection.flush ? 0 : toSuperview ? standardSuperviewSpacing : standardSpacing;
            predicates = {predicate};
        }
        for (const Predicate& predicate : predicates) {
            Spec spec;
            spec.first = after;
            spec.firstAttribute = afterAttribute;
            spec.relation = predicate.relation;
            spec.second = before;
            spec.secondAttribute = beforeAttribute;
            spec.constant = predicate.constant;
            spec.priority = predicate.priority;
            specs_.push_back(spec);
        }
    }

    void emitSize(const Item& view, const Predicate& predicate) {
        Spec spec;
        spec.first = view;
        spec.firstAttribute = size();
        spec.relation = predicate.relation;
        if (predicate.view) {
            spec.second = Item{Item::Kind::view, *predicate.view, 0};
            spec.secondAttribute = size();
        } else {
            spec.constant = predicate.constant;
        }
        spec.priority = predicate.priority;
        specs_.push_back(spec);
    }

    const std::u16string& text_;
    const LayoutConstraint::Metrics& metrics_;
    const std::function<bool(const ns::String&)>& isView_;
    std::size_t pos_ = 0;
    std::size_t leadingBar_ = 0;
    bool vertical_ = false;
    std::vector<Spec> specs_;
    ns::String error_;
    std::size_t errorOffset_ = 0;
};

} // namespace

VisualFormat::Description VisualFormat::describe(const ns::String& format, const LayoutConstraint::Metrics& metrics,
                                                 const std::function<bool(const ns::String&)>& isView) {
    return Parser(format, metrics, isView).run();
}

VisualFormat::Result VisualFormat::parse(const ns::String& format, LayoutConstraint::FormatOptions options,
                                         const LayoutConstraint::Metrics& metrics,
                                         const LayoutConstraint::Views& views) {
    Result result;
    auto fail = [&](std::int64_t offset, const ns::String& reason) {
        result.constraints.clear();
        result.error = reason;
        result.errorOffset = offset;
        ns::log("Unable to parse constraint format \"" + format.utf8() + "\" at offset " + std::to_string(offset) +
                ": " + reason.utf8());
        return result;
    };
    if (options != 0)
        return fail(0, "format options are not supported");
    auto viewNamed = [&](const ns::String& name) -> std::shared_ptr<View> {
        auto found = views.find(name);
        return found == views.end() ? nullptr : found->second;
    };
    Description description =
        describe(format, metrics, [&](const ns::String& name) { return viewNamed(name) != nullptr; });
    if (!description.error.isEmpty())
        return fail(description.errorOffset, description.error);

    // Every item is resolved before any constraint is made: a format gives all of its
    // constraints or none.
    auto resolve = [&](const Item& item, std::shared_ptr<View>& view) {
        if (item.kind == Item::Kind::none)
            return true;
        view = viewNamed(item.view);
        if (item.kind == Item::Kind::superview)
            view = view ? view->superview() : nullptr;
        return view != nullptr;
    };
    std::vector<std::pair<std::shared_ptr<View>, std::shared_ptr<View>>> items;
    for (const Spec& spec : description.constraints) {
        std::shared_ptr<View> first, second;
        for (const Item* item : {&spec.first, &spec.second}) {
            std::shared_ptr<View>& view = item == &spec.first ? first : second;
            if (!resolve(*item, view))
                return fail(item->offset, "view '" + item->view.utf8() + "' has no superview for '|'");
        }
        items.emplace_back(first, second);
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Spec& spec = description.constraints[i];
        auto constraint = ns::make<LayoutConstraint>(items[i].first, spec.firstAttribute, spec.relation,
                                                     items[i].second, spec.secondAttribute, spec.multiplier,
                                                     spec.constant);
        constraint->setPriority(spec.priority);
        result.constraints.push_back(constraint);
    }
    return result;
}

} // namespace pellavo::ui
