#pragma once

namespace pellavo::ui {

// Which way up the interface is drawn. The raw values are the platform's.
enum class InterfaceOrientation : int {
    portrait = 1,
    portraitUpsideDown = 2,
    landscapeRight = 3,
    landscapeLeft = 4,
};

constexpr bool isLandscape(InterfaceOrientation orientation) {
    return orientation == InterfaceOrientation::landscapeLeft || orientation == InterfaceOrientation::landscapeRight;
}

constexpr bool isValid(InterfaceOrientation orientation) {
    const int raw = static_cast<int>(orientation);
    return raw >= 1 && raw <= 4;
}

} // namespace pellavo::ui
