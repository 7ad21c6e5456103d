#include "platform/ui/graphics/Color.hpp"

#include <cmath>

#include "platform/ui/graphics/GraphicsContext.hpp"

namespace pellavo::ui {

namespace {
bool same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
} // namespace

bool Color::getRed(double* red, double* green, double* blue, double* alpha) const {
    if (red) *red = value_.red;
    if (green) *green = value_.green;
    if (blue) *blue = value_.blue;
    if (alpha) *alpha = value_.alpha;
    return true;
}

void Color::setFill() const {
    if (cg::Context* context = graphicsGetCurrentContext()) context->setFillColor(value_);
}

void Color::setStroke() const {
    if (cg::Context* context = graphicsGetCurrentContext()) context->setStrokeColor(value_);
}

bool operator==(const Color& a, const Color& b) {
    return same(a.value_.red, b.value_.red) && same(a.value_.green, b.value_.green) &&
           same(a.value_.blue, b.value_.blue) && same(a.value_.alpha, b.value_.alpha);
}

} // namespace pellavo::ui
