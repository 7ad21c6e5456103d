#pragma once

#include <cstdint>

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"

namespace pellavo::ns {

// A failure reported as a value: a domain, a code within it and a readable description.
struct PELLAVO_EXPORT Error {
    String domain;
    std::int64_t code = 0;
    String description;
};

} // namespace pellavo::ns
