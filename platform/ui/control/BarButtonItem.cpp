#include "platform/ui/control/BarButtonItem.hpp"

#include "platform/ns/ClassRegistration.hpp"

namespace pellavo::ui {
namespace {

// Known by name, so a subclass is a kind of bar button item to the runtime.
[[maybe_unused]] const auto registration = ns::ClassRegistration<BarButtonItem>("UIBarButtonItem");

} // namespace
} // namespace pellavo::ui
