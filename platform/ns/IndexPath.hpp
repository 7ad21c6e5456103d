#pragma once

#include "platform/ns/Export.hpp"

#include <compare>

namespace pellavo::ns {

// A row in a section of a table.
struct PELLAVO_EXPORT IndexPath {
    int section = 0;
    int row = 0;

    friend constexpr bool operator==(const IndexPath&, const IndexPath&) = default;
    friend constexpr auto operator<=>(const IndexPath&, const IndexPath&) = default;
};

} // namespace pellavo::ns
