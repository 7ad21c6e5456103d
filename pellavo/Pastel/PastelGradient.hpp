#pragma once

#include <optional>
#include <vector>

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo {

// Ready-made colour lists for PastelView::setPastelGradient, by raw value 0 to 9.
enum class PastelGradient : int {
    coralPeach = 0,
    lavenderPink,
    peachBlush,
    creamApricot,
    salmonRaspberry,
    coralRose,
    sunnyPeach,
    pinkPeriwinkle,
    rosyMist,
    skyIce,
};

namespace pastelgradient {

// None outside 0…9.
PELLAVO_EXPORT std::optional<PastelGradient> fromRawValue(int raw);
// The case's colours in order, opaque: two for most cases, three for coralRose and
// rosyMist, six for salmonRaspberry.
PELLAVO_EXPORT std::vector<ui::Color> colors(PastelGradient gradient);

} // namespace pastelgradient

} // namespace pellavo
