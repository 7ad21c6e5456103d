#pragma once

#include <optional>
#include <string>

#include "platform/ns/Export.hpp"
#include "platform/ca/Animation.hpp"
#include "platform/ca/KeyPath.hpp"
#include "platform/ca/Value.hpp"

namespace pellavo::ca {

// An animation of one property, named by its key path.
class PELLAVO_EXPORT PropertyAnimation : public Animation {
public:
    std::string_view className() const override { return "CAPropertyAnimation"; }

    const std::string& keyPath() const { return properties_.keyPath; }
    void setKeyPath(std::string path);
    // Added to the accumulated value instead of replacing it.
    bool isAdditive() const { return properties_.additive; }
    void setIsAdditive(bool additive);
    // Each repeat cycle starts where the previous one ended.
    bool isCumulative() const { return properties_.cumulative; }
    void setIsCumulative(bool cumulative);

    // The parsed key path; nullopt for a path no layer animates.
    const std::optional<KeyPath>& parsedKeyPath() const { return properties_.parsed; }

    void apply(double t, PresentationState& state, double fallbackDuration = defaultDuration) const override;

protected:
    void assign(const PropertyAnimation& other);
    // The animation's own value in a phase: nullopt when it has none (wrong kinds,
    // non-finite values, nothing to interpolate).
    virtual std::optional<Value> valueAt(const AnimationPhase& phase, double duration, const KeyPath& path,
                                         const PresentationState& state) const = 0;

private:
    // Everything a copy takes, with the defaults.
    struct Properties {
        std::string keyPath;
        std::optional<KeyPath> parsed;
        bool additive = false;
        bool cumulative = false;
    };

    Properties properties_;
};

} // namespace pellavo::ca
