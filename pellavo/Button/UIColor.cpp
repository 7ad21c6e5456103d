#include "pellavo/Button/UIColor.hpp"

namespace pellavo::uicolor {

ui::Color shadeDarker(const ui::Color& color) {
    double red = 0, green = 0, blue = 0, alpha = 0;
    color.getRed(&red, &green, &blue, &alpha);
    // Written so that a NaN product compares false and becomes 0.
    const auto darker = [](double component) {
        const double product = component * 0.4;
        return product > 0 ? product : 0.0;
    };
    return ui::Color(darker(red), darker(green), darker(blue), 1.0);
}

} // namespace pellavo::uicolor
