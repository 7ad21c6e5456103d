#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pellavo/DotsLoading/UIColor+hex.hpp"
#include "platform/ns/Console.hpp"

namespace {

using pellavo::ns::String;
using pellavo::ui::Color;

struct HexCase {
    String input;
    Color expected;
    bool complains;  // prints "invalid hex string"
};

std::string describe(const String& s) {
    std::string out;
    for (char16_t u : s.utf16()) {
        if (u >= 0x20 && u < 0x7F) {
            out += static_cast<char>(u);
        } else {
            out += "\\u" + std::to_string(static_cast<unsigned>(u));
        }
    }
    return out;
}

TEST(UIColorHex, ParsesWithTheScannerRulesAndFallsBackToWhite) {
    const double a = 0.3;
    const Color dots(0x42 / 255.0, 0x84 / 255.0, 0xF7 / 255.0, a);
    const Color white(1, 1, 1, 1);
    const std::vector<HexCase> cases = {
        {"#4284F7", dots, false},
        {"4284F7", dots, false},
        {"##4284F7", dots, false},
        {" 0x4284F7", dots, false},
        {"\n\t0X4284f7", dots, false},
        {"4284#F7", dots, false},
        {String(u"\u00A0\u20034284F7"), dots, false},  // Unicode spaces are skipped too
        {"#FFF", Color(0, 15 / 255.0, 1, a), false},    // no short form
        {"80FF0000", Color(1, 0, 0, a), false},         // the high byte is dropped
        {"123456789", Color(1, 1, 1, a), false},        // overflow: all bits set, alpha kept
        {"FFFFFFFFFF", Color(1, 1, 1, a), false},
        {"0000000042", Color(0, 0, 0x42 / 255.0, a), false},  // leading zeros never overflow
        {"0x", Color(0, 0, 0, a), false},
        {"0xG", Color(0, 0, 0, a), false},
        {"42zz", Color(0, 0, 0x42 / 255.0, a), false},
        {"", white, true},
        {"###", white, true},
        {"G12", white, true},
        {"+12", white, true},
        {"-12", white, true},
        {"   ", white, true},
        {String(u"\uFF11\uFF12"), white, true},  // fullwidth digits are not hex digits
        {String(std::u16string{char16_t(0xD800), u'1', u'2'}), white, true},  // unpaired surrogate first
    };
    for (const HexCase& c : cases) {
        SCOPED_TRACE(describe(c.input));
        pellavo::ns::ConsoleCapture console;
        const Color got = pellavo::uicolor::hexStr(c.input, a);
        double r = 0, g = 0, b = 0, alpha = 0;
        got.getRed(&r, &g, &b, &alpha);
        double er = 0, eg = 0, eb = 0, ea = 0;
        c.expected.getRed(&er, &eg, &eb, &ea);
        EXPECT_EQ(r, er);
        EXPECT_EQ(g, eg);
        EXPECT_EQ(b, eb);
        EXPECT_EQ(alpha, ea);
        const std::vector<std::string> expectedLines =
            c.complains ? std::vector<std::string>{"invalid hex string"} : std::vector<std::string>{};
        EXPECT_EQ(console.printedLines(), expectedLines);
        EXPECT_TRUE(console.loggedLines().empty());
    }
}

TEST(UIColorHex, AlphaIsPassedThroughUnchanged) {
    for (double alpha : {0.0, 1.0, 1.5, -2.0}) {
        double a = -1;
        pellavo::uicolor::hexStr("#4AB552", alpha).getRed(nullptr, nullptr, nullptr, &a);
        EXPECT_EQ(a, alpha);
    }
}

} // namespace
