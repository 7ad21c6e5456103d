#include "platform/ca/PresentationState.hpp"

#include <cmath>

#include "platform/ca/TransformDecomposition.hpp"
#include "platform/ca/ValueInterpolation.hpp"

namespace pellavo::ca {

std::optional<Value> PresentationState::part(const Value& transform, TransformPart part) {
    const auto* t = std::get_if<Transform3D>(&transform);
    if (!t) return std::nullopt;
    if (part == TransformPart::whole) return transform;
    const auto d = TransformDecomposition::decompose(*t);
    if (part == TransformPart::scale) return Value((d.scaleX + d.scaleY) / 2);
    return Value(d.angle);
}

std::optional<Value> PresentationState::model(const KeyPath& path) const {
    auto v = modelValue(path.key);
    if (!v || path.part == TransformPart::whole) return v;
    return part(*v, path.part);
}

Value* PresentationState::slot(AnimatableKey key) {
    auto& s = values_[static_cast<std::size_t>(key)];
    if (!s) {
        auto v = modelValue(key);
        if (!v) return nullptr;
        s = std::move(*v);
    }
    return &*s;
}

std::optional<Value> PresentationState::current(const KeyPath& path) {
    Value* v = slot(path.key);
    if (!v) return std::nullopt;
    if (path.part == TransformPart::whole) return *v;
    return part(*v, path.part);
}

void PresentationState::apply(const KeyPath& path, const Value& value, bool additive) {
    if (kindOf(value) != path.valueKind() || !isFinite(value)) return;
    Value* v = slot(path.key);
    if (!v || kindOf(*v) != KeyPath::valueKind(path.key)) return;

    if (path.part == TransformPart::whole) {
        if (!additive) {
            *v = value;
        } else if (auto sum = addValues(*v, value); sum && isFinite(*sum)) {
            *v = std::move(*sum);
        }
        return;
    }

    const double x = std::get<double>(value);
    auto d = TransformDecomposition::decompose(std::get<Transform3D>(*v));
    if (path.part == TransformPart::scale) {
        if (additive) {
            d.scaleX *= x;
            d.scaleY *= x;
        } else {
            // A mirrored axis stays mirrored.
            d.scaleX = std::signbit(d.scaleX) ? -x : x;
            d.scaleY = std::signbit(d.scaleY) ? -x : x;
        }
    } else {
        d.angle = additive ? d.angle + x : x;
    }
    const Transform3D t = d.recompose();
    if (t.isFinite()) *v = t;
}

Value additiveIdentity(const KeyPath& path) {
    switch (path.part) {
    case TransformPart::scale: return 1.0;
    case TransformPart::rotation: return 0.0;
    case TransformPart::whole: break;
    }
    return additiveIdentity(KeyPath::valueKind(path.key));
}

} // namespace pellavo::ca
