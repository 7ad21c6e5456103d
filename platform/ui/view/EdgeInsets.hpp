#pragma once

#include "platform/cg/Geometry.hpp"

namespace pellavo::ui {

using EdgeInsets = cg::EdgeInsets;

} // namespace pellavo::ui
