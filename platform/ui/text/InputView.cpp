#include "platform/ui/text/InputView.hpp"

namespace pellavo::ui {

// The base setter by name: a constructor calls nothing a subclass overrides.
InputView::InputView(const cg::Rect& frame) : View(frame) { View::setBackgroundColor(keyboardBackgroundColor()); }

InputView::InputView(const ns::Coder& coder) : View(coder) { View::setBackgroundColor(keyboardBackgroundColor()); }

} // namespace pellavo::ui
