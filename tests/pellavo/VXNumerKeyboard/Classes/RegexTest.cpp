#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pellavo/VXNumerKeyboard/Classes/Regex.hpp"
#include "pellavo/VXNumerKeyboard/Classes/String+TextRegex.hpp"
#include "tests/support/PlatformTest.hpp"

namespace pellavo {
namespace {

class RegexTest : public testing::PlatformTest {};

std::vector<std::string> utf8(const std::vector<ns::String>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(item.utf8());
    return out;
}

struct Row {
    InputType type;
    std::string text;
    bool passes;
};

TEST_F(RegexTest, InputTypesCheckTheirFixedPatterns) {
    const std::string d15 = "123456789012345", d16 = d15 + "6", d17 = d16 + "7", d18 = d17 + "8", d19 = d18 + "9";
    const std::string nine = "800000000";
    const std::string fullWidthNine = "\uFF13\uFF13\uFF13\uFF13\uFF13\uFF13\uFF13\uFF13\uFF13";
    const std::vector<Row> rows = {
        {InputType::numberic, "10", true},          {InputType::numberic, "1.2", true},
        {InputType::numberic, "0.5", true},         {InputType::numberic, "0.05", true},
        {InputType::numberic, "0", false},          {InputType::numberic, "00", false},
        {InputType::numberic, "0.0", false},        {InputType::numberic, "0.00", false},
        {InputType::numberic, "01", false},         {InputType::numberic, "1.", false},
        {InputType::numberic, ".5", false},         {InputType::numberic, "1.234", false},
        {InputType::telephone, "13" + nine, true},  {InputType::telephone, "12" + nine, false},
        {InputType::telephone, "13" + nine.substr(1), false},
        {InputType::telephone, "13" + nine + "0", false},
        {InputType::telephone, "13a" + nine.substr(1), false},
        {InputType::telephone, "1|" + nine, true},  // the class admits "|"
        {InputType::telephone, "13" + nine + "\n", true},  // $ matches before a final newline
        {InputType::telephone, "13" + fullWidthNine, true},  // \d is any decimal digit
        {InputType::bankcard, d16, true},           {InputType::bankcard, d19, true},
        {InputType::bankcard, d15, false},          {InputType::bankcard, d17, true},
        {InputType::bankcard, d18, true},           {InputType::bankcard, d16 + "ab", true},
        {InputType::bankcard, "ab" + d19, true},    {InputType::bankcard, "1234 5678 9012 3456 ", false},
        {InputType::identNumber, d18, true},        {InputType::identNumber, d17 + "X", true},
        {InputType::identNumber, d17 + "x", false}, {InputType::identNumber, d17, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(string::checkRegex(ns::String(row.text), row.type), row.passes)
            << "type " << static_cast<int>(row.type) << " text \"" << row.text << "\"";
    }
}

TEST_F(RegexTest, MatchCollectsWholeMatchesAndGeneratesThemOnce) {
    const auto result = regexMatch("a1b22c333", R"(\d+)");
    EXPECT_EQ(utf8(result.items), (std::vector<std::string>{"1", "22", "333"}));
    EXPECT_TRUE(result.boolValue());
    EXPECT_EQ(result[1].utf8(), "22");
    EXPECT_EQ(result[3].utf8(), "");
    EXPECT_EQ(result[-1].utf8(), "");

    auto generator = result.generate();
    std::vector<std::string> generated;
    while (auto item = generator.next()) generated.push_back(item->utf8());
    EXPECT_EQ(generated, utf8(result.items));
    EXPECT_EQ(generator.next(), std::nullopt);
    EXPECT_EQ(result.items.size(), 3u);  // generating leaves the result alone

    auto none = regexMatch("abc", R"(\d)").generate();
    EXPECT_EQ(none.next(), std::nullopt);
}

TEST_F(RegexTest, MatchFaultsEndQuietly) {
    EXPECT_EQ(utf8(regexMatch("\U0001F600" "12\U0001F600" "34", R"(\d+)").items),
              (std::vector<std::string>{"12", "34"}));
    EXPECT_FALSE(regexMatch("(unclosed", "(unclosed").boolValue());
    EXPECT_FALSE(regexMatch("abc", "").boolValue());
    EXPECT_FALSE(regexMatch(std::string(30, 'a') + "!", "(a+)+$").boolValue());
    EXPECT_TRUE(printedLines().empty());
    EXPECT_TRUE(loggedLines().empty());
}

} // namespace
} // namespace pellavo
