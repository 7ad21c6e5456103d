#include "platform/ns/Scanner.hpp"

#include <algorithm>

namespace pellavo::ns {

namespace {

int hexValue(char16_t u) {
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

bool isLead(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isTrail(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

} // namespace

void Scanner::setScanLocation(int64_t location) { location_ = std::clamp<int64_t>(location, 0, string_.length()); }

int64_t Scanner::skipFrom(int64_t location) const {
    if (!skipped_) return location;
    const std::u16string& units = string_.utf16();
    const int64_t n = string_.length();
    while (location < n) {
        const char16_t u = units[static_cast<size_t>(location)];
        char32_t scalar = u;
        int64_t size = 1;
        if (isLead(u) && location + 1 < n && isTrail(units[static_cast<size_t>(location + 1)])) {
            scalar = 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                     (units[static_cast<size_t>(location + 1)] - 0xDC00);
            size = 2;
        } else if (isLead(u) || isTrail(u)) {
            scalar = 0xFFFD;
        }
        if (!skipped_->contains(scalar)) break;
        location += size;
    }
    return location;
}

bool Scanner::isAtEnd() const { return skipFrom(location_) >= string_.length(); }

bool Scanner::scanHexInt(uint32_t* result) {
    const std::u16string& units = string_.utf16();
    const int64_t n = string_.length();
    int64_t i = skipFrom(location_);
    // The prefix counts only when a digit follows: "0x" alone reads as the number 0.
    if (i + 2 < n && units[static_cast<size_t>(i)] == u'0' &&
        (units[static_cast<size_t>(i + 1)] == u'x' || units[static_cast<size_t>(i + 1)] == u'X') &&
        hexValue(units[static_cast<size_t>(i + 2)]) >= 0) {
        i += 2;
    }
    uint64_t value = 0;
    bool overflow = false;
    const int64_t digitsStart = i;
    for (; i < n; ++i) {
        const int digit = hexValue(units[static_cast<size_t>(i)]);
        if (digit < 0) break;
        if (!overflow) {
            value = value * 16 + static_cast<uint64_t>(digit);
            if (value > 0xFFFFFFFFu) overflow = true;
        }
    }
    if (i == digitsStart) return false;
    if (result != nullptr) *result = overflow ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    location_ = i;
    return true;
}

} // namespace pellavo::ns
