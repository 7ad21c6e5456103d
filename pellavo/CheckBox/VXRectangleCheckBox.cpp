#include "pellavo/CheckBox/VXRectangleCheckBox.hpp"

namespace pellavo {

VXRectangleCheckBox::VXRectangleCheckBox(const cg::Rect& frame) : ui::Control(frame) {}

VXRectangleCheckBox::VXRectangleCheckBox(const ns::Coder& coder) : ui::Control(coder) {}

} // namespace pellavo
