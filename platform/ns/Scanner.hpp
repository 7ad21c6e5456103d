#pragma once

#include <cstdint>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ns/CharacterSet.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ns {

// Reads numbers from a string, skipping whitespace and newlines before each one.
// The scan location counts UTF-16 units.
class PELLAVO_EXPORT Scanner {
public:
    explicit Scanner(String string) : string_(std::move(string)) {}

    const String& string() const { return string_; }
    int64_t scanLocation() const { return location_; }
    // Clamped to the string.
    void setScanLocation(int64_t location);
    // Nothing skipped when empty; whitespace and newlines by default.
    const std::optional<CharacterSet>& charactersToBeSkipped() const { return skipped_; }
    void setCharactersToBeSkipped(std::optional<CharacterSet> set) { skipped_ = std::move(set); }

    // True when only characters to be skipped remain.
    bool isAtEnd() const;

    // Skips, then reads an optional "0x"/"0X" (only when a hex digit follows)
    // and hex digits up to the first other character. Too many digits are all
    // consumed and give 0xFFFFFFFF. No digit: false, and neither the value nor
    // the location changes. result may be null.
    bool scanHexInt(uint32_t* result);

private:
    int64_t skipFrom(int64_t location) const;

    String string_;
    int64_t location_ = 0;
    std::optional<CharacterSet> skipped_ = CharacterSet::whitespacesAndNewlines();
};

} // namespace pellavo::ns
