#pragma once

#include "platform/ns/Export.hpp"
#include "platform/cg/Color.hpp"

namespace pellavo::ui {

// The toolkit's colour value: red, green, blue and alpha, stored exactly as given.
class PELLAVO_EXPORT Color {
public:
    // A blank colour; it draws as clear.
    constexpr Color() = default;
    constexpr Color(double red, double green, double blue, double alpha)
        : value_(red, green, blue, alpha) {}
    constexpr Color(double white, double alpha) : value_(white, white, white, alpha) {}
    constexpr explicit Color(const cg::Color& color) : value_(color) {}

    static Color clear() { return {0, 0, 0, 0}; }
    static Color black() { return {0, 1}; }
    static Color white() { return {1, 1}; }
    static Color darkGray() { return {1.0 / 3.0, 1}; }
    static Color lightGray() { return {2.0 / 3.0, 1}; }
    static Color gray() { return {0.5, 1}; }
    static Color red() { return {1, 0, 0, 1}; }
    static Color blue() { return {0, 0, 1, 1}; }

    // Writes the components through the pointers that are not null.
    bool getRed(double* red, double* green, double* blue, double* alpha) const;
    Color withAlphaComponent(double alpha) const {
        return {value_.red, value_.green, value_.blue, alpha};
    }
    cg::Color cgColor() const { return value_; }

    // Set the fill or stroke colour of the current graphics context; none: no effect.
    void setFill() const;
    void setStroke() const;

    // Component-wise; a NaN component equals a NaN, so every colour equals itself.
    friend PELLAVO_EXPORT bool operator==(const Color& a, const Color& b);

private:
    cg::Color value_;
};

} // namespace pellavo::ui
