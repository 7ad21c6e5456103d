#pragma once

#include "platform/ns/Export.hpp"

#include <string_view>

namespace pellavo::ca {

class Layer;

// What a layer runs when one of its properties changes: an animation adds itself
// under the key. Returned by a layer delegate or held in a layer's actions map.
class PELLAVO_EXPORT Action {
public:
    virtual ~Action() = default;
    // Runs after the new model value is stored.
    virtual void run(std::string_view key, Layer& layer) = 0;
};

} // namespace pellavo::ca
