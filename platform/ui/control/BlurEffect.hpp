#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Color.hpp"

namespace pellavo::ui {

// What an effect view does with what lies behind it: a blur of σ 20 pt, then a
// wash of the style's colour.
class PELLAVO_EXPORT BlurEffect {
public:
    enum class Style { extraLight = 0, light = 1, dark = 2, regular = 4, prominent = 5 };

    explicit BlurEffect(Style style) : style_(style) {}

    Style style() const { return style_; }
    // σ in points, the same for every style.
    double blurRadius() const { return 20; }
    cg::Color tintColor() const;

    friend bool operator==(const BlurEffect&, const BlurEffect&) = default;

private:
    Style style_;
};

} // namespace pellavo::ui
