#pragma once

#include "platform/ns/Export.hpp"

#include <memory>

namespace pellavo::ca {

class Animation;

// Told once when an attached animation stops: finished is true at its natural end
// (also when it is held there by a forward fill), false when it was removed,
// replaced or its layer went away. Delivered through the main queue.
class PELLAVO_EXPORT AnimationDelegate {
public:
    virtual ~AnimationDelegate() = default;
    virtual void animationDidStop(const std::shared_ptr<const Animation>& animation, bool finished) = 0;
};

} // namespace pellavo::ca
