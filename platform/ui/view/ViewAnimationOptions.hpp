#pragma once

namespace pellavo::ui {

// Flags of a view animation, with the platform's raw values: the curve sits in
// bits 16–19, the transition in bits 20–23, the frame-rate hint in bits 24–27.
enum class ViewAnimationOptions : unsigned {
    allowUserInteraction = 1u << 1,
    curveEaseInOut = 0,
    curveEaseIn = 1u << 16,
    curveEaseOut = 2u << 16,
    curveLinear = 3u << 16,
    transitionCrossDissolve = 5u << 20,
    // Accepted; values are the same at any frame rate.
    preferredFramesPerSecond30 = 7u << 24,
};

constexpr ViewAnimationOptions operator|(ViewAnimationOptions a, ViewAnimationOptions b) {
    return static_cast<ViewAnimationOptions>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
constexpr ViewAnimationOptions operator&(ViewAnimationOptions a, ViewAnimationOptions b) {
    return static_cast<ViewAnimationOptions>(static_cast<unsigned>(a) & static_cast<unsigned>(b));
}

// The timing curve of a property animator, with the platform's raw values.
enum class ViewAnimationCurve : int { easeInOut = 0, easeIn = 1, easeOut = 2, linear = 3 };

} // namespace pellavo::ui
