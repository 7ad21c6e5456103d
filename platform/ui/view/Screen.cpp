#include "platform/ui/view/Screen.hpp"

#include <cmath>

namespace pellavo::ui {

Screen& Screen::main() {
    static const std::shared_ptr<Screen> screen = ns::make<Screen>();
    return *screen;
}

cg::Rect Screen::bounds() const {
    std::lock_guard lock(mutex_);
    return bounds_;
}

double Screen::scale() const {
    std::lock_guard lock(mutex_);
    return scale_;
}

void Screen::setBounds(const cg::Rect& bounds) {
    if (!bounds.isFinite()) return;
    std::lock_guard lock(mutex_);
    bounds_ = bounds;
}

void Screen::setScale(double scale) {
    if (!std::isfinite(scale) || scale <= 0) return;
    std::lock_guard lock(mutex_);
    scale_ = scale;
}

} // namespace pellavo::ui
