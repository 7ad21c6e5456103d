#include "platform/ca/KeyPath.hpp"

#include <array>

namespace pellavo::ca {

namespace {

struct KeyInfo {
    std::string_view name;
    ValueKind kind;
};

constexpr std::array<KeyInfo, animatableKeyCount> keyTable = {{
    {"position", ValueKind::point},
    {"bounds", ValueKind::rect},
    {"transform", ValueKind::transform},
    {"opacity", ValueKind::number},
    {"backgroundColor", ValueKind::color},
    {"cornerRadius", ValueKind::number},
    {"borderWidth", ValueKind::number},
    {"borderColor", ValueKind::color},
    {"shadowColor", ValueKind::color},
    {"shadowOpacity", ValueKind::number},
    {"shadowOffset", ValueKind::size},
    {"shadowRadius", ValueKind::number},
    {"path", ValueKind::path},
    {"fillColor", ValueKind::color},
    {"strokeColor", ValueKind::color},
    {"lineWidth", ValueKind::number},
    {"strokeStart", ValueKind::number},
    {"strokeEnd", ValueKind::number},
    {"colors", ValueKind::colors},
    {"locations", ValueKind::locations},
    {"startPoint", ValueKind::point},
    {"endPoint", ValueKind::point},
}};

} // namespace

std::optional<AnimatableKey> KeyPath::keyNamed(std::string_view name) {
    for (std::size_t i = 0; i < keyTable.size(); ++i)
        if (keyTable[i].name == name) return static_cast<AnimatableKey>(i);
    return std::nullopt;
}

std::optional<KeyPath> KeyPath::parse(std::string_view path) {
    if (path == "transform.scale") return KeyPath{AnimatableKey::transform, TransformPart::scale};
    if (path == "transform.rotation" || path == "transform.rotation.z")
        return KeyPath{AnimatableKey::transform, TransformPart::rotation};
    if (auto k = keyNamed(path)) return KeyPath{*k, TransformPart::whole};
    return std::nullopt;
}

std::string_view KeyPath::name(AnimatableKey key) { return keyTable[static_cast<std::size_t>(key)].name; }

ValueKind KeyPath::valueKind(AnimatableKey key) { return keyTable[static_cast<std::size_t>(key)].kind; }

ValueKind KeyPath::valueKind() const {
    return part == TransformPart::whole ? valueKind(key) : ValueKind::number;
}

} // namespace pellavo::ca
