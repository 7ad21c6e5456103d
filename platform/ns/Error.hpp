#pragma once

#include <cstdint>

#include "platform/ns/String.hpp"

namespace pellavo::ns {

// A failure reported as a value: a domain, a code within it and a readable description.
struct Error {
    String domain;
    std::int64_t code = 0;
    String description;
};

} // namespace pellavo::ns
