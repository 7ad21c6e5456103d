#pragma once

#include "platform/ui/graphics/Color.hpp"

namespace pellavo::uicolor {

// An opaque, darker shade: red, green and blue each times 0.4, anything not
// above 0 (NaN included) taken as 0. The colour's own alpha is dropped.
ui::Color shadeDarker(const ui::Color& color);

} // namespace pellavo::uicolor
