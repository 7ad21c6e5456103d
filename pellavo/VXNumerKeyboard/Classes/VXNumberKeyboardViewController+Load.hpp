#pragma once

#include <memory>

#include "platform/ns/Export.hpp"
#include "pellavo/VXNumerKeyboard/Classes/VXNumberKeyboardViewController.hpp"
#include "platform/ns/Bundle.hpp"

namespace pellavo {

// The controller of the interface file "VXNumberKeyboardViewController" in `bundle`, as the
// file left it (its view loaded, viewDidLoad not yet run). Never null: when the file is
// missing, does not load, or does not start with a keyboard controller, a fresh controller
// without keys (the loader has logged why).
PELLAVO_EXPORT std::shared_ptr<VXNumberKeyboardViewController> loadDecimalKeyboard(const ns::Bundle& bundle);

} // namespace pellavo
