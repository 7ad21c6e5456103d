#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ui/layout/VisualFormat.hpp"

namespace {

using pellavo::ns::String;
using pellavo::ui::LayoutConstraint;
using pellavo::ui::VisualFormat;
using Attribute = LayoutConstraint::Attribute;
using Relation = LayoutConstraint::Relation;

const LayoutConstraint::Metrics metrics{{"m", 12.5}, {"p", 750}, {"nan", std::nan("")}};
const std::set<String> viewNames{"placeholder", "scrollview", "view", "container", "previousView", "a", "b"};

VisualFormat::Description describe(const String& format) {
    return VisualFormat::describe(format, metrics, [](const String& name) { return viewNames.count(name) != 0; });
}

const char* name(Attribute attribute) {
    switch (attribute) {
    case Attribute::leading: return "leading";
    case Attribute::trailing: return "trailing";
    case Attribute::top: return "top";
    case Attribute::bottom: return "bottom";
    case Attribute::width: return "width";
    case Attribute::height: return "height";
    case Attribute::notAnAttribute: return "-";
    default: return "?";
    }
}

std::string itemName(const VisualFormat::Item& item) {
    switch (item.kind) {
    case VisualFormat::Item::Kind::view: return item.view.utf8();
    case VisualFormat::Item::Kind::superview: return "|" + item.view.utf8();
    case VisualFormat::Item::Kind::none: return "";
    }
    return "?";
}

// "first.attribute == second.attribute × m + c @p", with "|a" for a's superview.
std::vector<std::string> render(const VisualFormat::Description& description) {
    std::vector<std::string> lines;
    for (const VisualFormat::Spec& spec : description.constraints) {
        std::ostringstream line;
        line << itemName(spec.first) << '.' << name(spec.firstAttribute) << ' '
             << (spec.relation == Relation::equal ? "==" : spec.relation == Relation::lessThanOrEqual ? "<=" : ">=")
             << ' ';
        if (spec.second.kind != VisualFormat::Item::Kind::none)
            line << itemName(spec.second) << '.' << name(spec.secondAttribute) << " x" << spec.multiplier << " + ";
        line << spec.constant << " @" << spec.priority;
        lines.push_back(line.str());
    }
    return lines;
}

TEST(VisualFormat, FormatsTable) {
    struct Case {
        const char* format;
        std::vector<std::string> constraints;
    } cases[] = {
        {"H:|-(5.0)-[placeholder]", {"placeholder.leading == |placeholder.leading x1 + 5 @1000"}},
        {"V:|-(8.0)-[placeholder]", {"placeholder.top == |placeholder.top x1 + 8 @1000"}},
        {"H:|-(-5.5)-[placeholder]", {"placeholder.leading == |placeholder.leading x1 + -5.5 @1000"}},
        {"V:|-(0.0001)-[placeholder]", {"placeholder.top == |placeholder.top x1 + 0.0001 @1000"}},
        {"H:|-(-0.25)-[placeholder]", {"placeholder.leading == |placeholder.leading x1 + -0.25 @1000"}},
        {"V:|-0-[scrollview]-0-|",
         {"scrollview.top == |scrollview.top x1 + 0 @1000", "|scrollview.bottom == scrollview.bottom x1 + 0 @1000"}},
        {"H:|-0-[scrollview]-0-|",
         {"scrollview.leading == |scrollview.leading x1 + 0 @1000",
          "|scrollview.trailing == scrollview.trailing x1 + 0 @1000"}},
        {"V:[view(==container)]", {"view.height == container.height x1 + 0 @1000"}},
        {"H:[view(==container)]", {"view.width == container.width x1 + 0 @1000"}},
        {"V:|-0-[view]|", {"view.top == |view.top x1 + 0 @1000", "|view.bottom == view.bottom x1 + 0 @1000"}},
        {"H:|-0-[view]", {"view.leading == |view.leading x1 + 0 @1000"}},
        {"H:[previousView]-0-[view]", {"view.leading == previousView.trailing x1 + 0 @1000"}},
        {"H:[view]-0-|", {"|view.trailing == view.trailing x1 + 0 @1000"}},
        // Standard spacing, flush neighbours, metrics and the default orientation.
        {"[a]-[b]", {"b.leading == a.trailing x1 + 8 @1000"}},
        {"|-[a]-|", {"a.leading == |a.leading x1 + 20 @1000", "|a.trailing == a.trailing x1 + 20 @1000"}},
        {"V:[a][b]", {"b.top == a.bottom x1 + 0 @1000"}},
        {"|[a]", {"a.leading == |a.leading x1 + 0 @1000"}},
        {"H:[a]-m-[b]", {"b.leading == a.trailing x1 + 12.5 @1000"}},
        {"V:|--5-[a]", {"a.top == |a.top x1 + -5 @1000"}},
        {"[a(m)]", {"a.width == 12.5 @1000"}},
        {"H:|-(==-3.25@999)-[a]", {"a.leading == |a.leading x1 + -3.25 @999"}},
        // Predicates come out in the order they are written.
        {"[a(>=50@750,<=b)]-(>=8@p,<=20)-[b(==a)]",
         {"a.width >= 50 @750", "a.width <= b.width x1 + 0 @1000", "b.leading >= a.trailing x1 + 8 @750",
          "b.leading <= a.trailing x1 + 20 @1000", "b.width == a.width x1 + 0 @1000"}},
        {"V:|-[a(44)]-(m)-[b(==a@250)]-10-|",
         {"a.top == |a.top x1 + 20 @1000", "a.height == 44 @1000", "b.top == a.bottom x1 + 12.5 @1000",
          "b.height == a.height x1 + 0 @250", "|b.bottom == b.bottom x1 + 10 @1000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        VisualFormat::Description description = describe(c.format);
        EXPECT_TRUE(description.error.isEmpty()) << description.error;
        EXPECT_EQ(render(description), c.constraints);
    }
    // A superview item remembers where its bar stands.
    auto description = describe("H:|-[a]-|");
    ASSERT_EQ(description.constraints.size(), 2u);
    EXPECT_EQ(description.constraints[0].second.offset, 2);
    EXPECT_EQ(description.constraints[1].first.offset, 8);
}

TEST(VisualFormat, MalformedTable) {
    struct Case {
        const char* format;
        std::int64_t offset;
        const char* reason;
    } cases[] = {
        {"", 0, "empty format"},
        {"H:", 2, "expected a view at the end"},
        {"X:[a]", 0, "expected a view"},
        {"[c]", 1, "unknown view 'c'"},
        {"[a]-q-[b]", 4, "unknown metric 'q'"},
        {"[a]-(==b)-[b]", 7, "unknown metric 'b'"},
        {"[a(==q)]", 5, "unknown view or metric 'q'"},
        {"[a(==5@q)]", 7, "unknown metric 'q'"},
        {"[a", 2, "missing ']'"},
        {"[a(==5]", 6, "missing ')'"},
        {"|-(5-[a]", 4, "missing ')'"},
        {"|-(5)[a]", 5, "expected '-' after the spacing"},
        {"H:|-(1e-05)-[a]", 6, "a number has no exponent"},
        {"[a(2E3)]", 4, "a number has no exponent"},
        {"[a]x", 3, "trailing text"},
        {"[a] -[b]", 3, "trailing text"},
        {"[a]-|x", 5, "trailing text"},
        {"[a]-", 4, "expected a view or '|' at the end"},
        {"H:|-(+5)-[a]", 5, "expected a number or metric"},
        {"[a(==5.)]", 7, "expected a digit after '.'"},
        {"[a]-(nan)-[b]", 5, "metric 'nan' is not a finite number"},
        {"[]", 1, "expected a view name"},
        {"[a]-[", 5, "expected a view name at the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        VisualFormat::Description description = describe(c.format);
        EXPECT_TRUE(description.constraints.empty());
        EXPECT_EQ(description.errorOffset, c.offset);
        EXPECT_EQ(description.error, String(c.reason));
    }
}

// Random edits of valid formats never crash, and each answer is either constraints or
// an error inside the string, never both.
TEST(VisualFormat, RandomMutationsAreSafe) {
    const std::string seeds[] = {
        "H:|-(5.0)-[placeholder]", "V:|-0-[scrollview]-0-|", "V:[view(==container)]",
        "[a(>=50@750,<=b)]-(>=8@p,<=20)-[b(==a)]", "V:|-[a(44)]-(m)-[b(==a@250)]-10-|", "|--5-[a]",
    };
    const std::string alphabet = "HV:|-()[],@=<>.e+0123456789abm_ \xc3\xa9";
    std::mt19937 random(7);
    int parsed = 0, refused = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string text = seeds[round % std::size(seeds)];
        int edits = std::uniform_int_distribution<int>(1, 4)(random);
        for (int e = 0; e < edits; ++e) {
            std::size_t at = std::uniform_int_distribution<std::size_t>(0, text.size())(random);
            char c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random)];
            switch (std::uniform_int_distribution<int>(0, 3)(random)) {
            case 0: text.insert(at, 1, c); break;
            case 1: if (at < text.size()) text.erase(at, 1); break;
            case 2: if (at < text.size()) text[at] = c; break;
            default: text = text.substr(0, at) + text.substr(at / 2); break;
            }
        }
        VisualFormat::Description description = describe(String(text));
        if (description.error.isEmpty()) {
            ++parsed;
            EXPECT_FALSE(description.constraints.empty()) << text;
            EXPECT_EQ(description.errorOffset, -1);
        } else {
            ++refused;
            EXPECT_TRUE(description.constraints.empty()) << text;
            EXPECT_GE(description.errorOffset, 0);
            EXPECT_LE(description.errorOffset, String(text).length()) << text;
        }
    }
    EXPECT_GT(parsed, 100);
    EXPECT_GT(refused, 1000);
}

} // namespace
