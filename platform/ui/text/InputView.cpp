#include "platform/ui/text/InputView.hpp"

#include "platform/ns/ClassRegistration.hpp"

namespace pellavo::ui {

// The base setter by name: a constructor calls nothing a subclass overrides.
InputView::InputView(const cg::Rect& frame) : View(frame) { View::setBackgroundColor(keyboardBackgroundColor()); }

InputView::InputView(const ns::Coder& coder) : View(coder) { View::setBackgroundColor(keyboardBackgroundColor()); }

// ---------------------------------------------------------------- runtime

namespace {

// Known by name to interface files as soon as the library loads.
[[maybe_unused]] const auto registration = ns::ClassRegistration<InputView>("UIInputView", "UIView");

} // namespace

} // namespace pellavo::ui
