#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>
#include <limits>

namespace pellavo::ns {

// What a search that found nothing reports as a location.
inline constexpr int64_t notFound = std::numeric_limits<int64_t>::max();

// A span of UTF-16 code units, as every range of the platform counts them.
struct PELLAVO_EXPORT Range {
    int64_t location = 0;
    int64_t length = 0;

    constexpr Range() = default;
    constexpr Range(int64_t location_, int64_t length_) : location(location_), length(length_) {}

    // One past the last unit; saturates instead of overflowing for absurd ranges.
    constexpr int64_t max() const {
        if (length > 0 && location > std::numeric_limits<int64_t>::max() - length)
            return std::numeric_limits<int64_t>::max();
        if (length < 0 && location < std::numeric_limits<int64_t>::min() - length)
            return std::numeric_limits<int64_t>::min();
        return location + length;
    }
    constexpr bool contains(int64_t index) const {
        return length > 0 && index >= location && index - location < length;
    }

    friend constexpr bool operator==(const Range&, const Range&) = default;
};

} // namespace pellavo::ns
