#include "platform/ui/control/BlurEffect.hpp"

namespace pellavo::ui {

cg::Color BlurEffect::tintColor() const {
    switch (style_) {
    case Style::extraLight:
        return {1, 1, 1, 0.6};
    case Style::light:
        return {1, 1, 1, 0.3};
    case Style::dark:
        return {0.1, 0.1, 0.1, 0.5};
    case Style::regular:
        return {1, 1, 1, 0.15};
    case Style::prominent:
        return {1, 1, 1, 0.45};
    }
    return {1, 1, 1, 0.15};
}

} // namespace pellavo::ui
