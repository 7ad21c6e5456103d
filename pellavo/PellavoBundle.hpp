#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/Bundle.hpp"

namespace pellavo {

// The library's resources, installed beside libpellavo as pellavo-resources/.
PELLAVO_EXPORT const ns::Bundle& libraryBundle();

} // namespace pellavo
