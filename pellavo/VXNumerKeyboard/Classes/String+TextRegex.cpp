#include "pellavo/VXNumerKeyboard/Classes/String+TextRegex.hpp"

#include <array>
#include <cstddef>

#include "pellavo/VXNumerKeyboard/Classes/Regex.hpp"

namespace pellavo::string {

namespace {

// One pattern per input type, in the enumeration's order. They are kept exactly as they
// have always been, quirks included: the bank-card alternation is unanchored on each
// side, the telephone class also admits "|", and \d is any Unicode decimal digit.
constexpr std::array<const char*, 4> patterns = {
    R"re(^(?!0+(?:\.0+)?$)(?:[1-9]\d*|0)(?:\.\d{1,2})?$)re",
    R"re(^1[3|4|5|6|7|8|9]\d{9}$)re",
    R"re(^\d{16}|\d{19}$)re",
    R"re(^(\d{6})(\d{4})(\d{2})(\d{2})(\d{3})([0-9]|X)$)re",
};

} // namespace

bool checkRegex(const ns::String& text, InputType type) {
    const auto index = static_cast<std::size_t>(type);
    if (index >= patterns.size()) {
        return false;
    }
    return regexMatch(text, patterns[index]).boolValue();
}

} // namespace pellavo::string
