#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "platform/ns/AttributedString.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"

namespace {

using namespace pellavo;
using Key = ns::AttributedString::Key;

ns::Attributes fontAttributes(double size) { return {{Key::font, ns::Value::of(ui::Font::systemFont(size))}}; }

ns::Attributes colorAttributes(ui::Color color) { return {{Key::foregroundColor, ns::Value::of(color)}}; }

const ui::Font* fontAt(const ns::AttributedString& s, int64_t index, ns::Range* range = nullptr) {
    static thread_local ns::Value held;
    held = s.attribute(Key::font, index, range);
    return held.get<ui::Font>();
}

TEST(AttributedStringTest, WholeStringRunAndOutsideIndices) {
    const ns::AttributedString s("hello", fontAttributes(14));
    EXPECT_EQ(s.length(), 5);
    ns::Range range;
    ASSERT_NE(fontAt(s, 4, &range), nullptr);
    EXPECT_EQ(fontAt(s, 4)->pointSize(), 14);
    EXPECT_EQ(range, ns::Range(0, 5));

    for (int64_t index : {int64_t{-1}, int64_t{5}, std::numeric_limits<int64_t>::max()}) {
        ns::Range outside{1, 1};
        EXPECT_TRUE(s.attributes(index, &outside).empty()) << index;
        EXPECT_EQ(outside, ns::Range(ns::notFound, 0));
    }
    EXPECT_TRUE(ns::AttributedString("").runs().empty());
}

TEST(AttributedStringTest, AddAndSetSplitRunsAndMergeEqualNeighbours) {
    ns::MutableAttributedString s("abcdef", fontAttributes(12));
    s.addAttributes(colorAttributes(ui::Color::red()), ns::Range(2, 2));

    auto runs = s.runs();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].range, ns::Range(0, 2));
    EXPECT_EQ(runs[1].range, ns::Range(2, 2));
    EXPECT_EQ(runs[2].range, ns::Range(4, 2));
    EXPECT_EQ(runs[1].attributes.size(), 2u); // font kept, colour added
    EXPECT_EQ(*runs[1].attributes.at(Key::foregroundColor).get<ui::Color>(), ui::Color::red());

    // Setting replaces the whole set; equal neighbours become one run again.
    s.setAttributes(fontAttributes(12), ns::Range(1, 4));
    runs = s.runs();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].range, ns::Range(0, 6));

    s.removeAttribute(Key::font, ns::Range(0, 3));
    ns::Range effective;
    EXPECT_TRUE(s.attributes(1, &effective).empty());
    EXPECT_EQ(effective, ns::Range(0, 3));
}

TEST(AttributedStringTest, InvalidRangesAreIgnored) {
    // "a😀b": the emoji is a surrogate pair at units 1 and 2.
    ns::MutableAttributedString s("a\xF0\x9F\x98\x80" "b", fontAttributes(10));
    ASSERT_EQ(s.length(), 4);
    const ns::MutableAttributedString before = s;
    const ns::Range bad[] = {{-1, 2},      {3, 2},        {4, 1},       {0, -1},
                             {2, 1},       {1, 1},        {ns::notFound, 1},
                             {1, std::numeric_limits<int64_t>::max()}};
    for (const ns::Range& range : bad) {
        s.addAttributes(colorAttributes(ui::Color::blue()), range);
        s.setAttributes({}, range);
        s.removeAttribute(Key::font, range);
        s.replaceCharacters(range, "x");
        EXPECT_EQ(s, before) << range.location << "," << range.length;
    }
    // The whole pair is a valid range.
    s.addAttributes(colorAttributes(ui::Color::blue()), ns::Range(1, 2));
    EXPECT_EQ(s.runs().size(), 3u);
    EXPECT_FALSE(s.attributedSubstring(ns::Range(2, 1)).has_value());
}

TEST(AttributedStringTest, AppendReplaceAndSubstringKeepAttributes) {
    ns::MutableAttributedString s("ab", fontAttributes(10));
    s.append(ns::AttributedString("cd", fontAttributes(20)));
    s.append(ns::AttributedString("ef", fontAttributes(20)));
    EXPECT_EQ(s.string(), ns::String("abcdef"));
    ASSERT_EQ(s.runs().size(), 2u);
    EXPECT_EQ(s.runs()[1].range, ns::Range(2, 4));

    // Replacement text takes the first replaced unit's attributes.
    s.replaceCharacters(ns::Range(1, 2), "XYZ");
    EXPECT_EQ(s.string(), ns::String("aXYZdef"));
    EXPECT_EQ(fontAt(s, 1)->pointSize(), 10);
    EXPECT_EQ(fontAt(s, 3)->pointSize(), 10);
    EXPECT_EQ(fontAt(s, 4)->pointSize(), 20);
    // An insertion takes the attributes before it; a deletion removes the run part.
    s.replaceCharacters(ns::Range(7, 0), "!");
    EXPECT_EQ(fontAt(s, 7)->pointSize(), 20);
    s.replaceCharacters(ns::Range(0, 4), "");
    EXPECT_EQ(s.string(), ns::String("def!"));
    EXPECT_EQ(s.runs().size(), 1u);

    const auto sub = s.attributedSubstring(ns::Range(1, 2));
    ASSERT_TRUE(sub.has_value());
    EXPECT_EQ(*sub, ns::AttributedString("ef", fontAttributes(20)));
}

TEST(AttributedStringTest, EqualityComparesValues) {
    EXPECT_EQ(ns::AttributedString("x", fontAttributes(12)), ns::AttributedString("x", fontAttributes(12)));
    EXPECT_NE(ns::AttributedString("x", fontAttributes(12)), ns::AttributedString("x", fontAttributes(13)));
    EXPECT_NE(ns::AttributedString("x", fontAttributes(12)), ns::AttributedString("y", fontAttributes(12)));
    EXPECT_NE(ns::AttributedString("x", fontAttributes(12)), ns::AttributedString("x"));

    ns::ParagraphStyle centered;
    centered.alignment = ns::TextAlignment::center;
    const ns::Attributes a{{Key::paragraphStyle, ns::Value::of(centered)}};
    EXPECT_EQ(ns::AttributedString("x", a), ns::AttributedString("x", a));
    EXPECT_NE(ns::AttributedString("x", a), ns::AttributedString("x", {{Key::paragraphStyle, ns::Value::of(ns::ParagraphStyle())}}));

    // Numbers compare by value (NaN equals itself), strings by content, objects by identity.
    const Key custom("custom");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(ns::attributeValuesEqual(ns::Value::of(nan), ns::Value::of(nan)));
    EXPECT_TRUE(ns::attributeValuesEqual(ns::Value::of(2.5), ns::Value::of(2.5)));
    EXPECT_FALSE(ns::attributeValuesEqual(ns::Value::of(2.5), ns::Value::of(2.0)));
    EXPECT_FALSE(ns::attributeValuesEqual(ns::Value::of(2), ns::Value::of(2.0)));
    EXPECT_FALSE(ns::attributeValuesEqual(ns::Value::of(uint64_t{1} << 60), ns::Value::of((uint64_t{1} << 60) + 1)));
    EXPECT_TRUE(ns::attributeValuesEqual(ns::Value::of("a"), ns::Value::of(std::string("a"))));
    auto object = ns::make<ns::Object>();
    EXPECT_TRUE(ns::attributeValuesEqual(ns::Value::of(object), ns::Value::of(object)));
    EXPECT_FALSE(ns::attributeValuesEqual(ns::Value::of(object), ns::Value::of(ns::make<ns::Object>())));

    // An unregistered type never compares equal, so such runs never merge.
    struct Opaque {};
    ns::MutableAttributedString s("ab", {{custom, ns::Value::of(Opaque{})}});
    s.setAttributes({{custom, ns::Value::of(Opaque{})}}, ns::Range(1, 1));
    EXPECT_EQ(s.runs().size(), 2u);
}

} // namespace
