#include "pellavo/VXNumerKeyboard/Classes/String+Insert.hpp"

#include <algorithm>

#include "platform/ns/CharacterSet.hpp"

namespace pellavo::string {

bool onlyNumbers(const ns::String& text) {
    if (text.isEmpty()) return false;
    const auto digits = ns::CharacterSet::decimalDigits();
    const std::u32string scalars = text.unicodeScalars();
    return std::all_of(scalars.begin(), scalars.end(), [&](char32_t scalar) { return digits.contains(scalar); });
}

ns::String insert(const ns::String& text, const ns::String& separator, std::int64_t interval) {
    const ns::String compact = text.replacingOccurrences(ns::String(" "), ns::String());
    if (interval < 1) return compact;
    ns::String result;
    std::int64_t inGroup = 0;
    for (const auto& grapheme : compact.graphemes()) {
        result += grapheme;
        if (++inGroup == interval) {
            result += separator;
            inGroup = 0;
        }
    }
    return result;
}

} // namespace pellavo::string
