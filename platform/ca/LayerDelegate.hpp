#pragma once

namespace pellavo::cg {
class Context;
}

namespace pellavo::ca {

class Layer;

// What a layer asks of its owner (a view, later). A plain interface, so an
// ns::Object can implement it beside its own base; layers hold it weakly.
class LayerDelegate {
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
};

} // namespace pellavo::ca
