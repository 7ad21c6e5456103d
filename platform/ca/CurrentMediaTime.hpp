#pragma once

#include "platform/ns/Clock.hpp"

namespace pellavo::ca {

// Media time in seconds: the shared clock, which animations and display links read.
inline double currentMediaTime() { return ns::Clock::shared()->seconds(); }

} // namespace pellavo::ca
