#pragma once

#include "platform/ns/Export.hpp"

#include <cstdint>

namespace pellavo::ca {

// Counts the changes that can alter what a layer tree shows: every property change of
// any layer (through the change hooks, so the kinds' own properties count too) and every
// sublayer added or removed. A host that presents frames compares it with the count at
// its last frame, so an unchanged picture is not drawn again. Safe from any thread.
class PELLAVO_EXPORT ChangeCount {
public:
    static std::uint64_t current();
    static void increment();
};

} // namespace pellavo::ca
