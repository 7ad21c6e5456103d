#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ns/Range.hpp"

namespace pellavo::ns {

// The platform's string: UTF-16 code units. UTF-8 coming in is decoded with
// U+FFFD for every ill-formed sequence; lone surrogates going out to UTF-8
// become U+FFFD. Lengths and ranges count UTF-16 units; graphemeCount() counts
// what a reader calls characters. Equality and order compare code units, with
// no normalisation.
class PELLAVO_EXPORT String {
public:
    String() = default;
    String(const char* utf8);  // nullptr gives the empty string
    String(std::string_view utf8);
    String(const std::string& utf8);
    String(std::u16string utf16) : units_(std::move(utf16)) {}
    String(const char16_t* utf16);  // nullptr gives the empty string

    std::string utf8() const;
    // Appends what substring(range)->utf8() gives, without the copies; false (and
    // nothing appended) for a range that isValidRange refuses.
    bool appendUtf8(Range range, std::string& out) const;
    const std::u16string& utf16() const { return units_; }

    int64_t length() const { return static_cast<int64_t>(units_.size()); }
    bool isEmpty() const { return units_.empty(); }
    // The code unit at index; 0 outside the string.
    char16_t characterAt(int64_t index) const;

    int64_t graphemeCount() const;
    std::vector<String> graphemes() const;
    // The UTF-16 range of each grapheme cluster, in order.
    std::vector<Range> graphemeRanges() const;
    // The grapheme cluster holding the unit at index; {notFound, 0} outside the string.
    Range rangeOfComposedCharacterSequence(int64_t index) const;
    // Code points; a lone surrogate reads as U+FFFD.
    std::u32string unicodeScalars() const;

    // Valid: location >= 0, length >= 0, end within the string, and neither end
    // between the two halves of a surrogate pair.
    bool isValidRange(Range range) const;
    std::optional<String> substring(Range range) const;
    std::optional<String> replacingCharacters(Range range, const String& replacement) const;
    // Literal, left to right, non-overlapping; an empty target changes nothing.
    String replacingOccurrences(const String& of, const String& with) const;
    // An empty separator gives the whole string as the single component.
    std::vector<String> components(const String& separatedBy) const;
    // First literal occurrence; {notFound, 0} when absent or when target is empty.
    Range range(const String& of) const;
    bool contains(const String& other) const { return range(other).location != notFound; }
    bool hasPrefix(const String& prefix) const;
    bool hasSuffix(const String& suffix) const;

    // UTF-8 byte offset of a UTF-16 offset (clamped to the string; an offset
    // inside a pair counts the whole pair), and back (inside a sequence rounds down).
    int64_t utf8Offset(int64_t utf16Offset) const;
    int64_t utf16Offset(int64_t utf8Offset) const;

    // Shortest text that reads back to the same double: "5.0", "0.0001",
    // "1e-05", "9.007199254740992e+15", "inf", "nan".
    static String describing(double value);

    String& operator+=(const String& other) {
        units_ += other.units_;
        return *this;
    }
    friend String operator+(String a, const String& b) { return a += b; }
    friend bool operator==(const String& a, const String& b) { return a.units_ == b.units_; }
    friend std::strong_ordering operator<=>(const String& a, const String& b) {
        return a.units_.compare(b.units_) <=> 0;
    }

private:
    String slice(int64_t start, int64_t end) const;

    std::u16string units_;
};

// Writes UTF-8 (for diagnostics and test output).
PELLAVO_EXPORT std::ostream& operator<<(std::ostream& os, const String& s);

} // namespace pellavo::ns

template <>
struct std::hash<pellavo::ns::String> {
    size_t operator()(const pellavo::ns::String& s) const noexcept {
        return std::hash<std::u16string>{}(s.utf16());
    }
};
