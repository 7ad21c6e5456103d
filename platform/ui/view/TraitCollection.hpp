#pragma once

#include "platform/ns/Export.hpp"
#include "platform/ui/view/InterfaceOrientation.hpp"

namespace pellavo::ui {

enum class UserInterfaceSizeClass : int { unspecified = 0, compact = 1, regular = 2 };

// The environment a controller lays out for. A phone in portrait is compact wide and
// regular tall; in landscape it is compact both ways.
struct PELLAVO_EXPORT TraitCollection {
    UserInterfaceSizeClass horizontalSizeClass = UserInterfaceSizeClass::unspecified;
    UserInterfaceSizeClass verticalSizeClass = UserInterfaceSizeClass::unspecified;
    double displayScale = 0;

    static TraitCollection forOrientation(InterfaceOrientation orientation, double displayScale) {
        return {UserInterfaceSizeClass::compact,
                isLandscape(orientation) ? UserInterfaceSizeClass::compact : UserInterfaceSizeClass::regular,
                displayScale};
    }

    friend constexpr bool operator==(const TraitCollection&, const TraitCollection&) = default;
};

} // namespace pellavo::ui
