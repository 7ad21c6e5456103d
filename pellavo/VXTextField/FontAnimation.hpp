#pragma once

#include <memory>
#include <optional>

#include "platform/ns/Export.hpp"
#include "platform/ca/DisplayLink.hpp"
#include "platform/ns/Object.hpp"
#include "platform/ns/Selector.hpp"

namespace pellavo {

// Drives one font interpolation of a placeholder field: a 30 fps display link that
// performs `selector` on `target` every frame. The field starts a run by setting
// startTime and unpausing the link, and ends it by clearing startTime and pausing it.
// Internal to the library.
class PELLAVO_EXPORT FontAnimation : public ns::Object {
public:
    FontAnimation(std::weak_ptr<ns::Object> target, ns::Selector selector);
    // The link leaves the run loop with its owner, so a dropped field is never called.
    ~FontAnimation() override;
    std::string_view className() const override { return "FontAnimation"; }

    std::shared_ptr<ca::DisplayLink> displayLink;
    // Absolute seconds at which the running interpolation started; none when idle.
    std::optional<double> startTime;
    std::weak_ptr<ns::Object> target;
    ns::Selector selector;

protected:
    void init() override;
};

} // namespace pellavo
