#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ns/RegularExpression.hpp"

namespace {

using pellavo::ns::notFound;
using pellavo::ns::Range;
using pellavo::ns::RegularExpression;
using pellavo::ns::String;
using pellavo::ns::TextCheckingResult;

std::vector<Range> rangesOf(const RegularExpression& regex, const String& text, std::optional<Range> range = {}) {
    std::vector<Range> out;
    for (const TextCheckingResult& m : regex.matches(text, range.value_or(Range{0, text.length()})))
        out.push_back(m.range());
    return out;
}

TEST(RegularExpression, MatchRangesCountUtf16Units) {
    struct Case {
        const char* name;
        const char* pattern;
        String text;
        std::vector<Range> ranges;
    } cases[] = {
        {"after an emoji", "b+", "\xF0\x9F\x98\x80" "abb", {{3, 2}}},
        {"the emoji itself", "\xF0\x9F\x98\x80", "a\xF0\x9F\x98\x80", {{1, 2}}},
        {"any character takes a whole pair", ".", "\xF0\x9F\x98\x80" "a", {{0, 2}, {2, 1}}},
        {"Arabic-Indic digits are digits", "\\d+", "\xD9\xA3\xD9\xA4\xD9\xA5" "a7", {{0, 3}, {4, 1}}},
        {"dollar before a final newline", "^abc$", "abc\n", {{0, 3}}},
        {"dollar not before an inner newline", "^abc$", "abc\nx", {}},
        {"non-overlapping", "aa", "aaaaa", {{0, 2}, {2, 2}}},
        {"empty matches around a run", "a*", "baa", {{0, 0}, {1, 2}, {3, 0}}},
        {"empty matches never split a pair", "x*", "\xF0\x9F\x98\x80" "a", {{0, 0}, {2, 0}, {3, 0}}},
        {"empty text", "a*", "", {{0, 0}}},
        {"case matters by default", "abc", "ABC abc", {{4, 3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto regex = RegularExpression::make(c.pattern);
        ASSERT_TRUE(regex.has_value());
        EXPECT_EQ(rangesOf(*regex, c.text), c.ranges);
        EXPECT_EQ(regex->numberOfMatches(c.text, {0, c.text.length()}), static_cast<int64_t>(c.ranges.size()));
        const auto first = regex->firstMatch(c.text, {0, c.text.length()});
        ASSERT_EQ(first.has_value(), !c.ranges.empty());
        if (first) {
            EXPECT_EQ(first->range(), c.ranges.front());
        }
    }
}

TEST(RegularExpression, InvalidAndEmptyPatternsAreRejected) {
    for (const char* pattern : {"", "(", "[a-", "*", "a{2,1}", "\\"}) {
        EXPECT_FALSE(RegularExpression::make(pattern).has_value()) << pattern;
    }
    EXPECT_EQ(RegularExpression::make("a(b)?")->pattern(), String("a(b)?"));
}

TEST(RegularExpression, SearchStaysInsideAValidRange) {
    const auto a = RegularExpression::make("a");
    const String text("aaaa");
    EXPECT_EQ(rangesOf(*a, text, Range{1, 2}), (std::vector<Range>{{1, 1}, {2, 1}}));
    // Anchors hold at the range's ends.
    EXPECT_EQ(rangesOf(*RegularExpression::make("^a$"), "bab", Range{1, 1}), (std::vector<Range>{{1, 1}}));

    const String pair("a\xF0\x9F\x98\x80");
    const auto any = RegularExpression::make(".");
    const Range invalid[] = {{3, 5}, {-1, 1}, {0, -1}, {2, 1}, {1, 1}, {5, 0}, {notFound, 0}, {1, notFound}};
    for (const Range& r : invalid) {
        SCOPED_TRACE(testing::Message() << r.location << "," << r.length);
        EXPECT_TRUE(any->matches(pair, r).empty());
        EXPECT_FALSE(any->firstMatch(pair, r).has_value());
        EXPECT_EQ(any->numberOfMatches(pair, r), 0);
    }
}

TEST(RegularExpression, CaptureGroupsReportTheirRanges) {
    const auto regex = RegularExpression::make("(\\d+)-(x)?(\\w+)");
    ASSERT_TRUE(regex);
    EXPECT_EQ(regex->numberOfCaptureGroups(), 3);
    const auto m = regex->firstMatch("\xF0\x9F\x98\x80" "12-ab", {0, 7});
    ASSERT_TRUE(m);
    EXPECT_EQ(m->numberOfRanges(), 4);
    EXPECT_EQ(m->range(), (Range{2, 5}));
    EXPECT_EQ(m->range(1), (Range{2, 2}));
    EXPECT_EQ(m->range(2).location, notFound);  // took no part
    EXPECT_EQ(m->range(3), (Range{5, 2}));
    EXPECT_EQ(m->range(4).location, notFound);
    EXPECT_EQ(m->range(-1).location, notFound);
}

TEST(RegularExpression, EnumerationStopsWhenAskedAndSurvivesChangesToTheText) {
    const auto digit = RegularExpression::make("\\d");
    String text("1a2b3");
    std::vector<Range> seen;
    digit->enumerateMatches(text, {0, text.length()}, [&](const TextCheckingResult& m, bool& stop) {
        seen.push_back(m.range());
        // Replacing the caller's text mid-search must not disturb the search.
        text = String("z");
        stop = seen.size() == 2;
    });
    EXPECT_EQ(seen, (std::vector<Range>{{0, 1}, {2, 1}}));
    digit->enumerateMatches(text, {0, 1}, nullptr);  // an empty block is ignored
}

// Nested quantifiers backtrack exponentially; the time limit ends the search quietly.
TEST(RegularExpression, CatastrophicPatternEndsQuietlyWithoutAMatch) {
    const auto regex = RegularExpression::make("(a+)+$");
    ASSERT_TRUE(regex);
    const String text(std::string(30, 'a') + "!");
    EXPECT_FALSE(regex->firstMatch(text, {0, text.length()}).has_value());
    EXPECT_TRUE(regex->matches(text, {0, text.length()}).empty());
}

// Deep backtracking state hits the stack limit and ends with the matches so far.
TEST(RegularExpression, StackLimitEndsWithTheMatchesSoFar) {
    const auto regex = RegularExpression::make("b|(?:a|a)*c");
    ASSERT_TRUE(regex);
    const String text("b" + std::string(2'000'000, 'a'));
    const auto found = regex->matches(text, {0, text.length()});
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found.front().range(), (Range{0, 1}));
}

TEST(RegularExpression, OnePatternServesFourThreadsAtOnce) {
    const auto regex = RegularExpression::make("[0-9]+|\xF0\x9F\x98\x80");
    ASSERT_TRUE(regex);
    std::vector<String> texts;
    std::vector<std::vector<Range>> expected;
    for (int t = 0; t < 4; ++t) {
        std::string s;
        for (int i = 0; i < 200; ++i) s += std::to_string(i * (t + 1)) + (i % 3 == 0 ? "\xF0\x9F\x98\x80" : " x ");
        texts.emplace_back(s);
        expected.push_back(rangesOf(*regex, texts.back()));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                if (rangesOf(*regex, texts[t]) != expected[t]) ++mismatches[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(expected[0].size(), 200u + 67u);
}

} // namespace
