#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/control/Control.hpp"

namespace pellavo {

// A control with no look and no behaviour of its own, kept for the library's own use.
class PELLAVO_EXPORT VXRectangleCheckBox : public ui::Control {
public:
    explicit VXRectangleCheckBox(const cg::Rect& frame = {});
    explicit VXRectangleCheckBox(const ns::Coder& coder);
    std::string_view className() const override { return "VXRectangleCheckBox"; }
};

} // namespace pellavo
