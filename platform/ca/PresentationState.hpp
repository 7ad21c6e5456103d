#pragma once

#include <array>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/KeyPath.hpp"
#include "platform/ca/Value.hpp"
#include "platform/cg/Image.hpp"

namespace pellavo::ca {

// The values of one layer's animatable keys while its animations are applied to
// them, in insertion order. Each key starts at its model value, read on demand from
// the subclass; animations replace or add to the accumulated value.
class PELLAVO_EXPORT PresentationState {
public:
    virtual ~PresentationState() = default;

    // The model value of a key, or nullopt when the layer has no such key.
    virtual std::optional<Value> modelValue(AnimatableKey key) const = 0;

    // The model value at a key path; transform parts read the 2-D decomposition:
    // the scale as (sx + sy) / 2, the rotation as its angle.
    std::optional<Value> model(const KeyPath& path) const;
    // The accumulated value at a key path.
    std::optional<Value> current(const KeyPath& path);

    // A non-additive value replaces the accumulated one; an additive value adds to it
    // (transform parts add angles and multiply scales). A value of the wrong kind, or
    // one that is not finite, changes nothing.
    void apply(const KeyPath& path, const Value& value, bool additive);

    // The keys an animation changed, with their values.
    template <class F>
    void forEachChanged(F&& f) const {
        for (std::size_t i = 0; i < values_.size(); ++i)
            if (values_[i]) f(static_cast<AnimatableKey>(i), *values_[i]);
    }

    // Progress of a transition running on the layer, if any, and what it fades from.
    std::optional<double> transitionProgress;
    cg::ImageRef transitionImage;
    cg::Rect transitionImageBounds;

private:
    Value* slot(AnimatableKey key);
    static std::optional<Value> part(const Value& transform, TransformPart part);

    std::array<std::optional<Value>, animatableKeyCount> values_;
};

// The neutral start and end of an additive animation at a key path: zero, or one
// for transform scales.
PELLAVO_EXPORT Value additiveIdentity(const KeyPath& path);

} // namespace pellavo::ca
