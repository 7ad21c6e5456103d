#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/ns/Export.hpp"
#include "platform/ca/Value.hpp"

namespace pellavo::ca {

// Every animatable property of the layer classes: Layer's, then ShapeLayer's,
// then GradientLayer's.
enum class AnimatableKey {
    position, bounds, transform, opacity, backgroundColor, cornerRadius, borderWidth, borderColor,
    shadowColor, shadowOpacity, shadowOffset, shadowRadius,
    path, fillColor, strokeColor, lineWidth, strokeStart, strokeEnd,
    colors, locations, startPoint, endPoint,
};
inline constexpr std::size_t animatableKeyCount = 22;

// Which part of a transform a key path names.
enum class TransformPart { whole, scale, rotation };

// A parsed animation key path: a property, or a part of the transform
// ("transform.scale", "transform.rotation", "transform.rotation.z").
struct PELLAVO_EXPORT KeyPath {
    AnimatableKey key = AnimatableKey::position;
    TransformPart part = TransformPart::whole;

    // nullopt for anything that is not an animatable key path.
    static std::optional<KeyPath> parse(std::string_view path);
    // The animatable key with exactly this name (no sub-keys).
    static std::optional<AnimatableKey> keyNamed(std::string_view name);
    static std::string_view name(AnimatableKey key);

    // The kind of value an animation of this path runs over: numbers for the
    // transform parts.
    ValueKind valueKind() const;
    static ValueKind valueKind(AnimatableKey key);

    friend constexpr bool operator==(const KeyPath&, const KeyPath&) = default;
};

} // namespace pellavo::ca
