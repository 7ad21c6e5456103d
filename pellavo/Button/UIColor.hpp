#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/graphics/Color.hpp"

namespace pellavo::uicolor {

// An opaque, darker shade: red, green and blue each times 0.4, anything not
// above 0 (NaN included) taken as 0. The colour's own alpha is dropped.
PELLAVO_EXPORT ui::Color shadeDarker(const ui::Color& color);

} // namespace pellavo::uicolor
