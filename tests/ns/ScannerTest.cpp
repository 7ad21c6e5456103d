#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/ns/Scanner.hpp"

namespace {

using pellavo::ns::CharacterSet;
using pellavo::ns::Scanner;
using pellavo::ns::String;

constexpr uint32_t kUntouched = 0xDEADBEEF;

TEST(Scanner, ScanHexIntTable) {
    struct Case {
        const char* name;
        String text;
        bool found;
        uint32_t value;  // kUntouched when nothing is read
        int64_t location;
    } cases[] = {
        {"plain", "4284F7", true, 0x4284F7, 6},
        {"whitespace, newline and prefix", "  \n0x4284F7", true, 0x4284F7, 11},
        {"no-break space before digits", u"\u00A0" u"4284F7", true, 0x4284F7, 7},
        {"line separator before digits", u"\u2028" u"4284F7", true, 0x4284F7, 7},
        {"upper-case prefix, mixed case digits", "0X1f", true, 0x1F, 4},
        {"three digits", "FFF", true, 0xFFF, 3},
        {"high bit set", "80FF0000", true, 0x80FF0000, 8},
        {"largest value", "FFFFFFFF", true, 0xFFFFFFFF, 8},
        {"nine digits overflow", "123456789", true, 0xFFFFFFFF, 9},
        {"overflow consumes every digit", "FFFFFFFFFFFFFFFFFFFFFFFFFF!", true, 0xFFFFFFFF, 26},
        {"leading zeros do not overflow", "00000000000FF", true, 0xFF, 13},
        {"empty", "", false, kUntouched, 0},
        {"only whitespace", "  \n", false, kUntouched, 0},
        {"no digit", "G1", false, kUntouched, 0},
        {"prefix alone reads the zero", "0x", true, 0, 1},
        {"prefix before a non-digit reads the zero", "0xG", true, 0, 1},
        {"stops at the first non-digit", "12zz", true, 0x12, 2},
        {"no sign", "-1", false, kUntouched, 0},
        {"no plus sign", "+1", false, kUntouched, 0},
        {"full-width digits are not hex", u"\uFF11", false, kUntouched, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scanner scanner(c.text);
        uint32_t value = kUntouched;
        EXPECT_EQ(scanner.scanHexInt(&value), c.found);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(scanner.scanLocation(), c.location);
    }
}

TEST(Scanner, ScansInSequenceAndReportsTheEnd) {
    Scanner scanner("1 a\t\xF0\x9F\x98\x80");
    uint32_t value = 0;
    EXPECT_FALSE(scanner.isAtEnd());
    EXPECT_TRUE(scanner.scanHexInt(&value));
    EXPECT_EQ(value, 1u);
    EXPECT_TRUE(scanner.scanHexInt(nullptr));  // the value is optional
    EXPECT_EQ(scanner.scanLocation(), 3);
    EXPECT_FALSE(scanner.scanHexInt(&value));
    EXPECT_EQ(scanner.scanLocation(), 3);  // the tab is not skipped by a failed scan
    EXPECT_FALSE(scanner.isAtEnd());

    Scanner trailing("12 \n");
    EXPECT_TRUE(trailing.scanHexInt(&value));
    EXPECT_TRUE(trailing.isAtEnd());  // only skippable characters remain
    EXPECT_TRUE(Scanner("").isAtEnd());
}

TEST(Scanner, LocationIsClampedAndSkippingCanBeChanged) {
    Scanner scanner("ab 7");
    scanner.setScanLocation(99);
    EXPECT_EQ(scanner.scanLocation(), 4);
    EXPECT_TRUE(scanner.isAtEnd());
    scanner.setScanLocation(-5);
    EXPECT_EQ(scanner.scanLocation(), 0);

    scanner.setScanLocation(2);
    scanner.setCharactersToBeSkipped(std::nullopt);
    uint32_t value = kUntouched;
    EXPECT_FALSE(scanner.scanHexInt(&value));
    EXPECT_EQ(value, kUntouched);
    scanner.setCharactersToBeSkipped(CharacterSet::characters(" "));
    EXPECT_TRUE(scanner.scanHexInt(&value));
    EXPECT_EQ(value, 7u);
}

} // namespace
