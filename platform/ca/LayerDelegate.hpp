#pragma once

#include "platform/ns/Export.hpp"

#include <memory>
#include <optional>
#include <string_view>

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

class Action;
class Layer;

// What a layer asks of its owner (a view, later). A plain interface, so an
// ns::Object can implement it beside its own base; layers hold it weakly.
class PELLAVO_EXPORT LayerDelegate {
public:
    virtual ~LayerDelegate() = default;

    // Runs from Layer::layoutSublayers when the layer is laid out.
    virtual void layoutSublayers(Layer& layer) { (void)layer; }
    // Draws the layer's content in its bounds space into the context.
    virtual void draw(const Layer& layer, cg::Context& context) {
        (void)layer;
        (void)context;
    }
    // True when draw does something; only then does the layer make a bitmap.
    virtual bool drawsContent() const { return false; }
    // The action for a change of `key` on the layer: nullopt leaves it to the layer
    // (its actions map, then the default animation), a null pointer means none.
    // Asked even when the transaction disables actions; only the layer's own
    // fallbacks are switched off then.
    virtual std::optional<std::shared_ptr<Action>> action(Layer& layer, std::string_view key) {
        (void)layer;
        (void)key;
        return std::nullopt;
    }
};

} // namespace pellavo::ca
