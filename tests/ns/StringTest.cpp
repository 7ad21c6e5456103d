#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/ns/CharacterSet.hpp"
#include "platform/ns/String.hpp"

namespace {

using pellavo::ns::CharacterSet;
using pellavo::ns::notFound;
using pellavo::ns::Range;
using pellavo::ns::String;

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

struct TextCase {
    const char* name;
    const char* utf8;
    int64_t length;
    int64_t graphemes;
};

TEST(String, Utf8RoundTripsWithLengthAndGraphemeCount) {
    const TextCase cases[] = {
        {"ascii", "abc", 3, 3},
        {"precomposed e acute", "\xC3\xA9", 1, 1},
        {"decomposed e acute", "e\xCC\x81", 2, 1},
        {"thumbs up with skin tone", "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD", 4, 1},
        {"flag", "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", 4, 1},
        {"two flags", "\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA", 8, 2},
        {"family joined by ZWJ", "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7", 8, 1},
        {"CJK", "\xE8\x8E\xB7\xE5\x8F\x96\xE9\xAA\x8C\xE8\xAF\x81\xE7\xA0\x81", 5, 5},
        {"CRLF is one grapheme", "a\r\nb", 4, 3},
        {"empty", "", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const String s(c.utf8);
        EXPECT_EQ(s.length(), c.length);
        EXPECT_EQ(s.graphemeCount(), c.graphemes);
        EXPECT_EQ(static_cast<int64_t>(s.graphemes().size()), c.graphemes);
        EXPECT_EQ(s.utf8(), c.utf8);
        EXPECT_EQ(s.isEmpty(), c.length == 0);
        // Every construction path agrees.
        EXPECT_EQ(String(std::string(c.utf8)), s);
        EXPECT_EQ(String(std::string_view(c.utf8)), s);
        EXPECT_EQ(String(s.utf16()), s);
        EXPECT_EQ(String(s.utf16().c_str()), s);
    }
}

TEST(String, GraphemesAndTheirRangesFollowClusters) {
    // decomposed é, thumbs up with tone, a flag, x
    const String s("e\xCC\x81\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7x");
    const std::vector<Range> expected{{0, 2}, {2, 4}, {6, 4}, {10, 1}};
    EXPECT_EQ(s.graphemeRanges(), expected);
    const auto pieces = s.graphemes();
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0], String("e\xCC\x81"));
    EXPECT_EQ(pieces[2], String("\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7"));
    EXPECT_EQ(pieces[3], String("x"));
    EXPECT_EQ(s.rangeOfComposedCharacterSequence(3), (Range{2, 4}));
    EXPECT_EQ(s.rangeOfComposedCharacterSequence(10), (Range{10, 1}));
    EXPECT_EQ(s.rangeOfComposedCharacterSequence(11).location, notFound);
    EXPECT_EQ(s.rangeOfComposedCharacterSequence(-1).location, notFound);
}

TEST(String, InvalidUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::string_view in;
        std::u16string out;
    } cases[] = {
        {"stray byte", "\xFF", u"\uFFFD"},
        {"truncated at end", "a\xC3", u"a\uFFFD"},
        {"truncated before ascii", "\xE2\x82z", u"\uFFFDz"},
        {"truncated four-byte", "\xF0\x9F\x98", u"\uFFFD"},
        {"overlong", "\xC0\x80", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"stray continuations", "\x80\x80", u"\uFFFD\uFFFD"},
        {"embedded NUL kept", std::string_view("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(String(c.in).utf16(), c.out);
    }
    EXPECT_TRUE(String(static_cast<const char*>(nullptr)).isEmpty());
    EXPECT_TRUE(String(static_cast<const char16_t*>(nullptr)).isEmpty());
}

TEST(String, LoneSurrogatesLeaveAsReplacementCharacters) {
    EXPECT_EQ(String(u"\xD800" u"a").utf8(), "\xEF\xBF\xBD" "a");
    EXPECT_EQ(String(u"a\xDC00").utf8(), "a\xEF\xBF\xBD");
    EXPECT_EQ(String(u"\xDC00\xD800").utf8(), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(String(u"\xD800").unicodeScalars(), U"\uFFFD");
    EXPECT_EQ(String("a\xF0\x9F\x98\x80").unicodeScalars(), U"a\U0001F600");
}

// Long texts are converted in pieces; every cut position must give the same
// result as converting the whole at once.
TEST(String, LongTextsConvertTheSameWhereverThePiecesAreCut) {
    // é, 😀, a, a stray byte, a truncated sequence, b, five stray continuations
    const std::string piece = "\xC3\xA9\xF0\x9F\x98\x80" "a\xFF\xE2\x82" "b\x80\x80\x80\x80\x80";
    const std::u16string decoded = u"\u00E9\U0001F600a\uFFFD\uFFFD" u"b\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD";
    const std::string valid = "\xC3\xA9\xF0\x9F\x98\x80" "a\xE8\x8E\xB7";
    for (size_t pad = 0; pad < piece.size(); ++pad) {
        SCOPED_TRACE(pad);
        std::string in(pad, 'x');
        std::u16string expected(pad, u'x');
        std::string validIn(pad, 'x');
        while (in.size() < (size_t{1} << 20) + 64) {
            in += piece;
            expected += decoded;
        }
        // The valid piece is five UTF-16 units; go past one conversion piece of units.
        for (size_t units = pad; units < (size_t{1} << 20) + 64; units += 5) validIn += valid;
        // Plain booleans: a mismatch would print megabytes.
        EXPECT_TRUE(String(in).utf16() == expected);
        EXPECT_TRUE(String(validIn).utf8() == validIn);
    }
}

TEST(String, SubstringAndReplacingValidateRanges) {
    const String s("a\xF0\x9F\x98\x80" "b");  // a, pair, b: four units
    struct Case {
        const char* name;
        Range range;
        std::optional<String> replaced;  // with "!"
    } cases[] = {
        {"insert at end", {4, 0}, String("a\xF0\x9F\x98\x80" "b!")},
        {"insert at start", {0, 0}, String("!a\xF0\x9F\x98\x80" "b")},
        {"replace the pair", {1, 2}, String("a!b")},
        {"replace all", {0, 4}, String("!")},
        {"empty range inside the pair", {2, 0}, std::nullopt},
        {"end splits the pair", {1, 1}, std::nullopt},
        {"start splits the pair", {2, 2}, std::nullopt},
        {"past the end", {5, 0}, std::nullopt},
        {"runs past the end", {3, 2}, std::nullopt},
        {"negative location", {-1, 1}, std::nullopt},
        {"negative length", {1, -1}, std::nullopt},
        {"not found", {notFound, 0}, std::nullopt},
        {"huge location", {kMax, 1}, std::nullopt},
        {"length overflows", {1, kMax}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(s.replacingCharacters(c.range, "!"), c.replaced);
        EXPECT_EQ(s.isValidRange(c.range), c.replaced.has_value());
        EXPECT_EQ(s.substring(c.range).has_value(), c.replaced.has_value());
        std::string appended = "x";
        EXPECT_EQ(s.appendUtf8(c.range, appended), c.replaced.has_value());
        EXPECT_EQ(appended, "x" + (c.replaced ? s.substring(c.range)->utf8() : std::string()));
    }
    std::string lone;
    EXPECT_TRUE(String(u"a\xD800").appendUtf8({1, 1}, lone));
    EXPECT_EQ(lone, "\xEF\xBF\xBD");
    EXPECT_EQ(s.substring({1, 2}), String("\xF0\x9F\x98\x80"));
    EXPECT_EQ(s.substring({4, 0}), String());
    EXPECT_EQ(s.utf8(), "a\xF0\x9F\x98\x80" "b");
}

TEST(String, ComponentsAndReplacingOccurrences) {
    struct Split {
        const char* text;
        const char* separator;
        std::vector<String> parts;
    } splits[] = {
        {".", ".", {"", ""}},
        {"", ".", {""}},
        {"a.b..c", ".", {"a", "b", "", "c"}},
        {"abc", "", {"abc"}},
        {"a--b", "--", {"a", "b"}},
        {"aaa", "aa", {"", "a"}},
        {"1,2,", ",", {"1", "2", ""}},
    };
    for (const auto& c : splits) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.separator);
        EXPECT_EQ(String(c.text).components(c.separator), c.parts);
    }
    struct Replace {
        const char* text;
        const char* of;
        const char* with;
        const char* out;
    } replaces[] = {
        {"aaa", "aa", "b", "ba"},
        {"a.b.c", ".", "", "abc"},
        {"abc", "", "x", "abc"},
        {"abc", "z", "x", "abc"},
        {"x", "x", "xx", "xx"},
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9", "e", "ete"},
    };
    for (const auto& c : replaces) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(String(c.text).replacingOccurrences(c.of, c.with), String(c.out));
    }
    // Half of a pair is never matched on its own.
    const String pair(u"\xD83D\xDE00");
    EXPECT_EQ(pair.replacingOccurrences(String(u"\xDE00"), "x"), pair);
    EXPECT_EQ(pair.components(String(u"\xD83D")), std::vector<String>{pair});
    EXPECT_EQ(pair.range(String(u"\xDE00")).location, notFound);
}

TEST(String, SearchingAndOffsets) {
    const String s("a\xF0\x9F\x98\x80\xC3\xA9" "a");  // a 😀 é a
    EXPECT_EQ(s.range("a"), (Range{0, 1}));
    EXPECT_EQ(s.range("\xC3\xA9" "a"), (Range{3, 2}));
    EXPECT_EQ(s.range("").location, notFound);
    EXPECT_TRUE(s.hasPrefix("a\xF0\x9F\x98\x80"));
    EXPECT_TRUE(s.hasSuffix("\xC3\xA9" "a"));
    EXPECT_FALSE(s.hasPrefix(""));
    EXPECT_FALSE(String("a").hasSuffix("ba"));
    EXPECT_EQ(s.characterAt(1), 0xD83D);
    EXPECT_EQ(s.characterAt(5), 0);
    EXPECT_EQ(s.characterAt(-1), 0);

    const int64_t utf8Offsets[] = {0, 1, 5, 5, 7, 8};  // for UTF-16 offsets 0...5
    for (int64_t i = 0; i <= 5; ++i) EXPECT_EQ(s.utf8Offset(i), utf8Offsets[i]) << i;
    EXPECT_EQ(s.utf8Offset(99), 8);
    EXPECT_EQ(s.utf8Offset(-3), 0);
    const int64_t utf16Offsets[] = {0, 1, 1, 1, 1, 3, 3, 4, 5};  // for UTF-8 offsets 0...8
    for (int64_t i = 0; i <= 8; ++i) EXPECT_EQ(s.utf16Offset(i), utf16Offsets[i]) << i;
    EXPECT_EQ(s.utf16Offset(99), 5);
    EXPECT_EQ(String(u"\xD800" u"a").utf8Offset(1), 3);
}

TEST(String, ComparesCodeUnitsWithoutNormalising) {
    EXPECT_NE(String("\xC3\xA9"), String("e\xCC\x81"));
    EXPECT_EQ(String("abc"), "abc");
    EXPECT_LT(String("B"), String("a"));
    EXPECT_LT(String("ab"), String("abc"));
    // By code units a pair's lead surrogate sorts below U+FF5E.
    EXPECT_LT(String("\xF0\x9F\x98\x80"), String("\xEF\xBD\x9E"));
    EXPECT_EQ(String("ab") + String("\xC3\xA9"), String("ab\xC3\xA9"));
    String s("x");
    s += "y";
    EXPECT_EQ(s, "xy");

    std::unordered_set<String> set{String("\xC3\xA9"), String("e\xCC\x81"), String("\xC3\xA9")};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_EQ(std::hash<String>{}(String("abc")), std::hash<String>{}(String(u"abc")));
}

TEST(String, DescribingDoubles) {
    struct Case {
        double value;
        const char* text;
    } cases[] = {
        {5, "5.0"},
        {-3, "-3.0"},
        {0.1, "0.1"},
        {0.0001, "0.0001"},
        {1e-5, "1e-05"},
        {1.5e-5, "1.5e-05"},
        {-1e-5, "-1e-05"},
        {0.0, "0.0"},
        {-0.0, "-0.0"},
        {9007199254740991.0, "9007199254740991.0"},
        {9007199254740992.0, "9.007199254740992e+15"},
        {1e16, "1e+16"},
        {-1e16, "-1e+16"},
        {1e300, "1e+300"},
        {5e-324, "5e-324"},
        {0.30000000000000004, "0.30000000000000004"},
        {123.456, "123.456"},
        {std::numeric_limits<double>::infinity(), "inf"},
        {-std::numeric_limits<double>::infinity(), "-inf"},
        {std::numeric_limits<double>::quiet_NaN(), "nan"},
        {-std::numeric_limits<double>::quiet_NaN(), "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(String::describing(c.value).utf8(), c.text) << c.text;
        if (std::isfinite(c.value)) {
            EXPECT_EQ(std::strtod(c.text, nullptr), c.value) << c.text;
        }
    }
}

TEST(CharacterSet, DigitsOfEveryScriptAndUnicodeWhitespace) {
    const CharacterSet digits = CharacterSet::decimalDigits();
    for (char32_t c : {U'0', U'9', U'\u0663', U'\u096F', U'\uFF11', U'\U0001D7CE'}) EXPECT_TRUE(digits.contains(c)) << uint32_t(c);
    for (char32_t c : {U'a', U'\u00B2', U'\u2167', U'\u4E00', char32_t{0x110000}}) EXPECT_FALSE(digits.contains(c)) << uint32_t(c);

    const CharacterSet space = CharacterSet::whitespacesAndNewlines();
    for (char32_t c : {U' ', U'\t', U'\n', U'\v', U'\f', U'\r', U'\u0085', U'\u00A0', U'\u2028', U'\u2029', U'\u3000'})
        EXPECT_TRUE(space.contains(c)) << uint32_t(c);
    for (char32_t c : {U'a', U'\u200B', U'\u0008', U'\u001C'}) EXPECT_FALSE(space.contains(c)) << uint32_t(c);

    const CharacterSet custom = CharacterSet::characters("0123456789.\xF0\x9F\x98\x80");
    EXPECT_TRUE(custom.contains(U'.'));
    EXPECT_TRUE(custom.contains(U'\U0001F600'));
    EXPECT_FALSE(custom.contains(U','));
    EXPECT_TRUE(custom.inverted().contains(U','));
    EXPECT_FALSE(custom.inverted().contains(U'7'));
}

} // namespace
