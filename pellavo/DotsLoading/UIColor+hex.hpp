#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::uicolor {

// The colour a hex string such as "#4284F7" spells, at the given alpha. Every
// "#" is ignored; only the low 24 bits count (no alpha byte, no short form).
// A string with no hex number prints "invalid hex string" and gives opaque white.
PELLAVO_EXPORT ui::Color hexStr(const ns::String& hexStr, double alpha);

} // namespace pellavo::uicolor
