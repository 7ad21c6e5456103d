#pragma once

#include "platform/ns/Bundle.hpp"

namespace pellavo {

// The library's resources, installed beside libpellavo as pellavo-resources/.
const ns::Bundle& libraryBundle();

} // namespace pellavo
