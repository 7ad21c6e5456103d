#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ns/String.hpp"
#include "platform/ui/graphics/Color.hpp"
#include "platform/ui/text/Font.hpp"

namespace pellavo {

// The whole look of a VXCircularCheckBox, handed once to VXCircularCheckBox::loadWith.
struct PELLAVO_EXPORT VXCircularCheckBoxData {
    // The state the box starts in.
    bool checked = false;
    // The stroke of the round box.
    ui::Color borderColor = ui::Color::black();
    // The fill of the dot.
    ui::Color circleColor = ui::Color::black();
    // The box's side, that is the diameter of its circle.
    double borderRadius = 12;
    // The dot's diameter.
    double circleRadius = 6;
    // The title right of the box; empty shows none.
    ns::String labelText;
    ui::Font labelFont = ui::Font::systemFont(15);
    ui::Color labelColor = ui::Color::black();
};

} // namespace pellavo
